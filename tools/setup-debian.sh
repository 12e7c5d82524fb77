#!/bin/sh
# Installs every Debian package that building, testing and benchmarking need,
# and the further packages named as arguments (the fuzzing and Windows
# scripts name theirs). Idempotent: packages already present are skipped, and
# the package lists are refreshed only when something must be installed.
set -eu

# libqt6opengl6-dev: Qt Charts' CMake files need Qt6OpenGL's, which
# qt6-charts-dev does not bring.
PACKAGES="
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
    libpugixml-dev libcli11-dev zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    srecord xxd
    xvfb xauth imagemagick fonts-dejavu-core
    gcc-mingw-w64-x86-64-posix wine
    help2man desktop-file-utils
    lintian appstream
    can-utils python3-can
    qemu-system-x86 busybox-static cpio xz-utils
    tidy chromium poppler-utils
$*"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -n "$missing" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages:$missing" >&2
        echo "setup: run this script as root to install them" >&2
        exit 1
    fi
    echo "setup: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
fi

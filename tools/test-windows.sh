#!/bin/sh
# Builds the core, the command line and the core's tests for 64-bit Windows
# with mingw-w64, runs the tests under Wine without a display, and checks that
# the Windows command line builds a project's bank files and bankg.c (and
# composes its firmware) byte for byte as the Linux one does.
#
# Everything lands in build-windows/:
#   deps/          pugixml (Debian's source package), GoogleTest and CLI11,
#                  built or copied for Windows (zlib comes built from
#                  Debian's libz-mingw-w64-dev)
#   apt/           a private package list for fetching sources; the
#                  machine's apt configuration is not changed
#   wine/          the Wine prefix the tests run in
#   bin/drevanta-c2c-cli.exe, tests-bin/*.exe
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
out="$root/build-windows"
deps="$out/deps"
started=$(date +%s)

say() { echo "test-windows: $*"; }

# ---------------------------------------------------------------- packages
sh tools/setup-debian.sh g++-mingw-w64-x86-64-posix wine64 dpkg-dev googletest libcli11-dev libz-mingw-w64-dev

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { say "no wine64 found"; exit 1; }

toolchain="$root/cmake/mingw-w64-x86_64.cmake"
mkdir -p "$deps" "$out/src"

# ---------------------------------------------------------------- pugixml
# The source of the version the Linux build links, from the same mirror,
# through a package list of our own.
pugixml_version=$(dpkg-query -W -f='${Version}' libpugixml-dev)
if [ ! -f "$deps/pugixml-$pugixml_version.done" ]; then
    apt="$out/apt"
    mirror=$(apt-cache policy libpugixml-dev | awk '/ (https?|file):/ && /Packages$/ { print $2, $3; exit }')
    uri=${mirror% *}
    suite=${mirror#* }
    suite=${suite%%/*}
    [ -n "$uri" ] && [ -n "$suite" ] || { say "cannot tell where libpugixml-dev comes from"; exit 1; }
    rm -rf "$apt"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d"
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    if [ -f "$keyring" ]; then
        echo "deb-src [signed-by=$keyring] $uri $suite main" >"$apt/sources.list"
    else
        echo "deb-src $uri $suite main" >"$apt/sources.list"
    fi
    set -- -o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d" \
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=root"
    say "fetching pugixml $pugixml_version source ($uri $suite)"
    apt-get "$@" -qq update
    rm -rf "$out/src/pugixml"
    mkdir -p "$out/src/pugixml"
    (cd "$out/src/pugixml" && apt-get "$@" -qq source "pugixml=$pugixml_version" >/dev/null)
    pugixml_src=$(find "$out/src/pugixml" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    cmake -S "$pugixml_src" -B "$out/src/pugixml-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF >/dev/null
    cmake --build "$out/src/pugixml-build"
    cmake --install "$out/src/pugixml-build" >/dev/null
    touch "$deps/pugixml-$pugixml_version.done"
fi

# ---------------------------------------------------------------- GoogleTest, CLI11
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
if [ ! -f "$deps/googletest-$gtest_version.done" ]; then
    say "building GoogleTest $gtest_version for Windows"
    cmake -S /usr/src/googletest -B "$out/src/googletest-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" >/dev/null
    cmake --build "$out/src/googletest-build"
    cmake --install "$out/src/googletest-build" >/dev/null
    touch "$deps/googletest-$gtest_version.done"
fi
# Header-only: the headers and the package's CMake files, which find the
# headers relative to themselves.
mkdir -p "$deps/include" "$deps/share/cmake"
rm -rf "$deps/include/CLI" "$deps/share/cmake/CLI11"
cp -r /usr/include/CLI "$deps/include/CLI"
cp -r /usr/share/cmake/CLI11 "$deps/share/cmake/CLI11"

# ---------------------------------------------------------------- Wine
# A prefix of our own, no display, no offers to install Mono or Gecko (the
# toolchain file runs the tests with the same settings). Made before the
# build, which runs the test programs to list their tests.
export WINEPREFIX="$out/wine"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wineserver="$(dirname "$wine")/wineserver"
command -v wineserver >/dev/null 2>&1 && [ ! -x "$wineserver" ] && wineserver=$(command -v wineserver)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix"
    "$wine" wineboot --init >/dev/null 2>&1 || true
fi
# One server for the whole run: a server that ends after its last program
# while the next one connects makes that program fail ("recvmsg: Connection
# reset by peer"). It serves only this prefix and is ended at the exit.
"$wineserver" -k >/dev/null 2>&1 || true
"$wineserver" -w >/dev/null 2>&1 || true
"$wineserver" -p
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
# Wine's own services start with the server's first program and live as
# long as the server: started here, away from the output that the build and
# CTest wait on.
"$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true

# ---------------------------------------------------------------- the build
say "building for Windows"
cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DC2C_WINDOWS_PREFIX="$deps" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DC2C_BUILD_GUI=OFF -DC2C_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$out"

# The windows, checked for Windows: no Qt for Windows is at hand, so each
# source of the Qt layer is compiled (syntax and types only) by the Windows
# compiler against the build machine's Qt 6 headers. That finds POSIX-only
# calls and clashes with Windows' names; linking waits for a Qt for Windows.
say "checking the Qt layer's sources for Windows"
qt="/usr/include/$(gcc -dumpmachine)/qt6"
for source in $(find src/dialogs/qt src/platform/qt src/gui -name '*.cpp' | sort) tools/standin-flasher/main.cpp; do
    x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -DC2C_VERSION='"check"' \
        -Isrc -Itools/standin-flasher -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" \
        -isystem "$qt/QtWidgets" -isystem "$qt/QtCharts" "$source"
done

say "running the core's tests under Wine"
ctest --test-dir "$out" --output-on-failure --timeout 300 -j2

# ---------------------------------------------------------------- same bytes
# The Linux command line and sample master from the Linux build folder.
if [ ! -x build/bin/drevanta-c2c-cli ] || [ ! -x build/bin/make-sample-master ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --target drevanta-c2c-cli make-sample-master
fi
check="$out/same-bytes"
rm -rf "$check"
mkdir -p "$check"
build/bin/make-sample-master "$check/SX40517.sx"
failed=0
for project in tests/data/projects/*/; do
    name=$(basename "$project")
    for side in linux windows; do
        mkdir -p "$check/$side/$name/bin"
        cp "$project"/*.xml "$check/$side/$name/"
    done
    for side in linux windows; do
        if [ "$side" = linux ]; then cli=build/bin/drevanta-c2c-cli; else cli="$wine $out/bin/drevanta-c2c-cli.exe"; fi
        # shellcheck disable=SC2086
        if ! $cli build "$check/$side/$name" >/dev/null ||
            ! $cli compose "$check/$side/$name" --master "$check/SX40517.sx" --banks 1,2,3,4,5 >/dev/null; then
            say "$name: the $side command line failed"
            failed=1
            continue 2
        fi
    done
    differs=""
    for file in bin/bank1.bin bin/bank2.bin bin/bank3.bin bin/bank4.bin bin/bank5.bin bin/bankg.c New_SX40517.sx; do
        if ! cmp -s "$check/linux/$name/$file" "$check/windows/$name/$file"; then
            differs="$differs $file"
        fi
    done
    if [ -n "$differs" ]; then
        say "$name: differs between the Linux and the Windows build:$differs"
        failed=1
    else
        say "$name: the bank files, bankg.c and the composed firmware are the same on Linux and Windows"
    fi
done
say "done in $(($(date +%s) - started)) s"
exit "$failed"

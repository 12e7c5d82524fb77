#!/bin/sh
# Takes the screenshots in docs/: runs screenshot-tour in a portable folder
# under a virtual display with a small window manager (for the title bars).
set -eu
cd "$(dirname "$0")/.."
sh tools/setup-debian.sh
if ! command -v openbox >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends openbox
fi
cmake -S . -B build -G Ninja
cmake --build build --target screenshot-tour tessimor-standin make-sample-master

tour=$(mktemp -d)
trap 'rm -rf "$tour"' EXIT
mkdir -p "$tour/MASTER" docs
build/bin/make-sample-master "$tour/MASTER/SX40517.sx"
cp build/bin/tessimor-standin "$tour/Tessimor.exe"
cp tests/data/traces/line7-can0.log tests/data/traces/line7-can1.log "$tour/"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
    "openbox >/dev/null 2>&1 & sleep 1; build/bin/screenshot-tour '$tour' docs"
ls -l docs/*.png

#!/bin/sh
# Installs what is needed, builds the program and starts it from a portable
# folder laid out as on a workstation:
#   portable/drevanta-c2c        the program
#   portable/Tessimor.exe        the stand-in flasher (checks, sends nothing)
#   portable/MASTER/SX40517.sx   a synthetic sample master firmware
#   portable/PROJECTS/           your projects (kept between runs)
set -eu
cd "$(dirname "$0")/.."
sh tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target drevanta-c2c drevanta-c2c-cli tessimor-standin make-sample-master

mkdir -p portable/MASTER
cp build/bin/drevanta-c2c build/bin/drevanta-c2c-cli portable/
cp build/bin/tessimor-standin portable/Tessimor.exe
# A master of your own in portable/MASTER is never replaced.
[ -f portable/MASTER/SX40517.sx ] || build/bin/make-sample-master portable/MASTER/SX40517.sx

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display found, so the program cannot open its window." >&2
    echo "run: on a machine without a screen, start it under a virtual display:" >&2
    echo "    xvfb-run -a sh tools/run.sh" >&2
    exit 1
fi
exec portable/drevanta-c2c

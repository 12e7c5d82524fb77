#!/bin/sh
# Installs what is needed, builds the program and starts it.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DC2C_BUILD_TESTS=OFF -DC2C_BUILD_BENCHMARKS=OFF
cmake --build build --target drevanta-c2c
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display found. Start it under a virtual display with:" >&2
    echo "    xvfb-run -a sh tools/run.sh" >&2
    exit 1
fi
exec build/bin/drevanta-c2c

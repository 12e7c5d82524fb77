#!/bin/sh
# Installs what is needed, builds everything and runs every test.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
ctest --test-dir build --output-on-failure --timeout 300 -j2

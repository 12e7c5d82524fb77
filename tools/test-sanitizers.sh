#!/bin/sh
# Builds the program, the command line and every test with AddressSanitizer
# and UndefinedBehaviorSanitizer (a finding ends the process, so the test
# fails) and runs the whole test suite. Installs what it needs first.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup-debian.sh
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DC2C_BUILD_BENCHMARKS=OFF -DC2C_SANITIZE=ON
cmake --build build-sanitize
# Qt keeps some allocations until the process ends; tools/lsan.supp names
# those libraries so that a leak of ours still fails a test.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$(pwd)/tools/lsan.supp:print_suppressions=0"
# The twin's test against the kernel (label twin-vm) is left out: it boots a
# virtual machine for a minute or two, and the rules it checks are checked
# under the sanitizers by the twin's own tests here; it runs in the plain
# build (sh tools/test.sh).
ctest --test-dir build-sanitize --output-on-failure --timeout 600 -j2 -LE twin-vm

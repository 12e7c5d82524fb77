#!/bin/sh
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for SECONDS, from its seed
# corpus in fuzz/corpus; new inputs go to build-fuzz/corpus. A crash, a
# sanitizer finding, a broken promise, a hang (10 s) or more than 2 GB of
# memory for one input fails the run. Prints the executions per target.
#
# Each target gets an input length that reaches past its reader's own
# limits (libFuzzer would take it from the longest seed): the longest line
# of a trace (8192) and of an EDS/DCF (4096), the longest S-record (514)
# and the composer's blocks (4096), the 64 characters a message quotes, a
# BLF file of several containers with objects across them (65536).
#
# usage: tools/fuzz.sh [SECONDS [TARGET...]]   (default 30 s, every target;
#        CI runs the default; `tools/fuzz.sh 600` is the long run)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
if [ $# -gt 0 ]; then shift; fi
sh tools/setup-debian.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DC2C_FUZZ=ON \
    -DC2C_BUILD_TESTS=OFF -DC2C_BUILD_BENCHMARKS=OFF >/dev/null
targets="fuzz_integer_text fuzz_pargen_lenient fuzz_pargen_strict fuzz_cobid fuzz_cobid_csv fuzz_composer_stage
    fuzz_bank_decoder fuzz_firmware_windows
    fuzz_device_description fuzz_candump_log fuzz_twin_rules
    fuzz_traffic fuzz_review fuzz_asc_trace fuzz_trc_trace fuzz_blf_trace"
if [ $# -gt 0 ]; then targets="$*"; fi
# shellcheck disable=SC2086
cmake --build build-fuzz --target $targets
max_len() {
    case $1 in
    fuzz_integer_text) echo 256 ;;
    fuzz_firmware_windows) echo 4096 ;;
    fuzz_pargen_lenient | fuzz_pargen_strict | fuzz_bank_decoder | fuzz_twin_rules) echo 8192 ;;
    fuzz_device_description) echo 12288 ;;
    fuzz_cobid | fuzz_composer_stage) echo 16384 ;;
    fuzz_candump_log | fuzz_traffic | fuzz_asc_trace | fuzz_trc_trace) echo 20480 ;;
    fuzz_blf_trace) echo 65536 ;;
    *) echo 4096 ;;
    esac
}
for target in $targets; do
    mkdir -p "build-fuzz/corpus/$target"
    log="build-fuzz/$target.log"
    if ! "build-fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="$(max_len "$target")" \
        -print_final_stats=1 "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "fuzz: $target found a problem (see $log)" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    corpus=$(find "build-fuzz/corpus/$target" -type f | wc -l)
    echo "fuzz: $target: $runs executions in $seconds s (inputs up to $(max_len "$target") bytes)," \
        "corpus of $corpus inputs, no finding"
done

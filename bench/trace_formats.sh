#!/usr/bin/env bash
# Reads the same FRAMES frames as a candump log, an ASC, a TRC and a BLF
# trace (converted from the log by the program's own writers) and reports
# each reader's frames per second beside the candump reader's, the files'
# sizes, and each reader's peak memory for the trace and for one a quarter
# of its size (it must not grow with the trace).
#
# usage: bench/trace_formats.sh [BUILD_DIR] [FRAMES] [RUNS]
#   BUILD_DIR  the CMake build folder (default: build), with tests-bin/trace_convert
#   FRAMES     frames in each trace (default: 2000000)
#   RUNS       runs of each reader, the best one counts (default: 5)
set -euo pipefail

build_dir=${1:-build}
frames=${2:-2000000}
runs=${3:-5}
convert="$build_dir/tests-bin/trace_convert"
[[ -x $convert ]] || { echo "missing $convert (build the tests first)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is not installed (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A plant's traffic: PDOs, SDOs, heartbeats, SYNC; 0 to 8 data bytes; one
# frame in five from CAN1; a millisecond apart.
generate() {
    awk -v n="$1" 'BEGIN {
        srand(7); split("181 201 701 080 1C1 000 581 601", ids, " ")
        for (i = 0; i < n; i++) {
            iface = (i % 5 == 0) ? "can1" : "can0"; id = ids[int(rand() * 8) + 1]; len = int(rand() * 9); d = ""
            for (b = 0; b < len; b++) d = d sprintf("%02X", int(rand() * 256))
            printf "(%d.%06d) %s %s#%s\n", 1700000000 + int(i / 1000), (i % 1000) * 1000, iface, id, d
        } }' >"$2"
}
generate "$frames" "$work/trace.log"
generate $((frames / 4)) "$work/quarter.log"
for format in asc trc blf; do
    "$convert" "$work/trace.log" "$work/trace.$format" "$format"
    "$convert" "$work/quarter.log" "$work/quarter.$format" "$format"
done

# The least wall-clock seconds of RUNS runs.
best() {
    local wall=""
    for ((r = 0; r < runs; r++)); do
        local start end w
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        w=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
        if [[ -z $wall ]] || awk -v a="$w" -v b="$wall" 'BEGIN { exit !(a < b) }'; then wall=$w; fi
    done
    echo "$wall"
}
peak() {
    /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null
    cat "$work/time"
}

printf '%-8s %12s %10s %14s %10s %12s %12s\n' format "file (MB)" "best (s)" "frames/s" "vs candump" "peak (KiB)" "quarter (KiB)"
candump_rate=""
for format in log asc trc blf; do
    file="$work/trace.$format"
    seconds=$(best "$convert" --count "$file")
    rate=$(awk -v n="$frames" -v s="$seconds" 'BEGIN { printf "%.0f", n / s }')
    [[ -n $candump_rate ]] || candump_rate=$rate
    ratio=$(awk -v a="$rate" -v b="$candump_rate" 'BEGIN { printf "%.2f", a / b }')
    size=$(awk -v b="$(stat -c %s "$file")" 'BEGIN { printf "%.1f", b / 1e6 }')
    name=$format; [[ $format == log ]] && name=candump
    printf '%-8s %12s %10s %14s %10s %12s %12s\n' "$name" "$size" "$seconds" "$rate" "$ratio" \
        "$(peak "$convert" --count "$file")" "$(peak "$convert" --count "$work/quarter.$format")"
done

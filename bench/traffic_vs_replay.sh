#!/usr/bin/env bash
# Runs `traffic` over two generated candump logs of FRAMES frames in all
# (one per line, through the README's Line7 project: 250 and 500 kbit/s,
# both ports CAN 2.0A) and reports frames per second, the ratio to `replay`
# of the same frames (both logs replayed one after the other), and the peak
# memory of traffic for the logs and for logs a quarter of their size (it
# must not grow with the logs). Goals: within 3x of replay; flat memory.
#
# usage: bench/traffic_vs_replay.sh [BUILD_DIR] [FRAMES] [RUNS]
#   BUILD_DIR  the CMake build folder (default: build), with drevanta-c2c-cli
#   FRAMES     frames in both logs together (default: 2000000)
#   RUNS       runs of each command, the best one counts (default: 5)
set -euo pipefail

build_dir=${1:-build}
frames=${2:-2000000}
runs=${3:-5}
cli="$build_dir/bin/drevanta-c2c-cli"
[[ -x $cli ]] || { echo "missing $cli (build it first)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is not installed (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
project="$work/Line7"
mkdir -p "$project/bin"
printf '%s' '<ParametriGenerali><Boud0>5</Boud0><Boud1>6</Boud1><Type>0</Type><Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>0</TypeC1></ParametriGenerali>' >"$project/pargen.xml"
printf '%s' '<CanCanCobID><Can0_to_Can1><row Orig_CobID="0x181" Mod_CobID="0x1C1" Desc=""/><row Orig_CobID="0x201" Mod_CobID="" Desc=""/></Can0_to_Can1><Can1_to_Can0><row Orig_CobID="0x1C1" Mod_CobID="0x181" Desc=""/></Can1_to_Can0></CanCanCobID>' >"$project/CanCanCobID.xml"

# A plant's traffic on one line: PDOs, SDOs, heartbeats, SYNC; 0 to 8 data
# bytes; a frame every 700 us (about a third of a 250 kbit/s line).
generate() { # FRAMES IFACE SEED FILE
    awk -v n="$1" -v iface="$2" -v seed="$3" 'BEGIN {
        srand(seed); split("181 201 701 080 1C1 000 581 601", ids, " ")
        for (i = 0; i < n; i++) {
            id = ids[int(rand() * 8) + 1]; len = int(rand() * 9); d = ""
            for (b = 0; b < len; b++) d = d sprintf("%02X", int(rand() * 256))
            t = i * 700 + int(rand() * 100)
            printf "(%d.%06d) %s %s#%s\n", 1700000000 + int(t / 1000000), t % 1000000, iface, id, d
        } }' >"$4"
}
generate $((frames / 2)) can0 7 "$work/line0.log"
generate $((frames / 2)) can1 8 "$work/line1.log"
generate $((frames / 8)) can0 7 "$work/quarter0.log"
generate $((frames / 8)) can1 8 "$work/quarter1.log"

# The least wall-clock and CPU seconds (user + system) of `n` runs.
best() {
    local n=$1 wall="" cpu=""; shift
    for ((r = 0; r < n; r++)); do
        local start end w c
        start=$(date +%s%N)
        /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || true
        end=$(date +%s%N)
        c=$(tail -n 1 "$work/time" | awk '{ printf "%.4f", $1 + $2 }')
        w=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
        if [[ -z $wall ]] || awk -v a="$w" -v b="$wall" 'BEGIN { exit !(a < b) }'; then wall=$w; fi
        if [[ -z $cpu ]] || awk -v a="$c" -v b="$cpu" 'BEGIN { exit !(a < b) }'; then cpu=$c; fi
    done
    echo "$wall $cpu"
}
# Peak resident memory of one run, in KiB (traffic exits 1 when it finds
# a conflict: the Line7 tables make 0x181 and 0x1C1 clash in these logs).
peak() {
    /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || true
    tail -n 1 "$work/time"
}

read -r traffic_s traffic_cpu < <(best "$runs" "$cli" traffic "$project" "$work/line0.log" "$work/line1.log")
read -r replay_s replay_cpu < <(best "$runs" sh -c "'$cli' replay '$project' '$work/line0.log' --out '$work/r0.log' &&
                                                    '$cli' replay '$project' '$work/line1.log' --out '$work/r1.log'")
traffic_kb=$(peak "$cli" traffic "$project" "$work/line0.log" "$work/line1.log")
quarter_kb=$(peak "$cli" traffic "$project" "$work/quarter0.log" "$work/quarter1.log")
"$cli" traffic "$project" "$work/line0.log" "$work/line1.log" >"$work/summary.txt" || true

size_mb=$(awk -v b="$(($(stat -c %s "$work/line0.log") + $(stat -c %s "$work/line1.log")))" 'BEGIN { printf "%.1f", b / 1048576 }')
echo "logs:                     $frames frames in two logs, $size_mb MiB (and a quarter of them for the memory)"
sed 's/^/traffic:                  /' "$work/summary.txt" | head -n 7
awk -v f="$frames" -v t="$traffic_s" -v r="$replay_s" -v tc="$traffic_cpu" -v rc="$replay_cpu" \
    -v tk="$traffic_kb" -v qk="$quarter_kb" 'BEGIN {
    printf "                          wall s   CPU s   (best of the runs)\n"
    printf "traffic:                  %6.3f  %6.3f   %.2f million frames/s\n", t, tc, f / t / 1e6
    printf "replay of both logs:      %6.3f  %6.3f   %.2f million frames/s\n", r, rc, f / r / 1e6
    printf "traffic / replay:         %5.2fx  %5.2fx   (goal: within 3x)\n", t / r, tc / rc
    printf "peak memory of traffic:   %d KiB for the logs, %d KiB for a quarter of them (goal: the same)\n", tk, qk
}'

#!/usr/bin/env bash
# Replays a generated candump log of FRAMES frames through a project (both
# ports CAN 2.0A, the README's Line7 tables) and reports frames per second,
# the ratio to `cat` copying the same file (the I/O floor) and to python-can
# reading and writing the same log (CanutilsLogReader into a
# CanutilsLogWriter, no routing at all), and the peak memory of the replay
# for the log and for one a quarter of its size (it must not grow with the
# log). Goals: at least 20x python-can, within 4x of cat.
#
# usage: bench/replay_vs_python_can.sh [BUILD_DIR] [FRAMES] [RUNS]
#   BUILD_DIR  the CMake build folder (default: build), with drevanta-c2c-cli
#   FRAMES     frames in the log (default: 2000000)
#   RUNS       runs of replay and cat, the best one counts (default: 7)
set -euo pipefail

build_dir=${1:-build}
frames=${2:-2000000}
runs=${3:-7}
cli="$build_dir/bin/drevanta-c2c-cli"
[[ -x $cli ]] || { echo "missing $cli (build it first)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is not installed (apt-get install time)" >&2; exit 2; }
/usr/bin/python3 -c 'import can' 2>/dev/null || { echo "python3-can is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
project="$work/Line7"
mkdir -p "$project/bin"
printf '%s' '<ParametriGenerali><Boud0>5</Boud0><Boud1>6</Boud1><Type>0</Type><Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>0</TypeC1></ParametriGenerali>' >"$project/pargen.xml"
printf '%s' '<CanCanCobID><Can0_to_Can1><row Orig_CobID="0x181" Mod_CobID="0x1C1" Desc=""/><row Orig_CobID="0x201" Mod_CobID="" Desc=""/></Can0_to_Can1><Can1_to_Can0><row Orig_CobID="0x1C1" Mod_CobID="0x181" Desc=""/></Can1_to_Can0></CanCanCobID>' >"$project/CanCanCobID.xml"

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
cat >"$work/python_can.py" <<'EOF'
import sys, can
writer = can.CanutilsLogWriter(sys.argv[2])
for message in can.CanutilsLogReader(sys.argv[1]):
    writer.on_message_received(message)
writer.stop()
EOF

# The best (least) wall-clock seconds of `n` runs of a command, and the
# least CPU seconds (user + system, from perf stat when it works, else
# from /usr/bin/time): the CPU figure depends less on other work on the
# machine.
best() {
    local n=$1 wall="" cpu=""; shift
    for ((r = 0; r < n; r++)); do
        local start end w c
        start=$(date +%s%N)
        if [[ $use_perf == 1 ]]; then
            perf stat -x, -e task-clock -o "$work/stat" -- "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
            end=$(date +%s%N)
            c=$(awk -F, '/task-clock/ { printf "%.4f", $1 / 1000 }' "$work/stat")
        else
            /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
            end=$(date +%s%N)
            c=$(awk '{ printf "%.4f", $1 + $2 }' "$work/time")
        fi
        w=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
        if [[ -z $wall ]] || awk -v a="$w" -v b="$wall" 'BEGIN { exit !(a < b) }'; then wall=$w; fi
        if [[ -z $cpu ]] || awk -v a="$c" -v b="$cpu" 'BEGIN { exit !(a < b) }'; then cpu=$c; fi
    done
    echo "$wall $cpu"
}
# Peak resident memory of one run, in KiB.
peak() {
    /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
    cat "$work/time"
}
use_perf=0
if perf stat -x, -e task-clock -o /dev/null true 2>/dev/null; then use_perf=1; fi

read -r replay_s replay_cpu < <(best "$runs" "$cli" replay "$project" "$work/trace.log" --out "$work/out.log")
read -r cat_s cat_cpu < <(best "$runs" sh -c "cat '$work/trace.log' >'$work/cat.log'")
read -r python_s python_cpu < <(best 1 /usr/bin/python3 "$work/python_can.py" "$work/trace.log" "$work/python.log")
replay_kb=$(peak "$cli" replay "$project" "$work/trace.log" --out "$work/out.log")
quarter_kb=$(peak "$cli" replay "$project" "$work/quarter.log" --out "$work/out-quarter.log")
python_kb=$(peak /usr/bin/python3 "$work/python_can.py" "$work/quarter.log" "$work/python.log")
"$cli" replay "$project" "$work/trace.log" --out "$work/out.log" --json >"$work/summary.json"

size_mb=$(awk -v b="$(stat -c %s "$work/trace.log")" 'BEGIN { printf "%.1f", b / 1048576 }')
echo "log:                      $frames frames, $size_mb MiB (and a quarter of it for the memory)"
echo "replay summary:           $(head -n 1 "$work/summary.json")"
awk -v f="$frames" -v r="$replay_s" -v c="$cat_s" -v p="$python_s" -v rc="$replay_cpu" -v cc="$cat_cpu" \
    -v pc="$python_cpu" -v rk="$replay_kb" -v qk="$quarter_kb" -v pk="$python_kb" 'BEGIN {
    printf "                          wall s   CPU s   (best of the runs)\n"
    printf "replay:                   %6.3f  %6.3f   %.2f million frames/s\n", r, rc, f / r / 1e6
    printf "cat of the same file:     %6.3f  %6.3f\n", c, cc
    printf "python-can read + write:  %6.3f  %6.3f   %.2f million frames/s\n", p, pc, f / p / 1e6
    printf "replay / cat:             %5.1fx  %5.1fx   (goal: within 4x)\n", r / c, rc / cc
    printf "python-can / replay:      %5.0fx  %5.0fx   (goal: at least 20x)\n", p / r, pc / rc
    printf "peak memory of replay:    %d KiB for the log, %d KiB for a quarter of it (python-can: %d KiB for the quarter)\n", rk, qk, pk
}'

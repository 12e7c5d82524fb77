#!/usr/bin/env bash
# Times the command-line build of a 2 x 2000-row extended project (process
# time, user + system, per run; the target is under 10 ms), and races the
# bankg.c writer against `xxd -i` rendering the same 64 KiB (banks 1 to 4).
# Both are measured in this one run and the ratio is printed.
#
# usage: bench/build_vs_xxd.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  the CMake build folder (default: build); it needs the targets
#              drevanta-c2c-cli and image_bench
#   RUNS       processes started per measurement (default: 200)
set -euo pipefail

build_dir=${1:-build}
runs=${2:-200}
cli="$build_dir/bin/drevanta-c2c-cli"
bench="$build_dir/bench-bin/image_bench"
for program in "$cli" "$bench"; do
    [[ -x $program ]] || { echo "missing $program (build it first)" >&2; exit 2; }
done
command -v xxd >/dev/null || { echo "xxd is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
project="$work/project"
mkdir -p "$project/bin"

# Both ports CAN 2.0B, 2000 rows per direction, identifiers descending.
printf '%s' '<ParametriGenerali><Boud0>5</Boud0><Boud1>5</Boud1><Type>1</Type><Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>1</TypeC1></ParametriGenerali>' >"$project/pargen.xml"
section=$(for ((i = 0; i < 2000; i++)); do
    printf '<row Orig_CobID="0x%X" Mod_CobID="0x%X" Desc=""/>' $((0x10000000 - i * 13)) "$i"
done)
printf '<CanCanCobID><Can0_to_Can1>%s</Can0_to_Can1><Can1_to_Can0>%s</Can1_to_Can0></CanCanCobID>' \
    "$section" "$section" >"$project/CanCanCobID.xml"

"$cli" build "$project"
cat "$project"/bin/bank{1,2,3,4}.bin >"$work/banks.bin"
[[ $(stat -c %s "$work/banks.bin") -eq 65536 ]] || { echo "unexpected bank size" >&2; exit 1; }

# Process time of one run of a command, in ms, averaged over `runs` runs.
# perf stat counts from the exec on, so the cost of forking the shell is left
# out; without perf, bash's own accounting (which includes it) is used.
if perf stat -x, -e task-clock -o /dev/null true 2>/dev/null; then
    ms_per_run() {
        perf stat -x, -e task-clock -r "$runs" -o "$work/stat" -- "$@" >/dev/null
        awk -F, '/task-clock/ { printf "%.3f", $1 }' "$work/stat"
    }
    method="perf stat task-clock"
else
    ms_per_run() {
        local TIMEFORMAT='%3U %3S' times
        times=$( { time (for ((r = 0; r < runs; r++)); do "$@" >/dev/null; done) ; } 2>&1 )
        awk -v t="$times" -v n="$runs" 'BEGIN { split(t, p, " "); printf "%.3f", (p[1] + p[2]) * 1000 / n }'
    }
    method="bash time, user + system, fork included"
fi

# xxd writes to /dev/null, which spares it the file system: in its favour.
build_ms=$(ms_per_run "$cli" build "$project")
xxd_ms=$(ms_per_run xxd -i "$work/banks.bin")
start_ms=$(ms_per_run "$cli" --help)
bare_ms=$(ms_per_run true) # the start of a process that does nothing

# The bankg.c writer alone, in process (CPU time of the process).
writer_us=$("$bench" --benchmark_filter='^BM_WriteBankSource' --benchmark_format=csv 2>/dev/null |
    awk -F, '/BM_WriteBankSource/ { print $4 }')

echo "runs per measurement:                 $runs ($method)"
echo "build command, 2 x 2000 rows:         $build_ms ms per run (target < 10 ms)"
echo "  of which program start (--help):    $start_ms ms per run"
echo "xxd -i of banks 1-4 (64 KiB):         $xxd_ms ms per run"
echo "  a bare process start (true):        $bare_ms ms per run"
echo "WriteBankSource (bankg.c) in process: $writer_us us per call"
# xxd's figure includes the start of its process; the second ratio leaves
# that out, so that both sides count the rendering and writing alone.
awk -v x="$xxd_ms" -v w="$writer_us" -v t="$bare_ms" 'BEGIN {
    printf "ratio xxd -i / WriteBankSource:                %.1fx (target >= 3x)\n", x * 1000 / w
    printf "ratio (xxd -i - bare start) / WriteBankSource: %.1fx\n", (x - t) * 1000 / w
}'

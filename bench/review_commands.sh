#!/usr/bin/env bash
# Times diff and report on full tables: two projects whose CAN0 to CAN1 and
# CAN1 to CAN0 tables each list all 2048 standard identifiers (both ports
# CAN 2.0A), composed into firmwares with the sample master. A passes every
# identifier unchanged; B translates each by another step, so every
# identifier differs in both directions and no two neighbours fold into one
# line: the longest diff there is. Target: each well under a second.
#
# usage: bench/review_commands.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  the CMake build folder (default: build); it needs the targets
#              drevanta-c2c-cli and make-sample-master
#   RUNS       runs per command (default: 20)
set -euo pipefail

build_dir=${1:-build}
runs=${2:-20}
cli="$build_dir/bin/drevanta-c2c-cli"
sample="$build_dir/bin/make-sample-master"
for program in "$cli" "$sample"; do
    [[ -x $program ]] || { echo "missing $program (build it first)" >&2; exit 2; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$sample" "$work/SX40517.sx"

# A project of 2 x 2048 rows: identifier i becomes (i * factor + add) mod 2048.
make_project() {
    local project=$1 factor=$2 add=$3 section
    mkdir -p "$project/bin"
    printf '%s' '<ParametriGenerali><Boud0>5</Boud0><Boud1>5</Boud1><Type>0</Type><Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>0</TypeC1></ParametriGenerali>' >"$project/pargen.xml"
    section=$(for ((i = 0; i < 2048; i++)); do
        printf '<row Orig_CobID="0x%03X" Mod_CobID="0x%03X" Desc="row %d"/>' "$i" $(((i * factor + add) % 2048)) "$i"
    done)
    printf '<CanCanCobID><Can0_to_Can1>%s</Can0_to_Can1><Can1_to_Can0>%s</Can1_to_Can0></CanCanCobID>' \
        "$section" "$section" >"$project/CanCanCobID.xml"
    "$cli" update --quiet "$project" --master "$work/SX40517.sx"
}
make_project "$work/A" 1 0
make_project "$work/B" 5 3
a="$work/A/New_SX40517.sx"
b="$work/B/New_SX40517.sx"

lines=$("$cli" diff "$a" "$b" | wc -l) || true
echo "diff of the two firmwares: $lines lines"
hyperfine --warmup 2 --runs "$runs" -N --ignore-failure \
    --export-markdown "$work/times.md" \
    -n "diff A.sx B.sx (2 x 2048 rows each)" "$cli diff $a $b" \
    -n "diff --json A.sx B.sx" "$cli diff --json $a $b" \
    -n "report B.sx (in its project)" "$cli report $b --out $work/report.html" \
    -n "report B.sx --against A.sx" "$cli report $b --against $a --out $work/report-against.html"
echo "report: $(stat -c %s "$work/report.html") bytes, with --against $(stat -c %s "$work/report-against.html") bytes"
cat "$work/times.md"

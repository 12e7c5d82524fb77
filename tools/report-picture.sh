#!/bin/sh
# Makes docs/report.png, the picture of a report's first page in the README:
# the README's Line7 project composed twice (the firmware in the device, and
# the next version of the README's diff example), the report of the new
# firmware against the old, printed to PDF by headless Chromium and its
# first page turned into a picture by pdftoppm.
#
# usage: sh tools/report-picture.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target drevanta-c2c-cli make-sample-master
cli="$build/bin/drevanta-c2c-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
project="$work/PROJECTS/Line7"
mkdir -p "$work/PROJECTS" "$work/MASTER" "$work/archive"
"$build/bin/make-sample-master" "$work/MASTER/SX40517.sx"
"$cli" new --quiet "$project"
"$cli" comm "$project" --can0 250 --can1 500 --format0 2.0A --format1 2.0A --positive on >/dev/null

# The README's Line7 tables; the next version translates 0x181 to 0x1C2
# and also passes SYNC and node 1's heartbeat.
tables() {
    printf '%s' "<CanCanCobID><Can0_to_Can1>
<row Orig_CobID=\"0x181\" Mod_CobID=\"$1\" Desc=\"TPDO1 of node 1, seen as node 0x41\"/>
<row Orig_CobID=\"0x201\" Mod_CobID=\"\" Desc=\"RPDO1 of node 1 passes unchanged\"/>$2
</Can0_to_Can1><Can1_to_Can0>
<row Orig_CobID=\"0x1C1\" Mod_CobID=\"0x181\" Desc=\"the answer, back\"/>
</Can1_to_Can0></CanCanCobID>" >"$project/CanCanCobID.xml"
}
tables 0x1C1 ""
"$cli" update --quiet "$project" --master "$work/MASTER/SX40517.sx"
cp "$project/New_SX40517.sx" "$work/archive/Line7-in-the-device.sx"
tables 0x1C2 "
<row Orig_CobID=\"0x080\" Mod_CobID=\"\" Desc=\"SYNC\"/>
<row Orig_CobID=\"0x701\" Mod_CobID=\"\" Desc=\"heartbeat of node 1\"/>"
"$cli" update --quiet "$project" --master "$work/MASTER/SX40517.sx"

"$cli" report "$project/New_SX40517.sx" --against "$work/archive/Line7-in-the-device.sx" \
    --title "Line 7 repeater: change 2024-117" --out "$work/report.html"
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --no-pdf-header-footer --user-data-dir="$work/profile" \
    --print-to-pdf="$work/report.pdf" "file://$work/report.html" 2>/dev/null
pdftoppm -r 72 -png -f 1 -l 1 -singlefile "$work/report.pdf" docs/report
ls -l docs/report.png

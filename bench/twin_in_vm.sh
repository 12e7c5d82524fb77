#!/usr/bin/env bash
# The twin's rule counts and how fast they reach the kernel, in the twin
# machine (tools/twin-vm: Debian's kernel under qemu TCG, one CPU):
#   - the blocks that cover the complement of a block-list of 2,000
#     scattered 29-bit identifiers (both ports CAN 2.0B, Positive
#     Implementation clear), and of 2,000 scattered 11-bit ones (both
#     CAN 2.0A), as twin counts them;
#   - the time twin --apply takes for 2,000 rules (a pass-list of 2,000
#     29-bit identifiers) inside the machine, against the same rules added
#     by the cangw script (one cangw process per rule);
#   - the time twin --apply takes for the block-list's cover.
#
# usage: bench/twin_in_vm.sh [BUILD_DIR]
#   BUILD_DIR  the CMake build folder (default: build), with drevanta-c2c-cli
set -euo pipefail

build_dir=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
cli="$build_dir/bin/drevanta-c2c-cli"
[[ -x $cli ]] || { echo "missing $cli (build it first)" >&2; exit 2; }
vm="$build_dir/twin-vm"
sh "$here/tools/twin-vm/build-vm.sh" "$cli" "$vm"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A project of 2,000 rows in the CAN0 to CAN1 table, scattered identifiers
# (a fixed seed), each its own new identifier or none.
project() { # DIR TYPE POSITIVE BITS
    mkdir -p "$1/bin"
    printf '<ParametriGenerali><Boud0>5</Boud0><Boud1>5</Boud1><Type>%s</Type><Positive>%s</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>%s</TypeC1></ParametriGenerali>' \
        "$2" "$3" "$2" >"$1/pargen.xml"
    awk -v bits="$4" -v positive="$3" 'BEGIN {
        srand(2000); space = 2 ^ bits; printf "<CanCanCobID><Can0_to_Can1>"
        while (n < 2000) {
            id = int(rand() * space); if (id in seen) continue; seen[id] = 1; n++
            printf "<row Orig_CobID=\"0x%X\" Mod_CobID=\"%s\" Desc=\"\"/>", id, positive ? sprintf("0x%X", (id + 1) % space) : ""
        }
        printf "</Can0_to_Can1><Can1_to_Can0/></CanCanCobID>" }' >"$1/CanCanCobID.xml"
}

project "$work/block29" 1 0 29
project "$work/block11" 0 0 11
project "$work/pass29" 1 1 29
echo "Rules (twin):"
for name in block29 block11 pass29; do
    printf '  %-8s ' "$name"
    "$cli" twin "$work/$name" --in can0=vcan0 --in can1=vcan1 2>&1 >/dev/null
done

cases="$work/cases"
mkdir -p "$cases/1-pass29" "$cases/2-block29"
cp -R "$work/pass29" "$cases/1-pass29/source"
cp -R "$work/block29" "$cases/2-block29/source"
"$cli" twin "$work/pass29" --in can0=vcan0 --in can1=vcan1 --quiet --script "$cases/1-pass29/script"
sh "$here/tools/twin-vm/run-cases.sh" "$vm" "$cases" "$work/results"
echo "In the machine:"
for name in 1-pass29 2-block29; do
    echo "  $name: $(sed -n 's/.*, in \([0-9]*\) ms$/twin --apply \1 ms/p' "$work/results/$name/apply.txt")"
done
echo "  1-pass29: the cangw script $(cat "$work/results/1-pass29/script.ms") ms (status $(cat "$work/results/1-pass29/script.status"))"

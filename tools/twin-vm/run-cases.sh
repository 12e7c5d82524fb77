#!/bin/sh
# Boots the twin machine (tools/twin-vm/build-vm.sh made it in VM) once with
# every case of CASES (CASES/NAME/source, CASES/NAME/trace.log and, to time
# it, CASES/NAME/script) and unpacks the results into RESULTS/NAME/:
#   apply.txt, apply.status      twin --apply, and its exit status
#   capture.log                  candump -L any, all the interfaces
#   canplayer.txt, .status       canplayer's output and exit status
#   check.txt, check.status      twin --check after the trace
#   others.txt                   the rules of other interfaces then
#   script.txt, .status, .ms     the script's output, status and time
#   check-script.txt, .status    twin --check after the script
# RESULTS/console.log holds the machine's console.
#
#   sh tools/twin-vm/run-cases.sh VM CASES RESULTS
set -eu
vm=${1:?usage: run-cases.sh VM CASES RESULTS}
cases=${2:?usage: run-cases.sh VM CASES RESULTS}
results=${3:?usage: run-cases.sh VM CASES RESULTS}
mkdir -p "$results"
work=$(mktemp -d "$results/boot.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The cases as a second archive after the machine's own: the kernel unpacks
# one after the other.
mkdir -p "$work/root/cases"
cp -R "$cases"/. "$work/root/cases/"
(cd "$work/root" && find . | LC_ALL=C sort | cpio -o -H newc --quiet | gzip -1 >"$work/cases.cpio.gz")
cat "$vm/base.cpio.gz" "$work/cases.cpio.gz" >"$work/initrd"

# TCG (these machines have no KVM), the uncompressed kernel, one CPU; the
# console on the first serial port, the results on the second.
timeout "${TWIN_VM_TIMEOUT:-900}" qemu-system-x86_64 -machine q35 -cpu max -m 512 -smp 1 -nographic -nodefaults \
    -no-reboot -kernel "$vm/vmlinux" -initrd "$work/initrd" \
    -append "console=ttyS0 panic=-1 mitigations=off quiet loglevel=3" \
    -serial "file:$results/console.log" -serial "file:$work/results.tgz" </dev/null >/dev/null 2>"$work/qemu.err" || {
    echo "run-cases: the machine did not end well:" >&2
    cat "$work/qemu.err" >&2
    tail -n 20 "$results/console.log" >&2
    exit 1
}
if ! gzip -t "$work/results.tgz" 2>/dev/null; then
    echo "run-cases: the machine sent no complete results; its console:" >&2
    tail -n 20 "$results/console.log" >&2
    exit 1
fi
tar -xzf "$work/results.tgz" -C "$results" --strip-components=1

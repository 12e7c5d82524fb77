#!/bin/sh
# Races "drevanta-c2c-cli compose" against srec_cat doing the same job:
# banks 1 and 2 put into a master S-record file, 32-byte S2 records with
# CR LF. Prints the best wall time of each, their ratio, and the peak
# resident memory of the composer on two master sizes (it must not grow
# with the master).
#
# usage: bench/compose_vs_srec_cat.sh [BUILD_DIR] [MIB] [RUNS]
#   BUILD_DIR  build folder holding bin/drevanta-c2c-cli (default: build)
#   MIB        data in the master, in MiB (default: 4, about 10 MB of text)
#   RUNS       runs of each command; the best counts (default: 5)
set -eu

build=${1:-build}
mib=${2:-4}
runs=${3:-5}
cli="$build/bin/drevanta-c2c-cli"
[ -x "$cli" ] || { echo "compose_vs_srec_cat: $cli not found; build drevanta-c2c-cli first" >&2; exit 1; }
command -v srec_cat >/dev/null || { echo "compose_vs_srec_cat: srec_cat not found (Debian package srecord)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/P/bin"
# compose takes a project folder, which holds pargen.xml.
printf '%s' '<ParametriGenerali><Boud0>5</Boud0><Boud1>5</Boud1><Type>0</Type><Positive>1</Positive><Baud_Dip_C0>0</Baud_Dip_C0><Baud_Dip_C1>0</Baud_Dip_C1><TypeC1>0</TypeC1></ParametriGenerali>' >"$work/P/pargen.xml"
head -c 16384 /dev/urandom >"$work/P/bin/bank1.bin"
head -c 16384 /dev/urandom >"$work/P/bin/bank2.bin"

# A master of MIB MiB of data from 0x300000 upwards (from 0 when that would
# pass the 24-bit limit), ending with an S9 record as the device's masters do.
make_master() { # MIB FILE
    length=$(($1 * 1048576))
    start=$((0x300000))
    [ $((start + length)) -le $((0x1000000)) ] || start=0
    srec_cat -generate $start $((start + length)) -repeat-string 'Drevanta C2C master firmware. ' \
        -o "$2" -address-length=3 -obs=32 -crlf
    printf 'S9030000FC\r\n' >>"$2"
}

# Best wall time of RUNS runs of a command, in milliseconds.
best_ms() {
    best=""
    i=0
    while [ $i -lt "$runs" ]; do
        t0=$(date +%s%N)
        "$@" >/dev/null 2>&1 || { echo "compose_vs_srec_cat: failed: $*" >&2; exit 1; }
        t1=$(date +%s%N)
        ms=$(((t1 - t0) / 1000000))
        if [ -z "$best" ] || [ $ms -lt "$best" ]; then best=$ms; fi
        i=$((i + 1))
    done
    echo "$best"
}

# Peak resident memory of one run of a command below, in KiB.
peak_kib() {
    wrap="/usr/bin/time -f %M -o $work/rss"
    "$@" >/dev/null 2>&1
    wrap=""
    cat "$work/rss"
}

# The two commands; $wrap is empty or the memory measurement.
wrap=""
compose() { $wrap "$cli" compose "$work/P" --master "$1"; }
srec() {
    $wrap srec_cat "$1" -exclude 0x388000 0x38C000 -exclude 0x398000 0x39C000 \
        "$work/P/bin/bank1.bin" -binary -offset 0x388000 \
        "$work/P/bin/bank2.bin" -binary -offset 0x398000 \
        -o "$work/P/srec_cat.sx" -address-length=3 -obs=32 -crlf
}

make_master "$mib" "$work/master.sx"
size=$(wc -c <"$work/master.sx")
echo "master: $mib MiB of data, $size bytes of S-record text"

ours=$(best_ms compose "$work/master.sx")
theirs=$(best_ms srec "$work/master.sx")
[ "$ours" -gt 0 ] || ours=1
echo "drevanta-c2c-cli compose: ${ours} ms (best of $runs)"
echo "srec_cat:                 ${theirs} ms (best of $runs)"
echo "ratio srec_cat / compose: $(awk "BEGIN { printf \"%.1f\", $theirs / $ours }")x (target: at least 5x)"

if [ -x /usr/bin/time ]; then
    make_master $((mib * 4)) "$work/big.sx"
    echo "peak memory, compose on $mib MiB:   $(peak_kib compose "$work/master.sx") KiB"
    echo "peak memory, compose on $((mib * 4)) MiB:  $(peak_kib compose "$work/big.sx") KiB"
    echo "peak memory, srec_cat on $mib MiB:  $(peak_kib srec "$work/master.sx") KiB"
fi

#!/usr/bin/env bash
# Peak memory of reading a node's EDS/DCF, for files of every shape that
# made the reader take far more memory than the file's size: a section name
# of 100 KB followed by 5,000 lines "a=", 16 MB of lines "a=", and beside
# them a real DCF, one long line, many sections, and lines at the longest a
# line may be. Each file goes through `cobid add ... node --dcf FILE
# --dry-run` (read, or refused at its first bad line) under /usr/bin/time;
# the table gives the file's size, the peak resident memory and the outcome.
# Goal: the peak stays that of the program itself whatever the shape.
#
# usage: bench/eds_memory.sh [BUILD_DIR]   (default build)
set -euo pipefail

build_dir=${1:-build}
cli="$build_dir/bin/drevanta-c2c-cli"
[[ -x $cli ]] || { echo "missing $cli (build it first)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is not installed (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" new "$work/P" --quiet
"$cli" comm "$work/P" --format0 2.0A --format1 2.0A >/dev/null

shapes() {
    # name and a command writing the file to standard output
    echo "real-dcf|cat tests/data/canopen/valve.dcf"
    echo "long-section-name|{ printf '['; head -c 100000 /dev/zero | tr '\\0' s; printf ']\\n'; yes a= | head -n 5000; }"
    echo "a-lines-16MB|{ printf '[DeviceComissioning]\\nNodeID=5\\n'; yes a= | head -n 5500000; }"
    echo "one-line-16MB|head -c 16000000 /dev/zero | tr '\\0' x"
    echo "sections-16MB|{ printf '[DeviceComissioning]\\nNodeID=5\\n'; seq 1 1400000 | sed 's/^/[s/; s/$/]/'; }"
    echo "longest-lines-16MB|{ printf '[DeviceComissioning]\\nNodeID=5\\n[x]\\n'; awk 'BEGIN { l = sprintf(\"%4094s\", \"\"); gsub(/ /, \"v\", l); for (i = 0; i < 4000; i++) print \"k\" i \"=\" l }' | cut -c1-4096; }"
}

printf '%-20s %12s %12s  %s\n' shape "file bytes" "peak KiB" outcome
while IFS='|' read -r name command; do
    file="$work/$name.dcf"
    bash -c "$command" >"$file"
    set +e
    /usr/bin/time -f '%M' -o "$work/peak" "$cli" cobid add "$work/P" node 5 --dcf "$file" --on can0 --dry-run \
        >/dev/null 2>"$work/err"
    status=$?
    set -e
    outcome=$([[ $status == 0 ]] && echo "read" || head -c 90 "$work/err" | tr '\n' ' ' | sed "s|$work/||")
    printf '%-20s %12s %12s  %s\n' "$name" "$(stat -c %s "$file")" "$(tail -n 1 "$work/peak")" "$outcome"
done < <(shapes)

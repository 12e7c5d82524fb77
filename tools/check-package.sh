#!/bin/sh
# Shows that the Debian package installs on a clean Debian 12 and that its
# program starts with the main window:
#   1. builds the package and checks it with lintian and appstreamcli
#      (packaging/lint-package.sh, into build/package-lint/);
#   2. makes a minimal Debian 12 with debootstrap in build/debian-12/ (kept
#      for the next run), from the mirror this machine's apt uses;
#   3. installs the package there with apt-get install ./drevanta-c2c_*.deb;
#   4. starts the program under xvfb-run as an ordinary user, lists the
#      windows on the screen and takes a screenshot (build/package-check.png).
# Needs root (debootstrap, chroot) and the network to Debian's mirror.
set -eu
cd "$(dirname "$0")/.."
root="$(pwd)/build/debian-12"
say() { echo "check-package: $*"; }

sh tools/setup-debian.sh
command -v debootstrap >/dev/null 2>&1 || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
sh packaging/lint-package.sh build build/package-lint
package=$(ls build/package-lint/drevanta-c2c_*.deb)
say "package $package, $(wc -c <"$package") bytes"

if [ ! -x "$root/usr/bin/apt-get" ]; then
    mirror=$(apt-cache policy libc6 | awk '/ https?:/ && /Packages$/ && /bookworm\// { print $2; exit }')
    say "making a clean Debian 12 in $root from $mirror"
    rm -rf "$root"
    debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 || {
        tail -20 "$root.log"
        exit 1
    }
fi

mount -t proc proc "$root/proc"
trap 'umount "$root/proc"' EXIT
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

# A fresh start for the package: removed with what it pulled in, if an
# earlier run installed it.
in_root apt-get purge -y -qq --autoremove drevanta-c2c >/dev/null 2>&1 || true
cp "$package" "$root/tmp/"
in_root apt-get update -qq
say "apt-get install ./$(basename "$package")"
in_root sh -c "cd /tmp && apt-get install -y --no-install-recommends ./$(basename "$package")" | tail -3
in_root dpkg -L drevanta-c2c | grep -E '^/usr/(bin|lib/drevanta-c2c)/'

# What the check itself needs: a virtual display and tools to look at it.
in_root apt-get install -y -qq --no-install-recommends xvfb xauth x11-utils x11-apps >/dev/null
in_root id engineer >/dev/null 2>&1 || in_root useradd -m engineer
in_root rm -rf /home/engineer/.local /tmp/windows.txt /tmp/screen.xwd
chroot --userspec=engineer:engineer "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/engineer \
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
    'drevanta-c2c & program=$!; sleep 8; xwininfo -root -tree >/tmp/windows.txt; xwd -root -silent >/tmp/screen.xwd; kill $program'

say "windows on the screen:"
grep -E '"[^"]+"' "$root/tmp/windows.txt" | grep -v 'has no name' | sed 's/^ */    /'
convert "xwd:$root/tmp/screen.xwd" build/package-check.png
say "screenshot: build/package-check.png"
say "the user's workspace:"
find "$root/home/engineer/.local/share/drevanta-c2c" -maxdepth 1 | sed 's/^/    /'
grep -q 'Tarvex Drevanta SW40517' "$root/tmp/windows.txt" || { say "the main window did not appear"; exit 1; }
say "the package installs on a clean Debian 12 and the program shows its main window"

#!/bin/sh
# Builds the virtual machine that the twin is checked in: Debian's own kernel
# (its package fetched with apt-get download and unpacked, never installed),
# and an initramfs of busybox-static, the can-utils programs, the command line
# and the CAN modules. Everything lands in OUT (by default build/twin-vm):
#   kernel/linux-image-*.deb   the kernel package, kept: a second run does not
#                              download it again
#   vmlinux                    the kernel, unpacked once (boots faster than
#                              the compressed image)
#   base.cpio.gz               the initramfs without the cases
#
#   sh tools/twin-vm/build-vm.sh CLI [OUT]
#
# CLI is the drevanta-c2c-cli to put into the machine. Exit status 77 (with
# the reason on standard error) when something the machine needs cannot be
# had here: qemu, busybox-static, cpio or the kernel package.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:?usage: build-vm.sh CLI [OUT]}
out=${2:-$here/../../build/twin-vm}
mkdir -p "$out"
out=$(cd "$out" && pwd)

say() { echo "twin-vm: $*" >&2; }
cannot() { say "$*"; exit 77; }

command -v qemu-system-x86_64 >/dev/null 2>&1 || cannot "no qemu-system-x86_64 (apt-get install qemu-system-x86)"
command -v cpio >/dev/null 2>&1 || cannot "no cpio (apt-get install cpio)"
busybox=/bin/busybox
[ -x "$busybox" ] && ldd "$busybox" 2>&1 | grep -q "not a dynamic" ||
    cannot "no static busybox at /bin/busybox (apt-get install busybox-static)"
for program in candump canplayer cansend cangw; do
    command -v "$program" >/dev/null 2>&1 || cannot "no $program (apt-get install can-utils)"
done
[ -x "$cli" ] || cannot "no command line at $cli"
command -v flock >/dev/null 2>&1 || cannot "no flock (apt-get install util-linux)"

# One build at a time: the tests that boot the machine may start together.
exec 9>"$out/.lock"
flock 9

# ---------------------------------------------------------------- the kernel
# The package that linux-image-amd64 stands for, fetched once.
kernel_dir="$out/kernel"
mkdir -p "$kernel_dir"
deb=$(find "$kernel_dir" -maxdepth 1 -name 'linux-image-*.deb' | sort | tail -n 1)
if [ -z "$deb" ]; then
    package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-/ { print $2; exit }')
    if [ -z "$package" ] && [ "$(id -u)" -eq 0 ]; then
        apt-get update -qq >/dev/null 2>&1 || true
        package=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-/ { print $2; exit }')
    fi
    [ -n "$package" ] || cannot "the package list names no kernel for linux-image-amd64 (apt-get update)"
    say "fetching $package"
    (cd "$kernel_dir" && apt-get download -o APT::Sandbox::User=root -qq "$package" >/dev/null 2>&1) ||
        cannot "cannot fetch $package with apt-get download"
    deb=$(find "$kernel_dir" -maxdepth 1 -name 'linux-image-*.deb' | sort | tail -n 1)
    [ -n "$deb" ] || cannot "apt-get download left no package in $kernel_dir"
fi

stamp="$out/vm.stamp"
inputs="$deb $(cksum <"$here/init") $(cksum <"$cli") $(cksum <"$here/build-vm.sh")"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$inputs" ] && [ -f "$out/vmlinux" ] && [ -f "$out/base.cpio.gz" ]; then
    exit 0
fi

unpacked="$out/unpacked"
rm -rf "$unpacked"
mkdir -p "$unpacked"
dpkg-deb -x "$deb" "$unpacked"
vmlinuz=$(find "$unpacked/boot" -name 'vmlinuz-*' | head -n 1)
[ -n "$vmlinuz" ] || cannot "no vmlinuz in $deb"
modules=$(find "$unpacked/lib/modules" -mindepth 1 -maxdepth 1 -type d | head -n 1)

# The bzImage holds the kernel compressed with xz (Debian's choice) after its
# set-up code; unpacked once, qemu boots the ELF kernel directly.
if [ ! -f "$out/vmlinux" ] || [ "$out/vmlinux" -ot "$deb" ]; then
    offset=$(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$vmlinuz" | head -n 1 | cut -d: -f1)
    [ -n "$offset" ] || cannot "$vmlinuz holds no xz-compressed kernel"
    tail -c +"$((offset + 1))" "$vmlinuz" | xz -dc --single-stream >"$out/vmlinux.part"
    mv "$out/vmlinux.part" "$out/vmlinux"
fi

# ---------------------------------------------------------------- the initramfs
root="$out/root"
rm -rf "$root"
mkdir -p "$root/bin" "$root/lib" "$root/lib64" "$root/modules" "$root/proc" "$root/sys" "$root/dev" "$root/tmp" "$root/cases"
cp "$busybox" "$root/bin/busybox"
for applet in sh mount insmod modprobe ip sleep cat grep gzip tar mkdir rm kill stty date poweroff wc sync ls echo cp sed tail; do
    ln -s busybox "$root/bin/$applet"
done

# A program with every library it loads, and the loader.
add_program() {
    cp "$1" "$root/bin/$(basename "$1")"
    ldd "$1" | awk '/=> \// { print $3 } /^\t\/lib/ { print $1 }' | while read -r library; do
        case "$library" in
            /lib64/*) cp -L "$library" "$root/lib64/" ;;
            *) cp -L "$library" "$root/lib/" ;;
        esac
    done
}
for program in candump canplayer cansend cangw; do
    add_program "$(command -v "$program")"
done
add_program "$cli"
strip "$root/bin/$(basename "$cli")" 2>/dev/null || true

# The CAN modules, in the order their depends= fields ask for (the package
# has no modules.dep): each after the ones it names. The init loads them
# with insmod in that order; a modules.dep made from the same fields lets
# busybox's modprobe (the scripts call it) find them loaded.
order=""
version=$(basename "$modules")
mkdir -p "$root/lib/modules/$version"
for name in can can-raw can-gw can-dev vcan; do
    file=$(find "$modules" -name "$name.ko" | head -n 1)
    [ -n "$file" ] || cannot "no module $name.ko in $deb"
    needs=$(tr '\0' '\n' <"$file" | sed -n 's/^depends=//p' | tr ',' ' ')
    line="$name.ko:"
    for need in $needs; do
        case " $order " in *" $need "*) ;; *) cannot "module $name needs $need, which is not loaded before it" ;; esac
        line="$line $need.ko"
    done
    cp "$file" "$root/modules/"
    echo "$line" >>"$root/lib/modules/$version/modules.dep"
    ln -s "/modules/$name.ko" "$root/lib/modules/$version/$name.ko"
    order="$order $name"
done
echo "$order" >"$root/modules/order"

cp "$here/init" "$root/init"
chmod 755 "$root/init"
(cd "$root" && find . | LC_ALL=C sort | cpio -o -H newc --quiet | gzip -1 >"$out/base.cpio.gz.part")
mv "$out/base.cpio.gz.part" "$out/base.cpio.gz"
echo "$inputs" >"$stamp"
say "built $out/vmlinux and $out/base.cpio.gz"

#!/bin/sh
# Builds the .deb from a build folder and checks it as Debian checks its own
# packages: lintian must report no error and no warning (its informational
# and pedantic tags are shown), and the AppStream metainfo, with the desktop
# entry it launches, must be valid. The package_lint test runs this, and so
# does tools/check-package.sh.
#
#   sh packaging/lint-package.sh BUILD_DIR WORK_DIR
#
# WORK_DIR is made afresh; it receives the .deb and its unpacked tree.
set -eu
build=$(cd "$1" && pwd)
work=$2
say() { echo "lint-package: $*"; }

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
package=$(ls "$work"/drevanta-c2c_*.deb)
say "$package"

say "lintian $(lintian --version | sed 's/^Lintian v//')"
status=0
lintian --fail-on error,warning --display-info --pedantic --display-experimental "$package" \
    >"$work/lintian.txt" 2>&1 || status=$?
# Root is how CI runs it; lintian's remark about that is not about the package.
grep -v '^running with root privileges is not recommended!$' "$work/lintian.txt" || true
if [ "$status" -ne 0 ]; then
    say "lintian reports an error or a warning (status $status)"
    exit 1
fi

dpkg-deb -x "$package" "$work/root"
set -- "$work"/root/usr/share/metainfo/*.metainfo.xml
[ $# -eq 1 ] && [ -f "$1" ] || { say "the package holds no single metainfo file"; exit 1; }
say "appstreamcli $(appstreamcli --version | sed 's/^AppStream version: //')"
appstreamcli validate --no-net --pedantic "$1"
# The tree as installed: the desktop entry that the metainfo launches is
# there, and both agree.
appstreamcli validate-tree --no-net "$work/root"
say "the package is clean"

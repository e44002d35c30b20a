#!/usr/bin/env bash
# Builds the Debian package from this build tree, unpacks it into a scratch root as dpkg would
# place it, and runs the installed program and a command from there.
#   package_test.sh BUILD WORK     BUILD is the CMake build tree; WORK a scratch folder
set -euo pipefail

build=$(cd "$1" && pwd)
work=$2
die() {
    echo "package_test: FAIL: $*" >&2
    exit 1
}
command -v cpack >/dev/null || die "cpack がありません"
command -v dpkg-deb >/dev/null || die "dpkg-deb がありません"

rm -rf "$work"
mkdir -p "$work/root"
# Quick compression: the test's package is thrown away.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; die "cpack failed"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$work/package/seiran_${version}_amd64.deb"
[ -f "$deb" ] || die "no $deb: $(ls "$work/package")"

dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || die "the package does not depend on the toolkit"
dpkg-deb -x "$deb" "$work/root"
root="$work/root/usr"
for f in lib/seiran/seiran lib/seiran/seiran-report lib/seiran/seiran-grade bin/seiran-grade lib/seiran/kyoka.seq lib/seiran/help/index.htm bin/seiran \
    bin/seiran-report share/applications/seiran.desktop share/icons/hicolor/scalable/apps/seiran.svg; do
    [ -e "$root/$f" ] || die "$f is not in the package"
done
grep -q "^Name\[ja\]=せいらん$" "$root/share/applications/seiran.desktop" || die "the desktop entry has no Japanese name"

# The installed commands find their libraries beside themselves, not in the build tree.
if ldd "$root/lib/seiran/seiran-report" | grep "libseiran_" | grep -v -q "$root/lib/seiran/"; then
    ldd "$root/lib/seiran/seiran-report" | grep "libseiran_" >&2
    die "seiran-report uses libraries outside the package"
fi

export QT_QPA_PLATFORM=offscreen
help=$("$root/bin/seiran-report" --help) || die "seiran-report --help failed"
echo "$help" | grep -q -- "--printer" || die "seiran-report --help does not list --printer"
version_text=$("$root/bin/seiran" --version) || die "seiran --version failed"
[ "$version_text" = "せいらん $version" ] || die "seiran --version says: $version_text"
"$root/bin/seiran" --help | grep -q "使い方" || die "seiran --help is not the Japanese help"

# The standard lists are read beside the real program: a sample grade and a report from there.
"$root/bin/seiran-sample" "$work/data" --grade 1 --classes 1 --pupils 3 --seed 1 >/dev/null
"$root/bin/seiran-report" --data "$work/data" --grade 1 --test 1 soten --pdf "$work/soten.pdf" ||
    die "the installed seiran-report could not draw a report"
"$root/bin/seiran-grade" --data "$work/data" --grade 1 --status >/dev/null ||
    die "the installed seiran-grade could not tell the grade's state"
echo "package_test: ok ($deb)"

#!/bin/sh
# Builds the Debian package from the build tree, unpacks it into a scratch root as dpkg would
# install it, and checks what a desktop relies on: the program the .desktop entry starts, the
# icon it names, the AppStream data and its launchable, the user guide, the computed
# dependencies, and that nothing but the program, its preview plugin and its data came along.
# Usage: package_test.sh CPACK BUILD_DIR SCRATCH_DIR VERSION HELP_SOURCE
set -eu
cpack=$1 build=$2 scratch=$3 version=$4 help_source=$5
for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/test installs it)"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$scratch" && mkdir -p "$scratch"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
set -- "$scratch"/quenbry_"$version"_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "no package quenbry_${version}_ARCH.deb in $scratch"
deb=$1 root=$scratch/root
dpkg-deb -x "$deb" "$root"

[ -f "$root/usr/bin/quenbry" ] && [ -x "$root/usr/bin/quenbry" ] || fail "usr/bin/quenbry is not an executable file"
# Asked on a terminal without a display, the program still tells its version.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/quenbry" --version 2>&1)" = \
  "Quenbry HTML Editor $version" ] || fail "quenbry --version gives no answer without a display"
[ -f "$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/quenbry/quenbry-webview.so" ] || fail "no preview plugin at usr/lib/MULTIARCH/quenbry, where the program looks"
set -- "$root"/usr/share/applications/*.desktop
[ $# -eq 1 ] && [ -f "$1" ] || fail "not one .desktop file in usr/share/applications"
desktop=$1
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $(basename "$desktop")"
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -n "$exec" ] && [ -x "$root/usr/bin/$exec" ] || fail "Exec=$exec is no program in usr/bin"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for f in scalable/apps/"$icon".svg 48x48/apps/"$icon".png; do
  [ -n "$icon" ] && [ -s "$root/usr/share/icons/hicolor/$f" ] || fail "Icon=$icon: no hicolor/$f"
done
# validate-tree also finds the .desktop file that the metainfo names as its launchable.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli rejects the metainfo"
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml ||
  fail "the metainfo has no release $version"
[ ! -e "$help_source" ] || [ -s "$root/usr/share/quenbry/help/index.html" ] ||
  fail "no user guide at usr/share/quenbry/help/index.html"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends not computed: $(dpkg-deb -f "$deb" Depends)"
extra=$(cd "$root" && find . ! -type d | grep -vE '^\./usr/(bin/quenbry|lib/[^/]+/quenbry/quenbry-webview\.so|share/(applications|metainfo|icons|quenbry)/.*|share/doc/quenbry/copyright)$' || true)
[ -z "$extra" ] || fail "the package holds more than the program and its data: $extra"
echo "ok: $(basename "$deb"), Depends: $(dpkg-deb -f "$deb" Depends)"

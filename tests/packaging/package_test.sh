#!/bin/sh
# Builds the two Debian packages from the build tree, runs the distribution's checks on them,
# unpacks them into scratch roots as dpkg would install them, and checks what a desktop and a
# user rely on: the program the .desktop entry starts, the icon it names, the AppStream data
# and its launchable, the manual page, the changelog, the hardening, the dependencies (the
# editor without the web engine, the preview with it), and the preview plugin found where the
# program looks, or, without the preview package, the pane saying which package to install.
# Usage: package_test.sh CPACK BUILD_DIR SCRATCH_DIR VERSION HELP_SOURCE REPLAY_DRIVER
set -eu
cpack=$1 build=$2 scratch=$3 version=$4 help_source=$5 driver=$6
for tool in dpkg-deb dpkg-shlibdeps dpkg-parsechangelog desktop-file-validate appstreamcli \
  lintian man readelf; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/test installs it)"; exit 77; }
done
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$scratch" && mkdir -p "$scratch"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack could not build the packages"; }
arch=$(dpkg --print-architecture) multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
deb=$scratch/quenbry_${version}_$arch.deb preview_deb=$scratch/quenbry-preview_${version}_$arch.deb
[ -f "$deb" ] && [ -f "$preview_deb" ] || fail "not both packages in $scratch: $(ls "$scratch")"

# Errors and warnings fail, as do the hardening notes lintian only shows as information.
lintian --display-info --fail-on error,warning "$deb" "$preview_deb" >"$scratch/lintian.log" 2>&1 ||
  { cat "$scratch/lintian.log"; fail "lintian rejects the packages"; }
! grep ': hardening-' "$scratch/lintian.log" || fail "lintian finds binaries without hardening"

root=$scratch/editor both=$scratch/both
dpkg-deb -x "$deb" "$root"
dpkg-deb -x "$deb" "$both" && dpkg-deb -x "$preview_deb" "$both"
plugin=usr/lib/$multiarch/quenbry/quenbry-webview.so

[ -f "$root/usr/bin/quenbry" ] && [ -x "$root/usr/bin/quenbry" ] || fail "usr/bin/quenbry is not an executable file"
# Asked on a terminal without a display, the program still tells its version.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/quenbry" --version 2>&1)" = \
  "Quenbry HTML Editor $version" ] || fail "quenbry --version gives no answer without a display"
[ -f "$both/$plugin" ] || fail "quenbry-preview has no plugin at $plugin"
for f in "$root/usr/bin/quenbry" "$both/$plugin"; do
  readelf -d "$f" | grep -q 'BIND_NOW' || fail "$f: relocations are not bound at start"
  readelf -lW "$f" | grep -q 'GNU_RELRO' || fail "$f: no read-only relocations"
  readelf -sW --dyn-syms "$f" | grep -q '__stack_chk_fail' || fail "$f: no stack protector"
done
readelf -h "$root/usr/bin/quenbry" | grep -q 'Type: *DYN' || fail "quenbry is not position-independent"

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
# Even the pedantic notes (an upper-case letter in the id, a missing translation tag) count.
notes=$(appstreamcli validate --pedantic --no-net "$root"/usr/share/metainfo/*.metainfo.xml 2>&1) &&
  ! echo "$notes" | grep -E '^[EWIP]: ' || fail "appstreamcli validate --pedantic: $notes"
[ ! -e "$help_source" ] || [ -s "$root/usr/share/quenbry/help/index.html" ] ||
  fail "no user guide at usr/share/quenbry/help/index.html"

# The changelog tells the same releases as the metainfo, the newest being this version.
changes=$(zcat "$root/usr/share/doc/quenbry/changelog.gz" | dpkg-parsechangelog -l - --all -S Version) ||
  fail "usr/share/doc/quenbry/changelog.gz is no Debian changelog"
releases=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$root"/usr/share/metainfo/*.metainfo.xml)
[ "$changes" = "$releases" ] && [ "$(echo "$releases" | head -n 1)" = "$version" ] ||
  fail "changelog versions ($changes) are not the metainfo's releases ($releases), newest $version"

# The manual page renders without a complaint and names every option the program knows.
page=$root/usr/share/man/man1/quenbry.1.gz
gzip -t "$page" 2>/dev/null || fail "no gzipped manual page at usr/share/man/man1/quenbry.1.gz"
complaints=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
[ -z "$complaints" ] || fail "the manual page does not render cleanly: $complaints"
for option in $("$root/usr/bin/quenbry" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
  zcat "$page" | sed 's/\\-/-/g' | grep -q -- "$option" || fail "the manual page does not describe $option"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q 'libqt6widgets6' || fail "Depends not computed: $depends"
! echo "$depends" | grep -qi 'webengine' || fail "quenbry depends on the web engine: $depends"
recommends=$(dpkg-deb -f "$deb" Recommends)
[ "$recommends" = "quenbry-preview, qt6-translations-l10n" ] ||
  fail "quenbry recommends '$recommends', not the preview and Qt's translations"
preview_depends=$(dpkg-deb -f "$preview_deb" Depends)
echo "$preview_depends" | grep -q "quenbry (= $version)" && echo "$preview_depends" | grep -q 'libqt6webengine' ||
  fail "quenbry-preview does not depend on quenbry $version and the web engine: $preview_depends"
extra=$(cd "$root" && find . ! -type d | grep -vE '^\./usr/(bin/quenbry|share/(applications|metainfo|icons|quenbry)/.*|share/man/man1/quenbry\.1\.gz|share/doc/quenbry/(copyright|changelog\.gz))$' || true)
[ -z "$extra" ] || fail "quenbry holds more than the program and its data: $extra"
extra=$(dpkg-deb -c "$preview_deb" | awk '!/^d/ {print $NF}' | grep -vxE "\./($plugin|usr/share/doc/quenbry-preview/(copyright|changelog\.gz))" || true)
[ -z "$extra" ] || fail "quenbry-preview holds more than the plugin: $extra"

# The program finds the plugin by its path from bin/: the replay driver, put where the installed
# program is, opens the preview pane with the engine, or says which package is missing.
hint='The preview needs the package quenbry-preview'
printf 'key Ctrl+Q\nwait 2000\nexpect preview.visible true\n' >"$scratch/preview.replay"
for tree in "$root" "$both"; do
  cp "$driver" "$tree/usr/bin/quenbry-replay"
  (cd "$scratch" && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$scratch timeout 120 \
    "$tree/usr/bin/quenbry-replay" preview.replay) >"$tree.log" 2>&1 || { cat "$tree.log"; fail "the driver failed in $tree"; }
  rm "$tree/usr/bin/quenbry-replay"
done
grep -q "$hint" "$root.log" || { cat "$root.log"; fail "without quenbry-preview the pane does not say what to install"; }
! grep -q 'The preview' "$both.log" || { cat "$both.log"; fail "the installed program does not load its plugin"; }
echo "ok: $(basename "$deb"), $(basename "$preview_deb")"

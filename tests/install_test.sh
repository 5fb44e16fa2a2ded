#!/bin/bash
# Installs the build into a scratch prefix and checks the desktop layout: binaries, data
# directory, a .desktop entry whose Path is that data directory, icons, metainfo, man pages.
# Usage: install_test.sh BUILD_DIR
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# Staged under DESTDIR, as a packager does, so the configured prefix stays in the paths.
installPrefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
DESTDIR=$prefix cmake --install "$build" >/dev/null || { echo "install failed"; exit 1; }
root=$prefix$installPrefix

for f in bin/quendar-sim bin/quendar-check-list share/quendar/jyukugo.dat share/quendar/seikai2.wav \
         share/quendar/matigai.wav share/applications/io.github.quendar.Quendar.desktop \
         share/metainfo/io.github.quendar.Quendar.metainfo.xml \
         share/icons/hicolor/48x48/apps/quendar.png share/icons/hicolor/256x256/apps/quendar.png \
         share/icons/hicolor/scalable/apps/quendar.svg share/man/man6/quendar.6; do
  [ -e "$root/$f" ] || fail "missing $f"
done
if [ -e "$build/quendar" ]; then
  for f in bin/quendar share/quendar/pictures/form1-icon.png share/quendar/pictures/earth.png; do
    [ -e "$root/$f" ] || fail "missing $f"
  done
fi
desktop=$root/share/applications/io.github.quendar.Quendar.desktop
grep -qx "Path=$installPrefix/share/quendar" "$desktop" || fail "desktop Path is not the data directory"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" | grep -v '^.*hint:' | grep . && fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/share/metainfo/io.github.quendar.Quendar.metainfo.xml" \
    >/dev/null || fail "appstreamcli validate"
fi
# The installed checker passes the installed default list.
"$root/bin/quendar-check-list" "$root/share/quendar/jyukugo.dat" >/dev/null || fail "check-list"

echo "$((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
exit $((failures > 0))

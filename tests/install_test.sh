#!/bin/bash
# Installs the build into a scratch prefix and checks the desktop layout: games, data
# directory, a .desktop entry that starts the installed game without a working directory of
# its own, icons, metainfo, compressed man pages, the copyright file.
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

for f in games/quendar-sim games/quendar-check-list games/quendar-progress share/quendar/jyukugo.dat \
         share/quendar/jyukugo-elementary.dat share/quendar/jyukugo-joyo.dat \
         share/quendar/seikai2.wav share/quendar/matigai.wav share/quendar/voice/readings.opus \
         share/applications/io.github.quendar.Quendar.desktop \
         share/metainfo/io.github.quendar.Quendar.metainfo.xml \
         share/icons/hicolor/48x48/apps/quendar.png share/icons/hicolor/256x256/apps/quendar.png \
         share/icons/hicolor/scalable/apps/quendar.svg share/man/man6/quendar.6.gz \
         share/man/man6/quendar-sim.6.gz share/man/man6/quendar-check-list.6.gz \
         share/man/man6/quendar-progress.6.gz \
         share/doc/quendar/copyright share/doc/quendar/changelog.gz; do
  [ -e "$root/$f" ] || fail "missing $f"
done
if [ -e "$build/games/quendar" ]; then
  for f in games/quendar share/quendar/pictures/form1-icon.png share/quendar/pictures/earth.png; do
    [ -e "$root/$f" ] || fail "missing $f"
  done
fi
desktop=$root/share/applications/io.github.quendar.Quendar.desktop
grep -q '^Path=' "$desktop" && fail "the desktop entry still sets a working directory"
[ "$(grep -c "^Exec=$installPrefix/games/quendar\( elementary\| joyo\| --practice\)\?$" "$desktop")" = 4 ] ||
  fail "the desktop entry and its three actions do not start $installPrefix/games/quendar"
grep -q '^StartupNotify=true' "$desktop" && fail "StartupNotify=true, which SDL cannot complete"
grep -qx 'StartupWMClass=io.github.quendar.Quendar' "$desktop" || fail "no StartupWMClass"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" | grep -v '^.*hint:' | grep . && fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/share/metainfo/io.github.quendar.Quendar.metainfo.xml" \
    >/dev/null || fail "appstreamcli validate"
fi
# The installed checker passes the installed default list.
"$root/games/quendar-check-list" "$root/share/quendar/jyukugo.dat" >/dev/null || fail "check-list"
# An option it does not know is bad usage, never taken for a file name.
"$root/games/quendar-check-list" --bogus 2>/dev/null
[ $? -eq 2 ] || fail "check-list --bogus: not a usage error"

echo "$((failures == 0 ? 1 : 0)) passed, $((failures > 0 ? 1 : 0)) failed"
exit $((failures > 0))

#!/usr/bin/env bash
# The driver's screenshots of fixed-seed scripts must stay byte for byte what they were
# when the reference pictures were made: drawing may be reorganised, never changed.
# Usage: screenshots_test.sh QUENDAR_SIM
set -euo pipefail
sim="$1"
src="$(cd "$(dirname "$0")/../.." && pwd)"
ref="$src/tests/render/reference"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cd "$work"
cp "$src/assets/jyukugo.dat" .
"$sim" "$ref/opening.sim"
"$sim" "$ref/play.sim"
mkdir short
head -n 7 "$src/assets/jyukugo.dat" >short/jyukugo.dat
(cd short && "$sim" "$ref/gameover.sim" && mv gameover.png ..)

status=0
for png in "$ref"/*.png; do
  name="$(basename "$png")"
  if ! cmp -s "$png" "$name"; then
    echo "FAIL: $name differs from the reference (new picture kept as $name.new)" >&2
    cp "$name" "/tmp/$name.new" 2>/dev/null || true
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "all $(ls "$ref"/*.png | wc -l) screenshots identical to the references"
exit "$status"

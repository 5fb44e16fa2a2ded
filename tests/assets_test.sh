#!/bin/bash
# Checks the committed main-window pictures, answer sounds and desktop data:
# the game draws the pictures at their own pixel size and clips them, so a
# wrong size, a stray alpha channel or art outside the shown box is a bug.
# Exit 0 on success, 1 with a message per failure, 77 when a needed tool is
# missing (ctest SKIP_RETURN_CODE).
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
pics="$root/assets/pictures"
desk="$root/assets/desktop"
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in identify convert sox; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: '$tool' not installed (imagemagick, sox)" >&2
        exit 77
    fi
done

# expect_size FILE W H
expect_size() {
    local got
    got=$(identify -format '%w %h' "$1" 2>/dev/null) || { fail "$1: not a readable picture"; return 1; }
    [ "$got" = "$2 $3" ] || fail "$1: size is $got, expected $2 $3"
}

# pixel FILE X Y -> "R G B A" as 0..255 integers
pixel() {
    convert "$1" -format "%[fx:round(255*p{$2,$3}.r)] %[fx:round(255*p{$2,$3}.g)] %[fx:round(255*p{$2,$3}.b)] %[fx:round(255*p{$2,$3}.a)]" info:
}

# count FILE FX-CONDITION -> number of pixels for which the condition holds
count() {
    convert "$1" -alpha on -fx "($2) ? 1 : 0" -format '%[fx:round(mean.r*w*h)]' info:
}

# all_white FILE GEOMETRY: every pixel of the region is pure opaque white
all_white() {
    local min
    min=$(convert "$1" -crop "$2" +repage -format '%[fx:minima.r*minima.g*minima.b]' info:)
    [ "$min" = "1" ] || fail "$1: region $2 is not blank white; the game would not show art there"
}

# ---- window icon: maroon tile with a transparent kanji ----
icon="$pics/form1-icon.png"
if expect_size "$icon" 32 32; then
    for xy in "0 0" "31 0" "0 31" "31 31"; do
        # shellcheck disable=SC2086
        [ "$(pixel "$icon" $xy)" = "51 0 0 255" ] || fail "$icon: corner ($xy) is not opaque #330000"
    done
    holes=$(count "$icon" "a < 0.1")
    if [ "$holes" -lt 100 ] || [ "$holes" -gt 450 ]; then
        fail "$icon: $holes transparent pixels; a cut-out kanji should leave about 100 to 450"
    fi
    other=$(count "$icon" "a > 0.1 && (abs(r - 0.2) > 0.02 || g > 0.02 || b > 0.02)")
    [ "$other" -eq 0 ] || fail "$icon: $other pixels of a colour other than #330000"
fi

# ---- answer marks: opaque, on white, art inside the box the game shows ----
# check_mark FILE W H SHOWN_W SHOWN_H CLIP_BOTTOM
check_mark() {
    local file=$1
    expect_size "$file" "$2" "$3" || return
    [ "$(identify -format '%[opaque]' "$file")" = "true" ] || fail "$file: has transparent pixels"
    all_white "$file" "$(($2 - $4))x$3+$4+0"
    if [ "$6" = yes ]; then all_white "$file" "$2x$(($3 - $5))+0+$5"; fi
    [ "$(pixel "$file" 0 0)" = "255 255 255 255" ] || fail "$file: background is not white"
    local red yellow
    red=$(count "$file" "r > 0.8 && g < 0.2 && b < 0.2")
    yellow=$(count "$file" "r > 0.9 && g > 0.7 && b < 0.4")
    [ "$red" -ge 300 ] || fail "$file: only $red red pixels; the red lettering or X is missing"
    [ "$yellow" -ge 1500 ] || fail "$file: only $yellow yellow pixels; the hands are missing"
}
check_mark "$pics/good.png" 109 122 105 113 yes
# The crossed arms run off the bottom edge on purpose; only the right strip must be blank.
check_mark "$pics/bad.png" 116 125 113 121 no

# ---- progress badge: white corners, red-orange upper right, yellow lower left ----
badge="$pics/badge.png"
if expect_size "$badge" 18 18; then
    for xy in "0 0" "17 0" "0 17" "17 17"; do
        # shellcheck disable=SC2086
        [ "$(pixel "$badge" $xy)" = "255 255 255 255" ] || fail "$badge: corner ($xy) is not opaque white"
    done
    read -r r g b _ <<<"$(pixel "$badge" 13 4)"
    if [ "$r" -lt 180 ] || [ "$g" -gt 110 ] || [ "$b" -gt 60 ]; then
        fail "$badge: upper right ($r,$g,$b) is not red-orange"
    fi
    read -r r g b _ <<<"$(pixel "$badge" 4 13)"
    if [ "$r" -lt 180 ] || [ "$g" -lt 150 ] || [ "$b" -gt 80 ]; then
        fail "$badge: lower left ($r,$g,$b) is not yellow"
    fi
fi

# ---- desktop icons: the window icon drawn large, no font needed ----
for size in 48 128 256; do
    file="$desk/icons/${size}x${size}/quendar.png"
    if expect_size "$file" "$size" "$size"; then
        [ "$(pixel "$file" 0 0)" = "51 0 0 255" ] || fail "$file: not the maroon tile of the window icon"
    fi
done
svg="$desk/icons/scalable/quendar.svg"
if [ ! -s "$svg" ]; then
    fail "$svg: missing"
elif grep -q '<text' "$svg"; then
    fail "$svg: still has <text>; players may lack the font"
fi

# ---- sounds: 16-bit PCM at 44100 Hz, length, peak near -3 dBFS, no clipping ----
# check_wav FILE MIN_S MAX_S
check_wav() {
    local file=$1 info peak
    info=$(sox --i "$file" 2>&1) || { fail "$file: not a readable sound file: $info"; return; }
    grep -q 'Sample Encoding: 16-bit Signed Integer PCM' <<<"$info" || fail "$file: not 16-bit PCM"
    grep -q 'Sample Rate *: 44100$' <<<"$info" || fail "$file: sample rate is not 44100 Hz"
    grep -Eq 'Channels *: [12]$' <<<"$info" || fail "$file: not mono or stereo"
    [ "$(head -c 4 "$file")" = "RIFF" ] || fail "$file: not a RIFF WAV file"
    local seconds
    seconds=$(sox --i -D "$file")
    awk -v s="$seconds" -v lo="$2" -v hi="$3" 'BEGIN { exit !(s >= lo && s <= hi) }' ||
        fail "$file: lasts $seconds s, expected $2 to $3 s"
    peak=$(sox "$file" -n stat 2>&1 | awk '/^Maximum amplitude/ { mx = $3 } /^Minimum amplitude/ { mn = -$3 }
        END { print (mx > mn ? mx : mn) }')
    # -3 dBFS is 0.708; allow -4 to -2.5 dBFS, and full scale means clipping.
    awk -v p="$peak" 'BEGIN { exit !(p >= 0.63 && p <= 0.75) }' ||
        fail "$file: peak amplitude $peak is not about -3 dBFS (0.708)"
}
check_wav "$root/assets/seikai2.wav" 0.8 1.2
check_wav "$root/assets/matigai.wav" 0.4 0.8

# ---- desktop entry, AppStream data, manual pages (validators when installed) ----
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
entry="$desk/io.github.quendar.Quendar.desktop"
# The game finds its data itself: no working directory; installing fills in its full path.
grep -q '^Path=' "$entry" && fail "$entry: sets a working directory (Path=)"
[ "$(grep -c '^Exec=@QUENDAR_GAME@' "$entry")" = 4 ] ||
    fail "$entry: the entry and its three actions do not all start @QUENDAR_GAME@"
if command -v desktop-file-validate >/dev/null 2>&1; then
    sed 's|@QUENDAR_GAME@|/usr/games/quendar|' "$entry" >"$work/io.github.quendar.Quendar.desktop"
    if ! out=$(desktop-file-validate "$work/io.github.quendar.Quendar.desktop" 2>&1) ||
        grep -Eq 'error|warning' <<<"$out"; then
        fail "$entry: $out"
    fi
else
    echo "note: desktop-file-validate not installed; desktop entry not validated" >&2
fi
if command -v appstreamcli >/dev/null 2>&1; then
    out=$(appstreamcli validate --no-net "$desk/io.github.quendar.Quendar.metainfo.xml" 2>&1) ||
        fail "metainfo: $out"
else
    echo "note: appstreamcli not installed; metainfo not validated" >&2
fi
if command -v groff >/dev/null 2>&1; then
    for page in "$desk/quendar.6" "$desk/quendar-sim.6" "$desk/quendar-check-list.6" \
        "$desk/quendar-progress.6"; do
        out=$(groff -K utf8 -T utf8 -man -ww -z "$page" 2>&1)
        [ -z "$out" ] || fail "$page: $out"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures asset check(s) failed" >&2
    exit 1
fi
echo "assets OK"

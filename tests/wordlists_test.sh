#!/bin/sh
# Checks the committed compound lists in assets/ are files the game can load:
# 8..2000 lines, CR LF after every line, valid CP932, two kanji a line (々 only
# second) then a TAB, the kana reading, a TAB, a meaning of 1..40 characters,
# a TAB and the reading's pitch accent (0..its moras), no duplicates, no
# counted numbers (三枚, 六月), the same compounds in the same order as the
# deals have always used, and the hand overrides applied.
# When the Debian sources are installed it also checks the lists match a fresh
# run of tools/make-wordlists, so hand edits to the .dat files get caught.
# Usage: tests/wordlists_test.sh [ASSETS_DIR]

here=$(cd "$(dirname "$0")/.." && pwd)
assets=${1:-$here/assets}
failures=0
checked=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

check_list() {
    file=$1
    checked=$((checked + 1))
    if [ ! -f "$file" ]; then
        fail "$file: missing"
        return
    fi
    if ! err=$(iconv -f CP932 -t UTF-8 "$file" 2>&1 >/dev/null); then
        fail "$file: not valid CP932 ($err)"
        return
    fi
    utf8=$(iconv -f CP932 -t UTF-8 "$file")
    # Byte-level layout: every line ends in CR LF, no stray CR or LF.
    perl -e '
        local $/; my $d = <STDIN>; my $f = $ARGV[0];
        if ($d =~ /(?<!\r)\n|\r(?!\n)/) {
            my $line = 1 + (() = substr($d, 0, $-[0]) =~ /\n/g);
            print "$f:$line: lone CR or LF, every line must end with CR LF\n"; exit 1;
        }
        if ($d !~ /\r\n\z/) { print "$f: last line does not end with CR LF\n"; exit 1 }
    ' "$file" < "$file" || fail "$file: line endings (see above)"
    # Character-level rules on the decoded text.
    printf '%s\n' "$utf8" | perl -CS -Mutf8 -ne '
        BEGIN { $f = shift @ARGV; $bad = 0 }
        chomp; s/\r\z//; $n = $.;
        sub kanji { my $c = ord shift; ($c >= 0x4E00 && $c <= 0x9FFF) || ($c >= 0x3400 && $c <= 0x4DBF) }
        my ($word, $reading, $meaning, $accent, @more) = split /\t/, $_, -1;
        if (@more || ($reading // "") !~ /^[\x{3041}-\x{3096}\x{30A1}-\x{30FA}\x{30FC}]+$/
                || ($meaning // "") !~ /^[\x{20}-\x{7E}\x{2026}]{1,40}$/ || $meaning =~ /[\\~]/) {
            print "$f:$n: \"$_\" is not compound TAB kana reading TAB meaning of 1..40 characters TAB accent\n"; $bad = 1;
        }
        # The accent is where the pitch falls: 0 (flat) up to the reading'"'"'s last mora;
        # small ゃゅょ (and ぁぃぅぇぉゎ) share the mora before them.
        my $moras = () = ($reading // "") =~ /[^ゃゅょぁぃぅぇぉゎャュョァィゥェォヮ]/g;
        if (($accent // "") !~ /^(0|[1-9][0-9]*)$/ || $accent > $moras) {
            print "$f:$n: accent \"" . ($accent // "") . "\" is not a number from 0 to $moras, the moras of $reading\n"; $bad = 1;
        }
        $_ = $word;
        my @c = split //;
        if (@c != 2 || !kanji($c[0]) || !(kanji($c[1]) || $c[1] eq "\x{3005}")) {
            print "$f:$n: \"$_\" is not exactly two kanji\n"; $bad = 1;
        }
        # A numeral followed by a counter is a number, not vocabulary.
        if (@c == 2 && index("一二三四五六七八九十百千万", $c[0]) >= 0
                    && index("月日年枚番人回本個度時分円歳", $c[1]) >= 0) {
            print "$f:$n: \"$_\" is a number with a counter\n"; $bad = 1;
        }
        if ($seen{$_}++) { print "$f:$n: duplicate \"$_\"\n"; $bad = 1 }
        END {
            if ($n < 8 || $n > 2000) { print "$f: $n lines, must be 8..2000\n"; $bad = 1 }
            exit $bad;
        }
    ' "$file" || fail "$file: content (see above)"
}

check_list "$assets/jyukugo.dat"
check_list "$assets/jyukugo-elementary.dat"
check_list "$assets/jyukugo-joyo.dat"

# Words whose Shift-JIS trail byte is 0x5C (a backslash in ASCII) are the ones
# a careless tool mangles; the default list must carry them intact.
for word in 代表 能力 表示 予定; do
    checked=$((checked + 1))
    iconv -f CP932 -t UTF-8 "$assets/jyukugo.dat" 2>/dev/null | tr -d '\r' | cut -f1 | grep -qx "$word" ||
        fail "$assets/jyukugo.dat: common word $word (0x5C trail byte) missing or garbled"
done

# Every deal draws from these compounds in this order; a curation change updates the sums on purpose.
for pair in jyukugo.dat:fb84c853c5c902e3 jyukugo-elementary.dat:6545ff9da76afd39 jyukugo-joyo.dat:eac7e9eaad8c2d58; do
    checked=$((checked + 1))
    sum=$(iconv -f CP932 -t UTF-8 "$assets/${pair%%:*}" 2>/dev/null | tr -d '\r' | cut -f1 | sha256sum | cut -c1-16)
    [ "$sum" = "${pair#*:}" ] || fail "$assets/${pair%%:*}: compounds changed (sha256 of column 1 is $sum)"
done

# Every hand override (tools/wordlists/overrides.txt) is what the lists show for its compound.
overrides=$here/tools/wordlists/overrides.txt
checked=$((checked + 1))
for f in "$assets"/jyukugo.dat "$assets"/jyukugo-elementary.dat "$assets"/jyukugo-joyo.dat; do
    iconv -f CP932 -t UTF-8 "$f" 2>/dev/null | tr -d '\r'
done | perl -CSD -Mutf8 -e '
    my ($file) = @ARGV; my (%line, $bad, $n);
    while (<STDIN>) { chomp; my @c = split /\t/; $line{$c[0]} = [@c] }
    open my $o, "<:utf8", $file or die "$file: $!\n";
    while (<$o>) {
        next if /^\s*(#|$)/;
        my ($word, $field, $value) = /^(\S+)\s+(reading|meaning)\s+([^#]*?)\s*#/ or next;
        $n++;
        my $got = $line{$word} ? $line{$word}[$field eq "reading" ? 1 : 2] : "(on no list)";
        if ($got ne $value) { print "$file:$.: $word $field is \"$got\", not \"$value\"\n"; $bad = 1 }
    }
    if (!$n) { print "$file: no overrides read\n"; $bad = 1 }
    exit $bad;
' "$overrides" || fail "lists do not carry the hand overrides (see above)"

# The kanji card: every kanji of the lists, and nothing else, has one line of kanji.tsv.
checked=$((checked + 1))
for f in jyukugo.dat jyukugo-elementary.dat jyukugo-joyo.dat; do
    iconv -f CP932 -t UTF-8 "$assets/$f" | tr -d '\r' | cut -f1
done | perl -CSD -Mutf8 -e '
    my %want; while (<STDIN>) { chomp; $want{$_} = 1 for split //; }
    open my $t, "<:encoding(UTF-8)", $ARGV[0] or die "$ARGV[0]: $!\n"; my ($bad, %have) = (0);
    while (<$t>) { next if $. == 1 && /^#/; chomp; my ($k, $m, @x) = split /\t/, $_, -1;
        if (@x || length($k) != 1 || !$want{$k} || $have{$k}++ || length($m // "") !~ /^([1-9]|[1-5]\d|60)$/) {
            print "$ARGV[0]:$.: \"$_\" is not one kanji of the lists TAB 1..60 characters of meanings\n"; $bad = 1 } }
    my @missing = grep { !$have{$_} } sort keys %want;
    if (@missing) { print "$ARGV[0]: no line for @missing\n"; $bad = 1 }
    exit $bad;' "$assets/kanji.tsv" || fail "$assets/kanji.tsv: content (see above)"

# Regeneration check, only where the sources are installed (tools/make-wordlists --help lists them).
if [ -f /usr/share/edict/edict ] && [ -f /usr/share/edict/kanjidic2.xml.gz ] &&
   [ -d /usr/share/mecab/dic/ipadic ] && ls /usr/lib/*/libkkc/models/sorted3/data.1gram >/dev/null 2>&1 &&
   [ -f /var/lib/mecab/dic/open-jtalk/naist-jdic/sys.dic ] && [ -f /usr/share/mecab/dic/unidic/lex_3_1.csv ] &&
   command -v mecab >/dev/null && /usr/bin/python3 -c 'import marisa' 2>/dev/null; then
    checked=$((checked + 1))
    "$here/tools/make-wordlists" --check --out "$assets" || fail "lists differ from a fresh tools/make-wordlists run"
else
    echo "note: word-list sources not installed, regeneration check skipped"
fi

echo "$((checked - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]

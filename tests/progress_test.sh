#!/bin/bash
# quendar-progress as installed programs run it: the summary, the schedule, a practice list
# that is a playable word list, and an import that refuses what is not a history.
# Usage: progress_test.sh QUENDAR_PROGRESS QUENDAR_CHECK_LIST [QUENDAR]
set -u
progress=$1 checker=$2 game=${3:-}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
export HOME=$dir XDG_DATA_HOME=$dir/data
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
tab=$'\t'

# Three compounds of the shipped list: one forgotten, one due today, one just met.
mkdir -p data/quendar
{
  echo "# quendar history 1"
  echo "2026-12-01T07:00:00Z${tab}必要${tab}again${tab}jyukugo.dat"
  echo "2026-12-05T07:00:00Z${tab}問題${tab}good${tab}jyukugo.dat"
  echo "2026-12-09T23:00:00Z${tab}自分${tab}hard${tab}jyukugo.dat"
} >data/quendar/history.tsv
now=2026-12-10T00:00:00Z

summary=$("$progress" --now $now) || fail "summary: exit $?"
for want in "met        3 (learning 3, known 0)" "due now    2" "never met  1997" \
            "due on each of the next 7 days: 1 0 0 0 0 0 0"; do
  grep -qF "$want" <<<"$summary" || fail "summary lacks '$want': $summary"
done

schedule=$("$progress" --schedule --now $now)
[ "$(cut -f1,2,5 <<<"$schedule" | tr '\t' ' ')" = "必要 1 2026-12-02T07:00:00Z
問題 1 2026-12-08T07:00:00Z
自分 1 2026-12-10T23:00:00Z" ] || fail "schedule: $schedule"
grep -qx "必要${tab}1${tab}0.40${tab}7.19${tab}2026-12-02T07:00:00Z${tab}0.406" <<<"$schedule" ||
  fail "schedule's figures: $schedule"

# 20 asked: 20 lines, the forgotten one first, each line whole, and a list the game plays.
"$progress" --practice 20 --now $now default >practice.txt || fail "practice: exit $?"
[ "$(head -c 3 practice.txt | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "practice has no BOM"
[ "$(grep -c $'\r$' practice.txt)" = 20 ] || fail "practice is not 20 CR LF lines"
[ "$(sed "1s/^\xEF\xBB\xBF//" practice.txt | head -2 | cut -f1)" = "必要
問題" ] || fail "practice does not start with the due compounds: $(head -2 practice.txt)"
grep -q "^.*自分" practice.txt && fail "a compound not yet due is in the practice list"
[ "$(sed -n 3p practice.txt | cut -f3)" != "" ] || fail "readings and meanings are not copied"
"$checker" practice.txt >/dev/null || fail "the practice list does not pass quendar-check-list"

printf '学校\r\n事件\r\n' >short.dat
"$progress" --practice 48 short.dat >out.txt 2>err.txt
[ $? = 1 ] && [ ! -s out.txt ] && grep -q "short.dat: 2 compounds are due or never met" err.txt ||
  fail "a short list is not refused: $(cat err.txt)"

# The game refuses the same short practice before it opens anything.
if [ -n "$game" ]; then
  "$game" --practice short.dat 2>err.txt
  [ $? = 1 ] && grep -q "short.dat: 2 compounds are due or never met" err.txt ||
    fail "quendar --practice on a short list: $(cat err.txt)"
fi

# An import: a file that is no history changes nothing; a history adds only what is new.
before=$(cat data/quendar/history.tsv)
"$progress" --import short.dat 2>err.txt
[ $? = 1 ] && grep -q "short.dat: is not a quendar history" err.txt || fail "import: $(cat err.txt)"
[ "$before" = "$(cat data/quendar/history.tsv)" ] || fail "a refused import changed the history"
{
  echo "# quendar history 1"
  echo "2026-12-05T07:00:00Z${tab}問題${tab}good${tab}jyukugo.dat"
  echo "2026-12-06T07:00:00Z${tab}世界${tab}good${tab}phone"
} >other.tsv
"$progress" --import other.tsv >/dev/null || fail "import of a history: exit $?"
"$progress" --import other.tsv >/dev/null || fail "second import: exit $?"
[ "$(grep -c . data/quendar/history.tsv)" = 5 ] || fail "import: $(cat data/quendar/history.tsv)"

"$progress" --now yesterday 2>/dev/null
[ $? = 2 ] || fail "a bad --now is not a usage error"
"$progress" --schedule joyo 2>/dev/null
[ $? = 2 ] || fail "--schedule with a list is not a usage error"
mkdir folder.tsv
"$progress" --history folder.tsv 2>err.txt
[ $? = 1 ] && grep -q "folder.tsv: is a directory" err.txt || fail "a folder as history: $(cat err.txt)"

[ $failures = 0 ] && echo "quendar-progress: all checks passed"
exit $((failures > 0))

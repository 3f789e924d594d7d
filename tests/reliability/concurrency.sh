#!/usr/bin/env bash
# Concurrency: 8 runs started at once on one configuration, round after
# round (each round a new day with two new files). In every round exactly
# one run works, the others refuse; the configuration is exactly what one
# run leaves; and across all rounds every file is handed over exactly once.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
export LC_ALL=C

RUNS=8
if [ "$MODE" = long ]; then ROUNDS=100; else ROUNDS=20; fi
command -v flock >/dev/null || { echo "flock(1) is needed" >&2; exit 1; }

d=$(fresh_dir shared)
cd "$d" || exit 1
mkdir in
# Enough lines that a run takes a while, so that the starts overlap it.
awk 'BEGIN { for (i = 1; i <= 10000; i++) printf "remark %d: a line that only makes the run longer\r\n", i }' >filler
header() { cat filler; printf 'POSTPROG %s @File @Area\r\nAREA A DAILY\r\n' "$PROBE"; }
footer() { printf 'DIRECTORY in/* -STAY\r\nEND\r\n'; }
{ header; footer; } >brimvel.cfg
: >skips
export PROBE_RECORD=$d/calls
: >calls

worked=0 busy=0 done_today=0
for ((round = 1; round <= ROUNDS; round++)); do
  printf -v tag '%03d' "$round"
  echo "round $round" >"in/r${tag}a.dat"
  echo "round $round" >"in/r${tag}b.dat"
  printf 'Skip r%sa.dat\r\nSkip r%sb.dat\r\n' "$tag" "$tag" >>skips
  rm -f EVERYDAY.FLG

  # All runs wait on a lock the script holds, then start together.
  exec 9>gate
  flock -x 9
  pids=()
  for ((i = 1; i <= RUNS; i++)); do
    flock -s -o gate "$BRIMVEL" >"out.$i" 2>"err.$i" &
    pids+=($!)
  done
  sleep 0.2
  flock -u 9
  exec 9>&-
  for ((i = 1; i <= RUNS; i++)); do
    wait "${pids[$((i - 1))]}" || fail "round $round: run $i ended with $?: $(cat "err.$i")"
  done

  working=0
  for ((i = 1; i <= RUNS; i++)); do
    if grep -aq 'Hatching ' "out.$i"; then
      working=$((working + 1))
    elif grep -aq 'is being worked by another run' "out.$i"; then
      busy=$((busy + 1))
    elif grep -aq 'Already worked today' "out.$i"; then
      done_today=$((done_today + 1))
    else
      fail "round $round: run $i neither worked nor refused: $(tail -3 "out.$i")"
    fi
  done
  worked=$((worked + working))
  [ "$working" -eq 1 ] || fail "round $round: $working runs worked"
  { header; cat skips; footer; } | cmp -s - brimvel.cfg || fail "round $round: the configuration is not what one run leaves"
  [ ! -e brimvel.tmp ] || fail "round $round: brimvel.tmp left behind"
done

# Every file exactly once, nothing else.
for f in in/*; do probe_record "$f" A; done | sort >expected.calls
sort calls | cmp -s - expected.calls || fail "hand-overs differ from one per file: $(sort calls | diff - expected.calls | head -5)"
handed=$(wc -l <calls)
starts=$((ROUNDS * RUNS))
# The log is shared by all runs: every start should have left its line.
logged=$(grep -ac 'started\.\.' brimvel.log)
torn=$(grep -avc -e '^ [0-9][0-9]\.[0-9][0-9]\.[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9] ' -e $'^\r$' -e '^$' brimvel.log)
echo "  $ROUNDS rounds x $RUNS runs: $worked worked, $busy refused as busy, $done_today refused as done today;" \
  "$handed files handed over once each; $logged of $starts starts in the shared log"
[ "$logged" -eq "$starts" ] || fail "the shared log holds $logged start lines for $starts starts"
[ "$torn" -eq 0 ] || fail "the shared log holds $torn torn lines"
summary "concurrent_starts=$starts rounds=$ROUNDS worked=$worked refused_busy=$busy" \
  "refused_done=$done_today files_once=$handed failures=$FAILS"
finish

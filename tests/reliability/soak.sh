#!/usr/bin/env bash
# Soak: consecutive runs (forced with -D, one "day" each) over two
# directories that keep receiving files, one drained with -DELETE. Every
# file is handed over exactly once, the configuration holds exactly one skip
# line per file and nothing else changes, and the run's open descriptors
# (seen from the post program) and peak memory stay flat. Then one
# representative run under valgrind memcheck.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
export LC_ALL=C

if [ "$MODE" = long ]; then RUNS=500; else RUNS=100; fi
SEED=${RELIABILITY_SEED:-4242}
RANDOM=$SEED

d=$(fresh_dir soak)
cd "$d" || exit 1
mkdir keep gone
printf 'POSTPROG %s @File @Area\r\nAREA KEEP DAILY\r\nCOUNT 3\r\nDIRECTORY keep/* -STAY\r\nEND\r\n' "$PROBE" >brimvel.cfg
printf 'AREA GONE DAILY\r\nCOUNT 2\r\nDIRECTORY gone/* -DELETE -STAY -DESC "soak @Area"\r\nEND\r\n' >>brimvel.cfg
cp brimvel.cfg start.cfg
export PROBE_RECORD=$d/calls PROBE_FDS=$d/fds
: >calls
: >memory
: >"$d/fds"

have_time=1
[ -x /usr/bin/time ] || have_time=0
arrived=0
one_run() {
  local fds_before
  fds_before=$(wc -l <"$d/fds")
  if [ "$have_time" -eq 1 ]; then
    /usr/bin/time -a -o memory -f %M "$BRIMVEL" -D >run.out 2>run.err
  else
    "$BRIMVEL" -D >run.out 2>run.err
  fi
  RC=$?
  [ "$RC" -eq 0 ] || fail "run ended with $RC: $(head -3 run.err)"
  # The descriptor count of this run's first hand-over, if any.
  [ "$(wc -l <"$d/fds")" -gt "$fds_before" ] && sed -n "$((fds_before + 1))p" "$d/fds" >>fds.first
}
: >fds.first
for ((run = 1; run <= RUNS; run++)); do
  for ((n = RANDOM % 4; n > 0; n--)); do
    arrived=$((arrived + 1))
    echo "$arrived" >"keep/k$(printf %06d $arrived).dat"
  done
  for ((n = RANDOM % 3; n > 0; n--)); do
    arrived=$((arrived + 1))
    echo "$arrived" >"gone/g$(printf %06d $arrived).dat"
  done
  one_run
done
# Drain what the limits held back.
drain=0
while [ "$drain" -lt 200 ]; do
  before=$(wc -l <calls)
  one_run
  drain=$((drain + 1))
  [ "$(wc -l <calls)" -eq "$before" ] && break
done

# Every file exactly once; the drained directory is empty, the other full.
{
  for f in keep/*; do probe_record "$f" KEEP; done
  grep -o 'gone/g[0-9]*\.dat' calls | sort -u | while read -r f; do probe_record "$f" GONE; done
} | sort >expected.calls
sort calls | cmp -s - expected.calls || fail "hand-overs are not exactly one per file"
left=$(find gone -type f | wc -l)
[ "$left" -eq 0 ] || fail "$left files left in the -DELETE directory"
files=$(($(find keep -type f | wc -l) + $(grep -c 'gone/' calls)))
[ "$files" -eq "$arrived" ] || fail "$arrived files arrived, $files were handed over"
[ "$(wc -l <calls)" -eq "$arrived" ] || fail "$(wc -l <calls) hand-overs for $arrived files"
# The configuration: the start one plus one skip line per file.
[ "$(grep -ac '^Skip ' brimvel.cfg)" -eq "$arrived" ] || fail "$(grep -ac '^Skip ' brimvel.cfg) skip lines for $arrived files"
[ -z "$(grep -a '^Skip ' brimvel.cfg | sort | uniq -d)" ] || fail "a skip line is written twice"
grep -av '^Skip ' brimvel.cfg | cmp -s - start.cfg || fail "lines other than skip lines changed"

# Flat: descriptors at the first hand-over of every run; peak memory per run.
fd_min=$(sort -n fds.first | head -1)
fd_max=$(sort -n fds.first | tail -1)
[ "$fd_min" = "$fd_max" ] || fail "open descriptors vary between runs: $fd_min to $fd_max"
mem_note="peak memory not measured (no /usr/bin/time)"
if [ "$have_time" -eq 1 ]; then
  total=$(wc -l <memory)
  early=$(head -n 50 memory | sort -n | tail -1)
  late=$(tail -n 50 memory | sort -n | tail -1)
  mem_note="peak RSS max ${early} KB over the first 50 runs, ${late} KB over the last 50 ($total runs)"
  [ "$late" -le $((early + early / 4 + 1024)) ] || fail "peak memory grew: $mem_note"
fi
total_runs=$((RUNS + drain))
echo "  $total_runs runs ($RUNS with arrivals, $drain draining): $arrived files, each handed over once;" \
  "descriptors at hand-over $fd_min..$fd_max; $mem_note"

# One representative run under valgrind: skip list, limits, -DELETE,
# description templates, a FILE entry and a failing post program.
vg_note="valgrind not installed: skipped"
# A sanitized build brings its own checks and does not run under valgrind.
if grep -aq __asan_init "$BRIMVEL"; then
  vg_note="sanitized build: valgrind skipped"
  echo "  $vg_note"
elif command -v valgrind >/dev/null; then
  v=$(fresh_dir valgrind)
  cd "$v" || exit 1
  mkdir in
  for i in 1 2 3 4 5; do echo "$i" >"in/f$i.dat"; done
  {
    printf 'POSTPROG %s @File @Area @Desc(20,L*) @AppDesc\r\nAPPENDDESC -d "@Desc"\r\n' "$PROBE"
    printf 'AREA V DAILY\r\nCOUNT 3\r\nSkip f1.dat\r\nDIRECTORY in/f* -DELETE -DESC "valgrind run"\r\n'
    printf 'FILE in/f5.dat -STAY -ANYCOUNT\r\nFILE in/missing.dat\r\nEND\r\n'
    printf 'POSTPROG /nonexistent/post @File\r\nAREA W DAILY\r\nFILE in/f4.dat -DELETE\r\nEND\r\n'
  } >brimvel.cfg
  PROBE_RECORD=$v/calls valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    --log-file=valgrind.log "$BRIMVEL" -D >run.out 2>run.err
  vrc=$?
  [ "$vrc" -eq 0 ] || fail "valgrind run ended with $vrc: $(head -20 valgrind.log)"
  [ "$(wc -l <calls)" -ge 3 ] || fail "valgrind run handed over too little to be representative"
  vg_note="valgrind memcheck: exit $vrc, $(grep -c . valgrind.log) report lines"
  echo "  $vg_note"
  cd "$ROOT" || exit 1
fi

summary "soak_runs=$total_runs files=$arrived fds=$fd_min..$fd_max" \
  "peak_kb_first50=${early:-na} peak_kb_last50=${late:-na} valgrind_exit=${vrc:-skipped} failures=$FAILS"
finish

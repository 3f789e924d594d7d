#!/usr/bin/env bash
# Crash safety: the run is killed with SIGKILL (a) by its own post program at
# the k-th hand-over and (b) at random moments while it rewrites a large
# configuration. After every kill the configuration must exist and be
# byte-identical to the old or the new one, and the next run must complete
# with exit code 0 and reach the state an unkilled run reaches.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

if [ "$MODE" = long ]; then
  PER_AREA=15      # (a): 2 areas x 15 files, with and without -DELETE: 60 kill points
  RANDOM_KILLS=200 # (b)
else
  PER_AREA=3       # 2 x 3 files; a kill at every 2nd hand-over: 3 + 3 points
  RANDOM_KILLS=14
fi
SEED=${RELIABILITY_SEED:-4242}
RANDOM=$SEED

# Lines with CR LF throughout, so that a completed run changes nothing but
# what it must: the comparisons below are byte for byte.
filler() { awk -v n="$1" -v tag="$2" 'BEGIN { for (i = 1; i <= n; i++) printf "remark %s %d: nothing to see here, just a line of text\r\n", tag, i }'; }

# ---------------------------------------------------------------- (a)
# Template: two areas, PER_AREA files each, a few thousand lines around them.
make_hatch_template() { # dir delete-option
  local dir=$1 option=$2 i
  mkdir -p "$dir/in1" "$dir/in2"
  for i in $(seq -w 1 "$PER_AREA"); do
    echo "one $i" >"$dir/in1/a$i.dat"
    echo "two $i" >"$dir/in2/b$i.dat"
  done
  {
    printf 'POSTPROG %s @File @Area\r\n' "$PROBE"
    filler 4000 head
    printf 'AREA ONE DAILY\r\nDIRECTORY in1/*%s\r\nEND\r\n' "$option"
    filler 4000 middle
    printf 'AREA TWO DAILY\r\nDIRECTORY in2/*%s\r\nEND\r\n' "$option"
    filler 4000 tail
  } >"$dir/brimvel.cfg"
}

hatch_kills=0
hatch_variant() { # name delete-option
  local name=$1 option=$2
  local template expected k d total=$((2 * PER_AREA)) step=1
  template=$(fresh_dir "$name-template")
  make_hatch_template "$template" "$option"
  # The state an unkilled run reaches.
  expected=$(fresh_dir "$name-expected")
  cp -r "$template/." "$expected/"
  (cd "$expected" && PROBE_RECORD=$expected/calls run_brimvel && [ "$RC" -eq 0 ]) ||
    fail "$name: the unkilled run failed"
  [ "$MODE" = ci ] && step=2
  for ((k = 1; k <= total; k += step)); do
    d=$(fresh_dir "$name-k$k")
    cp -r "$template/." "$d/"
    (
      cd "$d" || exit 1
      export PROBE_RECORD=$d/calls
      PROBE_COUNTER=$d/counter PROBE_KILL_AT=$k run_brimvel
      [ "$RC" -eq 137 ] || echo "run not killed at hand-over $k (exit $RC)" >>problems
      [ -f brimvel.cfg ] || echo "no configuration after the kill at $k" >>problems
      cmp -s brimvel.cfg "$template/brimvel.cfg" ||
        echo "configuration changed by the run killed at hand-over $k" >>problems
      [ "$(wc -l <calls)" -eq "$k" ] || echo "expected $k hand-overs before the kill" >>problems
      if [ -n "$option" ]; then
        # Deleted so far: none, as no configuration records a hand-over yet.
        local left
        left=$(find in1 in2 -type f | wc -l)
        [ "$left" -eq "$total" ] || echo "after a kill at $k, $left files remain" >>problems
      fi
      cp calls calls.killed
      run_brimvel # the next run: no -D needed, the killed run set no marker
      [ "$RC" -eq 0 ] || echo "the run after the kill at $k ended with $RC" >>problems
      [ ! -e brimvel.tmp ] || echo "brimvel.tmp left after the recovery run ($k)" >>problems
      if [ -z "$option" ]; then
        cmp -s brimvel.cfg "$expected/brimvel.cfg" ||
          echo "recovery after the kill at $k did not reach the unkilled run's configuration" >>problems
        # At least once: the recovery hands everything over again.
        diff -q <(sort -u calls) <(sort -u "$expected/calls") >/dev/null ||
          echo "hand-overs differ from the unkilled run ($k)" >>problems
      else
        # Every file is gone, and every file gone was handed over.
        [ -z "$(find in1 in2 -type f)" ] || echo "files left after the recovery run ($k)" >>problems
        diff -q <(sort -u calls) <(sort -u "$expected/calls") >/dev/null ||
          echo "not every file was handed over ($k)" >>problems
        # Apart from skip lines and drained DIRECTORY lines, nothing changed.
        diff -q <(grep -av -e '^Skip ' -e '^DIRECTORY ' brimvel.cfg) \
          <(grep -av -e '^Skip ' -e '^DIRECTORY ' "$template/brimvel.cfg") >/dev/null ||
          echo "configuration lines changed after recovery ($k)" >>problems
        [ -z "$(grep -a '^Skip ' brimvel.cfg | sort | uniq -d)" ] ||
          echo "a skip line written twice ($k)" >>problems
      fi
    )
    if [ -s "$d/problems" ]; then
      while read -r line; do fail "$name: $line"; done <"$d/problems"
    else
      rm -rf "$d"
    fi
    hatch_kills=$((hatch_kills + 1))
  done
}

echo "(a) kill -9 from the post program at the k-th hand-over"
hatch_variant keep ""
hatch_variant delete " -DELETE"
echo "  $hatch_kills kill points"

# ---------------------------------------------------------------- (b)
echo "(b) kill -9 at random moments of a 200,000-line rewrite"
big=$(fresh_dir big-template)
mkdir -p "$big/in"
for i in 1 2 3; do echo "file $i" >"$big/in/f$i.dat"; done
{
  printf 'POSTPROG %s @File @Area\r\n' "$PROBE"
  filler 100000 head
  printf 'AREA BIG DAILY\r\nCOUNT 2\r\nDIRECTORY in/*\r\nEND\r\n'
  filler 99994 tail
} >"$big/brimvel.cfg"
lines=$(wc -l <"$big/brimvel.cfg")

# new: after one completed run; new2: after a second one on top of it.
states=$(fresh_dir big-states)
cp -r "$big/." "$states/"
cd "$states" || exit 1
PROBE_RECORD=$states/calls run_brimvel
[ "$RC" -eq 0 ] || fail "unkilled run of the large configuration ended with $RC"
cp brimvel.cfg "$ROOT/new.cfg"
PROBE_RECORD=$states/calls run_brimvel -D
[ "$RC" -eq 0 ] || fail "second unkilled run ended with $RC"
cp brimvel.cfg "$ROOT/new2.cfg"
cmp -s "$big/brimvel.cfg" "$ROOT/new.cfg" && fail "the run changed nothing: no new state to tell apart"
# The kill moments spread over the length of a run as it takes here: the
# shortest of three, so that few kills come after the end.
duration_us=0
for _ in 1 2 3; do
  cp "$big/brimvel.cfg" .
  started=$(date +%s%N)
  PROBE_RECORD=$states/calls run_brimvel -D
  took=$((($(date +%s%N) - started) / 1000))
  if [ "$duration_us" -eq 0 ] || [ "$took" -lt "$duration_us" ]; then duration_us=$took; fi
done
cd "$ROOT" || exit 1
window=$((duration_us * 11 / 10))
echo "  $lines lines, unkilled run ${duration_us} us, kill moments in 0..${window} us (seed $SEED)"

kills=0 old_count=0 new_count=0 finished=0 attempts=0
while [ "$kills" -lt "$RANDOM_KILLS" ] && [ "$attempts" -lt $((RANDOM_KILLS * 3)) ]; do
  attempts=$((attempts + 1))
  at=$(((RANDOM * 32768 + RANDOM) % window))
  d=$(fresh_dir big-kill)
  cp -r "$big/." "$d/"
  cd "$d" || exit 1
  outcome=$(PROBE_RECORD=$d/calls "$RELTOOL" kill-after "$at" "$BRIMVEL" -D)
  state=""
  if [ ! -f brimvel.cfg ]; then
    fail "kill at ${at} us ($outcome): no configuration"
  elif cmp -s brimvel.cfg "$big/brimvel.cfg"; then
    state=old
  elif cmp -s brimvel.cfg "$ROOT/new.cfg"; then
    state=new
  else
    fail "kill at ${at} us ($outcome): configuration is neither the old nor the new one"
    cp brimvel.cfg "$ROOT/torn-$attempts.cfg"
  fi
  case "$outcome" in
    killed)
      kills=$((kills + 1))
      [ "$state" = old ] && old_count=$((old_count + 1))
      [ "$state" = new ] && new_count=$((new_count + 1))
      ;;
    "exited 0")
      finished=$((finished + 1))
      [ "$state" = new ] || fail "a completed run left the $state configuration"
      ;;
    *) fail "kill at ${at} us: unexpected outcome '$outcome'" ;;
  esac
  if [ -n "$state" ]; then
    PROBE_RECORD=$d/calls run_brimvel -D
    [ "$RC" -eq 0 ] || fail "run after a kill at ${at} us ended with $RC: $(cat run.err)"
    want=$ROOT/new.cfg
    [ "$state" = new ] && want=$ROOT/new2.cfg
    cmp -s brimvel.cfg "$want" || fail "run after a kill at ${at} us ($state) did not reach the expected state"
    [ ! -e brimvel.tmp ] || fail "brimvel.tmp left after the run that followed a kill at ${at} us"
  fi
  cd "$ROOT" || exit 1
done
[ "$kills" -eq "$RANDOM_KILLS" ] || fail "only $kills of $RANDOM_KILLS kills landed inside a run"
echo "  $kills random kills inside the run: $old_count left the old configuration, $new_count the new one" \
  "($finished more came after the run had ended)"

summary "kill_points=$((hatch_kills + kills)) hand-over_kills=$hatch_kills" \
  "random_kills=$kills killed_old=$old_count killed_new=$new_count after_end=$finished failures=$FAILS"
finish

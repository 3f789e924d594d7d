#!/usr/bin/env bash
# The run as a process among others: a closed console pipe, a second stop
# request, a post program that would read the terminal, a -CFG that is no
# regular file. None may kill the run between a hand-over and its record,
# or hold it (and its lock) forever.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

cases=0
# A configuration with one area that hands a.dat over through `post`.
make_case() { # dir post-program...
  local dir=$1
  shift
  mkdir -p "$dir/in"
  echo "payload" >"$dir/in/a.dat"
  printf 'POSTPROG %s\nAREA ONE DAILY\nFILE in/a.dat\nEND\n' "$*" >"$dir/brimvel.cfg"
  cd "$dir" || exit 1
  cases=$((cases + 1))
}
recorded() { grep -q '^AREA ONE DAILY$' brimvel.cfg && ! grep -q 'a.dat' brimvel.cfg; }

echo "a console pipe whose reader is gone stops the console output only"
make_case "$(fresh_dir pipe)" "$PROBE" @File
{ sleep 0.3; PROBE_RECORD=$PWD/calls "$BRIMVEL" -D 2>run.err; echo $? >rc; } | true
[ "$(cat rc)" = 0 ] || fail "closed pipe: exit code $(cat rc)"
recorded || fail "closed pipe: the hand-over was not recorded"

echo "a second stop request ends the run at once"
make_case "$(fresh_dir second-signal)" /bin/sh slow.sh
# shellcheck disable=SC2016  # expanded by the post program's shell
echo 'kill -INT $PPID; sleep 0.2; kill -TERM $PPID; sleep 2; : >late' >slow.sh
run_brimvel -D
[ "$RC" -eq 143 ] || fail "second signal: exit code $RC, expected 143 (SIGTERM)"
[ ! -e late ] || fail "second signal: the run waited for the post program"

echo "the post program reads the null device, not the run's input"
make_case "$(fresh_dir stdin)" /bin/sh input.sh
echo 'readlink /proc/self/fd/0 >input' >input.sh
"$BRIMVEL" -D <brimvel.cfg >run.out 2>run.err
[ "$(cat input 2>/dev/null)" = /dev/null ] || fail "stdin: the post program read $(cat input 2>/dev/null)"

echo "a -CFG that is a FIFO is refused, not waited on"
d=$(fresh_dir fifo)
cd "$d" || exit 1
mkfifo pipe.cfg
timeout -s KILL 10 "$BRIMVEL" -CFG pipe.cfg >run.out 2>run.err
RC=$?
cases=$((cases + 1))
[ "$RC" -eq 5 ] || fail "fifo: exit code $RC, expected 5"
grep -q "\[err\] .*pipe.cfg" run.out || fail "fifo: no [err] line with the reason"

summary "cases=$cases"
finish

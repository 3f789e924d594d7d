#!/usr/bin/env bash
# Disk full and I/O failures. Whatever fails, the configuration is never
# left damaged: either the run completes, or it ends with a nonzero exit code
# and the configuration byte-identical to what it was; and the next run,
# with the fault gone, reaches the state an undisturbed run reaches.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

disk_full=0 io_cases=0 skipped=0

# A configuration of about 220 KB with one area that hands one file over,
# so that the post program has run before the rewrite fails.
make_case() { # dir [config-subdir]
  local dir=$1 sub=${2:-.}
  mkdir -p "$dir/in" "$dir/$sub"
  echo "payload" >"$dir/in/a.dat"
  {
    printf 'POSTPROG %s @File @Area\r\n' "$PROBE"
    printf 'AREA ONE DAILY\r\nDIRECTORY in/*\r\nEND\r\n'
    awk 'BEGIN { for (i = 1; i <= 5000; i++) printf "filler line %d ..........................\r\n", i }'
  } >"$dir/$sub/brimvel.cfg"
  cp "$dir/$sub/brimvel.cfg" "$dir/old.cfg"
}

# The configuration an undisturbed run leaves.
expected=$(fresh_dir expected)
make_case "$expected"
(cd "$expected" && PROBE_RECORD=$expected/calls "$BRIMVEL" >/dev/null 2>&1) ||
  fail "the undisturbed run failed"
NEW=$expected/brimvel.cfg

# After a failed run: nothing damaged, no day marked; then, with the fault
# gone, a run that completes (at least once: the file comes again).
check_failed_run() { # label want-rc [config-path]
  local label=$1 want=$2 config=${3:-brimvel.cfg}
  if [ "$want" = any ]; then
    [ "$RC" -ne 0 ] || fail "$label: exit code 0"
  else
    [ "$RC" -eq "$want" ] || fail "$label: exit code $RC, expected $want"
  fi
  cmp -s "$config" old.cfg || fail "$label: configuration changed"
  [ ! -e EVERYDAY.FLG ] || fail "$label: day marked as worked"
}

check_recovery() { # label [args...]
  local label=$1
  shift
  PROBE_RECORD=$PWD/calls run_brimvel "$@"
  [ "$RC" -eq 0 ] || fail "$label: the run after the fault ended with $RC"
  cmp -s "${CONFIG:-brimvel.cfg}" "$NEW" || fail "$label: the run after the fault did not reach the expected configuration"
}

echo "disk full through RLIMIT_FSIZE (SIGXFSZ ignored)"
size_kb=$(($(stat -c %s "$NEW") / 1024))
for limit in 1 4 64 128 $((size_kb - 1)); do
  d=$(fresh_dir "fsize-$limit")
  make_case "$d"
  cd "$d" || exit 1
  PROBE_RECORD=$d/calls bash -c "ulimit -f $limit; exec '$BRIMVEL'" >run.out 2>run.err
  RC=$?
  check_failed_run "ulimit -f $limit" 112
  grep -q '^Runtime error 112' run.err || fail "ulimit -f $limit: no 'Runtime error 112' on stderr"
  grep -q 'Hatching a.dat' run.out || fail "ulimit -f $limit: the file was not handed over before the rewrite failed"
  check_recovery "ulimit -f $limit"
  disk_full=$((disk_full + 1))
  cd "$ROOT" || exit 1
done

echo "disk full on a small tmpfs"
d=$(fresh_dir tmpfs)
make_case "$d"
if unshare -m true 2>/dev/null; then
  (
    cd "$d" || exit 1
    mkdir mnt
    # A private mount namespace: the mount ends with the subshell.
    # shellcheck disable=SC2016  # expanded by the inner shell
    unshare -m bash -c '
      mount -t tmpfs -o size=512k tmpfs mnt || exit 99
      cp brimvel.cfg mnt/ || exit 98
      # Room for half of the new configuration.
      size=$(stat -c %s old.cfg)
      head -c $((512 * 1024 - size - size / 2)) /dev/zero >mnt/ballast 2>/dev/null
      PROBE_RECORD=$PWD/calls "$0" -CFG mnt/brimvel.cfg >run.out 2>run.err
      echo "rc=$?" >result
      cmp -s mnt/brimvel.cfg old.cfg && echo same >>result
      rm mnt/ballast
      PROBE_RECORD=$PWD/calls "$0" -D -CFG mnt/brimvel.cfg >recovery.out 2>&1
      echo "recovery=$?" >>result
      cp mnt/brimvel.cfg recovered.cfg
    ' "$BRIMVEL"
    echo "exit=$?" >>result
  )
  if grep -q 'exit=99' "$d/result"; then
    echo "  SKIP: tmpfs cannot be mounted here"
    skipped=$((skipped + 1))
  else
    grep -q '^rc=112$' "$d/result" || fail "tmpfs: exit code $(grep rc= "$d/result"), expected 112"
    grep -q '^same$' "$d/result" || fail "tmpfs: configuration changed"
    grep -q '^Runtime error 112' "$d/run.err" || fail "tmpfs: no 'Runtime error 112' on stderr"
    grep -q '^recovery=0$' "$d/result" || fail "tmpfs: the run after the fault failed"
    cmp -s "$d/recovered.cfg" "$NEW" || fail "tmpfs: the run after the fault did not reach the expected configuration"
    disk_full=$((disk_full + 1))
  fi
else
  echo "  SKIP: no private mount namespace here (unshare -m)"
  skipped=$((skipped + 1))
fi

# Root writes files whatever their permission bits; the immutable flag
# stops root too.
can_make_immutable() {
  local probe=$ROOT/immutable-probe
  touch "$probe"
  if chattr +i "$probe" 2>/dev/null; then
    chattr -i "$probe"
    rm -f "$probe"
    return 0
  fi
  rm -f "$probe"
  return 1
}

echo "a log that cannot be written"
d=$(fresh_dir log-full)
make_case "$d"
cd "$d" || exit 1
ln -s /dev/full brimvel.log
PROBE_RECORD=$d/calls run_brimvel
check_failed_run "log on /dev/full" any
[ ! -s calls ] || fail "log on /dev/full: the post program ran"
# The configuration is readable: a failing log must not be reported as an
# unreadable configuration.
grep -aq "can't open configuration file" run.out && fail "log on /dev/full: reported as a configuration that cannot be opened"
rm brimvel.log
check_recovery "log on /dev/full"
io_cases=$((io_cases + 1))

d=$(fresh_dir log-fsize)
make_case "$d"
cd "$d" || exit 1
# The limit covers every file the run writes, so its output goes through
# pipes, which the limit does not cover.
PROBE_RECORD=$d/calls bash -c "trap '' XFSZ; ulimit -f 0; exec '$BRIMVEL'" \
  2> >(cat >run.err) | cat >run.out
RC=${PIPESTATUS[0]}
sleep 0.2  # the stderr copy finishes on its own
check_failed_run "new log, ulimit -f 0" any
[ ! -s calls ] || fail "new log, ulimit -f 0: the post program ran"
[ -s run.err ] || grep -aq "[^[:space:]]" run.out || fail "new log, ulimit -f 0: the run ended without a word"
grep -aq "can't open configuration file" run.out && fail "new log, ulimit -f 0: reported as a configuration that cannot be opened"
rm -f brimvel.log
check_recovery "new log, ulimit -f 0"
io_cases=$((io_cases + 1))
cd "$ROOT" || exit 1

if can_make_immutable; then
  d=$(fresh_dir log-readonly)
  make_case "$d"
  cd "$d" || exit 1
  echo "an old log line" >brimvel.log
  chattr +i brimvel.log
  PROBE_RECORD=$d/calls run_brimvel
  chattr -i brimvel.log
  check_failed_run "read-only log" 5
  grep -q '^Runtime error 5' run.err || fail "read-only log: no 'Runtime error 5' on stderr"
  [ ! -s run.out ] || fail "read-only log: something was logged before the report"
  [ ! -s calls ] || fail "read-only log: the post program ran"
  check_recovery "read-only log"
  io_cases=$((io_cases + 1))
  cd "$ROOT" || exit 1
else
  echo "  SKIP read-only log: chattr +i is not available here, and root writes a chmod 444 file anyway"
  skipped=$((skipped + 1))
fi

echo "a marker that cannot be renewed"
d=$(fresh_dir marker-dir)
make_case "$d"
cd "$d" || exit 1
mkdir EVERYDAY.FLG
PROBE_RECORD=$d/calls run_brimvel -D
[ "$RC" -eq 0 ] || fail "marker is a directory: exit code $RC"
grep -q '^Error rewriting work flag!\.\.' run.out || fail "marker is a directory: no 'Error rewriting work flag!..'"
cmp -s brimvel.cfg "$NEW" || fail "marker is a directory: the configuration was not rewritten"
[ -d EVERYDAY.FLG ] || fail "marker is a directory: the directory is gone"
io_cases=$((io_cases + 1))
cd "$ROOT" || exit 1

echo "a configuration directory that cannot be written"
readonly_directory_case() { # label how
  local label=$1 how=$2 d
  d=$(fresh_dir "dir-$how")
  make_case "$d" etc
  cp "$d/etc/brimvel.cfg" "$d/old.cfg"
  cd "$d" || exit 1
  if [ "$how" = immutable ]; then
    chattr +i etc
    PROBE_RECORD=$d/calls run_brimvel -CFG etc/brimvel.cfg
    chattr -i etc
  else
    # shellcheck disable=SC2016  # expanded by the inner shell
    PROBE_RECORD=$d/calls unshare -m bash -c \
      'mount --bind etc etc && mount -o remount,bind,ro etc && exec "$0" -CFG etc/brimvel.cfg' \
      "$BRIMVEL" >run.out 2>run.err
    RC=$?
  fi
  check_failed_run "$label" 105 etc/brimvel.cfg
  grep -q '^Runtime error 105' run.err || fail "$label: no 'Runtime error 105' on stderr"
  grep -q 'Temporary file brimvel.tmp couldn.t be created' run.out || fail "$label: the temporary file's failure is not logged"
  [ ! -s calls ] || fail "$label: the post program ran although nothing could be recorded"
  CONFIG=etc/brimvel.cfg check_recovery "$label" -CFG etc/brimvel.cfg
  io_cases=$((io_cases + 1))
  cd "$ROOT" || exit 1
}
if can_make_immutable; then
  readonly_directory_case "immutable directory" immutable
else
  echo "  SKIP immutable directory: chattr +i is not available here"
  skipped=$((skipped + 1))
fi
if unshare -m bash -c "mount --bind '$ROOT' '$ROOT' && mount -o remount,bind,ro '$ROOT'" 2>/dev/null; then
  readonly_directory_case "read-only bind mount" bind
else
  echo "  SKIP read-only bind mount: mounting is not allowed here"
  skipped=$((skipped + 1))
fi

echo "a configuration file that may not be replaced"
d=$(fresh_dir config-readonly)
make_case "$d"
cd "$d" || exit 1
chmod 444 brimvel.cfg
PROBE_RECORD=$d/calls run_brimvel
check_failed_run "chmod 444 configuration" 5
grep -q '^Runtime error 5' run.err || fail "chmod 444 configuration: no 'Runtime error 5' on stderr"
# Found out before the first hand-over: nothing handed over, no half-made copy.
[ ! -s calls ] || fail "chmod 444 configuration: a file was handed over before the run gave up"
[ ! -e brimvel.tmp ] || fail "chmod 444 configuration: brimvel.tmp was left behind"
grep -q 'cannot be replaced, nothing handed over' brimvel.log ||
  fail "chmod 444 configuration: the log does not say why the run ended"
[ "$(stat -c %a brimvel.cfg)" = 444 ] || fail "chmod 444 configuration: permission bits changed"
chmod 644 brimvel.cfg
check_recovery "chmod 444 configuration"
[ "$(wc -l <calls)" -eq 1 ] || fail "chmod 444 configuration: expected the file handed over once, after the repair"
io_cases=$((io_cases + 1))
cd "$ROOT" || exit 1

if can_make_immutable; then
  d=$(fresh_dir config-immutable)
  make_case "$d"
  cd "$d" || exit 1
  chattr +i brimvel.cfg
  PROBE_RECORD=$d/calls run_brimvel
  chattr -i brimvel.cfg
  check_failed_run "immutable configuration" 5
  grep -q '^Runtime error 5' run.err || fail "immutable configuration: no 'Runtime error 5' on stderr"
  check_recovery "immutable configuration"
  io_cases=$((io_cases + 1))
  cd "$ROOT" || exit 1
fi

summary "disk_full_cases=$disk_full io_failure_cases=$io_cases skipped=$skipped failures=$FAILS"
finish

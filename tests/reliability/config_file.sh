#!/usr/bin/env bash
# The configuration is the operator's file: a run never loses an edit made
# while it works, never writes through a link planted as its temporary file
# or marker, keeps the file's owner, group and mode, rewrites a linked
# configuration where it lies, and finds out before the first hand-over
# whatever would refuse the replacement.
# shellcheck source=lib.sh disable=SC2015  # "checks && ... || fail": fail is the only branch
source "$(dirname "$0")/lib.sh"
export LC_ALL=C

cases=0 skipped=0
# A fresh case: one area that hands in/a.dat over through the probe.
make_case() { # name
  cd "$(fresh_dir "$1")" || exit 1
  mkdir in
  echo payload >in/a.dat
  printf 'POSTPROG %s @File\nAREA ONE DAILY\nFILE in/a.dat\nEND\n' "$PROBE" >brimvel.cfg
  export PROBE_RECORD=$PWD/calls
  cases=$((cases + 1))
}
# The run recorded its hand-over: the FILE entry is gone.
recorded() { grep -q '^AREA ONE' "${1:-brimvel.cfg}" && ! grep -q 'FILE in/a.dat' "${1:-brimvel.cfg}"; }
handed_over() { [ -s calls ]; }

echo "temporary file and marker: links are removed, never written through"
for planted in symlink hardlink marker; do
  make_case "planted-$planted"
  echo "victim" >victim && chmod 600 victim
  case $planted in
    symlink) ln -s victim brimvel.tmp ;;
    hardlink) ln brimvel.cfg brimvel.tmp ;;
    marker) ln -s victim EVERYDAY.FLG ;;
  esac
  run_brimvel -D
  [ "$RC" -eq 0 ] || fail "$planted: exit code $RC"
  [ "$(cat victim)" = victim ] && [ "$(stat -c %a victim)" = 600 ] || fail "$planted: the link's target was written"
  [ -f brimvel.cfg ] && [ ! -L brimvel.cfg ] && recorded || fail "$planted: the configuration was not rewritten in place"
done

echo "-CFG naming the temporary file is refused before anything is touched"
make_case cfg-is-tmp
mv brimvel.cfg brimvel.tmp
cp brimvel.tmp before
run_brimvel -CFG brimvel.tmp
[ "$RC" -eq 5 ] || fail "-CFG brimvel.tmp: exit code $RC, expected 5"
cmp -s brimvel.tmp before && ! handed_over || fail "-CFG brimvel.tmp: the file changed or was handed over"
grep -q '\[err\] Configuration file brimvel.tmp is the temporary file' run.out || fail "-CFG brimvel.tmp: no [err] line"

echo "the rewrite keeps owner, group and mode"
make_case owner
chown 65534:100 brimvel.cfg && chmod 640 brimvel.cfg
run_brimvel -D
recorded && [ "$(stat -c %u:%g:%a brimvel.cfg)" = 65534:100:640 ] ||
  fail "owner: the rewrite left $(stat -c %u:%g:%a brimvel.cfg), expected 65534:100:640"

echo "a linked configuration is rewritten where it lies, and shares its lock"
make_case link
mkdir real && mv brimvel.cfg real/brimvel.cfg
ln -s real/brimvel.cfg brimvel.cfg
# The post program starts a second run through the other path.
printf 'POSTPROG /bin/sh second.sh\nAREA ONE DAILY\nFILE in/a.dat\nEND\n' >real/brimvel.cfg
printf '"%s" -D -CFG real/brimvel.cfg >second.out\n' "$BRIMVEL" >second.sh
run_brimvel -D
[ -L brimvel.cfg ] && recorded real/brimvel.cfg || fail "link: the link was replaced or the file not rewritten"
grep -q 'being worked by another run' second.out || fail "link: a run through the other path worked too"
[ ! -e brimvel.tmp ] && [ ! -e real/brimvel.tmp ] || fail "link: a temporary file was left"

echo "what refuses the replacement is found before the first hand-over"
refusal_case() { # label want-rc
  run_brimvel -D
  [ "$RC" -eq "$2" ] || fail "$1: exit code $RC, expected $2"
  ! handed_over || fail "$1: a file was handed over before the run failed"
  grep -q 'cannot be replaced, nothing handed over' run.out || fail "$1: no [err] line"
}
for flag in i a; do
  make_case "chattr-$flag"
  if chattr "+$flag" brimvel.cfg 2>/dev/null; then
    refusal_case "chattr +$flag" 5
    chattr "-$flag" brimvel.cfg
  else
    skipped=$((skipped + 1))
  fi
done
make_case sticky
chmod 1777 . && chmod 755 "$ROOT" && chown -R 65534:65534 in && chmod 666 brimvel.cfg
: >calls && chmod 666 calls
{ setpriv --reuid=65534 --regid=65534 --clear-groups "$BRIMVEL" -D >run.out 2>run.err; } 2>/dev/null
RC=$?
[ "$RC" -eq 5 ] && ! handed_over || fail "sticky directory: exit code $RC, or a file handed over"
make_case bind
cp brimvel.cfg other.cfg
if unshare -m true 2>/dev/null; then
  # shellcheck disable=SC2016  # expanded by the inner shell
  unshare -m bash -c 'mount --bind other.cfg brimvel.cfg && "$0" -D >run.out 2>run.err; echo $? >rc' "$BRIMVEL"
  RC=$(cat rc)
  [ "$RC" -eq 32 ] && ! handed_over || fail "bind mount: exit code $RC, or a file handed over"
else
  skipped=$((skipped + 1))
fi

echo "an edit saved while the run works gets the run's record, or is left alone"
# The post program saves an edit while the run waits for it: the schedule
# (the record finds its place), or the entry the run drops (it does not).
while IFS='|' read -r save rc kept record said edit; do
  make_case "edit-$save"
  printf 'POSTPROG /bin/sh edit.sh\nAREA ONE DAILY\nFILE in/a.dat\nEND\n' >brimvel.cfg
  printf 'sleep 0.1; %s\n' "$edit" >edit.sh
  run_brimvel -D </dev/null
  [ "$RC" -eq "$rc" ] && grep -q "$kept" brimvel.cfg && recorded "$record" ||
    fail "$save: exit code $RC, or the edit or the run's record is not where it belongs"
  grep -q "$said" run.out || fail "$save: no line says what became of the run's record"
  [ ! -e brimvel.cfg.merging ] && [ ! -e brimvel.tmp ] && { [ "$rc" = 32 ] || [ ! -e brimvel.cfg.unmerged ]; } ||
    fail "$save: a file was left beside the configuration"
done <<'EOF'
rename|0|ONE WEEKLY|brimvel.cfg|merged this run.s Skip lines|sed -i 's/ONE DAILY/ONE WEEKLY/' brimvel.cfg
in-place|0|ONE WEEKLY|brimvel.cfg|merged this run.s Skip lines|sed 's/ONE DAILY/ONE WEEKLY/' brimvel.cfg >edited && cat edited >brimvel.cfg
entry|32|^FILE \./a.dat|brimvel.cfg.unmerged|\[err\] .*was changed while this run worked it|sed -i 's/FILE in/FILE ./' brimvel.cfg
EOF

echo "--edit: the operator's editor on a checked copy, installed under the lock"
make_case edit
chown 65534:100 brimvel.cfg && chmod 600 brimvel.cfg
# A copy name left behind as a hard link to another file is never written through.
echo victim >victim && ln victim brimvel.cfg.edit
cat >editor.sh <<'EOF'
stat -c %u:%g:%a "$1" >copy.mode; sed -i s/ONE/TWO/ "$1"
EOF
VISUAL="sh editor.sh" run_brimvel --edit </dev/null
[ "$RC" -eq 0 ] && grep -q "AREA TWO DAILY" brimvel.cfg && [ "$(cat victim)" = victim ] &&
  [ "$(stat -c %u:%g:%a brimvel.cfg)" = 65534:100:600 ] && [ "$(cat copy.mode)" = 65534:100:600 ] ||
  fail "--edit: exit code $RC, a planted link written through, or the original's owner or mode lost"
[ ! -e brimvel.cfg.edit ] && [ ! -e brimvel.tmp ] || fail "--edit: the copy or the lock was left"
# $EDITOR when $VISUAL is empty; a copy with findings is offered again, and
# installed once the checker has nothing to say.
cat >editor.sh <<'EOF'
[ -e once ] && exec sed -i "s/^AREA TWO.*/AREA TWO WEEKLY 3/" "$1"; : >once; sed -i s/DAILY// "$1"
EOF
VISUAL="" EDITOR="sh editor.sh" run_brimvel --edit <<<e
[ "$RC" -eq 0 ] && grep -q "AREA TWO WEEKLY 3" brimvel.cfg && [ "$(grep -c 'What now?' run.err)" = 1 ] ||
  fail "--edit: \$EDITOR was not used, or a copy with findings was not offered again (exit code $RC)"
cp brimvel.cfg before
VISUAL="sed -i s/WEEKLY.3//" run_brimvel --edit <<<q
[ "$RC" -eq 1 ] && cmp -s brimvel.cfg before && grep -q 'What now?' run.err ||
  fail "--edit: a copy with findings was installed without asking (exit code $RC)"
printf 'POSTPROG /bin/sh edit.sh\nAREA ONE DAILY\nFILE in/a.dat\nEND\n' >brimvel.cfg
printf 'VISUAL=true "%s" --edit 2>edit.err; echo $? >edit.rc\n' "$BRIMVEL" >edit.sh
run_brimvel -D
[ "$(cat edit.rc)" = 1 ] && grep -q 'being worked by a run' edit.err || fail "--edit: a working run was not waited for"

summary "cases=$cases skipped=$skipped"
finish

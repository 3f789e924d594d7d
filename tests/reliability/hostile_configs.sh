#!/usr/bin/env bash
# Hostile configuration texts: NUL bytes, binary garbage, 100,000-byte lines,
# unbalanced quotes, huge numbers, odd line ends. Every text is run three
# times (with -D) by the normal build and, when SANITIZED_BIN names one, by
# the AddressSanitizer/UndefinedBehaviorSanitizer build. Each run must end
# with exit code 0 and no sanitizer report (a text with CRs but no LF is
# refused whole: exit code 11, untouched); long lines come back whole; and
# after two runs the configuration is settled: the third run leaves it as it
# is (nothing is lost or invented by re-reading what a run wrote).
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
export LC_ALL=C

BINARIES=("$BRIMVEL")
if [ -n "${SANITIZED_BIN:-}" ]; then
  cp "$SANITIZED_BIN" "$ROOT/bin/brimvel-san"
  BINARIES+=("$ROOT/bin/brimvel-san")
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

if [ "$MODE" = long ]; then GARBAGE=200; else GARBAGE=12; fi
CASES=$ROOT/cases
mkdir -p "$CASES"

# The post program every hostile text may name.
P="POSTPROG $PROBE @File @Area @Desc @Option @AppDesc"
crlf() { printf '%s\r\n' "$@"; }
repeat() { head -c "$2" /dev/zero | tr '\0' "$1"; }

crlf "$P" "AREA A DAILY" "DIRECTORY in/*" "END" >"$CASES/plain"
{ printf 'POSTPROG %s @File\0@Area\r\nAREA A\0 DAILY\r\nAREA B DAILY\r\nDIRECTORY in/*\0 -STAY\r\n' "$PROBE"
  printf 'FILE in/a.dat\0 -DESC "x\0y"\r\nEND\0\r\nEND\r\n\0\0\0\r\n'; } >"$CASES/nul-bytes"
head -c 300000 /dev/zero >"$CASES/all-nul"
{ crlf "$P" "AREA A DAILY"; printf 'remark '; repeat x 100000; printf '\r\n'
  printf 'DIRECTORY in/* -STAY -DESC '; repeat d 100000; printf '\r\n'
  printf 'Skip '; repeat s 100000; printf '\r\nFILE in/a.dat -STAY -OPTION "'; repeat o 100000
  printf '"\r\nEND\r\nAREA '; repeat n 100000; printf ' DAILY\r\nDIRECTORY in/* -STAY\r\nEND\r\n'
  printf 'POSTPROG '; repeat p 100000; printf '\r\n'; } >"$CASES/long-lines"
{ crlf "$P" "APPENDDESC \"unclosed @Desc(20" "AREA A DAILY" 'COUNT "12' 'SIZE "' \
  'DIRECTORY in/* -STAY -DESC "never closed' 'FILE in/a.dat -STAY -OPTION "' 'FILE "in/b.dat -STAY' \
  'WHEN "' "END"; } >"$CASES/unbalanced-quotes"
{ crlf "$P" "AREA A DAILY" "SIZE 99999999999999999999999999" "COUNT -99999999999" \
  "DIRECTORY in/* -STAY" "SIZE \$FFFFFFFFFFFFFFFF" "COUNT \$FFFFFFFF" "FILE in/a.dat -STAY -ANYSIZE" \
  "SIZE -2147483648" "COUNT 2147483647" "FILE in/b.dat -STAY -ANYCOUNT" "SIZE 2147483647" \
  "COUNT -2147483648" "DIRECTORY in/* -STAY -ANYSIZE -ANYCOUNT" \
  "WHEN 99999999999999,-1,0,32,\$FFFFFFFF,,,,1" "FILE in/a.dat -STAY" "END"; } >"$CASES/huge-numbers"
{ crlf "POSTPROG $PROBE @File(99999999999,L*) @Area(-5) @Desc(2147483648,C*) @Option(\$FF,R*)" \
  "APPENDDESC @Desc(@Desc(@Desc(@Desc( \\n\\k@Space(300)" "AREA A DAILY" \
  "FILE in/a.dat -STAY -DESC \"@Desc(255,C*)@AppDesc@File\\n\\k\\n\\k\" -OPTION @Option(0,*)" \
  "FILE in/b.dat -STAY -DESC @Space(255)@Space(255)" "END"; } >"$CASES/template-formats"
printf '%s\r' "$P" "AREA A DAILY" "DIRECTORY in/*" "END" >"$CASES/cr-only"
{ crlf "$P" "AREA A DAILY"; printf 'DIRECTORY in/*\x1a\r\nEND\r\n'; } >"$CASES/ctrl-z"
{ printf '%s\n' "$P"; for i in $(seq 3000); do printf 'AREA X%d DAILY\nWHEN 1,2,3\n' "$i"; done; } >"$CASES/areas-without-end"
{ crlf "END" "END" "$P" "AREA" "AREA A" "AREA  DAILY" "FILE" "DIRECTORY" "SKIP" "Skip" "END"
  crlf "AREA A DAILY" "DIRECTORY" "DIRECTORY   " "FILE -STAY" "DIRECTORY -STAY in/*" "END"; } >"$CASES/bare-keywords"
for ((seed = 1; seed <= GARBAGE; seed++)); do
  size=$((seed * 5003 % 65536 + 1))
  [ "$MODE" = long ] && size=$((seed * 50021 % 1048576 + 1))
  "$RELTOOL" garbage "$seed" "$size" >"$CASES/garbage-$seed"
  # Garbage around a working block, so that the block's code meets it too.
  { crlf "$P" "AREA G DAILY"; "$RELTOOL" garbage $((seed + 100000)) 4096; crlf "" "DIRECTORY in/*" "END"; } \
    >"$CASES/garbage-block-$seed"
done

texts=0 runs=0
for bin in "${BINARIES[@]}"; do
  for text in "$CASES"/*; do
    name=$(basename "$text")
    label="$(basename "$bin") $name"
    d=$(fresh_dir run)
    cd "$d" || exit 1
    mkdir in
    echo "a" >in/a.dat
    echo "bb" >in/b.dat
    cp "$text" brimvel.cfg
    export PROBE_RECORD=$d/calls
    for pass in 1 2 3; do
      "$bin" -D >run.out 2>run.err
      RC=$?
      runs=$((runs + 1))
      if [ "$RC" -eq 11 ] && [ "$(tr -cd '\n' <"$text" | wc -c)" -eq 0 ] &&
        [ "$(tr -cd '\r' <"$text" | wc -c)" -gt 0 ]; then
        cmp -s "$text" brimvel.cfg || fail "$label: a refused text was changed"
        break
      fi
      if [ "$RC" -ne 0 ]; then
        fail "$label: run $pass ended with $RC: $(head -c 300 run.err)"
        break
      fi
      if grep -aq -e 'Sanitizer' -e 'runtime error:' run.err; then
        fail "$label: run $pass: sanitizer report"
        head -20 run.err >&2
        break
      fi
      [ ! -e brimvel.tmp ] || fail "$label: brimvel.tmp left after run $pass"
      cp brimvel.cfg "after$pass.cfg"
    done
    [ -f after3.cfg ] && ! cmp -s after2.cfg after3.cfg && fail "$label: the third run changed the configuration"
    if [ "$name" = long-lines ]; then
      # Every long line of the text is still there, whole.
      while IFS= read -r line; do
        [ ${#line} -gt 1000 ] || continue
        grep -aqxF -e "${line%$'\r'}"$'\r' after1.cfg || fail "$label: a ${#line}-byte line did not come back whole"
      done <"$text"
    fi
    cd "$ROOT" || exit 1
    [ "$FAILS" -eq 0 ] && rm -rf "$d"
  done
done
texts=$(find "$CASES" -type f | wc -l)
echo "  $texts hostile texts x ${#BINARIES[@]} builds: $runs runs"
summary "hostile_texts=$texts builds=${#BINARIES[@]} runs=$runs failures=$FAILS"
finish

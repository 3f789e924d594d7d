#!/usr/bin/env bash
# Hostile file names in a scanned directory. For every name, alone and all
# together, with and without -DELETE:
#   - the post program receives exactly one call per handed-over file, with
#     the path and the area as its two arguments, byte for byte;
#   - the configuration gains exactly one "Skip <name>" line per hatched file,
#     above the DIRECTORY line, and nothing else; the next run hatches nothing;
#   - nothing is deleted but files the post program received.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
export LC_ALL=C

long200=$(printf 'n%.0s' $(seq 196)).hx # path of 203 bytes: the command still fits
long252=$(printf 'm%.0s' $(seq 249)).hx # path of 255 bytes: the longest; its command runs whole
long255=$(printf 'k%.0s' $(seq 252)).hx # the path is longer than a text holds

# name | what must happen: hand (handed over, recorded) or pass (passed over
# with an [err] line, never recorded: an unsafe name, or a path too long
# for a text).
# A leading blank is handed over: its skip line keeps the blank after
# "Skip " and is matched as written.
NAMES=() EXPECT=()
add() {
  NAMES+=("$1")
  EXPECT+=("$2")
}
add $'new\nline.hx' pass
add $'cr\rname.hx' pass
add $'tab\tname.hx' pass
add $'ctrlz\x1aname.hx' pass
add $'esc\x1b[2Jname.hx' pass
add 'quote"name.hx' pass
add 'two  blanks.hx' hand
add ' leading blank.hx' hand
add 'trailing blank.hx ' hand
add '   .hx   ' hand
add '-rf.hx' hand
add '-DELETE -STAY.hx' hand
add '@Area.hx' hand
add '@File@Desc(20)@AppDesc.hx' hand
add 'back\nslash.hx' hand
add 'back\kslash @Space.hx' hand
add 'back\ slash\.hx' hand
add 'Skip other.hx' hand
add '*?[a].hx' hand
add $'\xff\xfe latin \xe9.hx' hand
add $'\x80\xa0\xe0\xf1.hx' hand
add $'del\x7f.hx' hand
add "$long200" hand
add "$long252" hand
add "$long255" pass

# Names a careless hand-over could touch instead: the first word of the
# path, the name cut at its first unsafe byte, without it, without trailing
# blanks, and the bare name in the working directory.
decoys_of() { # name
  local name=$1 path="in/$1" first cut
  first=${path%% *}
  first=${first#in/}
  cut=${name%%[$'\x01'-$'\x1f'\"]*}
  printf '%s\n' "$first" "$cut" "${name//[$'\x01'-$'\x1f'\"]/}" "${name%"${name##*[! ]}"}" |
    grep -vxF -e "" -e "$name" | sort -u
}

POSTPROG_LINE="POSTPROG $PROBE @File @Area"
tried=0 calls_seen=0 deleted_seen=0

# One scenario: the given names (with their expectations) in in/, two runs.
scenario() { # label delete(0|1) indexes...
  local label=$1 delete=$2
  shift 2
  local d i name option="" want_hand=() want_cut=() decoy passed=0
  d=$(fresh_dir "case")
  mkdir -p "$d/in"
  cd "$d" || exit 1
  for i in "$@"; do
    name=${NAMES[$i]}
    printf 'hostile %s\n' "$i" >"in/$name"
    case ${EXPECT[$i]} in
      hand) want_hand+=("$name") ;;
      cut) want_cut+=("$name") ;;
      pass) passed=$((passed + 1)) ;;
    esac
    printf 'bare %s\n' "$i" >"./$name" 2>/dev/null
    while IFS= read -r decoy; do
      [ -e "in/$decoy" ] && continue
      printf 'decoy\n' >"in/$decoy" || continue
      want_hand+=("$decoy")
    done < <(decoys_of "$name")
  done
  [ "$delete" -eq 1 ] && option=" -DELETE"
  printf '%s\r\nAREA A DAILY\r\nDIRECTORY in/*%s -STAY\r\nEND\r\n' "$POSTPROG_LINE" "$option" >brimvel.cfg
  cp brimvel.cfg old.cfg
  find . -mindepth 1 -print0 | sort -z >before.list

  PROBE_RECORD=$d/calls run_brimvel
  [ "$RC" -eq 0 ] || fail "$label: exit code $RC"

  # The calls: exactly one per file to hand over, each exactly as it should be.
  local expected_calls=$d/expected.calls
  : >"$expected_calls"
  for name in "${want_hand[@]}"; do probe_record "in/$name" A >>"$expected_calls"; done
  touch calls
  if ! diff <(sort calls) <(sort "$expected_calls") >calls.diff; then
    fail "$label: post program calls differ from the expected ones:"$'\n'"$(cat calls.diff)"
  fi
  calls_seen=$((calls_seen + $(wc -l <calls)))
  # Every name passed over is reported.
  [ "$(grep -ac '\[err\] ' run.out)" -ge "$passed" ] ||
    fail "$label: not every name passed over has its [err] line"

  # The configuration: one skip line per hatched file, right above the
  # DIRECTORY line, and nothing else.
  local head tail
  head=$(printf '%s\r\nAREA A DAILY\r\n' "$POSTPROG_LINE" | od -An -c)
  tail=$(printf 'DIRECTORY in/*%s -STAY\r\nEND\r\n' "$option" | od -An -c)
  [ "$(head -n 2 brimvel.cfg | od -An -c)" = "$head" ] || fail "$label: configuration head changed"
  [ "$(tail -n 2 brimvel.cfg | od -An -c)" = "$tail" ] || fail "$label: configuration tail changed"
  for name in "${want_hand[@]}" "${want_cut[@]}"; do printf 'Skip %s\r\n' "$name"; done | sort >expected.skips
  head -n -2 brimvel.cfg | tail -n +3 | sort | cmp -s - expected.skips ||
    fail "$label: skip lines differ from the expected ones:"$'\n'"$(head -n -2 brimvel.cfg | tail -n +3 | sort | diff - expected.skips | cat -A | cut -c1-100)"

  # Deleted: exactly the files handed over (or nothing without -DELETE).
  find . -mindepth 1 -print0 | sort -z >after.list
  local gone
  gone=$(comm -z -23 before.list after.list | tr '\0' '\n' | grep -v -e '^\./old\.cfg$' | sort)
  if [ "$delete" -eq 1 ]; then
    local want_gone
    want_gone=$(for name in "${want_hand[@]}"; do printf './in/%s\0' "$name"; done | tr '\0' '\n' | sort)
    [ "$gone" = "$want_gone" ] || fail "$label: deleted files differ from the handed-over ones"
    deleted_seen=$((deleted_seen + ${#want_hand[@]}))
  else
    [ -z "$gone" ] || fail "$label: files deleted without -DELETE"
  fi

  # The next run: every name is on the skip list, whatever bytes it holds.
  cp brimvel.cfg first.cfg
  PROBE_RECORD=$d/calls2 run_brimvel -D
  [ "$RC" -eq 0 ] || fail "$label: second run exit code $RC"
  [ ! -s calls2 ] || fail "$label: second run handed over again: $(head -3 calls2)"
  cmp -s brimvel.cfg first.cfg || fail "$label: second run changed the configuration"
  cd "$ROOT" || exit 1
  [ "$FAILS" -eq 0 ] && rm -rf "$d"
}

# Alone, each name is tried without -DELETE (the skip list must hold it);
# in the long run also with it.
deletes="0"
[ "$MODE" = long ] && deletes="0 1"
for ((i = 0; i < ${#NAMES[@]}; i++)); do
  for delete in $deletes; do
    scenario "name $i '$(escape_bytes "${NAMES[$i]}" | cut -c1-40)' delete=$delete" "$delete" "$i"
  done
  tried=$((tried + 1))
done
all=$(seq 0 $((${#NAMES[@]} - 1)))
# shellcheck disable=SC2086
scenario "all names together" 0 $all
# shellcheck disable=SC2086
scenario "all names together, -DELETE" 1 $all

echo "  $tried hostile names, alone and together: $calls_seen post program calls checked, $deleted_seen deletions checked"
summary "hostile_names=$tried calls_checked=$calls_seen deletions_checked=$deleted_seen failures=$FAILS"
finish

# shellcheck shell=bash disable=SC2034  # variables for the checks that source this
# Shared by the reliability checks. Each check is a bash script run as
#   <check>.sh --ci | --long
# with BRIMVEL_BIN, PROBE_BIN and RELTOOL_BIN naming the program under test,
# the recording post program and the helper tool. It prints what it does,
# one "SUMMARY <check> key=value ..." line, and exits nonzero on any failure.

set -uo pipefail

MODE=ci
case "${1:---ci}" in
  --ci) MODE=ci ;;
  --long) MODE=long ;;
  *)
    echo "usage: $0 --ci | --long" >&2
    exit 2
    ;;
esac

: "${BRIMVEL_BIN:?BRIMVEL_BIN must name the brimvel binary}"
: "${PROBE_BIN:?PROBE_BIN must name the post_probe binary}"
: "${RELTOOL_BIN:?RELTOOL_BIN must name the reltool binary}"

CHECK=$(basename "$0" .sh)
FAILS=0

# A private scratch area; the programs are copied in so that paths never hold
# a blank (the post program is the first word of POSTPROG).
ROOT=$(mktemp -d "${TMPDIR:-/tmp}/brimvel-$CHECK.XXXXXX")
mkdir -p "$ROOT/bin"
cp "$BRIMVEL_BIN" "$ROOT/bin/brimvel"
cp "$PROBE_BIN" "$ROOT/bin/probe"
cp "$RELTOOL_BIN" "$ROOT/bin/reltool"
BRIMVEL=$ROOT/bin/brimvel
PROBE=$ROOT/bin/probe
RELTOOL=$ROOT/bin/reltool
# Kept after a failure so that it can be looked at.
trap 'if [ "$FAILS" -eq 0 ]; then rm -rf "$ROOT"; else echo "scratch kept: $ROOT" >&2; fi' EXIT

fail() {
  echo "FAIL [$CHECK] $*" >&2
  FAILS=$((FAILS + 1))
}

# A fresh working directory below the scratch area.
fresh_dir() {
  local dir=$ROOT/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  echo "$dir"
}

# Runs brimvel in the current directory; output to run.out / run.err, exit
# code in $RC.
run_brimvel() {
  # The group's redirection also silences the shell's own "Killed" notice.
  { "$BRIMVEL" "$@" >run.out 2>run.err; } 2>/dev/null
  RC=$?
}

# The post program's record of every call, one line each.
record_lines() { [ -f "$1" ] && cat "$1"; }

# The record the probe writes for an argument list (see post_probe.cpp).
probe_record() {
  local out="" arg first=1
  for arg in "$@"; do
    [ $first -eq 1 ] || out+=" "
    first=0
    out+="[$(escape_bytes "$arg")]"
  done
  printf '%s\n' "$out"
}

# Pure bash: the checks call it for every name, and a process per call adds
# up on a busy machine.
escape_bytes() {
  local LC_ALL=C text=$1 out="" c v i
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    printf -v v '%d' "'$c"
    ((v < 0)) && v=$((v + 256))
    if ((v < 32 || v >= 127 || v == 91 || v == 92 || v == 93)); then
      printf -v c '\\x%02X' "$v"
    fi
    out+=$c
  done
  printf '%s' "$out"
}

summary() { echo "SUMMARY $CHECK $*"; }

finish() {
  if [ "$FAILS" -ne 0 ]; then
    echo "$CHECK: $FAILS failure(s)" >&2
    exit 1
  fi
  exit 0
}

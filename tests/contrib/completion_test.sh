#!/usr/bin/env bash
# The bash completion offers the options, and after -AREA the areas of the
# configuration -CFG names (else brimvel.cfg); it must parse, and pass the
# static checks where shellcheck is installed.
set -euo pipefail
completion=$1
bash -n "$completion"
if command -v shellcheck >/dev/null; then shellcheck "$completion"; fi
# shellcheck source=/dev/null
source "$completion"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
printf 'POSTPROG x\r\nAREA NEWS DAILY\r\n  area Files WEEKLY 1\r\nEND\r\nAREA\r\n' >brimvel.cfg
printf 'AREA OTHER DAILY\n' >other.cfg

failures=0
expect() { # expect "WORDS..." EXPECTED: complete the last word of WORDS
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _brimvel
  local got="${COMPREPLY[*]}"
  if [ "$got" != "$2" ]; then
    echo "FAIL '$1': got '$got', expected '$2'"
    failures=$((failures + 1))
  fi
}
expect "brimvel -AREA " "NEWS Files"
expect "brimvel -area F" "Files"
expect "brimvel -CFG other.cfg -N -AREA " "OTHER"
expect "brimvel --config=other.cfg -AREA " "OTHER"
expect "brimvel -CFG missing.cfg -AREA " ""
expect "brimvel --dry" "--dry-run"
expect "brimvel -D -E" "-ERRORLEVEL"
expect "brimvel -CFG oth" "other.cfg"
expect "brimvel --met" "--metrics"
expect "brimvel -ERRORLEVEL --metrics oth" "other.cfg"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Runs every libFuzzer target from its seed corpus (fuzz/corpus/<target>),
# with its dictionary (fuzz/<target>.dict) when there is one, for a fixed
# time, one after the other.
#   fuzz.sh --ci | --long      with FUZZ_DIR naming the directory of the
#                              fuzz_* programs (a -DBRIMVEL_FUZZ=ON build)
# FUZZ_SECONDS overrides the time per target (15 s in --ci, 600 s in --long).
# Inputs that fail are kept in FUZZ_FINDINGS (default: findings/ beside the
# programs). Prints one SUMMARY line; exits nonzero on any finding.
set -uo pipefail

case "${1:---ci}" in
  --ci) seconds=${FUZZ_SECONDS:-15} ;;
  --long) seconds=${FUZZ_SECONDS:-600} ;;
  *)
    echo "usage: $0 --ci | --long" >&2
    exit 2
    ;;
esac
: "${FUZZ_DIR:?FUZZ_DIR must name the directory of the fuzz_* programs}"
corpus=$(cd "$(dirname "$0")/../../fuzz/corpus" && pwd)
findings=${FUZZ_FINDINGS:-$FUZZ_DIR/findings}
mkdir -p "$findings"
work=$(mktemp -d "${TMPDIR:-/tmp}/brimvel-fuzz-run.XXXXXX")
# The configuration pass target keeps its scratch directory under TMPDIR; a
# tmpfs spares the disk one fsync per input.
scratch=$work
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=$(mktemp -d /dev/shm/brimvel-fuzz.XXXXXX)
trap 'rm -rf "$work" "$scratch"' EXIT

failed=0 figures=""
for target in config_pass template text_to_number options command_line; do
  program=$FUZZ_DIR/fuzz_$target
  if [ ! -x "$program" ]; then
    echo "FAIL [fuzz] $program is missing" >&2
    failed=1
    continue
  fi
  mkdir -p "$work/$target"
  before=$(find "$findings" -name "$target-*" | wc -l)
  dict=()
  [ -f "$corpus/../$target.dict" ] && dict=(-dict="$corpus/../$target.dict")
  TMPDIR=$scratch "$program" -max_total_time="$seconds" -max_len=4096 -timeout=30 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" "${dict[@]}" \
    "$work/$target" "$corpus/$target" >"$work/$target.log" 2>&1
  rc=$?
  execs=$(awk '/stat::number_of_executed_units/ { print $2 }' "$work/$target.log")
  found=$(($(find "$findings" -name "$target-*" | wc -l) - before))
  echo "  $target: ${execs:-?} executions in ${seconds} s, $found finding(s), exit $rc"
  figures+=" $target=${execs:-0}"
  if [ "$rc" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    echo "FAIL [fuzz] $target (inputs kept in $findings):" >&2
    grep -E 'ERROR|runtime error|fuzz_config_pass:|SUMMARY' "$work/$target.log" | head -10 >&2
  fi
done
echo "SUMMARY fuzz seconds_per_target=$seconds$figures failures=$failed"
exit "$failed"

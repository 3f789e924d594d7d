#!/usr/bin/env bash
# A plan of 14 days against the real runs of those 14 days: the program is
# started once a day under faketime with a post program that writes down
# what it was given, and the hand-overs, day by day, must be exactly those
# the plan foretold. The configuration uses every schedule kind, COUNT and
# SIZE, -DELETE, FILE and DIRECTORY entries, -STAY and a block without END;
# the days run over a new year, so YEARLY is due once.
set -euo pipefail
bin=${BRIMVEL_BIN:?}
work=$(mktemp -d /tmp/brimvel-plan.XXXXXX)
trap '[ "${KEEP:-0}" = 1 ] || rm -rf "$work"' EXIT
cd "$work"
export NO_FAKE_STAT=1
# faketime preloads its library ahead of a sanitized program's runtime.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0

mkdir -p out daily weekly month year big keep
for n in 1 2 3 4 5 6 7; do printf 'news %s\n' "$n" > "out/n$n.zip"; done
for n in 1 2 3; do printf 'daily file %s\n' "$n" > "daily/d$n.txt"; done
printf 'weekly\n' > weekly/w.txt
printf 'monthly\n' > month/m.txt
printf 'yearly\n' > year/y.txt
head -c 5000 /dev/zero > big/huge.bin
head -c 300 /dev/zero > big/small.bin
printf 'kept\n' > keep/k.txt
cat > post <<'POST'
#!/bin/sh
printf '%s\t%s\t%s\t%s\n' "$(date +%F)" "$1" "$2" "$(stat -c %s "$2")" >> calls.tsv
POST
chmod 755 post

cat > brimvel.cfg <<EOF
POSTPROG $work/post @Area @File
AREA NEWS DAILY
COUNT 2
DIRECTORY out/*.zip -DELETE
END
AREA DAY DAILY
FILE daily/d1.txt
FILE daily/d2.txt -STAY
END
AREA WEEK WEEKLY
DIRECTORY weekly/*
END
AREA WEEKDAYS WEEKLY 2 4
FILE keep/k.txt -STAY
END
AREA MONTH MONTHLY 28 2
DIRECTORY month/*
END
AREA YEAR YEARLY
DIRECTORY year/*
END
AREA BIG DAILY
SIZE 1000
DIRECTORY big/*
END
AREA NEVER WEEKLY 9
FILE daily/d3.txt
END
AREA OPEN DAILY
COUNT 1
DIRECTORY daily/*.txt
EOF

start=2026-12-24
faketime "$start 05:00:00" "$bin" -PLAN 14 > plan.out
tr -d '\r' < plan.out > plan.txt && mv plan.txt plan.out
grep -v '^#' plan.out | grep -vE '^(waiting|never due)' | sort > planned.tsv
for i in $(seq 0 13); do
  day=$(date -d "$start + $i days" +%F)
  faketime "$day 06:15:00" "$bin" > /dev/null
done
sort calls.tsv > ran.tsv
if ! diff -u planned.tsv ran.tsv; then
  echo "plan_matches_runs: the plan differs from the runs (- planned, + ran)"
  exit 1
fi
# Nothing in the plan is taken for granted: it must foretell some of each.
for area in NEWS DAY WEEK WEEKDAYS MONTH YEAR BIG OPEN; do
  grep -q "	$area	" planned.tsv || { echo "plan_matches_runs: no hand-over for $area"; exit 1; }
done
grep -q "^waiting	BIG	big/huge.bin	5000	larger than SIZE, never" plan.out ||
  { echo "plan_matches_runs: the too large file is not reported"; cat plan.out; exit 1; }
grep -q "^never due	NEVER" plan.out ||
  { echo "plan_matches_runs: the area never due is not reported"; cat plan.out; exit 1; }
echo "plan_matches_runs: $(wc -l < ran.tsv) hand-overs over 14 days, as planned"

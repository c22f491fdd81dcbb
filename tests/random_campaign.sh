#!/usr/bin/env bash
# A long campaign of random editing sessions, outside the normal test suite:
#   tests/random_campaign.sh FIRST LAST [ACTIONS] [BUILD_DIR]
# plays sessions FIRST..LAST of ACTIONS random actions each (default 5000)
# with every soundness check and the save/load round trip, in chunks of 50
# sessions. A chunk that crashes is played again one session at a time so
# that the crashing sessions are named. Prints one summary line at the end
# and exits non-zero when any session failed or crashed.
set -u
first=${1:?first seed}
last=${2:?last seed}
actions=${3:-5000}
build=${4:-build}
tests="$build/tests/tovimat_tests"
chunk=50
log=$(mktemp)
trap 'rm -f "$log"' EXIT

played=0 failed=0 crashed=0 sessions=0
run() {  # first last: plays the range, appends its output to the log
    VELMOR_RANDOM_SEEDS="$1-$2" VELMOR_RANDOM_EDITS=$actions \
        "$tests" --gtest_filter='RandomSession.*' >"$log.part" 2>&1
    local rc=$?
    cat "$log.part" >>"$log"
    return $rc
}
tally() {  # reads the summary line of the last run
    local line
    line=$(grep -a '^random sessions:' "$log.part" | tail -1)
    played=$((played + $(sed -E 's/.*: ([0-9]+) actions played.*/\1/' <<<"$line")))
    failed=$((failed + $(sed -E 's/.* ([0-9]+) of [0-9]+ sessions failed.*/\1/' <<<"$line")))
}
for ((a = first; a <= last; a += chunk)); do
    b=$((a + chunk - 1 > last ? last : a + chunk - 1))
    sessions=$((sessions + b - a + 1))
    if run "$a" "$b" || grep -qa '^random sessions:' "$log.part"; then
        tally
        continue
    fi
    for ((s = a; s <= b; s++)); do
        if run "$s" "$s" || grep -qa '^random sessions:' "$log.part"; then
            tally
        else
            crashed=$((crashed + 1))
            echo "seed $s crashed" >>"$log"
        fi
    done
done
grep -a -E '^seed [0-9]+ (action|crashed)' "$log" | sed -E 's/ after .*//' | sort -u
grep -a -A1 -E '^seed [0-9]+ action' "$log" | grep -a -v -E '^(seed|--)' | sort | uniq -c | sort -rn
echo "random campaign: seeds $first-$last, $actions actions each: $sessions sessions, $played actions" \
    "played, $failed failed, $crashed crashed"
[ "$failed" -eq 0 ] && [ "$crashed" -eq 0 ]

#!/bin/sh
# Reports one test's outcome as wine-gtest-run.sh filed it: passed (0),
# skipped (77), failed or never reported (1, with the test's output).
# "--exit-status" reports the run of the whole program instead.
# Usage: wine-gtest-check.sh <results-dir> <test>|--exit-status
results=$1
test=$2
status=$(cat "$results/exit-status" 2>/dev/null || echo "unknown")
if [ "$test" = "--exit-status" ]; then
    [ "$status" = 0 ] && exit 0
    echo "The test program's exit status was $status; its output: $results/output.log"
    tail -n 30 "$results/output.log" 2>/dev/null
    exit 1
fi
file=$results/$(printf '%s' "$test" | tr '/' '%')
if [ -f "$file.passed" ]; then
    exit 0
elif [ -f "$file.skipped" ]; then
    cat "$file.skipped"
    exit 77
elif [ -f "$file.failed" ]; then
    cat "$file.failed"
    exit 1
elif [ -f "$file.ended" ]; then
    cat "$file.ended"
    echo "The test program ended during this test (exit status $status)."
    exit 1
fi
echo "The test program did not run this test (exit status $status); its output: $results/output.log"
exit 1

#!/bin/sh
# Runs a GoogleTest program once under Wine (wine-run.sh) and files each
# test's outcome and output in <results-dir>: <test>.passed, .failed,
# .skipped, or .ended (the program stopped during the test), with '/' in
# names written as '%'; exit-status holds the program's exit status and
# output.log its whole output. Succeeds whenever the program could be run,
# so that the per-test entries (wine-gtest-check.sh) report the outcomes.
# Usage: wine-gtest-run.sh <build-dir> <win32|win64> <results-dir> <program> [args...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$1; arch=$2; results=$3
shift 3
rm -rf "$results"
mkdir -p "$results"
"$here/wine-run.sh" "$build_dir" "$arch" "$@" >"$results/output.log" 2>&1
status=$?
echo "$status" >"$results/exit-status"

# gtest's own lines: "[ RUN      ] T", then "[       OK ] T (n ms)",
# "[  FAILED  ] T (n ms)" or "[  SKIPPED ] T (n ms)"; what lies between is the
# test's output.
tr -d '\r' <"$results/output.log" | awk -v dir="$results" '
    function file_of(name) { gsub("/", "%", name); return dir "/" name }
    /^\[ RUN      \] / {
        current = $0
        sub(/^\[ RUN      \] /, "", current)
        body = file_of(current) ".output"
        printf "" > body
        next
    }
    current != "" && /^\[ *(OK|FAILED|SKIPPED) *\] / {
        name = $0
        sub(/^\[[^]]*\] /, "", name)
        sub(/ \([0-9]+ ms\)$/, "", name)
        if (name == current) {
            outcome = ($0 ~ /^\[ *OK/) ? "passed" : ($0 ~ /^\[ *FAILED/) ? "failed" : "skipped"
            print $0 > body
            close(body)
            system("mv \"" body "\" \"" file_of(current) "." outcome "\"")
            current = ""
            next
        }
    }
    current != "" { print $0 > body }
    END {
        if (current != "") {
            close(body)
            system("mv \"" body "\" \"" file_of(current) ".ended\"")
        }
    }'
[ -s "$results/output.log" ] || { echo "wine-gtest-run: the program wrote nothing (status $status)" >&2; exit 1; }
exit 0

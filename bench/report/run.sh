#!/bin/sh
# The report and export of a 1,000,000-step results folder: time and peak
# memory of `annalist report` and `annalist export` (the reader streams, so
# memory stays flat), and how long the report takes to open in Chromium.
# Usage: bench/report/run.sh [TOOL] [STEPS]   (TOOL: build/linux/tools/annalist/annalist)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$here/../..
tool=${1:-$root/build/linux/tools/annalist/annalist}
steps=${2:-1000000}
work=$root/build/bench-report
mkdir -p "$work"
echo "== results folder of $steps steps"
/usr/bin/python3 "$here/make-results.py" "$work/big" "$steps"
ls -l "$work/big/Results.xml" | awk '{printf "Results.xml: %.0f MB\n", $5 / 1000000}'

measure() { # what, command...
    what=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" || true
    awk -v what="$what" '{printf "%s: %.1f s, peak memory %.1f MiB\n", what, $1, $2 / 1024}' "$work/time.txt"
}
measure "annalist report" "$tool" report "$work/big"
ls -l "$work/big/report.html" | awk '{printf "report.html: %.0f MB\n", $5 / 1000000}'
measure "annalist export --junit --summary-json" "$tool" export "$work/big" --junit "$work/junit.xml" \
    --summary-json "$work/summary.json"

if [ -x /usr/bin/chromium ] && command -v node >/dev/null 2>&1; then
    mkdir -p "$work/node"
    cp "$root/tests/browser/package.json" "$root/tests/browser/package-lock.json" "$here/open-time.mjs" "$work/node/"
    [ -d "$work/node/node_modules" ] || (cd "$work/node" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error >/dev/null)
    rm -rf "$work/profile"
    (cd "$work/node" && node open-time.mjs "$work/big/report.html" "$work/profile")
else
    echo "open time: skipped (no /usr/bin/chromium or node)"
fi

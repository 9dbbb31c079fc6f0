#!/bin/sh
# The benchmark driver at 2,000 steps (ctest bench_smoke).
# Usage: smoke-test.sh ANNALIST_BENCH ANNALIST_TOOL WORK_FOLDER
set -eu
bench=$1
tool=$2
work=$3
steps=2000

rm -rf "$work"
mkdir -p "$work"
"$bench" run --steps $steps --results "$work/run" --dictionary-loop 100 >"$work/run.txt"
grep -qx "steps=$steps" "$work/run.txt"
grep -q '^snprintf_ratio=' "$work/run.txt"
xmllint --noout "$work/run/Results.xml"

"$bench" events --steps $steps -o "$work/events.jsonl" >/dev/null
"$tool" replay "$work/events.jsonl" -o "$work/replay" >"$work/replay.txt"
xmllint --noout "$work/replay/Results.xml"
[ "$(grep -c '<Step rID=\|<HtmlStep rID=' "$work/replay/Results.xml")" -eq $steps ] || {
    echo "the replayed Results.xml does not hold $steps steps" >&2
    exit 1
}
rm -rf "$work"
echo "bench smoke: ok"

#!/bin/sh
# The shared object exports exactly the names of exports.txt: the four Dll*
# entry points and the public API of annalist/annalist.h.
# Usage: exports-test.sh <libannalist.so> <exports.txt>
set -u
actual=$(nm -D --defined-only "$1" | awk '{ print $NF }' | sort)
expected=$(sort "$2")
if [ "$actual" != "$expected" ]; then
    echo "exports of $1 differ from $2 (- expected, + actual):"
    diff -u "$2" - <<EOT | tail -n +3
$actual
EOT
    exit 1
fi
echo "exports-test: $(echo "$actual" | wc -l) exports, as listed"

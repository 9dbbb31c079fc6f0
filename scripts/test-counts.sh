#!/bin/sh
# The closing line of `make test`: the tests run and passed in each preset
# and in all, from the counts build-and-test.sh collected in build/test-counts.
set -u
cd "$(dirname "$0")/.."
[ -f build/test-counts ] || { echo "make test: no test counts (build/test-counts)"; exit 1; }
awk '
    $1 == "build-only" { parts = parts sep $2 " built"; sep = ", "; next }
    {
        passed = $2 - $3 - $4
        parts = parts sep $1 " " passed "/" $2
        sep = ", "
        run += $2; ok += passed; skipped += $4; failed += $3
    }
    END {
        line = "make test: all builds and tests passed. Tests passed/run: " parts "; total " ok "/" run
        if (skipped > 0)
            line = line " (" skipped " skipped)"
        if (failed > 0)
            line = "make test: " failed " tests FAILED. Tests passed/run: " parts "; total " ok "/" run
        print line "."
    }' build/test-counts

#!/bin/sh
# Configures, builds and (where it runs here) tests one preset; stops with a
# clear message at the first failure. JOBS (default: the number of cores)
# limits the parallel jobs of the build and of ctest. ctest writes its JUnit
# file to build/<preset>/junit.xml; the preset's counts are added to
# build/test-counts for the closing line of `make test` (test-counts.sh).
# Usage: build-and-test.sh <preset> [build-only]
set -u
cd "$(dirname "$0")/.."
preset=$1
mode=${2:-test}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

fail() {
    echo "" >&2
    echo "make test: FAILED at step '$1' of preset '$preset'.${2:-}" >&2
    exit 1
}

# "<tests> <failures> <skipped>" of a ctest JUnit file (the attributes of
# its <testsuite> element, which ctest writes one per line).
junit_counts() {
    tr '\n\t' '  ' <"$1" | sed -n 's/^[^<]*<?xml[^>]*>[^<]*<testsuite [^>]*tests="\([0-9]*\)"[^>]*failures="\([0-9]*\)"[^>]*skipped="\([0-9]*\)".*/\1 \2 \3/p'
}

echo "==> [$preset] configure"
cmake --preset "$preset" >"build-$preset.configure.log" 2>&1 || { cat "build-$preset.configure.log" >&2; fail configure; }
rm -f "build-$preset.configure.log"
echo "==> [$preset] build ($jobs jobs)"
cmake --build --preset "$preset" -j "$jobs" -- -k 0 || fail build
if [ "$mode" = test ]; then
    echo "==> [$preset] test ($jobs jobs)"
    junit=build/$preset/junit.xml
    rm -f "$junit"
    ctest --preset "$preset" -j "$jobs"
    status=$?
    counts=$(junit_counts "$junit" 2>/dev/null)
    if [ -n "$counts" ]; then
        echo "$preset $counts" >>build/test-counts
        set -- $counts
        summary=" $1 tests, $2 failed, $3 skipped; results in $junit"
    else
        summary=" No results file ($junit)."
    fi
    [ $status -eq 0 ] || fail test "$summary"
    echo "==> [$preset] ok:$summary"
else
    echo "build-only $preset" >>build/test-counts
    echo "==> [$preset] ok (built)"
fi

#!/bin/sh
# Configures, builds and (where it runs here) tests one preset; stops with a
# clear message at the first failure.
# Usage: build-and-test.sh <preset> [build-only]
set -u
cd "$(dirname "$0")/.."
preset=$1
mode=${2:-test}

fail() {
    echo "" >&2
    echo "make test: FAILED at step '$1' of preset '$preset'." >&2
    exit 1
}

echo "==> [$preset] configure"
cmake --preset "$preset" >"build-$preset.configure.log" 2>&1 || { cat "build-$preset.configure.log" >&2; fail configure; }
rm -f "build-$preset.configure.log"
echo "==> [$preset] build"
cmake --build --preset "$preset" -- -k 0 || fail build
if [ "$mode" = test ]; then
    echo "==> [$preset] test"
    ctest --preset "$preset" || fail test
fi
echo "==> [$preset] ok"

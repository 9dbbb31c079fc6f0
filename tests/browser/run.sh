#!/bin/sh
# Runs the browser tests of the HTML report: installs puppeteer-core (npm ci,
# only when the lock file changed) into a folder of the build, then runs the
# tests with node's test runner against Debian's /usr/bin/chromium.
# Usage: run.sh <annalist tool> <build folder>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
build=$(cd "$2" && pwd)
work=$build/browser-test
if [ ! -x /usr/bin/chromium ]; then
    echo "browser tests: /usr/bin/chromium is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
fi
mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$here/report.test.mjs" "$work/"
if [ ! -d "$work/node_modules" ] || ! cmp -s "$here/package-lock.json" "$work/node_modules/.installed-lock.json"; then
    (cd "$work" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error >/dev/null)
    cp "$here/package-lock.json" "$work/node_modules/.installed-lock.json"
fi
cd "$work"
ANNALIST_TOOL=$tool ANNALIST_EXAMPLES=$here/../../examples ANNALIST_BROWSER_OUT=$build \
    exec node --test --test-reporter=tap report.test.mjs

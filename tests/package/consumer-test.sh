#!/bin/sh
# Installs the build into a prefix inside the build folder, then builds the
# consumer program of consumer/ against that prefix twice - through
# find_package(Annalist) and through pkg-config - runs both and checks that
# each wrote a well-formed Results.xml with the run in it.
# Usage: consumer-test.sh <build-dir> <source-dir>
set -eu
build=$1
source=$2
work=$build/tests/package-consumer
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix

fail() {
    echo "consumer-test: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install failed"; }

# The logger's settings, in a private registry.
export ANNALIST_REGISTRY="$work/registry"
mkdir -p "$ANNALIST_REGISTRY"
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_LOCAL_MACHINE\SOFTWARE\AnnalistConsumer]' '"Directory"="."' '"IterDir"="Row"' '"Eve1"="Replay"' '' \
    >"$ANNALIST_REGISTRY/HKEY_LOCAL_MACHINE.reg"

check_results() {
    results=$1/Results.xml
    [ -f "$results" ] || fail "$2: no $results"
    xmllint --noout "$results" || fail "$2: $results is not well-formed"
    grep -q 'ConsumerRun' "$results" || fail "$2: the test is missing from $results"
    grep -q 'The total is wrong' "$results" || fail "$2: the failed step is missing from $results"
}

# find_package
cmake -S "$source/tests/package/consumer" -B "$work/cmake-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake-configure.log" 2>&1 \
    || { cat "$work/cmake-configure.log" >&2; fail "find_package(Annalist) project did not configure"; }
cmake --build "$work/cmake-build" >"$work/cmake-build.log" 2>&1 \
    || { cat "$work/cmake-build.log" >&2; fail "find_package(Annalist) project did not build"; }
"$work/cmake-build/consumer" "$work/results-cmake" || fail "the find_package(Annalist) consumer failed"
check_results "$work/results-cmake" "find_package"

# pkg-config
pc=$(find "$prefix" -name annalist.pc | head -n 1)
[ -n "$pc" ] || fail "no annalist.pc installed"
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
flags=$(pkg-config --cflags --libs annalist) || fail "pkg-config does not know annalist"
# shellcheck disable=SC2086
c++ -std=c++17 -o "$work/consumer-pc" "$source/tests/package/consumer/consumer.cpp" $flags \
    || fail "the pkg-config consumer did not build"
LD_LIBRARY_PATH=$(pkg-config --variable=libdir annalist) "$work/consumer-pc" "$work/results-pc" \
    || fail "the pkg-config consumer failed"
check_results "$work/results-pc" "pkg-config"
echo "consumer-test: both consumers logged their run through the installed library"

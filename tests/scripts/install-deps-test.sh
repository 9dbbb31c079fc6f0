#!/bin/sh
# `make demo` installs only what the Linux build needs: its install step
# (the Makefile's deps-linux), listing what it would install, names the
# native toolchain and no Wine, mingw-w64 or i386 package; `make test`'s
# (deps) names them.
# Usage: install-deps-test.sh <source-dir>
set -u
cd "$1" || exit 1
fail() {
    echo "install-deps-test: $*"
    exit 1
}
make -n demo | grep -q 'install-deps.sh *linux' || fail "make demo does not install the linux set"
demo=$(make -s deps-linux DRY_RUN=1) || fail "make deps-linux DRY_RUN=1 failed"
echo "$demo" | grep -q ' g++$' || fail "the demo's set lacks g++: $demo"
echo "$demo" | grep -q ' cmake$' || fail "the demo's set lacks cmake: $demo"
windows=$(echo "$demo" | grep -E -i 'wine|mingw|i386')
[ -z "$windows" ] || fail "the demo's set names Windows packages: $windows"
everything=$(make -s deps DRY_RUN=1) || fail "make deps DRY_RUN=1 failed"
for p in wine32:i386 g++-mingw-w64-i686-posix; do
    echo "$everything" | grep -q " $p$" || fail "make test's set lacks $p"
done
echo "install-deps-test: the demo's set holds no Windows packages"

#!/bin/sh
# Runs a Windows program under Wine in a prefix of its own inside the build
# folder: headless, quiet, 32-bit or 64-bit as the build is.
# Usage: wine-run.sh <build-dir> <win32|win64> <program> [args...]
build_dir=$(cd "$1" && pwd); arch=$2; shift 2
export WINEPREFIX="$build_dir/wineprefix"
export WINEARCH="$arch"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1
    wineserver -w
fi
wine "$@"
status=$?
exit $status

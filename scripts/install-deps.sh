#!/bin/sh
# Installs the Debian packages that the builds and tests need, when missing.
# Usage: install-deps.sh [--dry-run] [linux|windows|fuzz|all]
#   linux    the native builds and their tests: toolchain, CMake, Ninja,
#            GoogleTest, libxml2 (xmllint, and the library the native tests
#            check Results.xml with), the header-only CLI11 and nlohmann/json,
#            help2man and man for the man page, pkg-config for the install test,
#            and for the report's tests Chromium (driven by puppeteer-core
#            from npm), node and npm (only when missing: a nodesource nodejs
#            brings its own npm) and junitparser (for Debian's /usr/bin/python3)
#   windows  the Windows builds and their tests under Wine: mingw-w64 for both
#            targets, Wine (32-bit prefixes need wine32 from the i386
#            architecture), Wine's IDL files for widl
#   fuzz     clang 14 with its libFuzzer and sanitizer runtimes (and
#            llvm-symbolizer) for the fuzz targets
#   all      all three (the default)
# --dry-run lists the packages of the set, each marked "installed" or
# "missing" (and the i386 architecture when it would be added), and installs
# nothing.
set -eu

linux_packages="cmake ninja-build g++ gcc make libgtest-dev googletest libxml2-utils libxml2-dev \
libcli11-dev nlohmann-json3-dev help2man man-db groff-base pkg-config chromium python3-junitparser"
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    linux_packages="$linux_packages nodejs npm"
fi
windows_packages="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools \
wine wine32:i386 wine64 libwine-dev"
fuzz_packages="clang-14 libclang-rt-14-dev llvm-14"

dry_run=false
set_name=all
for argument in "$@"; do
    case $argument in
    --dry-run) dry_run=true ;;
    linux | windows | fuzz | all) set_name=$argument ;;
    *)
        echo "usage: $0 [--dry-run] [linux|windows|fuzz|all]" >&2
        exit 2
        ;;
    esac
done
case $set_name in
linux) packages=$linux_packages ;;
windows) packages=$windows_packages ;;
fuzz) packages=$fuzz_packages ;;
all) packages="$linux_packages $windows_packages $fuzz_packages" ;;
esac

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
needs_i386() {
    case " $packages " in
    *":i386 "*)
        case " $(dpkg --print-foreign-architectures | tr '\n' ' ') " in
        *" i386 "*) return 1 ;;
        *) return 0 ;;
        esac
        ;;
    esac
    return 1
}

missing=""
for p in $packages; do
    if installed "$p"; then
        $dry_run && echo "installed $p"
    else
        $dry_run && echo "missing $p"
        missing="$missing $p"
    fi
done
if $dry_run; then
    needs_i386 && echo "architecture i386 would be added"
    exit 0
fi
[ -z "$missing" ] && exit 0

echo "Installing missing packages ($set_name):$missing"
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        SUDO=sudo
    else
        echo "error: packages missing ($missing) and not running as root; install them or run as root" >&2
        exit 1
    fi
else
    SUDO=
fi
if needs_i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
echo "Packages installed."

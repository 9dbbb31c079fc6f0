#!/bin/sh
# Installs the Debian packages that the builds and tests need, when missing:
# the native toolchain, GoogleTest, libxml2 (xmllint, and the library the
# native tests check Results.xml with), mingw-w64 for both Windows targets,
# Wine (32-bit prefixes need wine32 from the i386 architecture),
# Wine's IDL files for widl, the header-only CLI11 and nlohmann/json, and for
# the report's tests Chromium (driven by puppeteer-core from npm), node and
# npm (only when missing: a nodesource nodejs brings its own npm) and
# junitparser (for Debian's /usr/bin/python3).
set -eu

packages="cmake ninja-build g++ gcc make libgtest-dev googletest libxml2-utils libxml2-dev \
g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools \
wine wine32:i386 wine64 libwine-dev libcli11-dev nlohmann-json3-dev chromium python3-junitparser"
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    packages="$packages nodejs npm"
fi

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
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
case " $(dpkg --print-foreign-architectures | tr '\n' ' ') " in
    *" i386 "*) ;;
    *) $SUDO dpkg --add-architecture i386 ;;
esac
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
echo "Packages installed."

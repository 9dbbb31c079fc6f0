#!/bin/sh
# Builds the icon artwork generator and writes the library's icons and the
# icons of the test data. The generated files are committed; run this only
# after changing the artwork.
set -eu
cd "$(dirname "$0")/../.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
${CXX:-g++} -std=c++17 -Wall -Wextra -Werror -O2 -o "$out/icon-artwork" tools/icons/IconArtwork.cpp
mkdir -p src/resources/icons tests/data/icons
"$out/icon-artwork" src/resources/icons tests/data/icons

#!/bin/sh
# The man page renders with man(1) without a warning and describes every
# command that `annalist --help` lists, with the sections the page adds.
# Usage: man-page-test.sh <annalist.1> <tool>
set -u
page=$1
tool=$2
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
MANWIDTH=80 man --warnings -l "$page" >"$out" 2>"$err"
status=$?
fail() {
    echo "man-page-test: $*"
    exit 1
}
[ $status -eq 0 ] || { cat "$err"; fail "man -l $page failed ($status)"; }
[ ! -s "$err" ] || { cat "$err"; fail "man -l $page warned"; }
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS SETTINGS ENVIRONMENT FILES EXAMPLES; do
    grep -q "^$heading" "$out" || fail "no $heading section"
done
commands=$("$tool" --help | awk '
    /^(Subcommands|Commands):/ { listing = 1; next }
    listing && /^[^ ]/ { listing = 0 }
    listing && /^  [a-z]/ { print $1 }')
[ -n "$commands" ] || fail "the tool's help lists no commands"
for command in $commands; do
    grep -q "annalist $command" "$out" || fail "the command $command is not described"
done
grep -q -- '--settings' "$out" || fail "replay's options are missing"
echo "man-page-test: renders; commands:" $commands

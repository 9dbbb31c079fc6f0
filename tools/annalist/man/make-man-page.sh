#!/bin/sh
# Writes the annalist(1) man page from the tool's own help, so that the page
# follows the tool: help2man makes the page from `annalist --help` and
# `annalist --version`, each command's `annalist COMMAND --help` becomes a
# part of its COMMANDS section, and annalist.h2m adds what the help does not
# say (settings, files, examples).
# Usage: make-man-page.sh <tool> <annalist.h2m> <output.1>
set -eu
tool=$1
static=$2
output=$3
include=$output.h2m

# The commands, as the tool's help lists them.
commands=$("$tool" --help | awk '
    /^(Subcommands|Commands):/ { listing = 1; next }
    listing && /^[^ ]/ { listing = 0 }
    listing && /^  [a-z]/ { print $1 }')

{
    cat "$static"
    echo "[COMMANDS]"
    for command in $commands; do
        echo ".SS \"annalist $command\""
        echo ".nf"
        # roff: a backslash is written \e; a line may not begin with . or '.
        "$tool" "$command" --help | sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
        echo ".fi"
    done
} >"$include"

help2man --no-info --no-discard-stderr --section=1 \
    --name="the command-line tool of the Annalist results logger" \
    --include="$include" --output="$output" "$tool"
rm -f "$include"

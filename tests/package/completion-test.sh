#!/bin/bash
# The bash completion offers the tool's commands, a command's options, and
# the values an option names, as the tool's help gives them.
# Usage: completion-test.sh <annalist.bash> <tool>
set -u
source "$1"
tool=$2
failures=0

# complete "<expected words>" word...: completes the last word.
expect() {
    local expected=$1
    shift
    COMP_WORDS=("$tool" "$@")
    COMP_CWORD=$(($# ))
    COMPREPLY=()
    _annalist
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    if [[ $got != "$expected " ]]; then
        echo "completing '$*': expected '$expected', got '${got% }'"
        failures=$((failures + 1))
    fi
}

# Every command the help lists, and no option, for an empty word.
commands=$("$tool" --help | awk '
    /^(Subcommands|Commands):/ { listing = 1; next }
    listing && /^[^ ]/ { listing = 0 }
    listing && /^  [a-z]/ { print $1 }' | sort | tr '\n' ' ')
expect "${commands% }" ""
expect "replay" repl
expect "--help --version" --
expect "--settings" replay --se
expect "--filter" replay events.jsonl --fil
expect "current earlier" replay events.jsonl --level ""
expect "earlier" replay --level e
expect "--output" replay --o
[ $failures -eq 0 ] || exit 1
echo "completion-test: commands, options and option values complete"

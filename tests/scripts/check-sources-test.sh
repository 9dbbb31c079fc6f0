#!/bin/sh
# scripts/check-sources.sh passes on the sources, and fails on a copy of them
# that includes upward (a text header including a report header) or climbs
# out of the include folders with "../", naming the file.
# Usage: check-sources-test.sh <source-dir>
set -u
source=$1
"$source/scripts/check-sources.sh" || { echo "check-sources-test: the sources do not pass"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scripts"
cp "$source/scripts/check-sources.sh" "$work/scripts/"
(cd "$source" && git ls-files -z --cached --others --exclude-standard -- src tools tests | xargs -0 cp --parents -t "$work")
cd "$work" || exit 1
git init -q . && git add -A . || exit 1
scripts/check-sources.sh 2>/dev/null || { echo "check-sources-test: the copy of the sources does not pass"; exit 1; }

# expect_failure <file> <line to add> <text the report names>
expect_failure() {
    cp "$1" "$1.orig"
    echo "$2" >>"$1"
    report=$(scripts/check-sources.sh 2>&1)
    status=$?
    mv "$1.orig" "$1"
    if [ $status -eq 0 ]; then
        echo "check-sources-test: '$2' in $1 passed the check"
        exit 1
    fi
    case $report in
    *"$1"*"$3"*) ;;
    *)
        echo "check-sources-test: the report of '$2' in $1 does not say '$3':"
        echo "$report"
        exit 1
        ;;
    esac
}
expect_failure src/text/BstrString.h '#include "report/XmlText.h"' "text may not use report"
expect_failure src/host/HostMessages.cpp '#include "fs/FolderServices.h"' "host may not use fs"
expect_failure src/core/AnnalistImp.h '#include "component/Module.h"' "core may not use component"
expect_failure src/report/XmlText.h '#include "../core/LoggerInterfaces.h"' "climbs out"
echo "check-sources-test: upward includes are refused"

#!/bin/sh
# The DLL as a COM server under Wine, end to end: regsvr32 with counted
# registrations from two folders, the settings written with "reg add", a
# VBScript client that creates the logger by ProgID and logs a run with
# Scripting.Dictionary descriptions, and the results folder it leaves.
# Usage: com-server-test.sh <build-dir> <source-dir> <annalist.dll>
set -u
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
dll=$3
run="$source/cmake/wine-run.sh"
work="$build/tests/com-server"
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

wine_path() { echo "Z:$1" | tr / '\\'; }

# A value of a key in the prefix's registry ("" when missing).
reg_value() {
    "$run" "$build" win32 reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
reg_default() {
    "$run" "$build" win32 reg query "$1" /ve 2>/dev/null | tr -d '\r' |
        awk '/REG_SZ/ { sub(/^.*REG_SZ +/, ""); print }'
}
reg_exists() { "$run" "$build" win32 reg query "$1" >/dev/null 2>&1; }

clsid="{$(sed -n 's/^#define ANNALIST_CLSID_TEXT "\(.*\)"$/\1/p' "$source/include/annalist/annalist.h")}"
libid="{$(sed -n 's/^#define ANNALIST_LIBID_TEXT "\(.*\)"$/\1/p' "$source/include/annalist/annalist.h")}"
server="HKCR\\CLSID\\$clsid\\InprocServer32"
counter="HKCR\\TypeLib\\$libid\\1.0\\0\\win32"
settings='HKLM\Software\AnnalistComServerTest'

rm -rf "$work"
mkdir -p "$work/a" "$work/b" "$work/results"
cp "$dll" "$work/a/annalist.dll"
cp "$dll" "$work/b/annalist.dll"

# Registrations are counted, whichever folder they come from.
"$run" "$build" win32 regsvr32 /s "$(wine_path "$work/a/annalist.dll")" || fail "regsvr32 from folder a"
"$run" "$build" win32 regsvr32 /s "$(wine_path "$work/b/annalist.dll")" || fail "regsvr32 from folder b"
[ "$(reg_value "$server" RefCount)" = "0x2" ] || fail "class count after two registrations: $(reg_value "$server" RefCount)"
[ "$(reg_value "$counter" RefCount)" = "0x2" ] || fail "type library count after two registrations"
[ "$(reg_default "$server")" = "annalist.dll" ] || fail "server path is the bare file name: $(reg_default "$server")"
[ "$(reg_value "$server" ThreadingModel)" = "Apartment" ] || fail "threading model: $(reg_value "$server" ThreadingModel)"
"$run" "$build" win32 regsvr32 /u /s "$(wine_path "$work/b/annalist.dll")" || fail "regsvr32 /u from folder b"
[ "$(reg_value "$server" RefCount)" = "0x1" ] || fail "class count after one unregistration"
[ "$(reg_value "$counter" RefCount)" = "0x1" ] || fail "type library count after one unregistration"
reg_exists 'HKCR\Talvex.Annalist\CurVer' || fail "ProgID kept while a registration remains"

# The settings the logger reads.
"$run" "$build" win32 reg add "$settings" /v Directory /d . /f >/dev/null
"$run" "$build" win32 reg add "$settings" /v IterDir /d Row /f >/dev/null
i=1
for type in Replay User Error; do
    "$run" "$build" win32 reg add "$settings" /v "Eve$i" /d "$type" /f >/dev/null
    i=$((i + 1))
done

# The scripted run, from the DLL's folder (the registered path has no folder).
output=$(cd "$work/a" && "$run" "$build" win32 cscript //nologo "$(wine_path "$source/tests/windows/ScriptedRun.vbs")" \
    'Software\AnnalistComServerTest' "$(wine_path "$work/results")" 2>&1 | tr -d '\r')
echo "$output"
echo "$output" | grep -q '^SCRIPTED-RUN-DONE$' || fail "the script did not finish"
echo "$output" | grep -q '^FAIL:' && fail "the script's checks"

# The results folder.
if [ -f "$work/results/Results.xml" ]; then
    xmllint --noout "$work/results/Results.xml" || fail "Results.xml is not well-formed"
else
    fail "no Results.xml"
fi
[ -f "$work/results/GeneralInfo.ini" ] || fail "no GeneralInfo.ini"
[ -d "$work/results/Icons" ] || fail "no Icons folder"

# The last unregistration removes the entries and the counters.
"$run" "$build" win32 regsvr32 /u /s "$(wine_path "$work/a/annalist.dll")" || fail "regsvr32 /u from folder a"
reg_exists "HKCR\\CLSID\\$clsid" && fail "class key left after the last unregistration"
reg_exists 'HKCR\Talvex.Annalist' && fail "ProgID left after the last unregistration"
[ -z "$(reg_value "$counter" RefCount)" ] || fail "type library count left after the last unregistration"
"$run" "$build" win32 reg delete "$settings" /f >/dev/null 2>&1

if [ "$failures" -ne 0 ]; then
    echo "com-server-test: $failures failure(s)"
    exit 1
fi
echo "com-server-test: passed"

#!/bin/sh
# Source rules that the compilers cannot check:
# - only the platform layer knows which OS it runs on;
# - text is UTF-16 through WCHAR and W("..."), never wchar_t, char16_t or L"...";
# - the C library's wide-character functions are never called (on Linux they
#   work on 32-bit units): the platform layer's PAL_ helpers stand in for them;
# - a layer includes only its own headers and those of the layers it uses
#   (src/layers.txt): nothing includes upward, and no include climbs out of
#   the include folders with "../".
set -u
cd "$(dirname "$0")/.."
status=0
files=$(git ls-files -- 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' | grep -v '^src/platform/')
[ -n "$files" ] || exit 0

report() {
    echo "check-sources: $1" >&2
    echo "$2" | sed 's/^/    /' >&2
    status=1
}

hits=$(echo "$files" | xargs grep -n -E '^\s*#\s*(if|ifdef|ifndef|elif).*(_WIN32|_WIN64|__linux__|__unix__|_MSC_VER|__MINGW32__)' || true)
[ -z "$hits" ] || report "OS tests outside src/platform" "$hits"

hits=$(echo "$files" | xargs grep -n -E '\b(wchar_t|char16_t)\b|(^|[^A-Za-z0-9_])L"' || true)
[ -z "$hits" ] || report "wchar_t, char16_t or L\"...\" outside src/platform (use WCHAR and W(\"...\"))" "$hits"

hits=$(echo "$files" | xargs grep -n -E '(^|[^A-Za-z0-9_.>:])(wcslen|wcscmp|wcsncmp|wcscpy|wcsncpy|wcscat|wcschr|wcsrchr|wcsstr|wcstol|wcstoul|wcstod|wcsicmp|_wcsicmp|swprintf|vswprintf|wprintf|fwprintf|iswspace|iswalpha|iswdigit|towlower|towupper|wmemcpy|wmemset|wcsdup|_wcsdup)\s*\(' || true)
[ -z "$hits" ] || report "C library wide-character functions (use the PAL_ helpers of pal/wstr.h)" "$hits"

# Upward includes. A file in src/<layer>/ may include "<other>/..." only for
# the layers its row of src/layers.txt names; the platform layer's headers
# ("pal/...", and the public "annalist/...") are open to every layer. Folders
# of src/ that are not in the table are reported too.
table=$(grep -E '^[a-z]' src/layers.txt)
sources=$(git ls-files -- 'src/*.cpp' 'src/*.h' 'src/*.inc')
unlisted=$(echo "$sources" | cut -d/ -f2 | sort -u | while read -r folder; do
    echo "$table" | grep -qE "^$folder( |\t|$)" || echo "src/$folder"
done)
[ -z "$unlisted" ] || report "folders of src/ missing from src/layers.txt" "$unlisted"
hits=$(echo "$sources" | xargs grep -n -E '^\s*#\s*include\s*"' | awk -v table="$table" '
    BEGIN {
        n = split(table, rows, "\n")
        for (i = 1; i <= n; i++) {
            count = split(rows[i], words, /[ \t]+/)
            layer[words[1]] = 1
            for (j = 1; j <= count; j++)
                uses[words[1] "," words[j]] = 1
        }
    }
    {
        split($0, path, "/")
        from = path[2]
        included = $0
        sub(/^[^"]*"/, "", included)
        sub(/".*$/, "", included)
        if (included ~ /(^|\/)\.\.\//) {
            print $0 "   (climbs out with ../)"
            next
        }
        to = included
        sub(/\/.*$/, "", to)
        if (to == "pal" || to == "annalist")
            to = "platform"
        if (included !~ /\// || !(to in layer))
            next
        if (!((from "," to) in uses))
            print $0 "   (" from " may not use " to ")"
    }')
[ -z "$hits" ] || report "includes of a layer that the including layer may not use (see src/layers.txt)" "$hits"

exit $status

#!/bin/sh
# Source rules that the compilers cannot check:
# - only the platform layer knows which OS it runs on;
# - text is UTF-16 through WCHAR and W("..."), never wchar_t, char16_t or L"...";
# - the C library's wide-character functions are never called (on Linux they
#   work on 32-bit units): the platform layer's PAL_ helpers stand in for them.
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

exit $status

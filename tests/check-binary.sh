#!/usr/bin/env bash
# Checks a built Windows binary: it imports only DLLs that ship with Windows, and (when
# names follow the file) exports exactly those names.
set -euo pipefail
objdump=$1 file=$2; shift 2
dump=$("$objdump" -p "$file")

system='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|msvcrt|version|uxtheme)\.dll$'
bad=0
while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system"; then
        echo "$file imports $dll, which does not ship with Windows" >&2
        bad=1
    fi
done < <(echo "$dump" | sed -n 's/^\s*DLL Name: //p')

if [ $# -gt 0 ]; then
    exported=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort)
    expected=$(printf '%s\n' "$@" | sort)
    if [ "$exported" != "$expected" ]; then
        echo "$file exports:" $exported "; expected:" $expected >&2
        bad=1
    fi
fi
[ $bad -eq 0 ] && echo "$file: imports and exports as expected"
exit $bad

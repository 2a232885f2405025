#!/bin/sh
# Checks the load-time contract of tessarub.dll with objdump (no wine needed):
#   check-exports.sh <tessarub.dll> [<program.exe> ...]
# The DLL must export exactly the two names _Threadtessarub1@4 and
# _Threadtessarub2@4 and import nothing but system libraries; every program
# given must import both names from the DLL through its import table.
# OBJDUMP names the objdump to use (a mingw-w64 one by default).
set -eu

if [ $# -lt 1 ]; then
    echo "usage: $0 <tessarub.dll> [<program.exe> ...]" >&2
    exit 2
fi
dll=$1
shift

objdump=${OBJDUMP:-}
if [ -z "$objdump" ]; then
    for candidate in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump objdump; do
        if command -v "$candidate" >/dev/null 2>&1; then
            objdump=$candidate
            break
        fi
    done
fi
[ -n "$objdump" ] || { echo "no objdump found" >&2; exit 2; }

expected="_Threadtessarub1@4
_Threadtessarub2@4"
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

# Named exports, in name-table order (objdump keeps it sorted).
dump=$("$objdump" -p "$dll") || { echo "cannot read $dll" >&2; exit 1; }
names=$(printf '%s\n' "$dump" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
    inside && /^[[:space:]]*$/ { inside = 0 }
    inside && /\[ *[0-9]+\]/ { print $NF }')
if [ "$names" != "$expected" ]; then
    fail "$dll exports [$(echo $names)], expected [$(echo $expected)]"
fi
# No exports by ordinal only: the address table has exactly the two entries.
addresses=$(printf '%s\n' "$dump" | awk '/^\tExport Address Table[ \t]+[0-9a-fA-F]+$/ { print $NF; exit }')
if [ "$addresses" != "00000002" ]; then
    fail "$dll export address table has ${addresses:-no} entries, expected 00000002"
fi

# The DLL must run with what Windows ships: no runtime DLLs beside it.
imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/ { print tolower($3) }')
for name in $imports; do
    case $name in
        kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll) ;;
        *) fail "$dll imports $name" ;;
    esac
done

# The name programs bind to is the one the export directory records.
dllname=$(printf '%s\n' "$dump" | awk '/^Name[ \t]+[0-9a-fA-F]+ / { print tolower($3); exit }')
if [ "$dllname" != "tessarub.dll" ]; then
    fail "$dll calls itself ${dllname:-nothing}, expected tessarub.dll"
fi

# Every program given imports both routines by name from the DLL.
for program in "$@"; do
    bound=$("$objdump" -p "$program" | awk -v want="$dllname" '
        /DLL Name:/ { current = tolower($3); next }
        /^[[:space:]]*$/ { current = "" }
        current == want && NF >= 3 && $1 ~ /^[0-9a-fA-F]+$/ { print $NF }' | sort -u)
    if [ "$bound" != "$expected" ]; then
        fail "$program imports [$(echo $bound)] from $dllname, expected [$(echo $expected)]"
    fi
done

[ $status -eq 0 ] && echo "tessarub exports and imports are as expected"
exit $status

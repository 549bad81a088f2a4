#!/usr/bin/env bash
# Vorlix.exe needs no DLL beyond Windows' own: the GCC runtime, the C++
# library and winpthread are linked in.
#   dlls.sh <objdump> <Vorlix.exe>
set -euo pipefail
objdump="$1" exe="$2"
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|msvcrt|ntdll)\.dll$'
status=0
count=0
while read -r dll; do
    count=$((count + 1))
    name="$(tr '[:upper:]' '[:lower:]' <<<"$dll")"
    if [[ "$name" =~ $allowed ]]; then
        echo "ok: $dll"
    else
        echo "FAILED: $dll is not part of Windows"
        status=1
    fi
done < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
if [ "$count" -eq 0 ]; then
    echo "FAILED: no imports read from $exe"
    status=1
fi
exit "$status"

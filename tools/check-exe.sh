#!/usr/bin/env bash
# Checks a built deskflip.exe: the machine it is for, and that it needs no DLL beyond Windows' own.
#   check-exe.sh OBJDUMP EXE i686|x86_64
set -euo pipefail
objdump=$1 exe=$2 arch=$3

case $arch in
    i686) want='PE32 executable (GUI) Intel 80386' ;;
    x86_64) want='PE32+ executable (GUI) x86-64' ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
kind=$(file -b "$exe")
if [[ $kind != "$want"* ]]; then
    echo "FAIL: $exe is '$kind', expected '$want'"
    exit 1
fi

# DLLs every Windows installation ships in its system folder.
system_dlls='^(kernel32|user32|gdi32|shell32|comctl32|advapi32|msvcrt|ole32|oleaut32|ntdll|ws2_32|version|uxtheme)\.dll$'
status=0
while read -r dll; do
    if [[ ${dll,,} =~ $system_dlls ]]; then
        echo "imports $dll"
    else
        echo "FAIL: imports $dll, which is not part of Windows"
        status=1
    fi
done < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')

echo "$kind, $(stat -c %s "$exe") bytes"
exit $status

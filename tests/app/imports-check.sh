#!/usr/bin/env bash
# Lists the DLLs a Windows program names in its import table and fails when
# one of them is not a DLL that Windows always takes from its own system
# folder (the "known DLLs"). Any other DLL the loader may look for beside
# the program first, where anyone who can write to a downloads folder can
# put one. The common controls, which are not a known DLL, must come through
# the manifest or by full path (app/SafeDllLoading.h).
#
#   tests/app/imports-check.sh [--startup] PROGRAM.exe
#
# With --startup, only the DLLs a window's start needs are allowed: under
# Wine every imported DLL, with all it imports, is loaded before the
# program's first line, and the shell, OLE and the common dialogs took a
# large share of the time to the first window. Those are loaded where they
# are used (common/SystemDll.h).
#
# Prints every imported DLL, "ok" or "NOT ALLOWED"; exit status 0 when all
# are allowed, 1 when one is not, 2 when the program cannot be read.
set -uo pipefail

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
allowed=" advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll \
oleaut32.dll rpcrt4.dll setupapi.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll "

if [ "${1:-}" = --startup ]; then
  allowed=" advapi32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll user32.dll "
  shift
fi
if [ $# -ne 1 ]; then
  echo "usage: $0 [--startup] PROGRAM.exe" >&2
  exit 2
fi
if ! dump=$("$objdump" -p "$1" 2>&1); then
  echo "$0: cannot read $1: $dump" >&2
  exit 2
fi

status=0
names=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)
for name in $names; do
  if [[ "$allowed" == *" $name "* ]]; then
    echo "$name ok"
  else
    echo "$name NOT ALLOWED"
    status=1
  fi
done
exit $status

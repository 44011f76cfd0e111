#!/usr/bin/env bash
# artifact_test.sh OBJDUMP SAVER FORMAT: the .scr is a GUI program of the
# expected format that imports only Windows system DLLs.
set -u
objdump=$1
scr=$2
format=$3
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/../check_lib.sh"
headers=$("$objdump" -p "$scr")
check "file format $format" grep -q "file format $format" <<<"$headers"
check "Windows GUI subsystem" grep -Eq 'Subsystem[[:space:]]+00000002' <<<"$headers"
check "named .scr" test "${scr##*.}" = scr
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print toupper($3)}' | sort -u | tr '\n' ' ')
echo "imports: $dlls"
only_system() {
  local d
  for d in $dlls; do
    case $d in
      KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|MSVCRT.DLL) ;;
      *) echo "not a system DLL: $d"; return 1 ;;
    esac
  done
}
check "imports only system DLLs" only_system
check "carries the DPI-aware manifest" grep -aq 'PerMonitorV2' "$scr"
checks_summary

#!/usr/bin/env bash
# artifact_test.sh OBJDUMP SAVER FORMAT VERSION: the .scr is a GUI program of
# the expected format that imports only Windows system DLLs, with its icon
# and its version.
set -u
objdump=$1
scr=$2
format=$3
version=$4
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
# Explorer and the screen saver list show the icon group with the lowest id.
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-artifact.XXXXXX")
trap 'rm -rf "$t"' EXIT
wrestool -x --type=14 --name=100 "$scr" >"$t/icon.ico" 2>/dev/null
icon_sizes() { icotool -l "$t/icon.ico" | sed -n 's/.*--width=\([0-9]*\) .*/\1/p' | tr '\n' ' '; }
check "its icon 100 holds 16, 32, 48 and 256 px" test "$(icon_sizes)" = "16 32 48 256 "
lowest=$(wrestool -l --type=14 "$scr" | sed -n 's/.*--name=\([0-9]*\).*/\1/p' | sort -n | head -n1)
check "and is the first icon group" test "$lowest" = 100
# The version resource holds its strings in UTF-16.
version_strings() {
  wrestool -x --raw --type=16 "$scr" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -c '[:print:]' ' ' | tr -s ' '
}
check "the version resource says $version" grep -qF "FileVersion $version " <(version_strings)
checks_summary

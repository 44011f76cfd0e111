#!/usr/bin/env bash
# zip_test.sh ZIP VERSION: the Windows zip holds the two screen savers, each
# for its Windows, and a README.txt for Windows' editors, and nothing else.
set -u
ZIP=$1 VERSION=$2
CHECK_TMP=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-zip.XXXXXX")
trap 'rm -rf "$CHECK_TMP"' EXIT
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/../check_lib.sh"
t=$CHECK_TMP
[ -f "$ZIP" ] || { echo "no zip at $ZIP: run scripts/package first"; exit 1; }

check "named with the version" test "$(basename "$ZIP")" = "mandeldive-$VERSION-windows.zip"
check "the zip is whole" unzip -tqq "$ZIP"
printf '%s\n' README.txt x64/mandeldive.scr x86/mandeldive.scr >"$t/expected"
zipinfo -1 "$ZIP" | grep -v '/$' | sort >"$t/files"
check "it holds x64/mandeldive.scr, x86/mandeldive.scr and README.txt" diff "$t/expected" "$t/files"
unzip -q "$ZIP" -d "$t/out"
kind() { file -b "$t/out/$1"; }
check "x64 is a 64-bit Windows program" grep -q '^PE32+ executable (GUI) x86-64' <(kind x64/mandeldive.scr)
check "x86 is a 32-bit Windows program" grep -q '^PE32 executable (GUI) Intel 80386' <(kind x86/mandeldive.scr)
check "README.txt has Windows line endings" grep -q 'CRLF line terminators' <(kind README.txt)
check "README.txt names the version" grep -q "mandeldive $VERSION" "$t/out/README.txt"
check "README.txt says how to install" grep -q '^Install' "$t/out/README.txt"
check "README.txt says how to uninstall" grep -q '^Uninstall' "$t/out/README.txt"
checks_summary

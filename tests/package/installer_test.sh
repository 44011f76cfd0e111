#!/usr/bin/env bash
# installer_test.sh SETUP RENDER VERSION BITS [CA]: the Windows installer in a
# fresh Wine prefix of its own, 64-bit or (BITS 32) WINEARCH=win32, on a
# virtual X display of its own. Silent install, the installed saver's
# picture, refusals while the saver runs, a second install over the first,
# silent uninstall, and an uninstall that leaves another saver chosen.
# Given CA, a certificate, the saver and the uninstaller it installs must
# carry valid Authenticode signatures that chain to it.
set -u
SETUP=$1 RENDER=$2 VERSION=$3 BITS=$4 CA=${5:-}
[ -f "$SETUP" ] || { echo "no installer at $SETUP: run scripts/package first"; exit 1; }
# Programs that see the system as Windows itself does: on 64-bit, the
# 64-bit loader, for which system32 and the registry are the 64-bit ones
# (the plain wine command would start 32-bit reg.exe and start.exe).
if [ "$BITS" = 32 ]; then
  export WINEARCH=win32
  kind='^PE32 executable (GUI) Intel 80386'
  native=(wine)
else
  export WINEARCH=win64
  kind='^PE32+ executable (GUI) x86-64'
  native=(/usr/lib/wine/wine64)
fi
unset MANDELDIVE_WINE_TEMPLATE   # a fresh prefix, as on a new machine
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/../e2e/lib.sh" "$SETUP" none "$RENDER"
t=$E2E_TMP

SAVER_WIN='C:\windows\system32\mandeldive.scr'
saver_file=$WINEPREFIX/drive_c/windows/system32/mandeldive.scr
install_dir=$WINEPREFIX/drive_c/Program\ Files/mandeldive
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\mandeldive'
DESKTOP_KEY='HKCU\Control Panel\Desktop'

value() {  # value KEY NAME: the value's data, or nothing when it is missing
  # reg.exe itself now and then fails to start on a loaded machine, so a
  # failed query is asked again, three times at most.
  local out try
  for try in 1 2 3; do
    out=$("${native[@]}" reg query "$1" /v "$2" 2>/dev/null) && break
  done
  printf '%s\n' "$out" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
key_gone() { ! "${native[@]}" reg query "$UNINSTALL_KEY" >/dev/null 2>&1; }
run_setup() {  # run_setup ARGS...: sets RC when the installer and its children end
  timeout 120 wine "$SETUP" "$@" >/dev/null 2>&1
  RC=$?
  timeout 60 wineserver -w
}
uninstall_quietly() {  # QuietUninstallString, as Add or Remove Programs runs it
  local quiet program
  quiet=$(value "$UNINSTALL_KEY" QuietUninstallString)
  program=$(printf '%s' "$quiet" | sed -n 's/^"\([^"]*\)" \/S$/\1/p')
  [ -n "$program" ] || { echo "no quiet uninstall string: $quiet"; return 1; }
  timeout 120 wine "$program" /S >/dev/null 2>&1
  # The uninstaller runs a copy of itself from the temporary folder.
  timeout 60 wineserver -w
}

run_setup /S
check "a silent install ends with 0" equals "$RC" 0
check "it puts the $BITS-bit saver in the system folder" grep -q "$kind" <(file -b "$saver_file")
if [ "$BITS" = 64 ]; then
  check "and nothing in the 32-bit one" test ! -e "$WINEPREFIX/drive_c/windows/syswow64/mandeldive.scr"
fi
check "SCRNSAVE.EXE names it" equals "$(value "$DESKTOP_KEY" SCRNSAVE.EXE)" "$SAVER_WIN"
check "DisplayName" equals "$(value "$UNINSTALL_KEY" DisplayName)" "mandeldive screen saver"
check "DisplayVersion is $VERSION" equals "$(value "$UNINSTALL_KEY" DisplayVersion)" "$VERSION"
check "Publisher" equals "$(value "$UNINSTALL_KEY" Publisher)" "The mandeldive authors"
check "DisplayIcon is the saver's icon" equals "$(value "$UNINSTALL_KEY" DisplayIcon)" "$SAVER_WIN,0"
check "UninstallString" equals "$(value "$UNINSTALL_KEY" UninstallString)" \
  '"C:\Program Files\mandeldive\uninstall.exe"'
check "QuietUninstallString" equals "$(value "$UNINSTALL_KEY" QuietUninstallString)" \
  '"C:\Program Files\mandeldive\uninstall.exe" /S'
check "the uninstaller is where they say" test -f "$install_dir/uninstall.exe"
if [ -n "$CA" ]; then
  signed() { osslsigncode verify -CAfile "$CA" -in "$1" >"$t/verify.log" 2>&1; }
  check "the installed saver is signed" signed "$saver_file"
  check "the installed uninstaller is signed" signed "$install_dir/uninstall.exe"
fi

# The installed saver, with the user's schemes, draws the renderer's picture.
reg_set MandelbrotColor 7
reg_set BackgroundColor 12
render "$t/expected.png" --size 800x600 --mandelbrot-color 7 --background-color 12
cp "$saver_file" "$t/installed.scr"
"${native[@]}" "$SAVER_WIN" /s >/dev/null 2>&1 &
SAVER_PID=$!
check "the installed saver's /s picture equals the renderer's" wait_until 60 screen_shows "$t/expected.png"

# While it runs its file cannot be replaced or removed: both refuse and
# change nothing.
timeout 120 wine "$SETUP" /S >/dev/null 2>&1
check "an install while the saver runs is refused with 2" equals "$?" 2
# _?= runs the uninstaller in place, so its exit code is its own. It must
# reach it unquoted, which only a batch file does.
printf '@"C:\\Program Files\\mandeldive\\uninstall.exe" /S _?=C:\\Program Files\\mandeldive\r\n@exit /b %%ERRORLEVEL%%\r\n' \
  >"$t/in-place.bat"
timeout 120 wine cmd /c "Z:${t//\//\\}\\in-place.bat" >/dev/null 2>&1
rc=$?
check "an uninstall while the saver runs is refused with 2 (it gave $rc)" equals "$rc" 2
check "and the saver is untouched" cmp -s "$saver_file" "$t/installed.scr"
check "and so is its entry" equals "$(value "$UNINSTALL_KEY" DisplayVersion)" "$VERSION"
xdotool mousemove 400 300 click 1
check "the saver ends on a click" saver_ends_within 20
stop_saver

# A second install over the first.
run_setup /S
check "a second install ends with 0" equals "$RC" 0
check "the saver is the same file" cmp -s "$saver_file" "$t/installed.scr"
check "one Uninstall entry, still $VERSION" equals "$(value "$UNINSTALL_KEY" DisplayVersion)" "$VERSION"

uninstall_quietly
check "a silent uninstall removes the saver" test ! -e "$saver_file"
check "and its Uninstall entry" key_gone
check "and its folder" test ! -e "$install_dir"
check "and clears SCRNSAVE.EXE" equals "$(value "$DESKTOP_KEY" SCRNSAVE.EXE)" ""
check "the user's schemes stay" equals "$(reg_get MandelbrotColor)/$(reg_get BackgroundColor)" 7/12

# Another saver chosen since: the uninstall leaves that choice alone.
run_setup /S
check "installed again" equals "$RC" 0
OTHER='C:\windows\system32\other.scr'
"${native[@]}" reg add "$DESKTOP_KEY" /v SCRNSAVE.EXE /t REG_SZ /d "$OTHER" /f >/dev/null 2>&1
uninstall_quietly
check "an uninstall keeps another saver in SCRNSAVE.EXE" equals "$(value "$DESKTOP_KEY" SCRNSAVE.EXE)" "$OTHER"
check "and still removes ours" test ! -e "$saver_file"
finish

#!/usr/bin/env bash
# dialog_test.sh SAVER HELPER RENDER: the settings dialog, driven with the
# real keyboard and mouse of the X display.
. "$(dirname "$0")/lib.sh"
t=$E2E_TMP

press_in_settings() {  # press_in_settings KEY
  local id
  id=$(xdotool search --onlyvisible --name '^Settings$' | head -n1)
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  xdotool key "$1"
}

click_control() {  # click_control ID: a real mouse click on a dialog control
  local where
  where=$(wine "$HELPER" locate Settings "$1" | tr -d '\r')
  [ -n "$where" ] || return 1
  # shellcheck disable=SC2086
  xdotool mousemove $where click 1
}

# No argument: the dialog; Enter stores the checked defaults.
reg_clear
start_saver
check "no argument opens Settings" wait_until 60 window_up Settings
press_in_settings Return
check "Enter closes it" saver_ends_within 20
check "with exit code 1" equals "$SAVER_RC" 1
check "and stores 0 inside" equals "$(reg_get MandelbrotColor)" 0
check "and 0 outside" equals "$(reg_get BackgroundColor)" 0
stop_saver

# "/c:1234": the dialog; Escape stores nothing.
reg_clear
start_saver /c:1234
check "\"/c:1234\" opens Settings" wait_until 60 window_up Settings
press_in_settings Escape
check "Escape closes it" saver_ends_within 20
check "with exit code 1 too" equals "$SAVER_RC" 1
check "and nothing is stored" equals "$(reg_get MandelbrotColor)" none
stop_saver

# A choice made with the mouse is stored, and the saver draws in it.
reg_clear
start_saver
check "the dialog opens again" wait_until 60 window_up Settings
check "click \"Red + green\"" click_control 41033
check "click \"Futuristic II\"" click_control 41024
press_in_settings Return
check "Enter stores the choice" saver_ends_within 20
check "exit code 1" equals "$SAVER_RC" 1
check "inside scheme 7 stored" equals "$(reg_get MandelbrotColor)" 7
check "escape scheme 13 stored" equals "$(reg_get BackgroundColor)" 13
stop_saver
render "$t/chosen.png" --size 800x600 --mandelbrot-color 7 --background-color 13
start_saver /s
check "the next \"/s\" draws in the choice" wait_until 60 screen_shows "$t/chosen.png"
xdotool mousemove 400 300 click 1
check "and a click ends it" saver_ends_within 20

finish

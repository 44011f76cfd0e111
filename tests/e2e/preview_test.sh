#!/usr/bin/env bash
# preview_test.sh SAVER HELPER RENDER: "/p" inside a host window.
. "$(dirname "$0")/lib.sh"
t=$E2E_TMP

# Wine shows nothing that one process draws into a window of another (it
# keeps a window's pixels in the process that owns the top-level window), so
# the preview's picture cannot be seen here; its window and its life can.
flag="Z:$(echo "$t/destroy" | tr / '\\')"
wine "$HELPER" preview "$SCR" "$flag" 152 112 >"$t/helper.out" 2>&1 &
helper=$!
saver_started() { pgrep -f 'mandeldive[.]scr.* /p [0-9]' >/dev/null; }
check "the host starts the saver with \"/p <hwnd>\"" wait_until 30 saver_started
sleep_while_running() { ! wait_until 3 bash -c "! kill -0 $helper 2>/dev/null"; }
check "the preview keeps running" sleep_while_running
touch "$t/destroy"
helper_gone() { ! kill -0 "$helper" 2>/dev/null; }
check "destroying the host window ends the saver" wait_until 30 helper_gone
wait_for 30 "$helper" "the preview host"
rc=$?
report=$(tr -d '\r' <"$t/helper.out")
echo "$report"
check "with exit code 0" equals "$rc" 0
check "its window was a visible 152x112 child of the host" \
  grep -q '^child MainWndClass myScreenSaver 152x112 visible child$' <<<"$report"
stop_saver

# The host destroyed while the saver draws a large first picture: the
# drawing ends on a window that is gone, then the saver leaves with 0.
wine "$HELPER" preview "$SCR" after:40 1920 1080 >"$t/busy.out" 2>&1 &
helper=$!
check "a host destroyed mid-render ends the saver" wait_until 60 helper_gone
wait_for 30 "$helper" "the preview host"
rc=$?
tr -d '\r' <"$t/busy.out"
check "mid-render: exit code 0" equals "$rc" 0
stop_saver

for tail in "/p" "/p junk"; do
  # shellcheck disable=SC2086
  start_saver $tail
  check "\"$tail\" ends by itself" saver_ends_within 30
  check "\"$tail\" exits with 0" equals "$SAVER_RC" 0
  check "\"$tail\" showed no window" bash -c '! xdotool search --name "^myScreenSaver$" >/dev/null 2>&1'
  stop_saver
done

finish

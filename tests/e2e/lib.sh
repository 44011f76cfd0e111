# Shared by the end-to-end tests, which source it on a virtual X display of
# their own (cmake/with-xvfb). It makes a throwaway Wine prefix for the run,
# and helpers to start the saver, poll with deadlines, take screenshots and
# read the registry. Every wait has a deadline.
set -u
# Every test is called as NAME_test.sh SAVER HELPER RENDER [...].
SCR=$1
HELPER=$2
RENDER=$3
[ -x "$RENDER" ] || { echo "no renderer at $RENDER: build the native preset first"; exit 1; }
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-e2e.XXXXXX")
CHECK_TMP=$E2E_TMP
here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
# shellcheck source=cmake/wine-env.sh
. "$here/../../cmake/wine-env.sh" "$E2E_TMP/prefix"
if wine_unrunnable "$SCR"; then
  rm -rf "$E2E_TMP"
  exit 77
fi
wine_fill_prefix
SETTINGS_KEY='HKCU\Software\Zemvira\ScreenSavers\Mandelbrot'
SAVER_PID=""
SAVER_RC=""

finish() {
  [ -n "$SAVER_PID" ] && kill "$SAVER_PID" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1
  rm -rf "$E2E_TMP"
  checks_summary
}

start_saver() {  # start_saver ARGS...: the saver in the background
  wine "$SCR" "$@" >/dev/null 2>&1 &
  SAVER_PID=$!
}

saver_running() { kill -0 "$SAVER_PID" 2>/dev/null; }
saver_gone() { ! saver_running; }

saver_ends_within() {  # saver_ends_within SECONDS: sets SAVER_RC when it ends
  if wait_until "$1" saver_gone; then
    wait "$SAVER_PID"
    SAVER_RC=$?
    SAVER_PID=""
    return 0
  fi
  return 1
}

stop_saver() {
  [ -n "$SAVER_PID" ] && { kill "$SAVER_PID" 2>/dev/null; wait_for 30 "$SAVER_PID" "the saver"; }
  wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1
  SAVER_PID=""
}

window_up() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

reg_set() {  # reg_set NAME NUMBER
  wine reg add "$SETTINGS_KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
}

reg_get() {  # reg_get NAME: the stored number in decimal, or "none"
  local line
  line=$(wine reg query "$SETTINGS_KEY" /v "$1" 2>/dev/null | tr -d '\r' | grep REG_DWORD)
  if [ -z "$line" ]; then echo none; else printf '%d\n' "$(echo "$line" | awk '{print $NF}')"; fi
}

reg_clear() { wine reg delete "$SETTINGS_KEY" /f >/dev/null 2>&1; true; }

render() {  # render OUT ARGS...: the renderer's picture for the same window
  local out=$1
  shift
  "$RENDER" "$@" -o "$out" >/dev/null
}

equals() {  # equals GOT WANTED: says what it got when they differ
  [ "$1" = "$2" ] || { printf '  got "%s", wanted "%s"\n' "$1" "$2"; return 1; }
}

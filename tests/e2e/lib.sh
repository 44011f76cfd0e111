# Shared by the end-to-end tests, which source it on a virtual X display of
# their own (cmake/with-xvfb). It makes a throwaway Wine prefix for the run,
# and helpers to start the saver, poll with deadlines, take screenshots and
# read the registry. Every wait has a deadline.
set -u
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-e2e.XXXXXX")
export WINEPREFIX=$E2E_TMP/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX"
if [ -n "${MANDELDIVE_WINE_TEMPLATE:-}" ] && [ -f "$MANDELDIVE_WINE_TEMPLATE/system.reg" ]; then
  cp -a "$MANDELDIVE_WINE_TEMPLATE/." "$WINEPREFIX/"
else
  timeout 300 wineboot -i >/dev/null 2>&1
fi
SETTINGS_KEY='HKCU\Software\Zemvira\ScreenSavers\Mandelbrot'
E2E_PASSED=0
E2E_FAILED=0
SAVER_PID=""
SAVER_RC=""

finish() {
  [ -n "$SAVER_PID" ] && kill "$SAVER_PID" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  timeout 20 wineserver -w >/dev/null 2>&1
  rm -rf "$E2E_TMP"
  echo "$E2E_PASSED passed, $E2E_FAILED failed"
  [ "$E2E_FAILED" -eq 0 ]
}

check() {  # check NAME COMMAND...
  local name=$1
  shift
  if "$@"; then
    E2E_PASSED=$((E2E_PASSED + 1))
    echo "ok: $name"
  else
    E2E_FAILED=$((E2E_FAILED + 1))
    echo "FAILED: $name"
  fi
}

wait_until() {  # wait_until SECONDS COMMAND...: polls every 0.2 s
  local deadline=$((SECONDS + $1))
  shift
  while [ $SECONDS -lt $deadline ]; do
    "$@" && return 0
    sleep 0.2
  done
  "$@"
}

screenshot() {  # screenshot FILE [GEOMETRY]
  if [ $# -gt 1 ]; then
    xwd -root -silent | convert xwd:- -crop "$2" +repage "$1"
  else
    xwd -root -silent | convert xwd:- "$1"
  fi
}

same_picture() {  # same_picture A B: identical RGB pixels and size
  [ "$(identify -format '%wx%h' "$1")" = "$(identify -format '%wx%h' "$2")" ] &&
    cmp -s <(convert "$1" -depth 8 rgb:-) <(convert "$2" -depth 8 rgb:-)
}

screen_shows() {  # screen_shows EXPECTED [GEOMETRY]
  screenshot "$E2E_TMP/shot.png" "${@:2}" && same_picture "$E2E_TMP/shot.png" "$1"
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
  [ -n "$SAVER_PID" ] && { kill "$SAVER_PID" 2>/dev/null; wait "$SAVER_PID" 2>/dev/null; }
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

equals() { [ "$1" = "$2" ]; }

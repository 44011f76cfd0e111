#!/usr/bin/env bash
# power.sh: what each saver costs a machine nobody uses, as the share of one
# core its process tree spends at 1920x1080 (bench/cpu_share.py reads
# /proc): over SECONDS (60 unless MANDELDIVE_POWER_SECONDS says otherwise),
# and over the quietest 3 s of them, between two steps. Prints table rows:
#   - the X11 saver on the root window of an Xvfb;
#   - the 64-bit Windows saver under Wine on an Xvfb, and apart the share of
#     Wine's own services (wineserver, explorer.exe, services.exe, ...);
#   - the saver with --wayland on a headless sway (run as an unprivileged
#     user, as the tests do), and apart the share of sway itself;
#   - the live web page in headless Chromium, against a blank page in the
#     same browser, same run.
# Needs the native, win64 and web builds; scripts/bench makes them.
set -eu
cd "$(dirname "$0")/.."
seconds=${MANDELDIVE_POWER_SECONDS:-60}
share() { python3 bench/cpu_share.py "$seconds" "$@"; }
row() {  # row TARGET "WHOLE IDLE SERVICES" [NOTE]
  set -- "$1" $2 "${3:-}"
  printf '| %s | %s%% | %s%% |%s\n' "$1" "$2" "$3" "${5:+ $5 |}"
}

case "${1:-}" in
  x11)  # on the display with-xvfb made
    build/native/host/linux/mandeldive -root >/dev/null 2>&1 &
    saver=$!
    sleep 2
    result=$(share "$saver")
    kill "$saver"
    row "X11 saver on Xvfb" "$result"
    exit 0 ;;
  wine)  # on the display with-xvfb made; $2 is the prefix
    # shellcheck source=cmake/wine-env.sh
    . cmake/wine-env.sh "$2"
    wine_fill_prefix
    # The prefix's first start updates it; that is done before the saver.
    timeout 120 wine cmd /c exit >/dev/null 2>&1 || true
    timeout 60 wineserver -w || true
    wine build/win64/host/win32/mandeldive.scr /s >/dev/null 2>&1 &
    launcher=$!
    # Where Wine has its 32-bit half, its loader starts a 64-bit program
    # through start.exe, and the program is then no child of the launcher:
    # the saver is the prefix's process whose command line Wine has made
    # the Windows one, "Z:\...\mandeldive.scr /s". Where Wine runs 64-bit
    # only, the launcher becomes the saver, "build/.../mandeldive.scr /s".
    saver=""
    for _ in $(seq 100); do
      for pid in $(pgrep -f '^([A-Za-z]:.*|[^ ]*)mandeldive\.scr /s$' || true); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && saver=$pid
      done
      [ -n "$saver" ] && break
      sleep 0.1
    done
    [ -n "$saver" ] || { echo "power.sh: the saver did not start under Wine" >&2; exit 1; }
    sleep 5
    result=$(share "$saver" "$WINEPREFIX")
    kill "$launcher" "$saver" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    row "64-bit Windows saver under Wine on Xvfb" "$result" \
      "Wine's services: $(echo "$result" | cut -d' ' -f3)%"
    exit 0 ;;
  wayland)
    # shellcheck source=tests/check_lib.sh
    . tests/check_lib.sh
    # shellcheck source=tests/wayland/sway_lib.sh
    . tests/wayland/sway_lib.sh
    sway_scratch build/native/host/linux/mandeldive
    trap 'pkill -u "$SWAY_USER" -x mandeldive || true; sway_cleanup' EXIT
    start_sway 1 "output HEADLESS-1 resolution 1920x1080" >/dev/null
    spawn saver mandeldive --wayland >/dev/null 2>&1
    saver=$(pid_of saver)
    sleep 2
    share "$(cat "$SWAY_TMP/out/sway.pid")" >"$SWAY_TMP/sway.share" &
    compositor=$!
    result=$(share "$saver")
    wait "$compositor"
    row "saver with --wayland on headless sway" "$result" \
      "sway itself: $(cut -d' ' -f1 "$SWAY_TMP/sway.share")% over the run, $(cut -d' ' -f2 "$SWAY_TMP/sway.share")% between steps"
    exit 0 ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-power.XXXXXX")
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
echo "| Target, 1920x1080 | over ${seconds} s | between steps | note |"
echo "|---|---|---|---|"
cmake/with-xvfb 1920x1080x24 bash "$0" x11
cmake/with-xvfb 1920x1080x24 bash "$0" wine "$work/prefix"
bash "$0" wayland

(cd build/web/web/page && exec python3 -u -m http.server --bind 127.0.0.1 0) >"$work/server" 2>&1 &
server=$!
for _ in $(seq 100); do
  port=$(sed -n 's/.*port \([0-9][0-9]*\).*/\1/p' "$work/server" | head -n 1)
  [ -n "$port" ] && break
  sleep 0.1
done
browser() {  # browser URL: the share of the browser holding URL
  node tests/web/page_driver.js hold "$1" $((seconds + 5)) >"$work/pid" &
  local driver=$! pid=""
  for _ in $(seq 600); do
    pid=$(head -n 1 "$work/pid")
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] && share "$pid"
  wait "$driver"
}
live=$(browser "http://127.0.0.1:$port/") ||
  { echo "power.sh: the page showed no picture in Chromium" >&2; exit 1; }
blank=$(browser about:blank) || { echo "power.sh: Chromium did not hold a blank page" >&2; exit 1; }
row "the live page in headless Chromium" "$live"
row "a blank page in the same Chromium" "$blank"

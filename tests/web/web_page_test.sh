#!/usr/bin/env bash
# web_page_test.sh PAGE_DIR RENDER SCREENSHOT: the web page, served on
# loopback by a static file server, in Debian's Chromium (headless, driven
# by page_driver.js). Its pictures must be the native renderer's, pixel for
# pixel, the caption rows aside, online and offline; bad parameters and a
# broken engine must show their reason and draw nothing; the live page must
# keep its settings across a reload, be installable, go full screen, keep
# the screen on only when asked, rest while hidden, take a new build on the
# next visit, and cost next to nothing between steps. The live page's
# screenshot, settings open, is copied to SCREENSHOT.
set -u
PAGE=$1
RENDER=$2
SCREENSHOT=$3
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-web.XXXXXX")
server=""
holder=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  rm -rf "$t"
}
trap cleanup EXIT
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
export CHECK_TMP=$t TMPDIR=$t
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "web_page_test.sh: puppeteer-core is not installed (run scripts/install-deps)" >&2
  exit 1
fi

# The site at the server's root, and copies in folders of their own: one
# with its module missing, one with an error page in the module's place,
# one for a second build.
www=$t/www
cp -R "$PAGE" "$www"
for copy in no-module html-module update; do cp -R "$PAGE" "$www/$copy"; done
rm "$www/no-module/mandeldive.wasm"
echo '<!doctype html><title>404</title><p>Not found' >"$www/html-module/mandeldive.wasm"

# A server on a port of its own choosing; it says which.
(cd "$www" && exec python3 -u -m http.server --bind 127.0.0.1 0) >"$t/server" 2>&1 &
server=$!
port() { sed -n 's/.*port \([0-9][0-9]*\).*/\1/p' "$t/server" | head -n 1; }
has_port() { [ -n "$(port)" ]; }
wait_until 10 has_port || { echo "the file server did not start" >&2; exit 1; }
base="http://127.0.0.1:$(port)/"
drive() { node "$here/page_driver.js" "$@"; }

# The live page held open for a minute under its service worker, measured
# meanwhile as scripts/bench does, while the other checks run.
drive hold "$base" 65 >"$t/holder" 2>&1 &
holder=$!
held_pid() { pid=$(head -n 1 "$t/holder" 2>/dev/null); [[ "$pid" =~ ^[0-9]+$ ]]; }
(wait_until 120 held_pid && python3 "$source_dir/bench/cpu_share.py" 60 "$pid" >"$t/share") &
measurer=$!

# Fixed mode at several sizes and scheme pairs, one a whole dive.
while read -r w h m b ticks time; do
  query="size=${w}x${h}&mandelbrot-color=$m&background-color=$b&ticks=$ticks&time=$time"
  "$RENDER" --size "${w}x$h" --mandelbrot-color "$m" --background-color "$b" \
    --ticks "$ticks" --time "$time" -o "$t/render.png" >/dev/null
  said=$(drive fixed "$base?$query" "$t/page.png")
  check "?$query: done ($said)" test "$said" = done
  check "?$query: the renderer's picture" same_but_caption "$t/page.png" "$t/render.png" "$w" "$h"
done <<'CASES'
640 480 0 0 23 1000
320 240 8 13 5 77
1024 768 3 6 2 5
333 201 5 11 9 123456
CASES

# Bad parameters: the reason, one line, and no picture.
says_only() {  # says_only REASON: one line, the reason in it, a 0x0 canvas
  [ "$(printf '%s\n' "$said" | wc -l)" -eq 1 ] &&
    [[ "$said" == "error: mandeldive: "*"$1"*" canvas 0x0" ]]
}
while read -r query reason; do
  said=$(drive fixed "$base?$query" "$t/page.png")
  check "?$query: says \"$reason\" and draws nothing ($said)" says_only "$reason"
done <<'CASES'
size=0x480 size '0x480'
size=800x16385 size '800x16385'
ticks=x ticks 'x'
ticks=1000001 ticks '1000001'
time=soon time 'soon'
mandelbrot-color=9 mandelbrot color '9'
background-color=-1 background color '-1'
colour=3 unknown parameter 'colour'
size=10x10&size=20x20 given more than once
size=64x48%00&ticks=1000000 parameter 'size' holds a control character
ticks= ticks '' is not a number
CASES
# A module missing, or an error page in its place: the engine says so.
for folder in no-module html-module; do
  said=$(drive fixed "$base$folder/?ticks=1" "$t/page.png")
  check "$folder: says the engine did not start ($said)" \
    says_only "the engine did not start (CompileError"
done
said=$(drive fixed "file://$PAGE/index.html" "$t/page.png")
check "opened from a file: says how to serve it ($said)" says_only "serve its folder"

# A fixed run that lasts shows how far it is.
said=$(drive progress "$base?size=64x48&ticks=1000000")
check "a long run shows its progress and picture ($said)" \
  eval '[[ "$said" == "tick "*" of 1000000, canvas 64x48" ]]'

# The live page: its first picture, then settings chosen, kept across a
# reload and used by the next render.
mkdir -p "$t/live"
said=$(drive live "$base" "$t/live" 4 2)
IFS=, read -r kept idle marked control <<<"$said"
check "live: the chosen schemes survive a reload ($said)" test "$kept" = kept
check "live: between two steps the page asks for no animation frame ($said)" \
  test "${idle# }" = "0 idle frames"
check "live: the render pass posts its columns with the progress marks ($said)" \
  test "$(echo "$marked" | cut -d' ' -f2)" -ge 1
check "live: the service worker controls the page after the first visit ($said)" \
  test "${control# }" = controlled
"$RENDER" --size 800x600 -o "$t/first.png" >/dev/null
"$RENDER" --size 800x600 --mandelbrot-color 4 --background-color 2 -o "$t/chosen.png" >/dev/null
check "live: the first picture is the full view" \
  same_but_caption "$t/live/first.png" "$t/first.png" 800 600
check "live: after the reload the picture has the chosen schemes" \
  same_but_caption "$t/live/reloaded.png" "$t/chosen.png" 800 600
check "live: offline, a reload draws the same picture" \
  same_but_caption "$t/live/offline.png" "$t/chosen.png" 800 600
[ -s "$t/live/page.png" ] && cp "$t/live/page.png" "$SCREENSHOT"

said=$(drive blocked "$base" 4 2)
check "storage refused: the chosen schemes are used all the same ($said)" test "$said" = "4 2"

# The app: each line of the driver's is one way of the installed saver.
drive app "$base" >"$t/app"
app_says() {  # app_says NAME VALUE
  grep -qxF "$1 $2" "$t/app" || { grep "^$1 " "$t/app" || echo "$1: nothing said"; false; }
}
while read -r name value what; do
  check "app: $what" app_says "$name" "$value"
done <<'CASES'
installability-errors [] Chromium finds nothing against installing it
icons 192x192,512x512,512x512/maskable the manifest's icons load at their sizes
f-key full/auto/visible F enters full screen
idle full/none/hidden in full screen, idle, the cursor and toolbar hide
moved full/auto/visible motion brings them back
double-click window/auto/visible a double click leaves full screen
wake-lock-off off:0/0 off by default, no wake lock requested
wake-lock-reloaded on:1/0 turned on, it survives a reload and holds the lock
ratio-2-canvas 1600x1200 a new device pixel ratio alone resizes the canvas
hidden-posts 0 a hidden page does no render pass
wake-lock-hidden on:1/1 hidden, the lock is let go
shown-again-steps yes shown again, the steps go on
wake-lock-shown on:2/1 shown again, the lock is taken again
wake-lock-turned-off off:2/2 turned off, the lock is released
CASES

# A second build with a changed file reaches the next visit; the old
# build's cache is gone.
site=$www/update
rebuild="printf '<!-- build 2 -->\n' >>'$site/index.html' &&
  cmake -DPAGE='$site' -DTEMPLATE='$source_dir/web/service_worker.js.in' \
    -P '$source_dir/web/service_worker.cmake'"
said=$(drive update "${base}update/" "$rebuild")
new_cache=$(grep -o 'kPrefix}[0-9a-f]*' "$site/service_worker.js" | cut -d} -f2)
check "update: the next visit ends on the new build, its cache alone ($said)" \
  test "$said" = "build 2; caches: mandeldive ${base}update/ $new_cache"

# The held page's minute: about 2% of a core, as measured before the
# service worker, and next to nothing between steps.
if wait "$measurer" && read -r whole between _ <"$t/share"; then
  check "idle cost: ${whole}% of a core over a minute, ${between}% between steps" \
    awk -v w="$whole" -v b="$between" 'BEGIN { exit !(w <= 4 && b <= 0.5) }'
else
  check "idle cost: the held page was late with its first picture ($(cat "$t/holder"))" false
fi
wait "$holder"
holder=""

checks_summary

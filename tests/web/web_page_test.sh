#!/usr/bin/env bash
# web_page_test.sh PAGE_DIR RENDER SCREENSHOT: the web page, served on
# loopback by a static file server, in Debian's Chromium (headless, driven
# by page_driver.js). Its pictures must be the native renderer's, pixel for
# pixel, the caption rows aside; bad parameters must show their reason and
# draw nothing; the live page must keep its settings across a reload. The
# live page's screenshot, settings open, is copied to SCREENSHOT.
set -u
PAGE=$1
RENDER=$2
SCREENSHOT=$3
here=$(cd "$(dirname "$0")" && pwd)
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-web.XXXXXX")
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
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

# A server on a port of its own choosing; it says which.
(cd "$PAGE" && exec python3 -u -m http.server --bind 127.0.0.1 0) >"$t/server" 2>&1 &
server=$!
port() { sed -n 's/.*port \([0-9][0-9]*\).*/\1/p' "$t/server" | head -n 1; }
has_port() { [ -n "$(port)" ]; }
wait_until 10 has_port || { echo "the file server did not start" >&2; exit 1; }
base="http://127.0.0.1:$(port)/"
drive() { node "$here/page_driver.js" "$@"; }

# Fixed mode at several sizes and scheme pairs, one a whole dive.
same_but_caption() {  # same_but_caption A B W H
  convert "$1" -crop "$3x$(($4 - 14))+0+0" +repage "$t/a.png" &&
    convert "$2" -crop "$3x$(($4 - 14))+0+0" +repage "$t/b.png" &&
    same_picture "$t/a.png" "$t/b.png"
}
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
CASES

# The live page: its first picture, then settings chosen, kept across a
# reload and used by the next render.
mkdir -p "$t/live"
said=$(drive live "$base" "$t/live" 4 2)
check "live: the chosen schemes survive a reload ($said)" test "${said%%,*}" = kept
idle=${said#*, }
check "live: between two steps the page asks for no animation frame ($said)" \
  test "${idle%% *}" -eq 0
marked=${said##*, }
check "live: the render pass posts its columns with the progress marks ($said)" \
  test "${marked%% *}" -ge 1
"$RENDER" --size 800x600 -o "$t/first.png" >/dev/null
"$RENDER" --size 800x600 --mandelbrot-color 4 --background-color 2 -o "$t/chosen.png" >/dev/null
check "live: the first picture is the full view" \
  same_but_caption "$t/live/first.png" "$t/first.png" 800 600
check "live: after the reload the picture has the chosen schemes" \
  same_but_caption "$t/live/reloaded.png" "$t/chosen.png" 800 600
[ -s "$t/live/page.png" ] && cp "$t/live/page.png" "$SCREENSHOT"

checks_summary

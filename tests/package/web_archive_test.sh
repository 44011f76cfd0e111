#!/usr/bin/env bash
# web_archive_test.sh ARCHIVE VERSION RENDER: the web page's release
# archive holds the whole site in mandeldive-VERSION-web/, is made again
# byte for byte from its own files, and, unpacked and served from that
# folder by a plain static server, draws the renderer's picture in Chromium,
# online and then offline.
set -u
ARCHIVE=$1 VERSION=$2 RENDER=$3
here=$(cd "$(dirname "$0")" && pwd)
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-web-archive.XXXXXX")
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$t"' EXIT
# shellcheck source=tests/check_lib.sh
. "$here/../check_lib.sh"
export CHECK_TMP=$t TMPDIR=$t
[ -f "$ARCHIVE" ] || { echo "no archive at $ARCHIVE: run scripts/package first"; exit 1; }

top=mandeldive-$VERSION-web
check "named with the version" test "$(basename "$ARCHIVE")" = "$top.tar.gz"
mkdir "$t/www"
tar -xzf "$ARCHIVE" -C "$t/www"
check "everything is in $top/" test "$(tar -tzf "$ARCHIVE" | grep -cv "^$top/")" -eq 0
for file in index.html service_worker.js manifest.webmanifest mandeldive.wasm icon-maskable-512.png; do
  check "it holds $file" test -s "$t/www/$top/$file"
done
# Its own files, with other times and in another order on disk, packed
# again: the same bytes.
cp -R "$t/www/$top" "$t/again"
touch "$t/again"/*
bash "$here/../../packaging/web/archive.sh" "$t/again" "$VERSION" "$t/again.tar.gz"
check "packed again from its files, the same bytes" cmp "$ARCHIVE" "$t/again.tar.gz"

(cd "$t/www" && exec python3 -u -m http.server --bind 127.0.0.1 0) >"$t/server" 2>&1 &
server=$!
port() { sed -n 's/.*port \([0-9][0-9]*\).*/\1/p' "$t/server" | head -n 1; }
has_port() { [ -n "$(port)" ]; }
wait_until 10 has_port || { echo "the file server did not start" >&2; exit 1; }
mkdir "$t/live"
said=$(node "$here/../web/page_driver.js" live "http://127.0.0.1:$(port)/$top/" "$t/live" 4 2)
check "served from $top/, the service worker controls it ($said)" \
  test "${said##*, }" = controlled
"$RENDER" --size 800x600 --mandelbrot-color 4 --background-color 2 -o "$t/chosen.png" >/dev/null
check "the renderer's picture online" same_but_caption "$t/live/reloaded.png" "$t/chosen.png" 800 600
check "the renderer's picture offline" same_but_caption "$t/live/offline.png" "$t/chosen.png" 800 600
checks_summary

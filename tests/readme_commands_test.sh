#!/usr/bin/env bash
# The README's main command, run as written on a machine without a display
# once the builds exist: it ends with 0 and every picture it names is there.
# Then "bash scripts/run web": it serves the page, the page and its module
# answer, and SIGINT (Ctrl-C) and SIGTERM end it, even started with SIGINT
# ignored.
set -u
cd "$(dirname "$0")/.." || exit 1
dir=$(mktemp -d /tmp/mandeldive-readme.XXXXXX)
CHECK_TMP=$dir
server=
cleanup() {
  [ -n "$server" ] && kill -KILL "$server" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
# shellcheck source=tests/check_lib.sh
. tests/check_lib.sh

env -u DISPLAY -u WAYLAND_DISPLAY bash scripts/run >"$dir/out" 2>"$dir/err"
code=$?
check "bash scripts/run without a display exits 0 (got $code)" test "$code" -eq 0
[ "$code" -eq 0 ] || sed 's/^/  stderr: /' "$dir/err"
mapfile -t pictures < <(sed -n 's/^  \(\/.*\.png\)$/\1/p' "$dir/out")
check "it names the dive's eight pictures" test "${#pictures[@]}" -eq 8
for picture in "${pictures[@]}"; do
  check "$(basename "$picture") is an 800x600 PNG" \
    bash -c "file '$picture' | grep -q '800 x 600, 8-bit/color RGB'"
done
mapfile -t programs < <(grep -o '/[^ ]*/mandeldive\(\.scr\)\?' "$dir/out")
check "it names the three savers" test "${#programs[@]}" -eq 3
for program in "${programs[@]}"; do
  check "${program#"$PWD"/} is there" test -s "$program"
done

# Started as scripts, cron and CI runners start it: a background job of a
# non-interactive shell, which begins with SIGINT ignored. SIGINT (Ctrl-C)
# and SIGTERM must end the server all the same, with 0.
url_of() { sed -n 's/^Open \(http:[^ ]*\) in a browser.*/\1/p' "$dir/web"; }
has_url() { [ -n "$(url_of)" ]; }
fetch() {  # fetch PATH: the body to stdout, the content type to $dir/type
  python3 - "$url$1" "$dir/type" <<'PY'
import sys, urllib.request
with urllib.request.urlopen(sys.argv[1], timeout=10) as reply:
    open(sys.argv[2], "w").write(reply.headers.get_content_type())
    sys.stdout.buffer.write(reply.read())
PY
}
for signal in INT TERM; do
  bash scripts/run web >"$dir/web" 2>"$dir/web-err" &
  server=$!
  check "bash scripts/run web prints the page's address" wait_until 300 has_url
  has_url || break
  url=$(url_of)
  if [ "$signal" = INT ]; then
    check "the page answers" bash -c "$(declare -f fetch); url='$url' dir='$dir'
      fetch / | grep -q 'saver_worker\|saver.js'"
    check "the module answers as WebAssembly" bash -c "$(declare -f fetch); url='$url' dir='$dir'
      fetch /mandeldive.wasm | head -c 4 | cmp -s - <(printf '\0asm') &&
      grep -qx application/wasm '$dir/type'"
  fi
  kill -"$signal" "$server"
  wait_for 10 "$server" "the web server"
  code=$?
  check "SIG$signal ends the server with exit code 0 (got $code)" test "$code" -eq 0
  server=
done

checks_summary

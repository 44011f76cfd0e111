#!/usr/bin/env bash
# xsecurelock_test.sh SAVER RENDER PROBE README W H: the hack as Debian's
# xsecurelock runs it, on this W x H display (made by with-xvfb), locked by
# the README's xsecurelock recipe as written, the hack's path aside. First
# its one-line lock: the dive under the lock is the renderer's at the
# screen's size, caption rows too; the saver killed is started again and
# the screen stays locked; a wrong password leaves it locked and the right
# one ends it with 0. Then the command its xss-lock line starts, as
# xss-lock would: the dive, and the password ends it. xss-lock itself is
# not run: without a systemd-logind session it aborts once it has started
# the lock.
# xsecurelock checks the password of the user who runs it, through PAM
# (its authproto_pam, service common-auth). So as root the test makes a
# throwaway user with a password it knows and locks as that user, whose
# password pam_unix checks through its setgid helper as on a desktop;
# otherwise it locks as itself and says what it skipped.
set -u
SAVER=$1 RENDER=$2 PROBE=$3 README=$4 W=$5 H=$6
t=$(mktemp -d "${TMPDIR:-/tmp}/mandeldive-xsecurelock.XXXXXX")
chmod 0755 "$t"
CHECK_TMP=$t
# shellcheck source=tests/check_lib.sh
. "$(dirname "$0")/../check_lib.sh"
# shellcheck source=tests/saver_lib.sh
. "$(dirname "$0")/../saver_lib.sh"
lock="" user="" password=""

tree() {  # tree PID: PID and all its descendants
  local child
  echo "$1"
  for child in $(ps -o pid= --ppid "$1"); do tree "$child"; done
}
named() {  # named NAME: the processes called NAME under the lock
  local p
  [ -n "$lock" ] || return 0
  for p in $(tree "$lock"); do
    [ "$(ps -o comm= -p "$p")" = "$1" ] && echo "$p"
  done
}
kill_lock() {  # the lock and all under it, collected before they go
  local pids
  [ -n "$lock" ] || return 0
  mapfile -t pids < <(tree "$lock")
  kill -9 "${pids[@]}" 2>/dev/null
  wait "$lock" 2>/dev/null
  lock=""
}
cleanup() {
  kill_lock
  if [ -n "$user" ]; then
    # What a lock killed mid-test left behind runs on as that user;
    # userdel refuses while any of it is still going away.
    mapfile -t pids < <(ps -o pid= -u "$user")
    [ ${#pids[@]} -gt 0 ] && kill -9 "${pids[@]}" 2>/dev/null
    wait_until 5 userdel "$user" 2>/dev/null
  fi
  rm -rf "$t"
}
trap cleanup EXIT
command -v xsecurelock >/dev/null || {
  echo "xsecurelock is not installed (scripts/install-deps installs it)"
  echo "0 passed, 1 failed"
  exit 1
}

# The recipe's lines, with the hack where the lock's user may run it.
mkdir "$t/bin"
cp "$SAVER" "$t/bin/mandeldive"
chmod -R a+rX "$t/bin"
recipe=$(awk '/^<!-- the xsecurelock recipe/ {on = 1; next}
              /^<!-- end of the xsecurelock recipe/ {on = 0}
              on && NF && !/^```/' "$README")
recipe=${recipe//\/usr\/libexec\/xscreensaver\/mandeldive/$t/bin/mandeldive}
lock_now=$(grep '^XSECURELOCK_SAVER=' <<<"$recipe")
# What xss-lock runs: the words after its "--".
idle_lock=$(sed -n 's/^xss-lock .* -- \(.*\) &$/\1/p' <<<"$recipe")
check "the README's recipe locks with the hack" grep -q "$t/bin/mandeldive" <<<"$lock_now"
check "and has xss-lock do so" grep -q "$t/bin/mandeldive" <<<"$idle_lock"

if [ "$(id -u)" = 0 ]; then
  user=mdxsl$$
  password=$(tr -dc 'a-zA-Z0-9' </dev/urandom | head -c 16)
  made_user() {
    { id "$user" >/dev/null 2>&1 || useradd -M -d "$t" -s /usr/sbin/nologin "$user"; } &&
      echo "$user:$password" | chpasswd
  }
  # Tried again for a while: another test's useradd may hold /etc/passwd.
  if ! wait_until 10 made_user 2>/dev/null; then
    userdel "$user" 2>/dev/null
    user=""
  fi
  check "a throwaway user with a known password" test -n "$user"
fi
as_user() {  # COMMAND as the lock's user, with the display and no more
  local env=(env -i PATH=/usr/bin:/bin HOME="$t" DISPLAY="$DISPLAY"
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}"
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-}")
  if [ -n "$user" ]; then runuser -u "$user" -- "${env[@]}" "$@"; else "${env[@]}" "$@"; fi
}
locked() { [ -n "$(named xsecurelock)" ] && "$PROBE"; }
prompt_up() { [ -n "$(named authproto_pam)" ]; }
open_prompt() {  # a key that xsecurelock takes to wake its prompt, not as text
  prompt_up || xdotool key x
  wait_until 10 prompt_up
}
type_password() { xdotool type --delay 30 "$1" && xdotool key Return; }

not() { ! "$@"; }
gone_pid() { ! kill -0 "$1" 2>/dev/null; }
unlock() {  # unlock WHAT: the right password ends the lock, where it can
  if [ -z "$user" ]; then
    echo "skipped: the password of $1; xsecurelock checks the password of the user who runs it, and only root can make a user whose password the test knows"
    kill -TERM "$(named xsecurelock)" 2>/dev/null
    return
  fi
  check "$1: the password prompt is up" open_prompt
  type_password "$password"
}

"$RENDER" --size "${W}x$H" -o "$t/first.png" >/dev/null
"$RENDER" --size "${W}x$H" --ticks 2 -o "$t/captioned.png" >/dev/null
# A desktop that no picture of the lock can be mistaken for.
xsetroot -solid '#3a6ea5'
screenshot "$t/desktop.png"

# The one-line lock.
as_user sh -c "$lock_now" >"$t/lock.log" 2>&1 &
lock=$! pid=$!
started() { [ -n "$(named mandeldive)" ]; }
wait_until 10 started
saver=$(named mandeldive)
if [ -z "$saver" ]; then
  echo "FAILED: xsecurelock did not start the hack within 10 s"
  cat "$t/lock.log"
  CHECKS_FAILED=$((CHECKS_FAILED + 1))
  checks_summary
  exit
fi
echo "xsecurelock $(dpkg-query -W -f='${Version}' xsecurelock 2>/dev/null) runs: $(ps -o args= -p "$saver")"
check "the dive under the lock equals the renderer's at ${W}x$H" \
  wait_until 30 screen_shows "$t/first.png"
check "xsecurelock holds the keyboard and the pointer" locked
check "the captioned frame equals the renderer's, caption rows included" \
  wait_until 12 screen_shows "$t/captioned.png"

kill -9 "$saver"
screenshot "$t/killed.png"
check "the saver killed, the screen is not the desktop" \
  not same_picture "$t/killed.png" "$t/desktop.png"
restarted() { local now; now=$(named mandeldive); [ -n "$now" ] && [ "$now" != "$saver" ]; }
check "xsecurelock starts it again" wait_until 10 restarted
saver=$(named mandeldive)
check "its dive starts over from the full view" wait_until 30 screen_shows "$t/first.png"
check "and the screen stays locked" locked

if [ -n "$user" ]; then
  check "a key brings up the password prompt" open_prompt
  type_password "not$password"
  # pam_unix answers a failed check after 2 s; then the prompt is back.
  check "a wrong password leaves the screen locked" not wait_until 6 gone
  check "and the grab held" locked
fi
unlock "the one-line lock"
if [ -n "$user" ]; then
  check "the right password ends it with 0" ends_with 15 0
  check "the hack ends with it" wait_until 5 gone_pid "${saver:-0}"
  check "the grab is let go" not "$PROBE"
  check "the desktop is back" wait_until 5 screen_shows "$t/desktop.png"
fi
kill_lock

# The lock as xss-lock starts it.
read -ra idle_lock <<<"$idle_lock"
as_user "${idle_lock[@]}" >"$t/idle.log" 2>&1 &
lock=$!
check "xss-lock's command locks with the dive" wait_until 30 screen_shows "$t/first.png"
check "xsecurelock holds the keyboard and the pointer" locked
unlock "xss-lock's lock"
unlocked() { [ -z "$(named xsecurelock)" ] && ! "$PROBE"; }
check "that lock ends and lets go of the grab" wait_until 15 unlocked
# The saver's stderr reaches the locks' logs: under the sanitizers, a
# report from a hack that xsecurelock killed or ended shows there.
check "no sanitizer report in the locks' logs" \
  not grep -q -e 'Sanitizer' -e 'runtime error' "$t/lock.log" "$t/idle.log"
checks_summary

#!/usr/bin/env bash
# lock_takeover_test.sh MANDELDIVE RENDER: the ends of `mandeldive --lock`
# other than the right password, on sway 1.10 in the Debian 13 root. A
# second --lock while the first holds the lock ends with 2, with -f too, and
# the first still unlocks. SIGKILL and SIGTERM leave the session locked
# (sway's colour for a lock whose locker has gone, never the desktop), and a
# new --lock takes the lock over and unlocks. Savers mapped over the lock
# do not keep the password from it. --daemonize returns 0 only
# once the session is locked: not while the compositor is stopped, and at
# once after, the desktop is gone.
set -u
MANDELDIVE=$1 RENDER=$2
here=$(dirname "$0")
# shellcheck source=tests/lock/root_lib.sh
. "$here/root_lib.sh"
root_enter "$@"
trap root_cleanup EXIT
root_scratch "$MANDELDIVE" || exit 1
t=$SWAY_TMP
start_sway 1 "output HEADLESS-1 resolution 320x240" "$DESKTOP_CONFIG" || exit 1
full=$t/full-320x240.png
"$RENDER" --size 320x240 -o "$full" >/dev/null

# lock_up NAME: a locker, its pid in $locker and its waiter in $waiter,
# once its dive is on the output; fails, saying so, if it is not.
lock_up() {
  spawn "$1" mandeldive --lock --delay 60 2>"$t/$1.err"
  waiter=$!
  locker=$(pid_of "$1")
  wait_until 20 output_shows HEADLESS-1 "$full" || { echo "$1: no dive"; return 1; }
}
# unlocks NAME: the right password brings the desktop back and the locker
# NAME ends with 0.
unlocks() {
  type_password "$ROOT_PASSWORD"
  wait_until 10 output_is HEADLESS-1 "$DESKTOP" || { echo "$1: no desktop"; return 1; }
  reap 10 "$locker" "$waiter"
  echo "$1 ended with $rc"
  [ "$rc" = 0 ]
}
# second_lock [ARGS]: a --lock while another holds the lock; its exit code
# in $rc and its one line in $line.
second_lock() {
  as_user timeout 20 mandeldive --lock "$@" 2>"$t/out/second.err"
  rc=$?
  line=$(cat "$t/out/second.err")
}

check "a first --lock shows its dive" lock_up first
second_lock
check "a second --lock ends with 2 (got $rc)" test "$rc" = 2
check "with one line ($line)" test "$(wc -l <"$t/out/second.err")" = 1
second_lock -f
check "so does a second --lock -f (got $rc)" test "$rc" = 2
check "and the first still unlocks" unlocks first

for sig in KILL TERM; do
  check "a --lock to be sent SIG$sig shows its dive" lock_up "$sig"
  kill -"$sig" "$locker"
  check "SIG$sig ends it" reap 10 "$locker" "$waiter"
  echo "its stderr: $(tr '\n' '|' <"$t/$sig.err")"
  check "with 128 + SIG$sig's number (got $rc)" test "$rc" = $((128 + $(kill -l "$sig")))
  check "the session stays locked: sway's red, not the desktop" \
    eval 'wait_until 10 output_is HEADLESS-1 "$ABANDONED" && never_desktop 1 HEADLESS-1'
  check "a new --lock takes over: its dive" lock_up "after-$sig"
  check "and unlocks" unlocks "after-$sig"
done

# Another client's layer surfaces mapped over the lock (two savers 0.7 s
# apart) take sway 1.10's keyboard focus; the locker takes it back, within
# 2 s of each. A keyboard stays on the seat meanwhile, so the locker's
# keyboard sees the focus go; the password is typed until it unlocks.
check "a --lock to be covered by savers shows its dive" lock_up covered
as_user wtype -s 30000 &
holder=$!
spawn saver1 mandeldive --wayland --delay 60 2>/dev/null
sleep 0.7
spawn saver2 mandeldive --wayland --delay 60 2>/dev/null
typed_until_unlocked() {
  type_password "$ROOT_PASSWORD"
  wait_until 4 eval '! running "$locker"'
}
check "savers mapped over the lock do not keep the password from it" \
  wait_until 20 typed_until_unlocked
kill "$(pid_of saver1)" "$(pid_of saver2)" "$holder" 2>/dev/null
reap 10 "$locker" "$waiter"
check "and it ends with 0 (got $rc)" test "$rc" = 0

# With the compositor stopped, nothing can say locked: -f must wait.
sway=$(pid_of sway)
kill -STOP "$sway"
as_user timeout 20 mandeldive --lock -f --delay 60 2>"$t/daemon.err" &
parent=$!
check "--lock -f does not return while the compositor cannot answer" \
  eval 'sleep 1; kill -0 "$parent"'
kill -CONT "$sway"
wait "$parent"
rc=$?
# Locked, sway shows nothing of the desktop; soon after, the dive.
check "--lock -f returns only once locked: at once, no desktop" eval '! output_is HEADLESS-1 "$DESKTOP"'
check "with 0 (got $rc)" test "$rc" = 0
check "then its dive" wait_until 10 output_shows HEADLESS-1 "$full"
locker=$(daemon_locker)
check "and the locker runs on (${locker:-not found})" running "$locker"
type_password "$ROOT_PASSWORD"
check "the right password unlocks it: the desktop" wait_until 10 output_is HEADLESS-1 "$DESKTOP"
check "and it ends" wait_until 10 eval '! running "$locker"'
checks_summary

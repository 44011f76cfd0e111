#!/usr/bin/env bash
# debian13_root_test.sh: what the locker's tests stand on, in the Debian 13
# root: sway 1.10 starts headless as the test user and advertises
# ext_session_lock_manager_v1; grim takes a screenshot of each output at its
# size; wtype's keys reach the compositor; PAM's pam_unix in the locker's
# service, through the setgid unix_chkpwd, takes the user's password and
# refuses another. The desktop has a colour of its own, which no lock
# screen has.
set -u
here=$(dirname "$0")
# shellcheck source=tests/lock/root_lib.sh
. "$here/root_lib.sh"
root_enter "$@"
trap root_cleanup EXIT
root_scratch || exit 1
t=$SWAY_TMP

start_sway 2 \
  "output HEADLESS-1 resolution 640x480 position 0 0" \
  "output HEADLESS-2 resolution 800x600 position 640 0 scale 2" \
  "bindsym F12 exec touch $t/out/typed" "$DESKTOP_CONFIG" || exit 1
version=$(as_user swaymsg -r -t get_version | sed -n 's/.*"human_readable": "\(.*\)".*/\1/p')
echo "sway $version"
check "sway 1.10 runs headless in the root as $ROOT_USER" \
  eval '[[ "$version" == 1.10* ]]'
lock=$(as_user wayland-info | grep -oE "'ext_session_lock_manager_v1', +version: +[0-9]+" | tr -s ' ')
echo "${lock:-no ext_session_lock_manager_v1}"
check "it advertises ext_session_lock_manager_v1" test -n "$lock"

shot_size() {
  rm -f "$t/out/$1.png"
  as_user grim -o "$1" "$t/out/$1.png" &&
    [ "$(identify -format '%wx%h' "$t/out/$1.png")" = "$2" ]
}
check "grim takes HEADLESS-1 at 640x480" shot_size HEADLESS-1 640x480
check "and HEADLESS-2 at 800x600, its device size at scale 2" shot_size HEADLESS-2 800x600
check "the desktop is swaybg's #$DESKTOP" wait_until 10 output_is HEADLESS-1 "$DESKTOP"

as_user wtype -k Escape -s 300 -k F12
check "wtype's F12 reaches sway's binding" wait_until 10 test -e "$t/out/typed"

pam() { printf '%s\n' "$1" | as_user pamtester mandeldive "$ROOT_USER" authenticate >/dev/null 2>&1; }
check "PAM (the locker's service as the package installs it: pam_unix) takes $ROOT_USER's password" \
  pam "$ROOT_PASSWORD"
check "and refuses another" eval '! pam "not-$ROOT_PASSWORD"'
check "pam_unix checks it through the setgid unix_chkpwd" \
  eval '[ "$(stat -c %A:%G "$ROOT/usr/sbin/unix_chkpwd")" = "-rwxr-sr-x:shadow" ]'
checks_summary

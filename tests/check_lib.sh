# The helpers every shell test sources: named checks, counted and reported;
# polling with a deadline; pictures compared pixel for pixel. The caller
# sets CHECK_TMP to its own scratch directory before taking screenshots.
CHECKS_PASSED=0
CHECKS_FAILED=0

check() {  # check NAME COMMAND...: runs COMMAND, counts and reports it
  local name=$1
  shift
  if "$@"; then
    CHECKS_PASSED=$((CHECKS_PASSED + 1))
    echo "ok: $name"
  else
    CHECKS_FAILED=$((CHECKS_FAILED + 1))
    echo "FAILED: $name"
  fi
}

checks_summary() {  # prints the counts; fails if any check failed
  echo "$CHECKS_PASSED passed, $CHECKS_FAILED failed"
  [ "$CHECKS_FAILED" -eq 0 ]
}

wait_until() {  # wait_until SECONDS COMMAND...: polls every 0.1 s
  local deadline=$(($(date +%s%N) + $1 * 1000000000))
  shift
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

# wait_for SECONDS PID WHAT: waits for PID, a child of this shell, to end
# and returns its exit code. One still running after SECONDS is killed, a
# line says so, and the code is 124: no test waits on a process unbounded.
wait_for() {
  local deadline=$(($(date +%s%N) + $1 * 1000000000))
  while kill -0 "$2" 2>/dev/null; do
    if [ "$(date +%s%N)" -ge "$deadline" ]; then
      echo "$3 (pid $2) did not end within $1 s; killed"
      kill -KILL "$2" 2>/dev/null
      wait "$2" 2>/dev/null
      return 124
    fi
    sleep 0.05
  done
  wait "$2" 2>/dev/null
}

same_picture() {  # same_picture A B: the same size and every pixel equal
  local differing
  [ "$(identify -format '%wx%h' "$1")" = "$(identify -format '%wx%h' "$2")" ] &&
    differing=$(compare -metric AE "$1" "$2" null: 2>&1) &&
    [ "$differing" = 0 ]
}

same_but_caption() {  # same_but_caption A B W H: W x H pictures, the bottom
  # 14 rows (the caption's, in the browser's own text) left out
  convert "$1" -crop "$3x$(($4 - 14))+0+0" +repage "$CHECK_TMP/a.png" &&
    convert "$2" -crop "$3x$(($4 - 14))+0+0" +repage "$CHECK_TMP/b.png" &&
    same_picture "$CHECK_TMP/a.png" "$CHECK_TMP/b.png"
}

screenshot() {  # screenshot FILE [GEOMETRY]: the root window, cropped
  if [ $# -gt 1 ]; then
    xwd -root -silent | convert xwd:- -crop "$2" +repage "$1"
  else
    xwd -root -silent | convert xwd:- "$1"
  fi
}

screen_shows() {  # screen_shows EXPECTED [GEOMETRY]
  screenshot "$CHECK_TMP/shot.png" "${@:2}" && same_picture "$CHECK_TMP/shot.png" "$1"
}

# soak_watch PID: samples a running saver's resident size (KiB) and open
# descriptors every 0.1 s from now until it ends, or for at most 10
# minutes: base_rss and base_fds (the first sample), max_rss, max_fds,
# last_rss and samples. The descriptors are read first: a process that ends
# between the two reads has no resident size either, and the sample is not
# taken.
soak_watch() {
  local p=$1 r f
  soak_rss() { awk '/^VmRSS:/ {print $2}' "/proc/$p/status" 2>/dev/null; }
  soak_fds() { ls "/proc/$p/fd" 2>/dev/null | wc -l; }
  base_fds=$(soak_fds) base_rss=$(soak_rss)
  max_rss=${base_rss:-0} max_fds=$base_fds last_rss=${base_rss:-0} samples=0
  for _ in $(seq 6000); do
    f=$(soak_fds) r=$(soak_rss)
    [ -z "$r" ] && break
    last_rss=$r samples=$((samples + 1))
    [ "$r" -gt "$max_rss" ] && max_rss=$r
    [ "$f" -gt "$max_fds" ] && max_fds=$f
    sleep 0.1
  done
}

# soak_checks STEPS: the figures soak_watch took, and the checks on them:
# sampled, resident memory flat (eight pages of slack for the allocator's
# bookkeeping; a leak of a few dozen bytes a step shows over a thousand
# steps) and descriptors never more than at first (the most held, not the
# last count: on its way out a saver has closed its display while the leak
# check at exit still runs).
soak_checks() {
  echo "soak: $1 steps; RSS after the first cycle ${base_rss} KiB, at most ${max_rss} KiB, last ${last_rss} KiB; fds ${base_fds}, at most ${max_fds}; ${samples} samples"
  check "it was sampled while it ran" test "$samples" -ge 2
  if [ -n "${ASAN_OPTIONS:-}" ]; then
    # AddressSanitizer holds freed memory in quarantine, so the resident
    # size grows by design; its leak check at the end stands in for this.
    echo "skipped: resident memory under AddressSanitizer"
  else
    check "resident memory stays flat" test "$max_rss" -le $((base_rss + 32))
  fi
  check "open file descriptors do not grow" test "$max_fds" -le "$base_fds"
}

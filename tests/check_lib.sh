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

same_picture() {  # same_picture A B: the same size and every pixel equal
  local differing
  [ "$(identify -format '%wx%h' "$1")" = "$(identify -format '%wx%h' "$2")" ] &&
    differing=$(compare -metric AE "$1" "$2" null: 2>&1) &&
    [ "$differing" = 0 ]
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

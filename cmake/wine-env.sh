# The Wine environment of every run in this project, sourced with the
# prefix's directory as $1 (made if missing): quiet, no Mono or Gecko
# installers, no menu entries on the host's desktop.
mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Whether this machine runs 32-bit x86 programs: a kernel may have that
# switched off (ia32_emulation=off). Then only 64-bit Windows programs run,
# through Wine's 64-bit loader (cmake/wine64-only).
wine_runs_x86_32() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
if ! wine_runs_x86_32 && [ -x /usr/lib/wine/wine64 ]; then
  PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-only:$PATH"
  export PATH
fi

# wine_unrunnable PROGRAM: true, saying why, for a 32-bit Windows program
# on a machine that runs no 32-bit x86 code. The tests then end as skipped
# (exit 77) rather than failed.
wine_unrunnable() {
  wine_runs_x86_32 && return 1
  file -b "$1" | grep -q '^PE32 executable' || return 1
  echo "skipped: $(basename "$1") is a 32-bit Windows program, and this" \
    "machine's kernel runs no 32-bit x86 programs (ia32 emulation is off)"
}

# Fills the prefix: a copy of the template prefix MANDELDIVE_WINE_TEMPLATE
# when that names a prepared one (fast), otherwise made from scratch.
wine_fill_prefix() {
  local template=${MANDELDIVE_WINE_TEMPLATE:-}
  if [ -n "$template" ] && [ -f "$template/system.reg" ]; then
    cp -a "$template/." "$WINEPREFIX/"
  else
    timeout 300 wineboot -i >/dev/null 2>&1
  fi
}

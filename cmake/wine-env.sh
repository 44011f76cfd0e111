# The Wine environment of every run in this project, sourced with the
# prefix's directory as $1 (made if missing): quiet, no Mono or Gecko
# installers, no menu entries on the host's desktop.
mkdir -p "$1"
WINEPREFIX=$(cd "$1" && pwd)
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

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

#!/bin/sh
# Runs a console test program under Wine in a fresh, throw-away prefix, without a display.
# Usage: run-under-wine.sh WINE_LOADER WINESERVER PROGRAM.exe
set -eu
loader=$1
server=$2
program=$3
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/qinglan-wine.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
# No Mono or Gecko set-up dialogs: the test needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
status=0
"$loader" "$program" || status=$?
"$server" -k 2>/dev/null || true
"$server" -w 2>/dev/null || true
rm -rf "$WINEPREFIX"
exit $status

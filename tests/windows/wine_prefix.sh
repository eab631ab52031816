#!/usr/bin/env bash
# wine_prefix.sh PREFIX: makes the Wine prefix the end-to-end tests run in,
# once; later runs find it ready. Wine draws the window frames itself (no
# window manager runs on the virtual screens), so screenshots show the title bar.
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
unset DISPLAY
if [ ! -f "$WINEPREFIX/.kestrova-ready" ]; then
  wineboot -i
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  wineserver -w
  touch "$WINEPREFIX/.kestrova-ready"
fi

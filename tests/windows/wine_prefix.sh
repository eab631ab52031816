#!/usr/bin/env bash
# wine_prefix.sh PREFIX: makes the Wine prefix the end-to-end tests run in,
# once; later runs find it ready. Wine draws the window frames itself (no
# window manager runs on the virtual screens), so screenshots show the title bar.
# Its caption buttons are glyphs of the Marlett font, which this Wine does not
# find in Debian's fonts-wine folder by itself: without a copy in the prefix's
# Fonts folder the title bar shows the letters "0 1 r" instead of the buttons.
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
unset DISPLAY
if [ ! -f "$WINEPREFIX/.kestrova-ready" ]; then
  wineboot -i
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  wineserver -w
  touch "$WINEPREFIX/.kestrova-ready"
fi
# Also for a prefix made before the font was put there.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"  # Debian's fonts-wine
fi

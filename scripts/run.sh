#!/usr/bin/env bash
# Builds kestrova.exe and starts it under Wine, in a Japanese locale, with this
# script's arguments as the program's command line:
#
#   bash scripts/run.sh /Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=2.4
#
# With a $DISPLAY the window opens there and the script returns when it is
# closed. Without one the program runs on a virtual screen (Xvfb): a screenshot
# of its window is saved as PNG, its path printed, and the program closed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

export WINEPREFIX="$root/.wine" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
[ -f "$WINEPREFIX/.kestrova-ready" ] || echo "preparing the Wine prefix $WINEPREFIX (once)" >&2
bash tests/windows/wine_prefix.sh "$WINEPREFIX"

cmake --preset windows >/dev/null
cmake --build --preset windows --target kestrova_app kestrova-shot >/dev/null
exe="$root/build/windows/app/kestrova.exe"
shot_tool="$root/build/windows/tools/winprobe/kestrova-shot.exe"

x11_key='HKCU\Software\Wine\X11 Driver'
if [ -n "${DISPLAY:-}" ]; then
  # The desktop's window manager draws the frame.
  wine reg delete "$x11_key" /v Managed /f >/dev/null 2>&1 || true
  exec wine "$exe" "$@"
fi

shots="$root/build/windows/screenshots"
mkdir -p "$shots"
png="$shots/kestrova-run-$(date +%Y%m%d-%H%M%S).png"
# A running wineserver keeps the screen it started on; start afresh on the
# virtual one, where Wine draws the window frames itself (no window manager).
wineserver -k 2>/dev/null || true
wineserver -w
run='wine reg add "$KEY" /v Managed /d N /f >/dev/null 2>&1
wine "$SHOT" "Z:$PNG" "Z:$EXE" "$@" >/dev/null; rc=$?
wineserver -k 2>/dev/null; wineserver -w; exit $rc'
KEY=$x11_key SHOT=$shot_tool PNG=$png EXE=$exe \
  xvfb-run -a -n 120 -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c "$run" _ "$@"
echo "$png"

#!/usr/bin/env bash
# Start-up benchmark of kestrova.exe under Wine on a virtual screen: the median
# time from process start to the first paint on the screen (female example on
# the command line), as a ratio against a minimal Win32 window program and
# against a reference program that puts up the same window with the same
# fourteen controls and fonts and does nothing else (goal: at most 1.05), each
# started the same way; then the size of kestrova.exe.
#
#   bash bench/startup.sh [RUNS]     (default 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
runs=${1:-15}

bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target kestrova_app minimal_window reference_window startup_timer >/dev/null \
  || cmake --build --preset windows --target kestrova_app minimal_window reference_window startup_timer

bin="$root/build/windows"
prefix="$bin/wine-1920x1080"
bash tests/windows/wine_prefix.sh "$prefix"
bash tests/windows/wine_test.sh 1920x1080 "$prefix" "$bin/bench/windows/startup_timer.exe" "$runs" \
  "Z:$bin/app/kestrova.exe" NORMAL0 "Z:$bin/bench/windows/minimal_window.exe" MINIMAL \
  "Z:$bin/bench/windows/reference_window.exe" NORMAL0 \
  /Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=2.4
size=$(stat -c %s "$bin/app/kestrova.exe")
echo "kestrova.exe size: $size bytes ($((size / 1024)) KiB), static, imports only system DLLs"

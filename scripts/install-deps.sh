#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and the ja_JP.UTF-8 locale.
# Safe to run again: it skips what is already there.
set -euo pipefail

want_windows=1
[ "${1:-}" = "--native-only" ] && want_windows=0

pkgs=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev clang libclang-rt-dev clang-format)
# The tests read the JSON back with nlohmann-json.
pkgs+=(nlohmann-json3-dev)
# The HTML report's browser test: headless Chromium, pdfinfo, libpng for the
# screenshot check, libxml2 to read the pages back, and a Japanese font for the page.
pkgs+=(chromium poppler-utils libpng-dev libxml2-dev fonts-ipafont-gothic)
# kestrova.html: Debian's emscripten, and Node.js with npm for its browser tests
# (a Node.js that already brings its own npm keeps it).
pkgs+=(emscripten nodejs)
command -v npm >/dev/null 2>&1 || pkgs+=(npm)
# The Python package (python/), built and tested with Debian's Python; matplotlib
# for the README's plot.
pkgs+=(python3 python3-dev python3-venv python3-setuptools python3-pybind11 python3-numpy python3-pandas
  python3-pytest python3-matplotlib)
if [ "$want_windows" = 1 ]; then
  pkgs+=(g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xauth locales x11-utils)
  # The release: the installer, reading version resources back, the guide as
  # HTML, and the application icon (drawn as SVG, made into an .ico at build time).
  pkgs+=(nsis icoutils librsvg2-bin python3 python3-markdown git)
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  echo "installing: ${missing[*]}" >&2
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if [ "$want_windows" = 1 ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi

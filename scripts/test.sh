#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests, the browser
# page against kestrova-cli, the same suite
# under AddressSanitizer/UBSan and under integer checks, every fuzz target for a
# few seconds, then the Windows program and its end-to-end tests under Wine,
# and the release: built twice from clean copies (identical files), its
# installer installed, started and uninstalled under Wine. Installs what it
# needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Every tracked C++ file stays formatted by .clang-format.
bash scripts/check-format.sh

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

# kestrova.html, built with emscripten, in headless Chromium from file://: the
# same JSON as kestrova-cli for 2,000 patients, the form's wiring, printing,
# no network request, axe-core.
bash tests/web/run.sh
# The Python package, installed as README says (Debian's Python, a fresh
# virtual environment), and its tests against the kestrova-cli just built.
bash scripts/python-test.sh
# One patient, one result: generated patients through the batch, kestrova-cli,
# Python and the page's API under Node give the same results and errors.
bash tests/surfaces/run.sh

# Sanitizers over the whole native suite (its threaded tests under
# ThreadSanitizer too), and the fuzz targets from their seeds
# for a bounded time each (long sessions: scripts/fuzz.sh 600).
bash scripts/sanitize.sh
bash scripts/fuzz.sh "${KESTROVA_FUZZ_SECONDS:-10}"

# The Windows program and its end-to-end tests: each test starts its own virtual
# X screen (Xvfb, 1920x1080 or 1024x768) and Wine prefix under build/windows,
# so they neither need nor touch a desktop, and stop both when they end.
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows -j "$jobs"

# The release files, built twice from clean copies of the tree at different
# paths (scripts/release.sh fails unless both give identical files), then the
# installer end to end under Wine in a fresh prefix.
bash scripts/release.sh build/release
setup=$(ls build/release/kestrova-*-setup.exe)
bash tests/release/installer_e2e.sh "$setup" build/windows/tools/winprobe/kestrova-shot.exe build/windows/wine-installer

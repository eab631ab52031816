#!/usr/bin/env bash
# Builds kestrova.html (the web preset) and runs its browser tests in Debian's
# headless Chromium, comparing the page's API with the same module in Node
# (api_node.mjs on build/web/web/kestrova_web.wasm) and with the native
# kestrova-cli (built by the native preset first). The npm packages are those
# of package-lock.json.
# The page's screenshot is left in build/web/screenshots/.
#
#   bash tests/web/run.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc)"
(cd tests/web && npm ci --no-audit --no-fund --silent)
mkdir -p build/web/screenshots
node tests/web/page_test.mjs build/web/web/kestrova.html build/native/cli/kestrova-cli \
  build/web/screenshots/kestrova-web.png

#!/usr/bin/env bash
# Speed of kestrova.html in headless Chromium: load to first result and
# kestrova.compute's patients per second against native ComputeFullResult.
# Prints figures; asserts nothing.
#   bash bench/web_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset web >/dev/null
cmake --build --preset web -j 2 >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target batch_benchmarks >/dev/null
(cd tests/web && npm ci --no-audit --no-fund --silent)
node bench/web_bench.mjs build/web/web/kestrova.html build/native/bench/batch_benchmarks

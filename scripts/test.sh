#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests, then the Windows
# program and its end-to-end tests under Wine. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

#!/usr/bin/env bash
# The cross-surface property test (tests/surfaces/test_surfaces.py): the same
# generated patients through kestrova-cli --batch, kestrova-cli for one
# patient, the Python package and the page's JavaScript API. Run after the
# native and web presets are built and scripts/python-test.sh made the
# package's virtual environment (scripts/test.sh does all three first).
set -euo pipefail
cd "$(dirname "$0")/../.."

export KESTROVA_CLI=$PWD/build/native/cli/kestrova-cli
export KESTROVA_WASM=$PWD/build/web/web/kestrova_web.wasm
for needed in "$KESTROVA_CLI" "$KESTROVA_WASM" build/python-venv/bin/python; do
  [ -e "$needed" ] || { echo "tests/surfaces/run.sh: $needed is missing (build it first)" >&2; exit 1; }
done
build/python-venv/bin/python -m pytest -q -p no:cacheprovider tests/surfaces "$@"

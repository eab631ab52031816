#!/usr/bin/env bash
# Installs the Python package into a fresh virtual environment of Debian's
# Python (build/python-venv), the way README says, and runs its tests, which
# compare it with build/native/cli/kestrova-cli (build the native preset first).
#   bash scripts/python-test.sh [pytest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."

venv=build/python-venv
rm -rf "$venv"
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --quiet --no-build-isolation --no-index ./python
# From outside the source tree, so that the installed package is the one imported.
cd python/tests
# pytest exits non-zero when a test fails and also when it found none (5).
"../../$venv/bin/python" -m pytest -q -p no:cacheprovider "$@"

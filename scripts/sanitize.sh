#!/usr/bin/env bash
# The whole native test suite twice more: with AddressSanitizer +
# UndefinedBehaviorSanitizer, and with trapping integer overflow plus UBSan's
# integer and float-to-integer conversion checks; then the tests that compute
# on several threads under ThreadSanitizer (scripts/tsan.sh). Any report fails
# the run.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for preset in asan intcheck; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" >/dev/null
  ctest --preset "$preset" -j "$jobs"
done
bash scripts/tsan.sh

#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for a bounded
# time, starting from its seed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET…]     (default 10 seconds, every target)
# New inputs go to build/fuzz/corpus/<target>/; a crash or a broken property is
# written to build/fuzz/findings/ and makes the script fail. Long sessions:
#   scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" >/dev/null

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for exe in build/fuzz/fuzz/fuzz_*; do targets+=("$(basename "$exe")"); done
fi

mkdir -p build/fuzz/findings
status=0
for target in "${targets[@]}"; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work"
  log=build/fuzz/$target.log
  if ./build/fuzz/fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix=build/fuzz/findings/"$target"- "$work" fuzz/corpus/"$target" >"$log" 2>&1; then
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz: $target: ${runs:-?} executions in ${seconds}s, no finding"
  else
    echo "fuzz: $target: FINDING (see $log and build/fuzz/findings/)" >&2
    tail -n 30 "$log" >&2
    status=1
  fi
done
exit $status

#!/usr/bin/env bash
# Times kestrova-cli --batch on a generated file of patients (default 1,000,000
# rows) and prints patients per second, CSV in to CSV out: --jobs 1 on one
# core, then --jobs 2 on two, and the ratio; both outputs must be the same.
# Then --jobs 1 again with the GLI columns of both sets (--gli global,2012).
#   bash bench/batch_throughput.sh [ROWS]
# Builds the native preset first when kestrova-cli is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

rows=${1:-1000000}
cli=${KESTROVA_CLI:-build/native/cli/kestrova-cli}
if [ ! -x "$cli" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target kestrova-cli >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Mixed patients: both sexes, ages 18 to 94, heights 140 to 194, volumes with
# two decimals, an id column passed through; every 50th row without volumes.
# The seed is fixed, so the file (and the output) is the same on every run.
awk -v n="$rows" 'BEGIN {
  srand(20261207);
  print "id,sex,age,height,vc,fvc,fev1";
  for (i = 1; i <= n; i++) {
    sex = (i % 2) ? "M" : "F";
    age = 18 + int(rand() * 77);
    height = 140 + int(rand() * 55);
    fvc = 2 + rand() * 3;
    if (i % 50 == 0) { printf "p%d,%s,%d,%d,,,\n", i, sex, age, height; continue }
    printf "p%d,%s,%d,%d,%.2f,%.2f,%.2f\n", i, sex, age, height, fvc + rand() * 0.3, fvc, fvc * (0.6 + rand() * 0.3);
  }
}' > "$work/patients.csv"

# Pinned to N cores when taskset is there; further arguments go to the tool,
# and NAME names the results file.
run() {
  local jobs=$1 name=$2 pin=()
  shift 2
  command -v taskset >/dev/null && pin=(taskset -c "0-$((jobs - 1))")
  local start end
  start=$(date +%s.%N)
  "${pin[@]}" "$cli" --batch "$work/patients.csv" -o "$work/$name.csv" --jobs "$jobs" "$@"
  end=$(date +%s.%N)
  local out_rows=$(($(wc -l < "$work/$name.csv") - 1))
  if [ "$out_rows" -ne "$rows" ]; then
    echo "expected $rows result rows, got $out_rows" >&2
    exit 1
  fi
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }'
}

t1=$(run 1 results1)
t2=$(run 2 results2)
tg=$(run 1 results-gli --gli global,2012)
if ! cmp -s "$work/results1.csv" "$work/results2.csv"; then
  echo "--jobs 2 wrote other bytes than --jobs 1" >&2
  exit 1
fi
# The output's checksum: a change that must not alter any digit keeps it.
echo "output sha256: $(sha256sum < "$work/results1.csv" | cut -d' ' -f1)"
echo "output sha256 with --gli global,2012: $(sha256sum < "$work/results-gli.csv" | cut -d' ' -f1)"
awk -v n="$rows" -v t1="$t1" -v t2="$t2" -v tg="$tg" 'BEGIN {
  printf "--jobs 1, one core:  %d patients in %.2f s: %.0f patients per second (goal 500000)\n", n, t1, n / t1;
  printf "--jobs 2, two cores: %d patients in %.2f s: %.0f patients per second (goal 700000)\n", n, t2, n / t2;
  printf "two jobs / one job: %.2fx (goal 1.8x)\n", t1 / t2;
  printf "--jobs 1 --gli global,2012: %d patients in %.2f s: %.0f patients per second (goal 300000)\n", n, tg, n / tg;
}'

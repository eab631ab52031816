// Speed of the calculation and of the number text conversions.
//   build/native/bench/core_benchmarks
#include <benchmark/benchmark.h>

#include "equations/calculation.h"
#include "kestrova/panel_rules.h"
#include "numtext/number_text.h"

namespace kestrova {
namespace {

void BM_CalculatePredictions(benchmark::State& state) {
  const SplineTable& table = LoadedSplineTable();
  PredictionSet results;
  PatientInputs inputs{1, 40, 170, 3.2, 3.9, 2.6};
  for (auto _ : state) {
    CalculatePredictions(inputs, table, results);
    benchmark::DoNotOptimize(results.vcJrs2014);
    inputs.sexCode = inputs.sexCode == 1 ? 2 : 1;
  }
}
BENCHMARK(BM_CalculatePredictions);

// The calculation and the panel's contents built from it, as one paint of the
// window computes them: compare with BM_CalculatePredictions (goal: at most 1.5×).
void BM_PanelContents(benchmark::State& state) {
  const SplineTable& table = LoadedSplineTable();
  PredictionSet results;
  PanelContents contents;
  PatientInputs inputs{1, 40, 170, 3.2, 3.9, 2.6};
  for (auto _ : state) {
    CalculatePredictions(inputs, table, results);
    BuildPanelContents(inputs, results, contents);
    benchmark::DoNotOptimize(contents.rows[0].cell.text.data());
    inputs.sexCode = inputs.sexCode == 1 ? 2 : 1;
  }
}
BENCHMARK(BM_PanelContents);

void BM_FormatFixed(benchmark::State& state) {
  const auto decimals = static_cast<std::uint8_t>(state.range(0));
  double value = 3.14159;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatFixed(value, decimals));
    value += 0.001;
  }
}
BENCHMARK(BM_FormatFixed)->Arg(1)->Arg(2)->Arg(3);

void BM_ParseNumber(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseNumber("123.456"));
}
BENCHMARK(BM_ParseNumber);

void BM_LoadSplineTable(benchmark::State& state) {
  for (auto _ : state) {
    SplineTable table;
    LoadSplineTable(table);
    benchmark::DoNotOptimize(table.values[45][2]);
  }
}
BENCHMARK(BM_LoadSplineTable);

}  // namespace
}  // namespace kestrova

// Speed of the GLI equations as the batch calls them for one patient: both
// sets, FEV1, FVC and FEV1/FVC, each predicted with its limits and scored
// against its measured value (goal: 300,000 patients per second).
//   build/native/bench/gli_benchmarks
#include <benchmark/benchmark.h>

#include "gli/gli.h"

namespace kestrova {
namespace {

void BM_GliPatientBothSets(benchmark::State& state) {
  const GliQuantity quantities[] = {GliQuantity::kFev1, GliQuantity::kFvc, GliQuantity::kFev1Fvc};
  const double measured[] = {2.6, 3.9, 0.667};
  int sexCode = 1;
  double age = 3;
  for (auto _ : state) {
    const std::optional<GliPoint> point = GliPointOf(sexCode, age, 170);  // once a patient, as the batch does
    for (GliSet set : {GliSet::kGlobal2022, GliSet::k2012}) {
      for (int q = 0; q < 3; ++q) {
        const std::optional<GliLms> lms = GliLmsAt(*point, set, GliGroup::kNeAsian, quantities[q]);
        const GliPrediction prediction = GliPredict(*lms);
        const GliScore score = GliScoreOf(*lms, measured[q]);
        benchmark::DoNotOptimize(prediction);
        benchmark::DoNotOptimize(score);
      }
    }
    sexCode = 3 - sexCode;
    age = age < 94 ? age + 0.37 : 3;  // all along the tables, between their rows
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GliPatientBothSets);

}  // namespace
}  // namespace kestrova

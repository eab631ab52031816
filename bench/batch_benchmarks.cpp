// Speed of kestrova-cli's batch path: one row end to end (CSV record in, CSV row
// out, through the calculation and the panel recording), and its main parts.
//   build/native/bench/batch_benchmarks
// bench/batch_throughput.sh times the real program on a 1,000,000-row file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "batch/batch.h"
#include "kestrova/kestrova.h"

namespace kestrova {
namespace {

// `rows` patients in the batch input format, both sexes and a spread of ages.
std::string Patients(int rows) {
  std::string text = "id,sex,age,height,vc,fvc,fev1\n";
  char line[96];
  for (int i = 0; i < rows; ++i) {
    const int age = 18 + (i * 7) % 77;
    const int height = 140 + (i * 13) % 55;
    const double fvc = 2.0 + (i % 300) / 100.0;
    std::snprintf(line, sizeof line, "p%d,%s,%d,%d,%.2f,%.2f,%.2f\n", i, i % 2 ? "M" : "F", age, height,
                  fvc + 0.1, fvc, fvc * 0.78);
    text += line;
  }
  return text;
}

// Whole batch runs over an in-memory file; items per second are patients per
// second, and the time per iteration divided by the rows is one row end to end.
void BM_BatchRows(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  std::string input = Patients(rows);
  std::FILE* sink = std::fopen("/dev/null", "wb");
  for (auto _ : state) {
    std::FILE* in = fmemopen(input.data(), input.size(), "rb");
    batch::BatchStreams streams{in, sink, sink, "bench"};
    benchmark::DoNotOptimize(batch::RunBatch(streams));
    std::fclose(in);
  }
  std::fclose(sink);
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_BatchRows)->Arg(10000);

void ComputeFullOrPanel(const PatientInputs& inputs, FullResult& out) { ComputeFullResult(inputs, out); }
void ComputeFullOrPanel(const PatientInputs& inputs, PanelResult& out) { ComputePanelResult(inputs, out); }

// One patient computed again and again, the sex switched each time: a
// PanelResult is what the batch computes per row, a FullResult adds the
// per-row copies the library's callers read.
template <class Result>
void BM_Compute(benchmark::State& state) {
  PatientInputs inputs{1, 40, 170, 3.2, 3.9, 2.6};
  Result result;
  for (auto _ : state) {
    ComputeFullOrPanel(inputs, result);
    benchmark::DoNotOptimize(result.jrs2014[0].zText.data());
    inputs.sexCode = inputs.sexCode == 1 ? 2 : 1;
  }
}
BENCHMARK_TEMPLATE(BM_Compute, FullResult);
BENCHMARK_TEMPLATE(BM_Compute, PanelResult);

void BM_Jrs2014Standings(benchmark::State& state) {
  const auto lms = Jrs2014Lms(1, Jrs2014Quantity::kVc, 40, 170, LoadedSplineTable());
  Jrs2014Standing standing;
  for (auto _ : state) {
    ComputeStanding(&*lms, 2, 3.2, standing);
    benchmark::DoNotOptimize(standing.zText.data());
  }
}
BENCHMARK(BM_Jrs2014Standings);

}  // namespace
}  // namespace kestrova

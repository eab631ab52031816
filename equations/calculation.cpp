#include "equations/calculation.h"

#include "equations/equation_limits.h"
#include "equations/jrs2014.h"
#include "equations/linear_equations.h"

namespace kestrova {
namespace {

constexpr ResultId kJrs2001Results[] = {ResultId::kVcJrs2001, ResultId::kFvcJrs2001, ResultId::kFev1Jrs2001,
                                        ResultId::kFev1RatioJrs2001T, ResultId::kFev1RatioJrs2001G};

// The five JRS2001 results, or their placeholders outside its limits.
void PublishJrs2001(const PatientInputs& inputs, PredictionSet& results) {
  if (!kJrs2001Limits.Hold(inputs.age, inputs.height)) {
    for (ResultId id : kJrs2001Results) ResetToPlaceholder(results, id);
    return;
  }
  const Jrs2001Result r = ComputeJrs2001(inputs.sexCode, inputs.age, inputs.height);
  PublishResult(results, ResultId::kVcJrs2001, r.vc);
  PublishResult(results, ResultId::kFvcJrs2001, r.fvc);
  PublishResult(results, ResultId::kFev1Jrs2001, r.fev1);
  PublishResult(results, ResultId::kFev1RatioJrs2001T, r.ratioT);
  PublishResult(results, ResultId::kFev1RatioJrs2001G, r.ratioG);
}

}  // namespace

// Each field is written once per run (a placeholder first and the number over
// it would cost two writes of every line).
bool CalculatePredictions(const PatientInputs& inputs, const SplineTable& table, PredictionSet& results) {
  if (!IsKnownSexCode(inputs.sexCode)) {
    ResetToPlaceholders(results);
    return false;
  }
  ComputeJrs2014(inputs, table, results);
  PublishJrs2001(inputs, results);
  PublishResult(results, ResultId::kVcBaldwin, ComputeBaldwinVc(inputs.sexCode, inputs.age, inputs.height));
  PublishResult(results, ResultId::kFev1Berglund,
                ComputeBerglundFev1(inputs.sexCode, inputs.age, inputs.height));
  return true;
}

}  // namespace kestrova

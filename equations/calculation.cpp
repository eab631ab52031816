#include "equations/calculation.h"

#include "equations/jrs2014.h"
#include "equations/linear_equations.h"

namespace kestrova {
namespace {

bool Jrs2001Applies(double age, double height) {
  return height >= 120 && height <= 190 && age > 17 && age < 96;
}

void PublishJrs2001(const PatientInputs& inputs, PredictionSet& results) {
  const Jrs2001Result r = ComputeJrs2001(inputs.sexCode, inputs.age, inputs.height);
  PublishResult(results, ResultId::kVcJrs2001, r.vc);
  PublishResult(results, ResultId::kFvcJrs2001, r.fvc);
  PublishResult(results, ResultId::kFev1Jrs2001, r.fev1);
  PublishResult(results, ResultId::kFev1RatioJrs2001T, r.ratioT);
  PublishResult(results, ResultId::kFev1RatioJrs2001G, r.ratioG);
}

}  // namespace

bool CalculatePredictions(const PatientInputs& inputs, const SplineTable& table, PredictionSet& results) {
  ResetToPlaceholders(results);
  if (!IsKnownSexCode(inputs.sexCode)) return false;
  ComputeJrs2014(inputs, table, results);
  if (Jrs2001Applies(inputs.age, inputs.height)) PublishJrs2001(inputs, results);
  PublishResult(results, ResultId::kVcBaldwin, ComputeBaldwinVc(inputs.sexCode, inputs.age, inputs.height));
  PublishResult(results, ResultId::kFev1Berglund,
                ComputeBerglundFev1(inputs.sexCode, inputs.age, inputs.height));
  return true;
}

Calculation CalculatePredictions(const PatientInputs& inputs, const SplineTable& table) {
  Calculation calculation;
  calculation.sexCodeRejected = !CalculatePredictions(inputs, table, calculation.results);
  return calculation;
}

}  // namespace kestrova

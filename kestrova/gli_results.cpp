#include "kestrova/gli_results.h"

#include <cmath>

namespace kestrova {
namespace {

// The measured value of each quantity, 0 when not measured (GliScoreOf then
// gives NaN): FEV1/FVC needs both volumes.
double MeasuredOf(GliQuantity quantity, const PatientInputs& in) {
  switch (quantity) {
    case GliQuantity::kFev1:
      return in.fev1;
    case GliQuantity::kFvc:
      return in.fvc;
    case GliQuantity::kFev1Fvc:
      break;
  }
  return in.fvc > 0 && in.fev1 > 0 ? in.fev1 / in.fvc : 0;
}

// What GliLmsOf needs besides the age: a patient the set could be computed for
// at some age.
bool UsablePatient(const PatientInputs& in) {
  return IsKnownSexCode(in.sexCode) && std::isfinite(in.height) && in.height > 0;
}

void ComputeSet(GliSet set, GliGroup group, const PatientInputs& in, GliSetResults& out) {
  out.requested = true;
  out.group = group;
  out.ageOutOfRange = UsablePatient(in) && !(in.age >= kGliMinAge && in.age <= kGliMaxAge);
  for (std::size_t q = 0; q < kGliQuantities.size(); ++q) {
    const std::optional<GliLms> lms = GliLmsOf(set, group, kGliQuantities[q], in.sexCode, in.age, in.height);
    if (!lms) return;  // the same limits hold for every quantity
    GliQuantityResult& result = out.quantities[q];
    result.prediction = GliPredict(*lms);
    const double measured = MeasuredOf(kGliQuantities[q], in);
    result.score = GliScoreOf(*lms, measured);
    result.measured = measured > 0 && std::isfinite(result.score.z);
    result.zShown = ShownNumber{.decimals = 2};
    if (result.measured) {
      result.value = measured;
      RoundThroughText(result.score.z, 2, result.zText, {}, result.zShown);
    }
  }
  out.computed = true;
}

}  // namespace

GliResults ComputeGliResults(const PatientInputs& inputs, const GliRequest& request) {
  GliResults out;
  if (request.global) ComputeSet(GliSet::kGlobal2022, GliGroup::kOther, inputs, out.global);
  if (request.gli2012) ComputeSet(GliSet::k2012, request.group, inputs, out.gli2012);
  return out;
}

}  // namespace kestrova

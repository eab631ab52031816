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

// Every field of `out` is set; its texts are rewritten in place.
void ComputeSet(GliSet set, GliGroup group, const PatientInputs& in, const std::optional<GliPoint>& point,
                GliSetResults& out) {
  out.requested = true;
  out.group = group;
  out.ageOutOfRange = UsablePatient(in) && !(in.age >= kGliMinAge && in.age <= kGliMaxAge);
  bool computed = point.has_value();
  for (std::size_t q = 0; q < kGliQuantities.size(); ++q) {
    GliQuantityResult& result = out.quantities[q];
    const std::optional<GliLms> lms = point ? GliLmsAt(*point, set, group, kGliQuantities[q]) : std::nullopt;
    computed = computed && lms.has_value();
    const double measured = lms ? MeasuredOf(kGliQuantities[q], in) : 0;
    result.prediction = lms ? GliPredict(*lms) : GliPrediction{};
    result.score = lms ? GliScoreOf(*lms, measured) : GliScore{};
    result.measured = lms && measured > 0 && std::isfinite(result.score.z);
    result.value = result.measured ? measured : 0;
    result.zShown = ShownNumber{.decimals = 2};
    if (result.measured) {
      RoundThroughText(result.score.z, 2, result.zText, {}, result.zShown);
    } else {
      result.zText.clear();
    }
  }
  out.computed = computed;
}

}  // namespace

void ComputeGliResults(const PatientInputs& inputs, const GliRequest& request, GliResults& out) {
  const std::optional<GliPoint> point = request.global || request.gli2012
                                            ? GliPointOf(inputs.sexCode, inputs.age, inputs.height)
                                            : std::nullopt;
  if (request.global) {
    ComputeSet(GliSet::kGlobal2022, GliGroup::kOther, inputs, point, out.global);
  } else {
    out.global = {};
  }
  if (request.gli2012) {
    ComputeSet(GliSet::k2012, request.group, inputs, point, out.gli2012);
  } else {
    out.gli2012 = {};
  }
}

GliResults ComputeGliResults(const PatientInputs& inputs, const GliRequest& request) {
  GliResults out;
  ComputeGliResults(inputs, request, out);
  return out;
}

}  // namespace kestrova

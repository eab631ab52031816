// The GLI results of one patient beside the JRS-based ones: for each GLI set
// asked for (GLI Global, GLI-2012 with a group), FEV1, FVC and FEV1/FVC with
// their predicted value, lower and upper limits of normal, and for a measured
// value its z-score, percentile and % predicted, all unrounded (gli/gli.h).
//
//   kestrova::GliRequest request{.global = true, .gli2012 = true};  // group: NE Asian
//   const kestrova::GliResults gli = kestrova::ComputeGliResults(inputs, request);
//   gli.global.quantities[0].prediction.lln   // FEV1's LLN by GLI Global
//   gli.gli2012.quantities[2].score.z         // z of the measured FEV1/FVC, GLI-2012
//
// The measured FEV1/FVC is fev1 / fvc, unrounded, when both are measured (the
// GLI papers score the ratio itself; JRS2014's standing takes the ratio as the
// window shows it). A set is computed for ages 3 to 95, a sex code 1 or 2 and
// a height above 0; outside the ages it says so (ageOutOfRange), and nothing
// of it is computed. The inputs are the typed ones of PatientInputs: what the
// window, the batch and kestrova-cli compute the JRS results from.
#ifndef KESTROVA_KESTROVA_GLI_RESULTS_H_
#define KESTROVA_KESTROVA_GLI_RESULTS_H_

#include <array>
#include <string>
#include <string_view>

#include "gli/gli.h"
#include "numtext/number_text.h"
#include "records/patient_inputs.h"

namespace kestrova {

// Which sets to compute; GLI-2012's group (GLI Global has none).
struct GliRequest {
  bool global = false;
  bool gli2012 = false;
  GliGroup group = GliGroup::kNeAsian;
};

// In the order of GliSetResults::quantities; their names in outputs.
inline constexpr std::array<GliQuantity, 3> kGliQuantities = {GliQuantity::kFev1, GliQuantity::kFvc,
                                                              GliQuantity::kFev1Fvc};
inline constexpr std::array<std::string_view, 3> kGliQuantityNames = {"fev1", "fvc", "fev1Fvc"};

struct GliQuantityResult {
  GliPrediction prediction{};  // predicted (M), LLN, ULN
  bool measured = false;
  double value = 0;  // the measured value scored (FEV1/FVC: fev1 / fvc); 0 when not measured
  GliScore score{};  // z, percentile, % predicted; NaN each when not measured
  // z as the reading prints it and grades it, 2 decimals; empty when not measured.
  std::string zText;
  ShownNumber zShown;
};

struct GliSetResults {
  bool requested = false;
  bool computed = false;                // requested and the patient within the set's limits
  bool ageOutOfRange = false;           // requested, a usable sex and height, an age outside 3 to 95
  GliGroup group = GliGroup::kNeAsian;  // GLI-2012's; unused by GLI Global
  std::array<GliQuantityResult, kGliQuantities.size()> quantities{};
};

struct GliResults {
  GliSetResults global;
  GliSetResults gli2012;
};

GliResults ComputeGliResults(const PatientInputs& inputs, const GliRequest& request);
// The same into `out`, every field of it set: for a batch that computes row
// after row into one record, whose texts keep their room.
void ComputeGliResults(const PatientInputs& inputs, const GliRequest& request, GliResults& out);

}  // namespace kestrova

#endif  // KESTROVA_KESTROVA_GLI_RESULTS_H_

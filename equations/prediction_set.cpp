#include "equations/prediction_set.h"

#include "numtext/number_text.h"

namespace kestrova {

using enum MeasuredInput;
using enum ColourRule;

#define KESTROVA_FIELD(name, label, group, mask, decimals, y, measured, colour)                            \
  ResultField {                                                                                            \
#name, &PredictionSet::name, &PredictionSet::name##Line, label, group, "  " mask " :" label, decimals, \
        y, measured, colour                                                                                \
  }

constexpr std::array<ResultField, kResultCount> kResultFields = {
    KESTROVA_FIELD(vcJrs2014, "JRS2014", "VC", "*.**", 2, 170, kVc, kBelowLln),
    KESTROVA_FIELD(vcLln, "LLN", "VC", "*.**", 2, 195, kNone, kNever),
    KESTROVA_FIELD(vcJrs2001, "JRS2001", "VC", "*.**", 2, 220, kVc, kPercentUnder80),
    KESTROVA_FIELD(vcBaldwin, "Baldwin", "VC", "*.**", 2, 245, kVc, kPercentUnder80),
    KESTROVA_FIELD(fvcJrs2014, "JRS2014", "FVC", "*.**", 2, 285, kFvc, kBelowLln),
    KESTROVA_FIELD(fvcLln, "LLN", "FVC", "*.**", 2, 310, kNone, kNever),
    KESTROVA_FIELD(fvcJrs2001, "JRS2001", "FVC", "*.**", 2, 335, kFvc, kNever),
    KESTROVA_FIELD(fev1Jrs2014, "JRS2014", "FEV1", "*.**", 2, 375, kFev1, kBelowLln),
    KESTROVA_FIELD(fev1Lln, "LLN", "FEV1", "*.**", 2, 400, kNone, kNever),
    KESTROVA_FIELD(fev1Jrs2001, "JRS2001", "FEV1", "*.**", 2, 425, kFev1, kNever),
    KESTROVA_FIELD(fev1Berglund, "Berglund", "FEV1", "*.**", 2, 450, kFev1, kNever),
    // The two JRS2014 ratio placeholders carry the mask "**.*".
    KESTROVA_FIELD(fev1RatioJrs2014, "JRS2014", "FEV1.0 %", "**.*", 3, 490, kMeasuredRatio,
                   kRatioBelowPrediction),
    KESTROVA_FIELD(fev1RatioLln, "LLN", "FEV1.0 %", "**.*", 3, 515, kNone, kNever),
    KESTROVA_FIELD(fev1RatioJrs2001T, "JRS2001(T)", "FEV1.0 %", "*.**", 3, 540, kMeasuredRatio,
                   kRatioBelowPrediction),
    KESTROVA_FIELD(fev1RatioJrs2001G, "JRS2001(G)", "FEV1.0 %", "*.**", 3, 565, kMeasuredRatio,
                   kRatioBelowPrediction),
};

#undef KESTROVA_FIELD

namespace {

// kBelowLln compares with the row after it: that row must be its group's LLN.
constexpr bool LlnFollowsEachBelowLlnRow() {
  for (std::size_t i = 0; i + 1 < kResultFields.size(); ++i) {
    if (kResultFields[i].colour != kBelowLln) continue;
    if (kResultFields[i + 1].label != "LLN" || kResultFields[i + 1].group != kResultFields[i].group)
      return false;
  }
  return kResultFields.back().colour != kBelowLln;
}
static_assert(LlnFollowsEachBelowLlnRow());

}  // namespace

void ResetToPlaceholders(PredictionSet& set) {
  for (const ResultField& field : ResultFields()) {
    set.*field.value = 0;
    (set.*field.line).assign(field.placeholder);  // keeps the line's storage
  }
  set.hasJrs2014Lms.fill(false);
  set.jrs2014Lms.fill(LmsParameters{});
}

void PublishResult(PredictionSet& set, ResultId id, double raw) {
  const ResultField& field = FieldOf(id);
  // The line starts as the number text, then gets " :" and the label.
  std::string& line = set.*field.line;
  set.*field.value = RoundThroughText(raw, field.decimals, line);
  line.append(" :").append(field.label);
}

}  // namespace kestrova

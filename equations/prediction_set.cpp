#include "equations/prediction_set.h"

#include "numtext/number_text.h"

namespace kestrova {

#define KESTROVA_FIELD(name, label, mask, decimals)                                                   \
  ResultField {                                                                                       \
#name, &PredictionSet::name, &PredictionSet::name##Line, label, "  " mask " :" label, " :" label, \
        decimals                                                                                      \
  }

constexpr std::array<ResultField, kResultCount> kResultFields = {
    KESTROVA_FIELD(vcJrs2014, "JRS2014", "*.**", 2),
    KESTROVA_FIELD(vcLln, "LLN", "*.**", 2),
    KESTROVA_FIELD(vcJrs2001, "JRS2001", "*.**", 2),
    KESTROVA_FIELD(vcBaldwin, "Baldwin", "*.**", 2),
    KESTROVA_FIELD(fvcJrs2014, "JRS2014", "*.**", 2),
    KESTROVA_FIELD(fvcLln, "LLN", "*.**", 2),
    KESTROVA_FIELD(fvcJrs2001, "JRS2001", "*.**", 2),
    KESTROVA_FIELD(fev1Jrs2014, "JRS2014", "*.**", 2),
    KESTROVA_FIELD(fev1Lln, "LLN", "*.**", 2),
    KESTROVA_FIELD(fev1Jrs2001, "JRS2001", "*.**", 2),
    KESTROVA_FIELD(fev1Berglund, "Berglund", "*.**", 2),
    // The two JRS2014 ratio placeholders carry the mask "**.*".
    KESTROVA_FIELD(fev1RatioJrs2014, "JRS2014", "**.*", 3),
    KESTROVA_FIELD(fev1RatioLln, "LLN", "**.*", 3),
    KESTROVA_FIELD(fev1RatioJrs2001T, "JRS2001(T)", "*.**", 3),
    KESTROVA_FIELD(fev1RatioJrs2001G, "JRS2001(G)", "*.**", 3),
};

#undef KESTROVA_FIELD

void ResetToPlaceholders(PredictionSet& set) {
  for (std::size_t i = 0; i < kResultCount; ++i) ResetToPlaceholder(set, static_cast<ResultId>(i));
  set.hasJrs2014Lms.fill(false);
  set.jrs2014Lms.fill(LmsParameters{});
}

void ResetToPlaceholder(PredictionSet& set, ResultId id) {
  const ResultField& field = FieldOf(id);
  set.*field.value = 0;
  (set.*field.line).assign(field.placeholder);  // keeps the line's storage
}

void PublishResult(PredictionSet& set, ResultId id, double raw) {
  const ResultField& field = FieldOf(id);
  // Number text and suffix in one write into the line's own storage.
  set.*field.value = RoundThroughText(raw, field.decimals, set.*field.line, field.lineSuffix);
}

}  // namespace kestrova

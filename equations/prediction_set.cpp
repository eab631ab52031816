#include "equations/prediction_set.h"

namespace kestrova {

void ResetToPlaceholders(PredictionSet& set) {
  for (std::size_t i = 0; i < kResultCount; ++i) ResetToPlaceholder(set, static_cast<ResultId>(i));
  set.hasJrs2014Lms.fill(false);
  set.jrs2014Lms.fill(LmsParameters{});
}

void ResetToPlaceholder(PredictionSet& set, ResultId id) {
  const ResultField& field = FieldOf(id);
  set.*field.value = 0;
  (set.*field.line).assign(field.placeholder);  // keeps the line's storage
  set.shown[static_cast<std::size_t>(id)] = ShownNumber{.decimals = field.decimals};
}

}  // namespace kestrova

// The calculation driver: patient inputs in, the complete result set out.
//
// Every run starts from placeholders, so nothing of an earlier run survives.
// Male: JRS2014 (its own limits), JRS2001 when 120 <= height <= 190 and
// 17 < age < 96, then Baldwin and Berglund always. Female: the same sets with the
// female equations. Each result is rounded through text (FormatFixed, then
// ParseNumber), 2 decimals for litres and 3 for fractions.
#ifndef KESTROVA_EQUATIONS_CALCULATION_H_
#define KESTROVA_EQUATIONS_CALCULATION_H_

#include <string>

#include "equations/prediction_set.h"
#include "equations/spline_table.h"
#include "input/patient_inputs.h"

namespace kestrova {

// A message the caller shows in a modal box owned by its window (MB_OK, no
// icon). Texts are CP932 bytes.
struct UserMessage {
  std::string text;
  std::string caption;
};

struct Calculation {
  PredictionSet results;
  // Set when the sex code is neither 1 nor 2: text = FormatNumber(code) +
  // "性別のチェックを！", caption "性別"; the results then stay reset.
  bool sexCodeRejected = false;
  UserMessage sexCodeMessage;
};

// Rewrites `results` completely from `inputs`; returns true, or false with the
// sex-code message filled in when the code is neither 1 nor 2.
bool CalculatePredictions(const PatientInputs& inputs, const SplineTable& table,
                          PredictionSet& results, UserMessage* sexCodeMessage);

// Convenience form returning a fresh record.
Calculation CalculatePredictions(const PatientInputs& inputs, const SplineTable& table);

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_CALCULATION_H_

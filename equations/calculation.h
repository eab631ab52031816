// The calculation driver: patient inputs in, the complete result set out.
//
// Every run writes every result, its number or else its placeholder, so
// nothing of an earlier run survives.
// Male: JRS2014 (its own limits: 17 <= age < 96, VC below 91, height >= 110),
// JRS2001 when 120 <= height <= 190 and 17 < age < 96, then Baldwin and
// Berglund always. Female: the same sets with the female equations (JRS2014
// 17 <= age < 94, height >= 100). The limits are those of equation_limits.h.
// Each result is rounded through text (FormatFixed, then ParseNumber), 2
// decimals for litres and 3 for fractions.
#ifndef KESTROVA_EQUATIONS_CALCULATION_H_
#define KESTROVA_EQUATIONS_CALCULATION_H_

#include "equations/prediction_set.h"
#include "equations/spline_table.h"
#include "records/patient_inputs.h"

namespace kestrova {

// Rewrites `results` completely from `inputs`; returns true, or false when the
// sex code is neither 1 nor 2 (IsKnownSexCode): the results are then all
// placeholders, and the caller tells the user (SexCheckMessage in input/).
bool CalculatePredictions(const PatientInputs& inputs, const SplineTable& table, PredictionSet& results);

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_CALCULATION_H_

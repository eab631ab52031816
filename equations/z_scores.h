// Where a measured value stands in a JRS2014 LMS distribution: its z-score and
// percentile, and the upper limit of normal (the 95th percentile, z = +1.645).
//
// All three take the unrounded M, S and L of Jrs2014Lms; nothing here rounds.
// With x the measured value (x > 0):
//   z          = ((x / M)^L − 1) / (L × S)
//   ULN        = exp(ln(1 + S × (L × 1.645)) / L + ln M)
//   percentile = 100 × Φ(z) = 50 × erfc(−z / √2)
// Near L = 0 (the female FEV1/FVC L crosses zero at about 77.36 years) both
// quotients divide a difference that cancels towards 0 by a tiny L. As for the
// LLN, for |L| < kSmallL the bracket is taken with expm1 / log1p, which keeps
// its digits, and at L = 0 exactly the limits are used:
//   z = ln(x / M) / S          ULN = M × exp(1.645 × S).
//
// Worked examples (hand-checked):
//   M 4, S 0.1, L 1, x 3.4        z = (0.85 − 1) / 0.1 = −1.5; percentile 6.68…
//   M 4, S 0.1, L 0.5, x 4.84     z = (1.1 − 1) / 0.05 = 2;    percentile 97.72…
//   M 2, S 0.1, L 0, x 2e^0.1     z = 1;                        percentile 84.13…
//   M 4, S 0.1, L 1               ULN = 4 × (1 + 0.1645) = 4.658
//   M 2, S 0.1, L 0               ULN = 2 × e^0.1645 = 2.35763…
// Shown texts: z with 2 decimals and the percentile with 1, through FormatFixed
// ("-1.50", "6.7"); the ULN with the quantity's decimals like the LLN.
#ifndef KESTROVA_EQUATIONS_Z_SCORES_H_
#define KESTROVA_EQUATIONS_Z_SCORES_H_

#include <cstdint>
#include <string>

#include "equations/jrs2014.h"

namespace kestrova {

inline constexpr double kUlnZ = kLlnZ;  // as far above the median as the LLN is below

// z of `measured`; NaN when measured is not > 0 or the parameters are unusable
// (M or S not > 0).
double ZScore(const LmsParameters& lms, double measured);

// The value at z = +1.645; NaN when 1 + S × L × 1.645 is not > 0.
double UpperLimitOfNormal(const LmsParameters& lms);

// 100 × Φ(z), the share of the reference population below z, in percent.
double PercentileOfZ(double z);

// One quantity's standing as shown: every text is empty when its number is not
// available (quantity outside its limits, or no measured value).
struct Jrs2014Standing {
  bool computed = false;       // the quantity's limits hold
  double uln = 0;              // ParseNumber(ulnText), as the LLN is stored
  std::string ulnText;         // FormatFixed(ULN, decimals)
  bool hasZ = false;           // a measured value was given
  double z = 0;                // unrounded
  std::string zText;           // FormatFixed(z, 2)
  double percentile = 0;       // unrounded, from the unrounded z
  std::string percentileText;  // FormatFixed(percentile, 1)
  // The three texts' numbers as data (not shown where their text is empty).
  ShownNumber ulnShown;
  ShownNumber zShown;
  ShownNumber percentileShown;
};

// Fills `out` from the parameters (or clears it when there are none). `decimals`
// is 2 for volumes and 3 for FEV1/FVC; `measured` is 0 when not given.
void ComputeStanding(const LmsParameters* lms, std::uint8_t decimals, double measured, Jrs2014Standing& out);

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_Z_SCORES_H_

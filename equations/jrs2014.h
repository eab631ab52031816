// JRS2014 predicted values by the LMS method, with the lower limit of normal
// (the 5th percentile, z = -1.645).
//
// For one quantity, with A the age and H the height (each operation rounded to
// double before the next, in this order):
//   m = SplineValue(A, M column) / 10000, likewise s and (FEV1/FVC only) l
//   M = exp(m + ((a1 × ln H + a0) − a2 × ln A))
//   S = exp(s + (b1 × ln A + b0))
//   L = constant, or for FEV1/FVC l + (l0 − l1 × ln A)
//   LLN = exp(ln(1 − S × (L × 1.645)) / L + ln M), from the unrounded M.
// The spline row is the whole years of A while ln A uses A itself.
//
// Near L = 0 (the female FEV1/FVC L crosses zero at about 77.36 years) the
// bracket 1 − S×L×1.645 rounds towards 1 and the quotient loses its digits; for
// |L| < kSmallL the logarithm is taken with log1p, and at L = 0 the limit
// M × exp(−1.645 × S) is used. Elsewhere the formula above is used as written.
#ifndef KESTROVA_EQUATIONS_JRS2014_H_
#define KESTROVA_EQUATIONS_JRS2014_H_

#include <cstdint>
#include <optional>

#include "equations/equation_limits.h"
#include "equations/prediction_set.h"
#include "equations/spline_table.h"
#include "records/patient_inputs.h"

namespace kestrova {

enum class Jrs2014Quantity : std::uint8_t { kVc, kFvc, kFev1, kRatio };
static_assert(static_cast<std::size_t>(Jrs2014Quantity::kRatio) + 1 == kJrs2014QuantityCount);

// The results a quantity's median and LLN are published to (prediction_set.h),
// which give their decimals: 2 for the volumes, 3 for FEV1/FVC.
struct Jrs2014Targets {
  ResultId median;
  ResultId lln;
};

constexpr Jrs2014Targets Jrs2014TargetsOf(Jrs2014Quantity quantity) {
  switch (quantity) {
    case Jrs2014Quantity::kVc:
      return {ResultId::kVcJrs2014, ResultId::kVcLln};
    case Jrs2014Quantity::kFvc:
      return {ResultId::kFvcJrs2014, ResultId::kFvcLln};
    case Jrs2014Quantity::kFev1:
      return {ResultId::kFev1Jrs2014, ResultId::kFev1Lln};
    case Jrs2014Quantity::kRatio:
      break;
  }
  return {ResultId::kFev1RatioJrs2014, ResultId::kFev1RatioLln};
}

inline constexpr double kSmallL = 1e-4;
inline constexpr double kLlnZ = 1.645;  // z of the 5th and 95th percentiles

// The age and height limits of a quantity for a sex (equation_limits.h); any
// sex code other than male has the female ones.
constexpr const EquationLimits& Jrs2014Limits(std::uint8_t sexCode, Jrs2014Quantity quantity) {
  if (sexCode != kSexMale) return kJrs2014FemaleLimits;
  return quantity == Jrs2014Quantity::kVc ? kJrs2014MaleVcLimits : kJrs2014MaleLimits;
}

// The LMS parameters of a quantity for sex, age and height, or nothing when the
// quantity's limits do not hold (male: H >= 110 and 17 <= A < 96, VC
// 17 <= A < 91; female: H >= 100 and 17 <= A < 94) or the sex code is neither
// 1 nor 2.
std::optional<LmsParameters> Jrs2014Lms(std::uint8_t sexCode, Jrs2014Quantity quantity, double age,
                                        double height, const SplineTable& table);

// exp(ln(1 − S × (L × 1.645)) / L + ln M), with the small-L forms above.
double LowerLimitOfNormal(const LmsParameters& lms);

// Writes the medians and LLNs that the limits allow, each rounded through text
// (2 decimals for volumes, 3 for FEV1/FVC). Each computed quantity's parameters
// are kept in set.jrs2014Lms at the quantity's index. A quantity outside its
// limits gets its two placeholders and no parameters, so all eight JRS2014
// fields and the four parameter slots are written.
void ComputeJrs2014(const PatientInputs& inputs, const SplineTable& table, PredictionSet& set);

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_JRS2014_H_

#include "equations/jrs2014.h"

#include <cmath>

namespace kestrova {
namespace {

struct LmsEquation {
  double a0, a1, a2;  // M: a1 multiplies ln H; a2 multiplies ln A and is subtracted
  int mColumn;
  double b0, b1;  // S: b1 multiplies ln A
  int sColumn;
  double l0;  // L, or for FEV1/FVC the constant of l + (l0 − l1 × ln A)
  double l1;
  int lColumn;  // 0 when L is a constant
};

constexpr LmsEquation kMaleFev1 = {-7.5722, 1.9393, 0.3068, kFev1MaleM, -3.044, 0.2325, kFev1MaleS, 1, 0, 0};
constexpr LmsEquation kMaleFvc = {-8.8877, 2.1494, 0.1891, kFvcMaleM, -2.8335, 0.1726, kFvcMaleS, 1, 0, 0};
constexpr LmsEquation kMaleRatio = {1.2578, -0.1948,     0.122, kRatioMaleM, -3.266,
                                    0.15,   kRatioMaleS, 8.905, 1.799,       kRatioMaleL};
constexpr LmsEquation kMaleVc = {-8.8317, 2.1043, 0.1382, kVcMaleM, -2.373, 0.045, kVcMaleS, 0.3464, 0, 0};

constexpr LmsEquation kFemaleVc = {-8.0707, 1.9399,     0.1678, kVcFemaleM, -2.7071,
                                   0.1447,  kVcFemaleS, 0.1268, 0,          0};
constexpr LmsEquation kFemaleFvc = {-8.3268, 2.0137,      0.2029, kFvcFemaleM, -2.8527,
                                    0.1881,  kFvcFemaleS, 0.6127, 0,           0};
constexpr LmsEquation kFemaleFev1 = {-6.9428, 1.8053, 0.3401, kFev1FemaleM, -3.1024, 0.2537, kFev1FemaleS,
                                     0.7783,  0,      0};
constexpr LmsEquation kFemaleRatio = {1.2854, -0.1844,       0.1425, kRatioFemaleM, -3.1624,
                                      0.1068, kRatioFemaleS, 12.989, 2.987,         kRatioFemaleL};

const LmsEquation& EquationFor(bool male, Jrs2014Quantity quantity) {
  switch (quantity) {
    case Jrs2014Quantity::kVc:
      return male ? kMaleVc : kFemaleVc;
    case Jrs2014Quantity::kFvc:
      return male ? kMaleFvc : kFemaleFvc;
    case Jrs2014Quantity::kFev1:
      return male ? kMaleFev1 : kFemaleFev1;
    case Jrs2014Quantity::kRatio:
      break;
  }
  return male ? kMaleRatio : kFemaleRatio;
}

// Age and height with their logarithms. The logarithms are the same for every
// quantity of a patient, so they are taken once and shared.
struct AgeAndHeight {
  double age;
  double height;
  double lnAge;
  double lnHeight;
};

AgeAndHeight WithLogarithms(double age, double height) {
  return {age, height, std::log(age), std::log(height)};
}

// Inlined, so that for a constant equation its L branch is decided at compile time.
[[gnu::always_inline]] inline LmsParameters EvaluateLms(const LmsEquation& e, const AgeAndHeight& x,
                                                        const SplineTable& table) {
  const double m = SplineValue(table, x.age, e.mColumn) / 10000;
  const double s = SplineValue(table, x.age, e.sColumn) / 10000;
  LmsParameters lms;
  lms.m = std::exp(m + ((e.a1 * x.lnHeight + e.a0) - e.a2 * x.lnAge));
  lms.s = std::exp(s + (e.b1 * x.lnAge + e.b0));
  if (e.lColumn == 0) {
    lms.l = e.l0;
  } else {
    const double l = SplineValue(table, x.age, e.lColumn) / 10000;
    lms.l = l + (e.l0 - e.l1 * x.lnAge);
  }
  return lms;
}

// The limits for the sex as a template argument: every calculation branches on
// the sex once, not in every step of every quantity (the sex changes from row
// to row of a batch, so those branches mispredict).
template <bool male>
bool LimitsHold(Jrs2014Quantity quantity, double age, double height) {
  return Jrs2014Limits(male ? kSexMale : kSexFemale, quantity).Hold(age, height);
}

// Median and LLN from the unrounded M; then the median is rounded, then the LLN.
// The parameters are kept beside them.
void PublishQuantity(Jrs2014Quantity quantity, const LmsParameters& lms, PredictionSet& set) {
  const double lln = LowerLimitOfNormal(lms);
  const Jrs2014Targets targets = Jrs2014TargetsOf(quantity);
  PublishResult(set, targets.median, lms.m);
  PublishResult(set, targets.lln, lln);
  const auto slot = static_cast<std::size_t>(quantity);
  set.hasJrs2014Lms[slot] = true;
  set.jrs2014Lms[slot] = lms;
}

// A quantity outside its limits: placeholders, and no parameters.
void PublishNotComputed(Jrs2014Quantity quantity, PredictionSet& set) {
  const Jrs2014Targets targets = Jrs2014TargetsOf(quantity);
  ResetToPlaceholder(set, targets.median);
  ResetToPlaceholder(set, targets.lln);
  const auto slot = static_cast<std::size_t>(quantity);
  set.hasJrs2014Lms[slot] = false;
  set.jrs2014Lms[slot] = LmsParameters{};
}

// Sex and quantity as template arguments, so that the equation is a constant.
template <bool male, Jrs2014Quantity quantity>
void ComputeQuantity(const AgeAndHeight& x, const SplineTable& table, PredictionSet& set) {
  if (LimitsHold<male>(quantity, x.age, x.height)) {
    PublishQuantity(quantity, EvaluateLms(EquationFor(male, quantity), x, table), set);
  } else {
    PublishNotComputed(quantity, set);
  }
}

template <bool male>
void ComputeQuantities(double age, double height, const SplineTable& table, PredictionSet& set) {
  const AgeAndHeight x = WithLogarithms(age, height);
  ComputeQuantity<male, Jrs2014Quantity::kVc>(x, table, set);
  ComputeQuantity<male, Jrs2014Quantity::kFvc>(x, table, set);
  ComputeQuantity<male, Jrs2014Quantity::kFev1>(x, table, set);
  ComputeQuantity<male, Jrs2014Quantity::kRatio>(x, table, set);
}

}  // namespace

std::optional<LmsParameters> Jrs2014Lms(std::uint8_t sexCode, Jrs2014Quantity quantity, double age,
                                        double height, const SplineTable& table) {
  const bool male = sexCode == kSexMale;
  if (male ? !LimitsHold<true>(quantity, age, height)
           : (sexCode != kSexFemale || !LimitsHold<false>(quantity, age, height))) {
    return std::nullopt;
  }
  return EvaluateLms(EquationFor(male, quantity), WithLogarithms(age, height), table);
}

double LowerLimitOfNormal(const LmsParameters& lms) {
  if (lms.l == 0) return std::exp(-kLlnZ * lms.s + std::log(lms.m));
  const double x = lms.s * (lms.l * kLlnZ);
  const double logBracket = std::fabs(lms.l) < kSmallL ? std::log1p(-x) : std::log(1 - x);
  return std::exp(logBracket / lms.l + std::log(lms.m));
}

// Any sex code other than male takes the female equations here; the driver
// has rejected codes other than 1 and 2 before.
void ComputeJrs2014(const PatientInputs& inputs, const SplineTable& table, PredictionSet& set) {
  if (inputs.sexCode == kSexMale) {
    ComputeQuantities<true>(inputs.age, inputs.height, table, set);
  } else {
    ComputeQuantities<false>(inputs.age, inputs.height, table, set);
  }
}

}  // namespace kestrova

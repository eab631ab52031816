#include "gli/gli.h"

#include <array>
#include <cmath>
#include <limits>

#include "gli/gli_tables.h"
#include "gli/portable_math.h"

namespace kestrova {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr std::array<std::string_view, 2> kSetNames = {"global", "2012"};
constexpr std::array<std::string_view, 5> kGroupNames = {"caucasian", "african-american", "ne-asian",
                                                         "se-asian", "other"};

// 1/√2, the double nearest to it: Φ(z) = erfc(−z/√2)/2.
constexpr double kInverseSqrt2 = 0.70710678118654752440;

}  // namespace

std::optional<GliPoint> GliPointOf(int sexCode, double ageYears, double heightCm) noexcept {
  if (!(ageYears >= kGliMinAge && ageYears <= kGliMaxAge) || !(heightCm > 0 && std::isfinite(heightCm)) ||
      (sexCode != 1 && sexCode != 2)) {
    return std::nullopt;
  }
  // Quarter years from 3: exact at the tabulated ages, so those take their row
  // with a fraction of 0.
  const double position = (ageYears - kGliMinAge) * 4;
  const int row = static_cast<int>(position);
  return GliPoint{sexCode, portable_math::Log(ageYears), portable_math::Log(heightCm), row, position - row};
}

std::optional<GliLms> GliLmsAt(const GliPoint& point, GliSet set, GliGroup group,
                               GliQuantity quantity) noexcept {
  const auto setIndex = static_cast<unsigned>(set);
  const auto groupIndex = static_cast<unsigned>(group);
  const auto quantityIndex = static_cast<unsigned>(quantity);
  if (setIndex > 1 || groupIndex > 4 || quantityIndex > 2) return std::nullopt;
  const GliQuantityTable& table = kGliTables[setIndex][point.sexCode - 1][quantityIndex];
  const GliCoefficients& c = table.coefficients;

  // At 95 the row above is the row itself.
  const GliSplineRow& below = table.rows[point.row];
  const GliSplineRow& above = table.rows[point.row + (point.row < kGliSplineRows - 1 ? 1 : 0)];
  const double f = point.fraction;
  const double mSpline = below.m + f * (above.m - below.m);
  const double sSpline = below.s + f * (above.s - below.s);
  const double lSpline = below.l + f * (above.l - below.l);
  return GliLms{
      portable_math::Exp(c.a0 + c.a1 * point.logHeight + c.a2 * point.logAge + c.aGroup[groupIndex] +
                         mSpline),
      portable_math::Exp(c.p0 + c.p1 * point.logAge + c.pGroup[groupIndex] + sSpline),
      c.q0 + c.q1 * point.logAge + lSpline,
  };
}

std::optional<GliLms> GliLmsOf(GliSet set, GliGroup group, GliQuantity quantity, int sexCode, double ageYears,
                               double heightCm) noexcept {
  const std::optional<GliPoint> point = GliPointOf(sexCode, ageYears, heightCm);
  if (!point) return std::nullopt;
  return GliLmsAt(*point, set, group, quantity);
}

// The values at z = ∓1.645, M·(1 ∓ 1.645·L·S)^(1/L); both logarithms are
// multiplied by 1/L, one division for the pair (a batch row computes six).
GliPrediction GliPredict(const GliLms& lms) noexcept {
  const double x = kGliLimitZ * lms.l * lms.s;
  if (lms.l == 0) {
    return {lms.m, lms.m * portable_math::Exp(-kGliLimitZ * lms.s),
            lms.m * portable_math::Exp(kGliLimitZ * lms.s)};
  }
  const double inverseL = 1 / lms.l;
  return {lms.m, lms.m * portable_math::Exp(portable_math::Log1p(-x) * inverseL),
          lms.m * portable_math::Exp(portable_math::Log1p(x) * inverseL)};
}

GliScore GliScoreOf(const GliLms& lms, double measured) noexcept {
  if (!(measured > 0)) return {kNaN, kNaN, kNaN};
  const double ratio = measured / lms.m;
  const double logRatio = portable_math::Log(ratio);
  const double z = lms.l == 0 ? logRatio / lms.s : portable_math::Expm1(lms.l * logRatio) / (lms.l * lms.s);
  return {z, 50 * portable_math::Erfc(-z * kInverseSqrt2), 100 * ratio};
}

std::string_view GliSetName(GliSet set) noexcept {
  const auto index = static_cast<unsigned>(set);
  return index < kSetNames.size() ? kSetNames[index] : std::string_view();
}

std::optional<GliSet> ParseGliSet(std::string_view name) noexcept {
  for (unsigned i = 0; i < kSetNames.size(); ++i) {
    if (name == kSetNames[i]) return static_cast<GliSet>(i);
  }
  return std::nullopt;
}

std::string_view GliGroupName(GliGroup group) noexcept {
  const auto index = static_cast<unsigned>(group);
  return index < kGroupNames.size() ? kGroupNames[index] : std::string_view();
}

std::optional<GliGroup> ParseGliGroup(std::string_view name) noexcept {
  for (unsigned i = 0; i < kGroupNames.size(); ++i) {
    if (name == kGroupNames[i]) return static_cast<GliGroup>(i);
  }
  return std::nullopt;
}

}  // namespace kestrova

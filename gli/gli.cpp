#include "gli/gli.h"

#include <array>
#include <cmath>
#include <limits>

#include "gli/gli_tables.h"

namespace kestrova {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

constexpr std::array<std::string_view, 2> kSetNames = {"global", "2012"};
constexpr std::array<std::string_view, 5> kGroupNames = {"caucasian", "african-american", "ne-asian",
                                                         "se-asian", "other"};

// The value at `z` of the distribution: M·(1 + z·L·S)^(1/L).
double ValueAtZ(const GliLms& lms, double z) {
  if (lms.l == 0) return lms.m * std::exp(z * lms.s);
  return lms.m * std::exp(std::log1p(z * lms.l * lms.s) / lms.l);
}

}  // namespace

std::optional<GliLms> GliLmsOf(GliSet set, GliGroup group, GliQuantity quantity, int sexCode, double ageYears,
                               double heightCm) noexcept {
  const auto setIndex = static_cast<unsigned>(set);
  const auto groupIndex = static_cast<unsigned>(group);
  const auto quantityIndex = static_cast<unsigned>(quantity);
  if (!(ageYears >= kGliMinAge && ageYears <= kGliMaxAge) || !(heightCm > 0 && std::isfinite(heightCm)) ||
      (sexCode != 1 && sexCode != 2) || setIndex > 1 || groupIndex > 4 || quantityIndex > 2) {
    return std::nullopt;
  }
  const GliQuantityTable& table = kGliTables[setIndex][sexCode - 1][quantityIndex];
  const GliCoefficients& c = table.coefficients;

  // Quarter years from 3: exact at the tabulated ages, so those take their row
  // with a fraction of 0. At 95 the row above is the row itself.
  const double position = (ageYears - kGliMinAge) * 4;
  const int row = static_cast<int>(position);
  const double fraction = position - row;
  const GliSplineRow& below = table.rows[row];
  const GliSplineRow& above = table.rows[row + (row < kGliSplineRows - 1 ? 1 : 0)];
  const double mSpline = below.m + fraction * (above.m - below.m);
  const double sSpline = below.s + fraction * (above.s - below.s);
  const double lSpline = below.l + fraction * (above.l - below.l);

  const double logAge = std::log(ageYears);
  return GliLms{
      std::exp(c.a0 + c.a1 * std::log(heightCm) + c.a2 * logAge + c.aGroup[groupIndex] + mSpline),
      std::exp(c.p0 + c.p1 * logAge + c.pGroup[groupIndex] + sSpline),
      c.q0 + c.q1 * logAge + lSpline,
  };
}

GliPrediction GliPredict(const GliLms& lms) noexcept {
  return {lms.m, ValueAtZ(lms, -kGliLimitZ), ValueAtZ(lms, kGliLimitZ)};
}

GliScore GliScoreOf(const GliLms& lms, double measured) noexcept {
  if (!(measured > 0)) return {kNaN, kNaN, kNaN};
  const double logRatio = std::log(measured / lms.m);
  const double z = lms.l == 0 ? logRatio / lms.s : std::expm1(lms.l * logRatio) / (lms.l * lms.s);
  return {z, 50 * std::erfc(-z / std::sqrt(2.0)), 100 * measured / lms.m};
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

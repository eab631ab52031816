#include "equations/z_scores.h"

#include <cmath>
#include <limits>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double ZScore(const LmsParameters& lms, double measured) {
  if (!(measured > 0) || !(lms.m > 0) || !(lms.s > 0)) return kNaN;
  const double ratio = measured / lms.m;
  if (lms.l == 0) return std::log(ratio) / lms.s;
  // (x/M)^L − 1 cancels towards 0 as L does; expm1 keeps the digits there.
  const double bracket =
      std::fabs(lms.l) < kSmallL ? std::expm1(lms.l * std::log(ratio)) : std::pow(ratio, lms.l) - 1;
  return bracket / (lms.l * lms.s);
}

double UpperLimitOfNormal(const LmsParameters& lms) {
  if (lms.l == 0) return lms.m * std::exp(kUlnZ * lms.s);
  const double x = lms.s * (lms.l * kUlnZ);
  if (!(1 + x > 0)) return kNaN;
  const double logBracket = std::fabs(lms.l) < kSmallL ? std::log1p(x) : std::log(1 + x);
  return std::exp(logBracket / lms.l + std::log(lms.m));
}

double PercentileOfZ(double z) { return 50 * std::erfc(-z / std::sqrt(2.0)); }

// Every field of `out` is written exactly once: a text that stays is not
// cleared first, so a reused record keeps its storage and, mostly, its length.
void ComputeStanding(const LmsParameters* lms, std::uint8_t decimals, double measured, Jrs2014Standing& out) {
  out.computed = lms != nullptr;
  const double uln = lms != nullptr ? UpperLimitOfNormal(*lms) : kNaN;
  if (std::isfinite(uln)) {
    out.uln = RoundThroughText(uln, decimals, out.ulnText, {}, out.ulnShown);
  } else {
    out.uln = 0;
    out.ulnText.clear();
    out.ulnShown = ShownNumber{.decimals = decimals};
  }
  const double z = lms != nullptr ? ZScore(*lms, measured) : kNaN;
  out.hasZ = std::isfinite(z);
  if (!out.hasZ) {
    out.z = 0;
    out.zText.clear();
    out.percentile = 0;
    out.percentileText.clear();
    out.zShown = ShownNumber{.decimals = 2};
    out.percentileShown = ShownNumber{.decimals = 1};
    return;
  }
  out.z = z;
  RoundThroughText(z, 2, out.zText, {}, out.zShown);
  out.percentile = PercentileOfZ(z);
  RoundThroughText(out.percentile, 1, out.percentileText, {}, out.percentileShown);
}

}  // namespace kestrova

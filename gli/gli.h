// The Global Lung Function Initiative's spirometry reference equations for
// FEV1, FVC and FEV1/FVC, ages 3 to 95:
//   GLI Global (2022): Bowerman C, Bhakta NR, Brazzale D, et al. A race-neutral
//     approach to the interpretation of lung function measurements. Am J Respir
//     Crit Care Med 2023;207:768–774. No groups.
//   GLI-2012: Quanjer PH, Stanojevic S, Cole TJ, et al. Multi-ethnic reference
//     values for spirometry for the 3–95-yr age range: the global lung function
//     2012 equations. Eur Respir J 2012;40:1324–1343. Five groups.
// The tables are gli/data/, embedded at build time (gli/gli_tables.h).
//
// For a quantity, sex, age (years) and height (cm), natural logarithms:
//   M = exp(a0 + a1·ln(height) + a2·ln(age) + aGroup + Mspline(age))
//   S = exp(p0 + p1·ln(age) + pGroup + Sspline(age))
//   L = q0 + q1·ln(age) + Lspline(age)
// The splines are tabulated every 0.25 years and interpolated linearly in the
// exact age (40.6 lies 0.4 of the way from the 40.5 row to the 40.75 row); the
// ages 3 and 95 take their rows as they stand. Outside 3 to 95 there is no value.
// From M, S and L, with z₀ = 1.645 (the 5th and 95th percentiles):
//   LLN = M·(1 − z₀·L·S)^(1/L)            ULN = M·(1 + z₀·L·S)^(1/L)
//   z   = ((measured/M)^L − 1)/(L·S)       percentile = 100·Φ(z)
//   % predicted = 100·measured/M
// computed as M·exp(log1p(±z₀·L·S)/L) and expm1(L·ln(measured/M))/(L·S), which
// keep their digits for L near 0; at L = 0 exactly, the limits:
//   LLN = M·exp(−z₀·S)    ULN = M·exp(z₀·S)    z = ln(measured/M)/S.
// FEV1/FVC is a fraction (0.84), never a percent. Nothing here rounds.
// exp, log, log1p, expm1 and erfc are gli/portable_math.h's, so that every
// build (Linux, Windows, the browser) gives the same bits.
//
// Each call reads the tables by index arithmetic: no allocation, no text, no
// state; safe from any number of threads.
//
// Worked examples (a man of 40 years, 175 cm, FEV1 3.5 L):
//   GliLmsOf(GliSet::kGlobal2022, GliGroup::kOther, GliQuantity::kFev1, 1, 40, 175)
//     M 3.83546…, S 0.138090…, L 1.22703 (q0: no L spline, no q1)
//     GliPredict: LLN 2.93880…, ULN 4.68640…
//     GliScoreOf(lms, 3.5): z −0.626938…, percentile 26.5349…, % predicted 91.2537…
//   GliLmsOf(GliSet::k2012, GliGroup::kNeAsian, GliQuantity::kFev1Fvc, 2, 3, 100)
//     the age-3 row as it stands: M 0.959757…, LLN 0.878963…, ULN 1.01731…
//   GliLmsOf(…, 1, 2.99, 175), (…, 1, 95.1, 175), (…, 3, 40, 175), (…, 1, 40, 0)
//     std::nullopt
//   GliPredict({2, 0.1, 0}): LLN 2·e^−0.1645 = 1.69663…, ULN 2·e^0.1645 = 2.35760…
#ifndef KESTROVA_GLI_GLI_H_
#define KESTROVA_GLI_GLI_H_

#include <optional>
#include <string_view>

namespace kestrova {

enum class GliSet { kGlobal2022, k2012 };
// GLI-2012's groups; GLI Global takes any and uses none.
enum class GliGroup { kCaucasian, kAfricanAmerican, kNeAsian, kSeAsian, kOther };
enum class GliQuantity { kFev1, kFvc, kFev1Fvc };

inline constexpr double kGliMinAge = 3;
inline constexpr double kGliMaxAge = 95;
inline constexpr double kGliLimitZ = 1.645;

// The distribution of a quantity for one patient: median, coefficient of
// variation and skewness (Box-Cox power).
struct GliLms {
  double m, s, l;
};

struct GliPrediction {
  double predicted;  // M
  double lln;        // z = −1.645
  double uln;        // z = +1.645
};

struct GliScore {
  double z;
  double percentile;        // 100·Φ(z)
  double percentPredicted;  // 100·measured/M
};

// M, S and L; std::nullopt when the age is not within 3 to 95 (NaN included),
// the height is not a finite number above 0, the sex code is not 1 (male) or
// 2 (female), or an enum holds no value of its type.
std::optional<GliLms> GliLmsOf(GliSet set, GliGroup group, GliQuantity quantity, int sexCode, double ageYears,
                               double heightCm) noexcept;

// What every quantity and set of one patient shares: the sex, the logarithms
// of age and height, and the age's place among the spline rows. GliLmsAt of
// GliPointOf gives the same bits as GliLmsOf, with the logarithms taken once
// for all six sets and quantities of a batch row.
struct GliPoint {
  int sexCode;
  double logAge;
  double logHeight;
  int row;          // the spline row at or below the age
  double fraction;  // of the way to the next row, 0 at a tabulated age
};

// std::nullopt where GliLmsOf gives it for every set and quantity.
std::optional<GliPoint> GliPointOf(int sexCode, double ageYears, double heightCm) noexcept;
// std::nullopt when an enum holds no value of its type.
std::optional<GliLms> GliLmsAt(const GliPoint& point, GliSet set, GliGroup group,
                               GliQuantity quantity) noexcept;

// NaN in a limit whose 1 ± 1.645·L·S is below 0.
GliPrediction GliPredict(const GliLms& lms) noexcept;

// Every field NaN when `measured` is not above 0 (not measured).
GliScore GliScoreOf(const GliLms& lms, double measured) noexcept;

// The names used in options and files: "global", "2012"; "caucasian",
// "african-american", "ne-asian", "se-asian", "other". Exact, lower case; the
// name of a value outside the enum is empty.
std::string_view GliSetName(GliSet set) noexcept;
std::optional<GliSet> ParseGliSet(std::string_view name) noexcept;
std::string_view GliGroupName(GliGroup group) noexcept;
std::optional<GliGroup> ParseGliGroup(std::string_view name) noexcept;

}  // namespace kestrova

#endif  // KESTROVA_GLI_GLI_H_

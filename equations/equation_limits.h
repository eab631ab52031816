// The ages and heights within which each equation set is computed, and the
// ages its clinical reading keeps to: the one place of these numbers. The
// calculation's gates, the reports' "適用範囲外" notes and the reading's
// "対象外" labels all take them from here.
//
//   JRS2014 male FEV1, FVC, FEV1/FVC   17 <= age < 96, height >= 110
//   JRS2014 male VC                    17 <= age < 91, height >= 110
//   JRS2014 female (all four)          17 <= age < 94, height >= 100
//   JRS2001                            17 <  age < 96, 120 <= height <= 190
//   Baldwin, Berglund                  any age and height
// The JRS2014 ages are the rows its spline table fills (17 to 95, male VC to
// 90, female to 93); row 16 is empty, so an age below 17 would lose its
// spline terms. The reading's items keep to the ages of their equation:
//   JRS2001 (ventilatory pattern, COPD stage, lung age, disability index)
//                                      18 <= age < 96
//   Baldwin (the reference pattern)    18 <= age
//   JRS2014 (ERS/ATS 2022)             the JRS2014 FEV1/FVC ages above.
// Every comparison is made on the doubles as entered; NaN is inside nothing.
#ifndef KESTROVA_EQUATIONS_EQUATION_LIMITS_H_
#define KESTROVA_EQUATIONS_EQUATION_LIMITS_H_

#include <limits>

namespace kestrova {

inline constexpr double kNoUpperLimit = std::numeric_limits<double>::infinity();

// Whole years: from `from` (or, when !fromIncluded, from above it) to below
// `below`.
struct AgeLimits {
  double from;
  bool fromIncluded;
  double below;

  constexpr bool Hold(double age) const { return (fromIncluded ? age >= from : age > from) && age < below; }
  constexpr bool HasUpperLimit() const { return below != kNoUpperLimit; }
  // The first and the last whole year inside, as a label writes the range
  // ("18～95歳" for 17 < age < 96).
  constexpr int FirstYear() const { return static_cast<int>(from) + (fromIncluded ? 0 : 1); }
  constexpr int LastYear() const { return static_cast<int>(below) - 1; }
};

// Centimetres, both ends included.
struct HeightLimits {
  double from;
  double to;

  constexpr bool Hold(double height) const { return height >= from && height <= to; }
  constexpr bool HasUpperLimit() const { return to != kNoUpperLimit; }
};

struct EquationLimits {
  AgeLimits age;
  HeightLimits height;

  constexpr bool Hold(double a, double h) const { return height.Hold(h) && age.Hold(a); }
};

inline constexpr EquationLimits kJrs2014MaleLimits = {{17, true, 96}, {110, kNoUpperLimit}};
inline constexpr EquationLimits kJrs2014MaleVcLimits = {{17, true, 91}, {110, kNoUpperLimit}};
inline constexpr EquationLimits kJrs2014FemaleLimits = {{17, true, 94}, {100, kNoUpperLimit}};
inline constexpr EquationLimits kJrs2001Limits = {{17, false, 96}, {120, 190}};

// The ages of the reading's items (JRS2014's are those of its FEV1/FVC).
inline constexpr AgeLimits kJrs2001ReadingAges = {18, true, 96};
inline constexpr AgeLimits kBaldwinReadingAges = {18, true, kNoUpperLimit};

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_EQUATION_LIMITS_H_

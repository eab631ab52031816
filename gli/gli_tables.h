// The GLI tables as the build embeds them from gli/data/ (gli_tables.cmake):
// every number is the double that strtod reads from the file's text.
#ifndef KESTROVA_GLI_GLI_TABLES_H_
#define KESTROVA_GLI_GLI_TABLES_H_

#include "gli/gli.h"

namespace kestrova {

inline constexpr int kGliSplineRows = 369;  // ages 3 to 95 by 0.25: row i is age 3 + i / 4

// One quantity's coefficients for one sex. The group terms are indexed by
// GliGroup: Caucasian, the reference, adds 0; GLI Global's are all 0.
struct GliCoefficients {
  double a0, a1, a2;
  double aGroup[5];  // 0, a3, a4, a5, a6
  double p0, p1;
  double pGroup[5];  // 0, p2, p3, p4, p5
  double q0, q1;     // an empty q1 in the file is 0
};

struct GliSplineRow {
  double m, s, l;  // the Mspline, Sspline and Lspline at the row's age
};

struct GliQuantityTable {
  GliCoefficients coefficients;
  GliSplineRow rows[kGliSplineRows];
};

// [GliSet][sex code − 1][GliQuantity].
extern const GliQuantityTable kGliTables[2][2][3];

}  // namespace kestrova

#endif  // KESTROVA_GLI_GLI_TABLES_H_

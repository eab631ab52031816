// The JRS2014 age-spline table: text cells addressed by whole years of age
// (rows 0 to 95) and column (0 to 19), filled once from SplineRows().
//
// Columns: 1 rowAge; 2 fev1MaleM, 3 fev1MaleS; 4 fev1FemaleM, 5 fev1FemaleS;
// 6 fvcMaleM, 7 fvcMaleS; 8 fvcFemaleM, 9 fvcFemaleS; 10 vcMaleM, 11 vcMaleS;
// 12 vcFemaleM, 13 vcFemaleS; 14 ratioMaleL, 15 ratioMaleM, 16 ratioMaleS;
// 17 ratioFemaleL, 18 ratioFemaleM, 19 ratioFemaleS. Column 0 and rows 0 to 16
// stay empty; an empty cell and a lone "-" both read as 0.
#ifndef KESTROVA_EQUATIONS_SPLINE_TABLE_H_
#define KESTROVA_EQUATIONS_SPLINE_TABLE_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrova {

inline constexpr std::size_t kSplineRowCount = 79;  // ages 17 to 95
inline constexpr int kSplineTableRows = 96;
inline constexpr int kSplineTableColumns = 20;

enum SplineColumn : int {
  kRowAge = 1,
  kFev1MaleM,
  kFev1MaleS,
  kFev1FemaleM,
  kFev1FemaleS,
  kFvcMaleM,
  kFvcMaleS,
  kFvcFemaleM,
  kFvcFemaleS,
  kVcMaleM,
  kVcMaleS,
  kVcFemaleM,
  kVcFemaleS,
  kRatioMaleL,
  kRatioMaleM,
  kRatioMaleS,
  kRatioFemaleL,
  kRatioFemaleM,
  kRatioFemaleS,
};

// The 79 embedded rows, ascending from age 17.
const std::array<std::string_view, kSplineRowCount>& SplineRows();

// Cells keep their texts; each is also read once with ParseNumber when it is
// written, so a lookup costs no parsing.
struct SplineTable {
  SplineTable();
  std::array<std::array<std::string, kSplineTableColumns>, kSplineTableRows> cells;  // empty texts
  std::array<std::array<double, kSplineTableColumns>, kSplineTableRows> values;      // zeros
};

// Fills columns 1 to 19 of the row named by the row text's first two characters:
// each ";"-separated field in turn; the last column takes the rest of the text.
// A row text whose age is outside 0 to 95 changes nothing.
void SplitSplineRow(SplineTable& table, std::string_view rowText);

// Applies SplitSplineRow to every embedded row, in ascending order of age.
void LoadSplineTable(SplineTable& table);

// A table loaded once and shared: the table never changes after the load.
const SplineTable& LoadedSplineTable();

// The number in (whole years of age, column). The row is the age truncated
// toward zero (45.9 reads row 45). Ages outside [0, 96), NaN and columns outside
// 0 to 19 read as 0.
// Inline: the JRS2014 evaluation reads two or three cells per quantity.
inline double SplineValue(const SplineTable& table, double age, int column) {
  if (!(age >= 0 && age < kSplineTableRows) || column < 0 || column >= kSplineTableColumns) return 0;
  return table.values[static_cast<std::size_t>(age)][static_cast<std::size_t>(column)];
}

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_SPLINE_TABLE_H_

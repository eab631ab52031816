#include "equations/spline_table.h"

#include <gtest/gtest.h>

#include <string>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

struct CellCase {
  int row;
  int column;
  std::string text;
};

TEST(SplineTable, CellsHoldTheFieldTextsAfterTheLoad) {
  const SplineTable& table = LoadedSplineTable();
  const CellCase cases[] = {
      {17, 1, "17"},
      {17, 2, "-1300.4307"},
      {17, 19, "-1781.7751"},
      {61, 17, "0"},
      {72, 10, "-187"},
      {95, 19, "-"},
      {95, 1, "95"},
      {45, 2, "178.3503"},
      {91, 10, "-"},
      {90, 11, "-53.3262"},
      {93, 4, "-1821.0558"},
      {94, 4, "-"},
      {16, 2, ""},
      {0, 5, ""},
      {45, 0, ""},
  };
  for (const CellCase& c : cases) {
    EXPECT_EQ(table.cells[c.row][c.column], c.text) << c.row << "," << c.column;
  }
}

// Every embedded row is reproduced exactly by joining its cells, and every cell
// value is ParseNumber of its text.
TEST(SplineTable, EveryRowRoundTrips) {
  const SplineTable& table = LoadedSplineTable();
  for (int age = 17; age <= 95; ++age) {
    std::string joined = table.cells[age][1];
    for (int column = 2; column < kSplineTableColumns; ++column) joined += ";" + table.cells[age][column];
    EXPECT_EQ(joined, SplineRows()[age - 17]);
    for (int column = 0; column < kSplineTableColumns; ++column) {
      EXPECT_EQ(table.values[age][column], ParseNumber(table.cells[age][column]));
    }
  }
}

struct ValueCase {
  double age;
  int column;
  double expected;
};

TEST(SplineValue, TruncatesTheAgeToWholeYears) {
  const SplineTable& table = LoadedSplineTable();
  const ValueCase cases[] = {
      {45, 2, ParseNumber("178.3503")},
      {45.9, 2, ParseNumber("178.3503")},
      {16.5, 2, 0},
      {94, 4, 0},
      {17, 0, 0},
      {10, 3, 0},
      {95.99, 15, ParseNumber("-210.8037")},
      {61, 17, 0},
      {77, 17, ParseNumber("0.3564")},
      {-1, 2, 0},
      {96, 2, 0},
      {1e300, 2, 0},  // outside the rows: 0, no access
  };
  for (const ValueCase& c : cases) EXPECT_EQ(SplineValue(table, c.age, c.column), c.expected) << c.age;
  for (int column = 0; column < kSplineTableColumns; ++column) {
    EXPECT_EQ(SplineValue(table, 16.5, column), 0) << column;
  }
}

TEST(SplitSplineRow, ReplacesOnlyItsOwnRow) {
  SplineTable table;
  SplitSplineRow(table, "20;1;2;3");  // fewer fields: the last column repeats the rest
  EXPECT_EQ(table.cells[20][1], "20");
  EXPECT_EQ(table.cells[20][3], "2");
  EXPECT_EQ(table.cells[20][4], "3");
  EXPECT_EQ(table.cells[20][19], "3");
  EXPECT_EQ(table.cells[21][1], "");
  SplitSplineRow(table, "xx;1;2");  // reads as row 0
  EXPECT_EQ(table.cells[0][1], "xx");
}

}  // namespace
}  // namespace kestrova

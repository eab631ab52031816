#include "kestrova/panel_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "equations/calculation.h"

namespace kestrova {
namespace {

PanelContents Build(const PatientInputs& inputs) {
  PredictionSet results;
  CalculatePredictions(inputs, LoadedSplineTable(), results);
  PanelContents contents;
  BuildPanelContents(inputs, results, contents);
  return contents;
}

const PanelRow& Row(const PanelContents& c, ResultId id) { return c.rows[static_cast<std::size_t>(id)]; }

struct RedCase {
  const char* rule;
  PatientInputs inputs;
  ResultId row;
  std::string cell;
  bool red;
};

// Male, 40 years, 170 cm: VC 4.48 (LLN 3.72), JRS2001 4.47, FEV1/FVC (T) 0.846.
// One case per colour rule on each side, and the rows that are never red.
TEST(BuildPanelContents, EachColourRule) {
  const RedCase cases[] = {
      {"below LLN", {1, 40, 170, 3.71, 0, 0}, ResultId::kVcJrs2014, " 82.8 %   ", true},
      {"at LLN", {1, 40, 170, 3.72, 0, 0}, ResultId::kVcJrs2014, " 83.0 %   ", false},
      {"79.9 % shown", {1, 40, 170, 3.572, 0, 0}, ResultId::kVcJrs2001, " 79.9 %   ", true},
      {"80.0 % shown (79.96 in doubles)",
       {1, 40, 170, 3.5745, 0, 0},
       ResultId::kVcJrs2001,
       " 80.0 %   ",
       false},
      {"ratio below (T)", {1, 40, 170, 0, 4.0, 3.36}, ResultId::kFev1RatioJrs2001T, " 99.3 %   ", true},
      {"ratio above (T)", {1, 40, 170, 0, 4.0, 3.4}, ResultId::kFev1RatioJrs2001T, "100.5 %   ", false},
      {"no rule", {1, 40, 170, 0, 0, 1.0}, ResultId::kFev1Berglund, " 28.3 %   ", false},
  };
  for (const RedCase& c : cases) {
    const PanelContents contents = Build(c.inputs);
    const PercentCell& cell = Row(contents, c.row).cell;
    EXPECT_EQ(cell.text, c.cell) << c.rule;
    EXPECT_EQ(cell.red, c.red) << c.rule;
  }
}

// A blank cell is never red, even where its rule holds (VC 0 is below the LLN).
TEST(BuildPanelContents, BlankCellIsNotRed) {
  const PanelContents c = Build({1, 40, 170, 0, 0, 0});
  const PanelRow& vc = Row(c, ResultId::kVcJrs2014);
  EXPECT_EQ(vc.cell.text, std::string(11, ' '));
  EXPECT_TRUE(vc.cell.percent.empty());
  EXPECT_FALSE(vc.cell.red);
  EXPECT_EQ(vc.line, "4.48 :JRS2014");
  EXPECT_EQ(vc.Text(), "4.48");
  EXPECT_FALSE(Row(c, ResultId::kFev1RatioJrs2001G).cell.red);  // no measured ratio yet
}

// Without FVC × FEV1 > 0 there is no measured ratio, and the ratio cells are
// blank, even when the same contents held one before (a reused `out`).
TEST(BuildPanelContents, NoMeasuredRatioWithoutBothVolumes) {
  PredictionSet results;
  const PatientInputs full{1, 40, 170, 0, 4.0, 2.9};
  CalculatePredictions(full, LoadedSplineTable(), results);
  PanelContents c;
  BuildPanelContents(full, results, c);
  EXPECT_EQ(c.measuredRatio.text, "0.725");
  EXPECT_TRUE(c.measuredRatio.red);  // below the LLN 0.731
  for (PatientInputs emptied : {PatientInputs{1, 40, 170, 0, 4.0, 0}, PatientInputs{1, 40, 170, 0, 0, 2.9}}) {
    BuildPanelContents(emptied, results, c);
    EXPECT_FALSE(c.measuredRatio.shown);
    EXPECT_EQ(c.measuredRatio.text, "");
    EXPECT_EQ(c.measuredRatio.value, 0);
    EXPECT_FALSE(c.measuredRatio.red);
    for (ResultId id :
         {ResultId::kFev1RatioJrs2014, ResultId::kFev1RatioJrs2001T, ResultId::kFev1RatioJrs2001G}) {
      EXPECT_EQ(Row(c, id).cell.text, std::string(11, ' '));
      EXPECT_EQ(Row(c, id).cell.value, 0);  // not the percentage shown before
    }
  }
}

// A percentage of 1000 or more keeps all its digits in the text and value; the
// cell shows its last five characters.
TEST(BuildPanelContents, ThousandPercentCell) {
  const PanelContents contents = Build({1, 40, 170, 0, 0, 40});
  const PercentCell& cell = Row(contents, ResultId::kFev1Jrs2014).cell;
  EXPECT_EQ(cell.percent, "1123.6");
  EXPECT_EQ(cell.value, 1123.6);
  EXPECT_EQ(cell.text, "123.6 %   ");
}

}  // namespace
}  // namespace kestrova

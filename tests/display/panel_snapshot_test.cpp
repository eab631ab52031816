#include "display/panel_snapshot.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova {
namespace {

PanelSnapshot Snapshot(const PatientInputs& inputs) {
  PredictionSet results;
  PanelSnapshot snapshot;
  SnapshotPanel(inputs, LoadedSplineTable(), results, snapshot);
  return snapshot;
}

std::size_t Row(ResultId id) { return static_cast<std::size_t>(id); }

TEST(SnapshotPanel, RecordsLinesCellsAndColours) {
  const PanelSnapshot s = Snapshot({2, 45, 160, 3.1, 3.0, 2.4});
  EXPECT_TRUE(s.recalculated);
  EXPECT_EQ(s.unplacedDraws, 0);
  EXPECT_EQ(s.lines[Row(ResultId::kVcJrs2014)].text, "3.24 :JRS2014");
  EXPECT_EQ(s.percents[Row(ResultId::kVcJrs2014)].text, " 95.7 %   ");
  EXPECT_EQ(s.percents[Row(ResultId::kFvcJrs2001)].text, "100.0 %   ");
  EXPECT_EQ(s.measuredRatio.text, "0.800");
  EXPECT_EQ(s.measuredRatioValue, 0.8);
  // 0.800 / 0.825 < 1: the JRS2014 FEV1/FVC cell is red; the measured ratio is
  // above its LLN 0.734 and black.
  EXPECT_EQ(s.percents[Row(ResultId::kFev1RatioJrs2014)].colour, kRed);
  EXPECT_EQ(s.measuredRatio.colour, kBlack);
  // The LLN rows have no cell.
  for (ResultId id : {ResultId::kVcLln, ResultId::kFvcLln, ResultId::kFev1Lln, ResultId::kFev1RatioLln}) {
    EXPECT_FALSE(s.percents[Row(id)].drawn);
    EXPECT_TRUE(s.lines[Row(id)].drawn);
  }
  // Result lines are always black.
  for (const PanelCell& line : s.lines) EXPECT_EQ(line.colour, kBlack);
}

// Without FVC and FEV1 a fresh panel's measured ratio is 0, so the FEV1/FVC
// rule paints eleven blanks in red: nothing red is visible, and nothing is
// flagged.
TEST(SnapshotPanel, BlankCellDrawnInRedIsNotFlagged) {
  const PanelSnapshot s = Snapshot({1, 40, 170, 3.2, 0, 0});
  const PanelCell& cell = s.percents[Row(ResultId::kFev1RatioJrs2014)];
  EXPECT_EQ(cell.text, std::string(11, ' '));
  EXPECT_EQ(cell.colour, kRed);
  EXPECT_FALSE(ShowsRed(cell));
  EXPECT_FALSE(s.measuredRatio.drawn);
  EXPECT_TRUE(ShowsRed(s.percents[Row(ResultId::kVcJrs2014)]));  // 3.2 < LLN 3.72
}

// Each snapshot is a freshly opened window: nothing of an earlier patient stays,
// in particular not the kept measured FEV1/FVC.
TEST(SnapshotPanel, NothingCarriesOverFromAnEarlierSnapshot) {
  PredictionSet results;
  PanelSnapshot s;
  SnapshotPanel({1, 40, 170, 3.2, 3.9, 2.6}, LoadedSplineTable(), results, s);
  ASSERT_TRUE(s.measuredRatio.drawn);
  SnapshotPanel({1, 40, 170, 3.2, 0, 0}, LoadedSplineTable(), results, s);
  EXPECT_FALSE(s.measuredRatio.drawn);
  EXPECT_EQ(s.measuredRatioValue, 0);
  EXPECT_EQ(s.percents[Row(ResultId::kFev1RatioJrs2014)].text, std::string(11, ' '));
}

TEST(SnapshotPanel, EmptyPanelWhenAgeOrHeightIsZero) {
  for (const PatientInputs& inputs : {PatientInputs{1, 0, 170, 3, 3, 2}, PatientInputs{2, 40, 0, 3, 3, 2}}) {
    const PanelSnapshot s = Snapshot(inputs);
    EXPECT_FALSE(s.recalculated);
    for (const PanelCell& line : s.lines) EXPECT_FALSE(line.drawn);
    for (const PanelCell& cell : s.percents) EXPECT_FALSE(cell.drawn);
  }
}

}  // namespace
}  // namespace kestrova

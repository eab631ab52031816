#include "display/result_panel.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace kestrova {
namespace {

struct Drawn {
  int x;
  int y;
  std::string text;
  Rgb colour;
  friend bool operator==(const Drawn&, const Drawn&) = default;
};

void PrintTo(const Drawn& d, std::ostream* out) {
  *out << "(" << d.x << ", " << d.y << ") \"" << d.text << "\"" << (d.colour == kRed ? " red" : "");
}

// Records what the panel draws, in order.
class RecordingDevice : public PanelDevice {
 public:
  void FillPanel() override { ++fills; }
  void SetOpaqueBackground() override { ++opaque; }
  void DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) override {
    drawn.push_back({x, y, std::string(text), colour});
  }
  std::vector<Drawn> drawn;
  int fills = 0;
  int opaque = 0;
};

struct Panel {
  PanelState state;
  RecordingDevice device;
  PanelContext context() { return {state, device}; }
};

// A text of its own in every place: "line 0" … "line 14", "cell 0" … for the
// rows with a cell, the measured FEV1/FVC "0.800"; the cells of rows 0, 7, 13
// and the measured ratio red.
PanelContents Sample() {
  PanelContents contents;
  for (std::size_t i = 0; i < kResultCount; ++i) {
    contents.rows[i].line = "line " + std::to_string(i);
    if (HasPercentCell(RowLayouts()[i])) contents.rows[i].cell.text = "cell " + std::to_string(i);
  }
  for (std::size_t i : {0, 7, 13}) contents.rows[i].cell.red = true;
  contents.measuredRatio.shown = true;
  contents.measuredRatio.text = "0.800";
  contents.measuredRatio.red = true;
  return contents;
}

TEST(DrawPanelText, ResetsThePendingColour) {
  Panel p;
  p.state.pendingColour = kRed;
  DrawPanelText(p.context(), 10, 20, "abc");
  DrawPanelText(p.context(), 10, 40, "def");
  EXPECT_EQ(p.device.drawn, (std::vector<Drawn>{{10, 20, "abc", kRed}, {10, 40, "def", kBlack}}));
  EXPECT_EQ(p.state.pendingColour, kBlack);
}

TEST(PaintResultLines, EachLineAtItsRowInBlackTopToBottom) {
  Panel p;
  PaintResultLines(p.context(), Sample());
  const int rows[] = {170, 195, 220, 245, 285, 310, 335, 375, 400, 425, 450, 490, 515, 540, 565};
  ASSERT_EQ(p.device.drawn.size(), kResultCount);
  for (std::size_t i = 0; i < kResultCount; ++i) {
    EXPECT_EQ(p.device.drawn[i], (Drawn{230, rows[i], "line " + std::to_string(i), kBlack}));
  }
  EXPECT_EQ(p.device.opaque, 1);
  EXPECT_EQ(p.device.fills, 0);
}

// The volume cells, then the measured FEV1/FVC, then the FEV1/FVC cells; the
// lower-limit rows have none. Without a measured ratio its empty text erases
// the cell.
TEST(PaintPercentages, CellsTopToBottomTheMeasuredRatioBeforeTheRatioCells) {
  Panel p;
  PanelContents contents = Sample();
  PaintPercentages(p.context(), contents);
  const std::vector<Drawn> expected = {
      {160, 170, "cell 0", kRed},    {160, 220, "cell 2", kBlack},  {160, 245, "cell 3", kBlack},
      {160, 285, "cell 4", kBlack},  {160, 335, "cell 6", kBlack},  {160, 375, "cell 7", kRed},
      {160, 425, "cell 9", kBlack},  {160, 450, "cell 10", kBlack}, {100, 490, "0.800", kRed},
      {160, 490, "cell 11", kBlack}, {160, 540, "cell 13", kRed},   {160, 565, "cell 14", kBlack},
  };
  EXPECT_EQ(p.device.drawn, expected);

  contents.measuredRatio = {};
  Panel q;
  PaintPercentages(q.context(), contents);
  ASSERT_EQ(q.device.drawn.size(), expected.size());
  EXPECT_EQ(q.device.drawn[8], (Drawn{100, 490, "", kBlack}));
}

// Clearing draws an empty text into exactly the cells a full paint draws, and
// never fills the panel rectangle, which the controls stand on too.
TEST(ClearPanel, ErasesEveryCellAndNothingElse) {
  Panel painted;
  PaintResultLines(painted.context(), Sample());
  PaintPercentages(painted.context(), Sample());
  Panel cleared;
  cleared.state.pendingColour = kRed;
  ClearPanel(cleared.context());
  std::map<std::pair<int, int>, std::string> paintedAt, clearedAt;
  for (const Drawn& d : painted.device.drawn) paintedAt[{d.x, d.y}] = "";
  for (const Drawn& d : cleared.device.drawn) clearedAt[{d.x, d.y}] += d.text;
  EXPECT_EQ(clearedAt, paintedAt);
  EXPECT_EQ(cleared.device.fills, 0);
  EXPECT_EQ(cleared.state.pendingColour, kBlack);
}

struct ColumnCase {
  std::uint16_t x;
  std::uint16_t right;
};

TEST(ColumnRight, EachXBelongsToTheColumnItStandsIn) {
  const ColumnCase cases[] = {
      {0, 160},   {100, 160},  // the measured FEV1/FVC
      {159, 160}, {160, 230},  // a percentage cell
      {229, 230}, {230, 380},  // a result line
      {379, 380},
  };
  for (const ColumnCase& c : cases) EXPECT_EQ(ColumnRight(c.x), c.right) << c.x;
}

// Every place the panel draws at: the text's column reaches right of it, ends
// within the panel, and no other text starts inside it, so clipping at the
// column edge keeps each text off its neighbours.
TEST(ColumnRight, EveryDrawnTextHasRoomUpToItsEdgeAndNoNeighbourInside) {
  Panel p;
  PaintResultLines(p.context(), Sample());
  PaintPercentages(p.context(), Sample());
  for (const Drawn& d : p.device.drawn) {
    const int right = ColumnRight(static_cast<std::uint16_t>(d.x));
    EXPECT_GT(right, d.x) << d.x << "," << d.y;
    EXPECT_LE(right, kPanelWidth) << d.x << "," << d.y;
    for (const Drawn& other : p.device.drawn) {
      if (other.y != d.y || other.x == d.x) continue;
      EXPECT_FALSE(other.x > d.x && other.x < right)
          << "the text at " << other.x << "," << d.y << " stands inside the column of " << d.x;
    }
  }
}

}  // namespace
}  // namespace kestrova

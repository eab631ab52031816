#include "display/result_panel.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

// Records what the panel draws; the last text at each position wins, as on screen.
class RecordingDevice : public PanelDevice {
 public:
  struct Cell {
    std::string text;
    Rgb colour;
  };
  void FillPanel() override {
    ++fills;
    cells.clear();
  }
  void SetOpaqueBackground() override { ++opaque; }
  void DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) override {
    cells[{x, y}] = {std::string(text), colour};
    ++draws;
  }
  void ShowMessage(const UserMessage& message) override { messages.push_back(message); }

  bool Has(int x, int y) const { return cells.count({x, y}) != 0; }
  const Cell& At(int x, int y) const { return cells.at({x, y}); }

  std::map<std::pair<int, int>, Cell> cells;
  std::vector<UserMessage> messages;
  int fills = 0;
  int opaque = 0;
  int draws = 0;
};

struct Panel {
  PatientInputs inputs;
  PredictionSet results;
  PanelState state;
  RecordingDevice device;
  PanelContext context() { return {inputs, LoadedSplineTable(), results, state, device}; }
};

TEST(DrawPanelText, ResetsThePendingColour) {
  Panel p;
  p.state.pendingColour = kRed;
  DrawPanelText(p.context(), 10, 20, "abc");
  EXPECT_EQ(p.device.At(10, 20).colour, kRed);
  EXPECT_EQ(p.state.pendingColour, kBlack);
  DrawPanelText(p.context(), 10, 40, "def");
  EXPECT_EQ(p.device.At(10, 40).colour, kBlack);
}

TEST(Recalculate, DoesNothingWhileAgeOrHeightIsZero) {
  Panel p;
  p.inputs = {1, 0, 170, 3, 3, 2};
  EXPECT_FALSE(Recalculate(p.context()));
  PaintPanel(p.context());
  EXPECT_EQ(p.device.fills, 1);
  EXPECT_EQ(p.device.draws, 0);
  EXPECT_TRUE(p.results.vcJrs2014Line.empty());  // never calculated: empty lines
}

TEST(PaintPanel, DrawsEveryResultLineAtItsRow) {
  Panel p;
  p.inputs = {2, 40, 158, 0, 0, 0};
  PaintPanel(p.context());
  const int rows[] = {170, 195, 220, 245, 285, 310, 335, 375, 400, 425, 450, 490, 515, 540, 565};
  for (std::size_t i = 0; i < kResultCount; ++i) {
    EXPECT_EQ(p.device.At(230, rows[i]).text, p.results.*ResultFields()[i].line);
    EXPECT_EQ(p.device.At(230, rows[i]).colour, kBlack);
  }
  EXPECT_EQ(p.device.At(230, 170).text, "3.20 :JRS2014");
  // No percentage on the lower-limit rows; blanks on the others without measurements.
  for (int y : {195, 310, 400, 515}) EXPECT_FALSE(p.device.Has(160, y)) << y;
  EXPECT_EQ(p.device.At(160, 170).text, std::string(11, ' '));
  EXPECT_EQ(p.device.At(100, 490).text, "");  // no measured FEV1/FVC: its cell erased
}

TEST(PaintPercentages, MeasuredRatioTextAndValue) {
  Panel p;
  p.inputs = {1, 40, 170, 0, 3.0, 3.15};  // FEV1 above FVC
  PaintPanel(p.context());
  EXPECT_EQ(p.device.At(100, 490).text, "1.050");
  EXPECT_EQ(p.device.At(160, 490).text, "127.6 %   ");  // 1.05 against 0.823
}

// Emptying FEV1 (or FVC) after a full patient erases the measured FEV1/FVC
// (an empty text fills its cell with the panel colour) and blanks the ratio
// cells: nothing of the earlier volumes stays.
TEST(PaintPercentages, ErasesTheMeasuredRatioWhenAVolumeIsMissing) {
  Panel p;
  p.inputs = {1, 40, 170, 0, 4.0, 3.2};
  PaintPanel(p.context());
  ASSERT_EQ(p.device.At(100, 490).text, "0.800");
  p.inputs.fev1 = 0;
  PaintPercentages(p.context());
  EXPECT_EQ(p.device.At(100, 490).text, "");
  for (int y : {490, 540, 565}) EXPECT_EQ(p.device.At(160, y).text, std::string(11, ' ')) << y;
}

// Clearing draws an empty text into exactly the cells a full paint draws, and
// never fills the panel rectangle, which the controls stand on too.
TEST(ClearPanel, ErasesEveryCellAndNothingElse) {
  Panel painted;
  painted.inputs = {1, 40, 170, 3.2, 3.9, 3.2};
  PaintPanel(painted.context());
  Panel cleared;
  cleared.state.pendingColour = kRed;
  ClearPanel(cleared.context());
  EXPECT_EQ(cleared.device.fills, 0);
  EXPECT_EQ(cleared.device.cells.size(), painted.device.cells.size());
  for (const auto& [at, cell] : painted.device.cells) {
    ASSERT_TRUE(cleared.device.Has(at.first, at.second)) << at.first << "," << at.second;
    EXPECT_EQ(cleared.device.At(at.first, at.second).text, "");
  }
  EXPECT_EQ(cleared.state.pendingColour, kBlack);
}

TEST(Recalculate, ShowsTheSexCodeMessage) {
  Panel p;
  p.inputs = {3, 40, 170, 0, 0, 0};
  EXPECT_TRUE(Recalculate(p.context()));
  ASSERT_EQ(p.device.messages.size(), 1u);
  EXPECT_EQ(p.device.messages[0].caption, "\x90\xab\x95\xca");
  EXPECT_EQ(p.device.At(230, 170).text, "  *.** :JRS2014");
  // A paint request does not recalculate for such a code.
  Panel q;
  q.inputs = {3, 40, 170, 0, 0, 0};
  PaintPanel(q.context());
  EXPECT_TRUE(q.device.messages.empty());
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

// Every place the panel draws at, with all its texts on screen (volumes given,
// so the measured FEV1/FVC is drawn too, and without them, so the cells are
// blanks): the text's column reaches right of it, ends within the panel, and
// no other text starts inside it, so clipping at the column edge keeps each
// text off its neighbours.
TEST(ColumnRight, EveryDrawnTextHasRoomUpToItsEdgeAndNoNeighbourInside) {
  const PatientInputs inputs[] = {
      {1, 40, 170, 3.2, 3.9, 3.2},
      {1, 40, 170, 3.2, 3.9, 0},
      {2, 45, 160, 0, 0, 0},
      {1, 40, 105, 0, 0, 0},  // placeholders
  };
  for (const PatientInputs& in : inputs) {
    Panel p;
    p.inputs = in;
    PaintPanel(p.context());
    ASSERT_FALSE(p.device.cells.empty());
    for (const auto& [at, cell] : p.device.cells) {
      const auto [x, y] = at;
      const int right = ColumnRight(static_cast<std::uint16_t>(x));
      EXPECT_GT(right, x) << x << "," << y;
      EXPECT_LE(right, kPanelWidth) << x << "," << y;
      for (const auto& [other, ignored] : p.device.cells) {
        if (other.second != y || other.first == x) continue;
        EXPECT_FALSE(other.first > x && other.first < right)
            << "the text at " << other.first << "," << y << " stands inside the column of " << x;
      }
    }
  }
}

}  // namespace
}  // namespace kestrova

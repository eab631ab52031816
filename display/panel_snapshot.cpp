#include "display/panel_snapshot.h"

#include <array>

namespace kestrova {
namespace {

// Index of the result row at `y`, or -1; looked up in a table made once, since
// every drawn text passes here.
int RowAt(std::uint16_t y) {
  static const auto rowByY = [] {
    std::array<std::int8_t, kPanelHeight> rows;
    rows.fill(-1);
    for (std::size_t i = 0; i < kResultCount; ++i) {
      rows[ResultRowY(static_cast<ResultId>(i))] = static_cast<std::int8_t>(i);
    }
    return rows;
  }();
  return y < rowByY.size() ? rowByY[y] : -1;
}

void Record(PanelCell& cell, std::string_view text, Rgb colour) {
  cell.drawn = true;
  cell.text.assign(text.data(), text.size());
  cell.colour = colour;
}

void Wipe(PanelCell& cell) {
  cell.drawn = false;
  cell.text.clear();
  cell.colour = kBlack;
}

}  // namespace

void SnapshotDevice::FillPanel() {
  for (PanelCell& cell : snapshot_.lines) Wipe(cell);
  for (PanelCell& cell : snapshot_.percents) Wipe(cell);
  Wipe(snapshot_.measuredRatio);
}

void SnapshotDevice::DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) {
  if (x == kMeasuredRatioX && y == kMeasuredRatioY) {
    Record(snapshot_.measuredRatio, text, colour);
    return;
  }
  const int row = RowAt(y);
  if (row >= 0 && x == kResultLineX) {
    Record(snapshot_.lines[static_cast<std::size_t>(row)], text, colour);
  } else if (row >= 0 && x == kPercentX) {
    Record(snapshot_.percents[static_cast<std::size_t>(row)], text, colour);
  } else {
    ++snapshot_.unplacedDraws;
  }
}

void SnapshotDevice::ShowMessage(const UserMessage& message) {
  snapshot_.hasMessage = true;
  snapshot_.message = message;
}

void SnapshotPanel(const PatientInputs& inputs, const SplineTable& table, PredictionSet& results,
                   PanelSnapshot& snapshot) {
  snapshot.hasMessage = false;
  snapshot.unplacedDraws = 0;
  SnapshotDevice device(snapshot);
  PanelState state;  // a fresh window: measuredRatio 0, pending colour black
  const PanelContext panel{inputs, table, results, state, device};
  PaintPanel(panel);
  // A recalculation always draws all fifteen result lines.
  snapshot.recalculated = snapshot.lines[0].drawn;
  snapshot.measuredRatioValue = state.measuredRatio;
}

bool ShowsRed(const PanelCell& cell) {
  return cell.drawn && cell.colour == kRed && cell.text.find_first_not_of(' ') != std::string::npos;
}

}  // namespace kestrova

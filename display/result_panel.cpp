#include "display/result_panel.h"

namespace kestrova {
namespace {

// The measured FEV1/FVC; without one its empty text erases the cell, so no
// ratio of earlier volumes stays on screen.
void PaintMeasuredRatio(const PanelContext& panel, const MeasuredRatioText& ratio) {
  if (ratio.red) panel.state.pendingColour = kRed;
  DrawPanelText(panel, kMeasuredRatioX, kMeasuredRatioY, ratio.text);
}

}  // namespace

std::uint16_t ColumnRight(std::uint16_t x) {
  if (x < kPercentX) return kPercentX;
  if (x < kResultLineX) return kResultLineX;
  return kPanelWidth;
}

void DrawPanelText(const PanelContext& panel, std::uint16_t x, std::uint16_t y, std::string_view text) {
  panel.device.DrawText(x, y, text, panel.state.pendingColour);
  panel.state.pendingColour = kBlack;
}

void DrawPercent(const PanelContext& panel, const PercentCell& cell, std::uint16_t x, std::uint16_t y) {
  if (cell.red) panel.state.pendingColour = kRed;
  DrawPanelText(panel, x, y, cell.text);
}

void PaintResultLines(const PanelContext& panel, const PanelContents& contents) {
  panel.device.SetOpaqueBackground();
  for (std::size_t i = 0; i < kResultCount; ++i) {
    DrawPanelText(panel, kResultLineX, RowLayouts()[i].rowY, contents.rows[i].line);
  }
}

// The volume cells top to bottom, then the measured FEV1/FVC, then the
// FEV1/FVC cells, which compare with the ratio just drawn.
void PaintPercentages(const PanelContext& panel, const PanelContents& contents) {
  panel.device.SetOpaqueBackground();
  bool ratioDrawn = false;
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const RowLayout& row = RowLayouts()[i];
    if (!HasPercentCell(row)) continue;
    if (row.measuredRatioGroup && !ratioDrawn) {
      PaintMeasuredRatio(panel, contents.measuredRatio);
      ratioDrawn = true;
    }
    DrawPercent(panel, contents.rows[i].cell, kPercentX, row.rowY);
  }
}

// Only the cells: the panel rectangle holds the controls too, and a fill outside
// a paint request would cover them until the window is painted again.
void ClearPanel(const PanelContext& panel) {
  panel.device.SetOpaqueBackground();
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const RowLayout& row = RowLayouts()[i];
    DrawPanelText(panel, kResultLineX, row.rowY, {});
    if (HasPercentCell(row)) DrawPanelText(panel, kPercentX, row.rowY, {});
  }
  DrawPanelText(panel, kMeasuredRatioX, kMeasuredRatioY, {});
}

}  // namespace kestrova

// What the result panel shows, recorded instead of drawn.
//
// SnapshotPanel runs PaintPanel on a fresh panel state (as a window just
// started with these inputs on its command line) over a device that keeps the
// last text and colour drawn at each position the panel uses. So every cell and
// every colour is by construction what the window paints; nothing here decides
// a colour or formats a number.
//
// Positions: result lines at x = 230 on the fifteen row ys, percentage cells at
// x = 160 (not on the four LLN rows), the measured FEV1/FVC at (100, 490).
#ifndef KESTROVA_DISPLAY_PANEL_SNAPSHOT_H_
#define KESTROVA_DISPLAY_PANEL_SNAPSHOT_H_

#include <array>
#include <string>

#include "display/result_panel.h"

namespace kestrova {

struct PanelCell {
  bool drawn = false;
  std::string text;  // CP932 bytes as drawn (the panel's cells are all ASCII)
  Rgb colour = kBlack;
};

struct PanelSnapshot {
  bool recalculated = false;  // false: the panel stayed empty (sex, age or height 0)
  std::array<PanelCell, kResultCount> lines;     // x = 230, display order
  std::array<PanelCell, kResultCount> percents;  // x = 160; never drawn on LLN rows
  PanelCell measuredRatio;                       // (100, 490)
  double measuredRatioValue = 0;                 // the panel's kept measuredRatio
  bool hasMessage = false;                       // the sex-code message was shown
  UserMessage message;
  int unplacedDraws = 0;  // texts drawn anywhere else (none expected)
};

// A PanelDevice that records into a PanelSnapshot. FillPanel wipes the record,
// as filling the window wipes its texts. Reuses the snapshot's strings, so a
// repeated snapshot allocates nothing once the texts have their sizes.
class SnapshotDevice final : public PanelDevice {
 public:
  explicit SnapshotDevice(PanelSnapshot& snapshot) : snapshot_(snapshot) {}
  void FillPanel() override;
  void SetOpaqueBackground() override {}
  void DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) override;
  void ShowMessage(const UserMessage& message) override;

 private:
  PanelSnapshot& snapshot_;
};

// PaintPanel for `inputs` on a fresh PanelState; `results` receives the
// calculation as the window's PredictionSet would.
void SnapshotPanel(const PatientInputs& inputs, const SplineTable& table, PredictionSet& results,
                   PanelSnapshot& snapshot);

// True when the cell shows a percentage in red. A blank cell drawn in red (the
// FEV1/FVC rows without a measured ratio) shows no red and is not flagged.
bool ShowsRed(const PanelCell& cell);

}  // namespace kestrova

#endif  // KESTROVA_DISPLAY_PANEL_SNAPSHOT_H_

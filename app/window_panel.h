// The result panel on the real window: a PanelDevice that draws into the kept
// device context, and what the window runs on the panel. Each computes or
// takes what to show into the kept result (g_app.result) and draws its panel
// contents; display/ only draws.
#ifndef KESTROVA_APP_WINDOW_PANEL_H_
#define KESTROVA_APP_WINDOW_PANEL_H_

#include "app/win.h"
#include "display/result_panel.h"

namespace kestrova::app {

// Draws on g_app.keptDc: the panel brush for the fill, ExtTextOutA in the given
// colour with the background colour the set-up chose, clipped at the text's
// column edge with the rest of its row there filled (ColumnRight).
class KeptDcDevice final : public PanelDevice {
 public:
  void FillPanel() override;
  void SetOpaqueBackground() override;
  void DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) override;
};

// WM_PAINT and the set-up: fills the panel; then, when the sex code is 1 or 2,
// RecalculatePanel.
void PaintWindowPanel();

// When (height × age) × sexCode is not 0: computes the inputs into the kept
// result and draws its result lines, then its percentages. A sex code other
// than 1 and 2 shows the sex-check message (a modal box owned by the main
// window, OK only) first; the lines are then the placeholders, the cells
// blank. Otherwise does nothing: the kept result stays as it is.
void RecalculatePanel();

// Takes the volumes of the inputs into the kept result and draws its
// percentages and the measured FEV1/FVC, compared with the last calculation.
void RepaintPercentages();

// Erases every text of the panel (ClearPanel); the kept result stays.
void ClearWindowPanel();

}  // namespace kestrova::app

#endif  // KESTROVA_APP_WINDOW_PANEL_H_

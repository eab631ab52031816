// The result panel on the real window: a PanelDevice that draws into the kept
// device context, and the PanelContext that ties the panel to the program state.
#ifndef KESTROVA_APP_WINDOW_PANEL_H_
#define KESTROVA_APP_WINDOW_PANEL_H_

#include "app/win.h"
#include "display/result_panel.h"

namespace kestrova::app {

// Draws on g_app.keptDc: the panel brush for the fill, ExtTextOutA in the given
// colour with the background colour the set-up chose, clipped at the text's
// column edge with the rest of its row there filled (ColumnRight), and MessageBoxA
// owned by the main window (OK only, no icon) for messages.
class KeptDcDevice final : public PanelDevice {
 public:
  void FillPanel() override;
  void SetOpaqueBackground() override;
  void DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) override;
  void ShowMessage(const UserMessage& message) override;
};

// The panel over the program state, drawing through a KeptDcDevice.
PanelContext WindowPanel();

}  // namespace kestrova::app

#endif  // KESTROVA_APP_WINDOW_PANEL_H_

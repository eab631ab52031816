#include "app/window_panel.h"

#include <string>

#include "app/app_state.h"
#include "input/input_fields.h"

namespace kestrova::app {

void KeptDcDevice::FillPanel() { FillRect(g_app.keptDc, &g_app.panelRect, g_app.panelBrush); }

void KeptDcDevice::SetOpaqueBackground() { SetBkMode(g_app.keptDc, OPAQUE); }

void KeptDcDevice::DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) {
  // COLORREF holds red in the low byte, then green, then blue.
  SetTextColor(g_app.keptDc, RGB(colour.red, colour.green, colour.blue));
  // Clipped at its column's edge, the rest of its row there filled: a text
  // never reaches into the column beside it and leaves nothing of a longer
  // text it replaces.
  const RECT cell{x, y, ColumnRight(x), y + g_app.panelLineHeight};
  ExtTextOutA(g_app.keptDc, x, y, ETO_CLIPPED | ETO_OPAQUE, &cell, text.data(),
              static_cast<UINT>(text.size()), nullptr);
}

namespace {

PanelContext WindowPanel() {
  // Stateless: every call draws through the handles in g_app.
  static KeptDcDevice device;
  return PanelContext{g_app.panelState, device};
}

}  // namespace

void PaintWindowPanel() {
  WindowPanel().device.FillPanel();
  if (IsKnownSexCode(g_app.inputs.sexCode)) RecalculatePanel();
}

void RecalculatePanel() {
  const PatientInputs& inputs = g_app.inputs;
  if ((inputs.height * inputs.age) * inputs.sexCode == 0) return;
  PanelResult& result = g_app.result;
  ComputePanelResult(inputs, result);
  if (!IsKnownSexCode(inputs.sexCode)) {
    const UserMessage message = SexCheckMessage(inputs.sexCode);
    MessageBoxA(g_app.mainWindow, message.text.c_str(), message.caption.c_str(), MB_OK);
    // The calculation reset its results to the placeholders: those are shown.
    RemeasurePanelResult(inputs, result);
  }
  const PanelContext panel = WindowPanel();
  PaintResultLines(panel, result.panel);
  PaintPercentages(panel, result.panel);
}

void RepaintPercentages() {
  RemeasurePanelResult(g_app.inputs, g_app.result);
  PaintPercentages(WindowPanel(), g_app.result.panel);
}

void ClearWindowPanel() { ClearPanel(WindowPanel()); }

}  // namespace kestrova::app

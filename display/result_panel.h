// The result panel: what the window paints below and beside its controls, as
// pure code. Everything is drawn through a PanelDevice, so the same code paints
// the real window (app/) and a test's recording device.
//
// Each row stands at its RowLayout's rowY (panel_layout.h); result lines at x = 230,
// percentage cells at x = 160, the measured FEV1/FVC at x = 100 on row 490.
// What is drawn, and in which colour (black, or red RGB(255, 0, 0)), comes in
// the PanelContents it is given (panel_contents.h); this file only draws it.
#ifndef KESTROVA_DISPLAY_RESULT_PANEL_H_
#define KESTROVA_DISPLAY_RESULT_PANEL_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "display/panel_contents.h"

namespace kestrova {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kPanelBackground{245, 245, 245};

// Panel rectangle (client coordinates).
inline constexpr int kPanelWidth = 380;
inline constexpr int kPanelHeight = 630;

inline constexpr std::uint16_t kResultLineX = 230;
inline constexpr std::uint16_t kPercentX = 160;
inline constexpr std::uint16_t kMeasuredRatioX = 100;
inline constexpr std::uint16_t kMeasuredRatioY = 490;

// The panel's three columns, left to right: the measured FEV1/FVC at x = 100
// up to 160, the percentage cells at x = 160 up to 230, and the result lines at
// x = 230 up to the panel's right edge (380).
//
// The window clips each text at the right edge of its column and fills the
// rest of the text's row within the column with the panel colour. So a blank
// cell (eleven blanks) wipes an earlier percentage whatever the font's
// character widths, and never touches the result line beside it; and a
// shorter text drawn over a longer one leaves nothing of it behind.
//
// ColumnRight gives the right edge (exclusive) of the column that a text drawn
// at `x` belongs to:
//   ColumnRight(100) == 160   (the measured FEV1/FVC)
//   ColumnRight(160) == 230   (a percentage cell)
//   ColumnRight(230) == 380   (a result line)
// Every x left of 160 belongs to the first column, every x from 230 on to the
// last; the result is always greater than x for an x inside the panel.
std::uint16_t ColumnRight(std::uint16_t x);

// Where the panel draws. The window's device draws with an opaque background
// in the panel colour, each text clipped to its column (see ColumnRight), so
// each text wipes its cell first.
class PanelDevice {
 public:
  virtual ~PanelDevice() = default;
  // Fills the panel rectangle (0, 0, 380, 630) with the panel colour.
  virtual void FillPanel() = 0;
  // Sets the background mode to opaque.
  virtual void SetOpaqueBackground() = 0;
  // Draws `text` (CP932 bytes, its byte length) at (x, y) in `colour`. The
  // window's device clips it at ColumnRight(x) and fills the rest of its row
  // up to there with the panel colour (the whole cell for an empty text).
  virtual void DrawText(std::uint16_t x, std::uint16_t y, std::string_view text, Rgb colour) = 0;
};

// The panel's own state, kept from one paint to the next.
struct PanelState {
  Rgb pendingColour = kBlack;  // colour of the next text drawn; reset after each
};

// Where the panel draws, and its state, both owned by the program.
struct PanelContext {
  PanelState& state;
  PanelDevice& device;
};

// Erases every text of the panel, leaving it as at start: an empty text drawn
// into each cell (the fifteen result lines at x = 230, the percentage cells at
// x = 160, the measured FEV1/FVC at x = 100), which the device fills with the
// panel colour. Nothing outside the cells is touched, so the controls standing
// on the panel stay drawn.
void ClearPanel(const PanelContext& panel);

// Draws the fifteen result lines at x = 230, in black, top to bottom.
void PaintResultLines(const PanelContext& panel, const PanelContents& contents);

// Draws every percentage cell top to bottom, with the measured FEV1/FVC (an
// empty text, which erases its cell, when there is none) just before the
// FEV1/FVC cells, each in its colour.
void PaintPercentages(const PanelContext& panel, const PanelContents& contents);

// Draws one percentage cell at (x, y), red when it is flagged.
void DrawPercent(const PanelContext& panel, const PercentCell& cell, std::uint16_t x, std::uint16_t y);

// Draws `text` in the pending colour, then resets the pending colour to black.
void DrawPanelText(const PanelContext& panel, std::uint16_t x, std::uint16_t y, std::string_view text);

}  // namespace kestrova

#endif  // KESTROVA_DISPLAY_RESULT_PANEL_H_

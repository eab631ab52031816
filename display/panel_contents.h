// What the result panel shows, as data: every text the panel draws and
// whether it is red, for each of the fifteen rows (ResultFields() order) and
// the measured FEV1/FVC. The window draws these contents (result_panel.h); the
// library fills them (kestrova/panel_rules.h), and kestrova-cli, the batch
// and the reports read them.
#ifndef KESTROVA_DISPLAY_PANEL_CONTENTS_H_
#define KESTROVA_DISPLAY_PANEL_CONTENTS_H_

#include <array>
#include <string>
#include <string_view>

#include "display/panel_layout.h"
#include "equations/prediction_set.h"

namespace kestrova {

struct PercentCell {
  std::string text;     // ten characters, or eleven blanks
  std::string percent;  // t, FormatFixed(percentage, 1); empty when blank
  // The percentage as shown, ParseNumber(percent); 0 when blank. Kept beside
  // the text (RoundThroughText gives both), so the colour rule and the reading
  // never read the digits back.
  double value = 0;
  ShownNumber number;  // the percentage as data; not shown when blank
  bool red = false;
};

struct PanelRow {
  bool computed = false;  // the line holds a number, not the placeholder
  std::string line;
  PercentCell cell;            // empty (nothing drawn) on the four LLN rows
  std::size_t textLength = 0;  // of the number text at the start of a computed line
  ShownNumber number;          // the line's number as data; not shown when not computed

  // The number text of the line ("4.48"); empty when not computed.
  std::string_view Text() const {
    return computed ? std::string_view(line).substr(0, textLength) : std::string_view();
  }
};

// The number as a table of results shows it: the number text ("3.24"), the
// placeholder's mask ("*.**") where the row shows its placeholder, nothing
// where the panel shows nothing at all.
inline std::string_view NumberOrMask(const PanelRow& row, ResultId id) {
  if (row.computed) return row.Text();
  return row.line.empty() ? std::string_view() : FieldOf(id).mask;
}

struct MeasuredRatioText {
  bool shown = false;  // fvc × fev1 > 0
  std::string text;    // "0.800"; empty when not shown (the cell is erased)
  double value = 0;    // ParseNumber(text); 0 when not shown
  ShownNumber number;  // as data; not shown when there is none
  bool red = false;    // below the FEV1/FVC LLN
};

struct PanelContents {
  std::array<PanelRow, kResultCount> rows;
  MeasuredRatioText measuredRatio;  // the FEV1/FVC cells compare with its value
};

}  // namespace kestrova

#endif  // KESTROVA_DISPLAY_PANEL_CONTENTS_H_

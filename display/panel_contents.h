// What the result panel shows for one set of inputs and results, as data: every
// text the panel draws and whether it is red. The window draws these contents;
// the library, kestrova-cli and the batch read them.
//
// For each of the fifteen rows (ResultFields() order):
//   line    the result line, "4.48 :JRS2014", or the placeholder "  *.** :JRS2014";
//   cell    for rows with a percentage cell: the cell exactly as drawn, the last
//           five characters of "  " + t followed by " %   " (ten characters),
//           where t = FormatFixed((measured × 100) / predicted, 1); or eleven
//           blanks when measured × predicted is not > 0. So 71.4 % is
//           " 71.4 %   " and 1250.0 % is "250.0 %   " (t keeps all its digits);
//   red     the row's colour rule (ColourRule) holds and the cell is not blank.
// The measured FEV1/FVC on row 490 is FormatFixed(fev1 / fvc, 3), red when its
// value is below the FEV1/FVC LLN. When fvc × fev1 is not > 0 there is none: its
// text is empty (the window erases the cell to the panel colour), its value is
// 0, and so the three FEV1/FVC cells are blank. Nothing is kept from an earlier
// paint: the contents depend on the inputs and results alone.
//
// Example: female, 45 years, 160 cm, VC 3.1, FVC 3.0, FEV1 2.4:
//   rows[kVcJrs2014]: line "3.24 :JRS2014", cell " 95.7 %   ", not red;
//   measuredRatio: "0.800", value 0.8.
#ifndef KESTROVA_DISPLAY_PANEL_CONTENTS_H_
#define KESTROVA_DISPLAY_PANEL_CONTENTS_H_

#include <array>
#include <string>
#include <string_view>

#include "display/panel_layout.h"
#include "equations/prediction_set.h"
#include "records/patient_inputs.h"

namespace kestrova {

struct PercentCell {
  std::string text;     // ten characters, or eleven blanks
  std::string percent;  // t, FormatFixed(percentage, 1); empty when blank
  // The percentage as shown, ParseNumber(percent); 0 when blank. Kept beside
  // the text (RoundThroughText gives both), so the colour rule and the reading
  // never read the digits back.
  double value = 0;
  bool red = false;
};

struct PanelRow {
  bool computed = false;  // the line holds a number, not the placeholder
  std::string line;
  PercentCell cell;            // empty (nothing drawn) on the four LLN rows
  std::size_t textLength = 0;  // of the number text at the start of a computed line

  // The number text of the line ("4.48"); empty when not computed.
  std::string_view Text() const {
    return computed ? std::string_view(line).substr(0, textLength) : std::string_view();
  }
};

struct MeasuredRatioText {
  bool shown = false;  // fvc × fev1 > 0
  std::string text;    // "0.800"; empty when not shown (the cell is erased)
  double value = 0;    // ParseNumber(text); 0 when not shown
  bool red = false;    // below the FEV1/FVC LLN
};

struct PanelContents {
  std::array<PanelRow, kResultCount> rows;
  MeasuredRatioText measuredRatio;  // the FEV1/FVC cells compare with its value
};

// Fills `out` completely from the inputs and the results of the last
// calculation. Reuses out's strings, so a repeated call allocates nothing.
void BuildPanelContents(const PatientInputs& inputs, const PredictionSet& results, PanelContents& out);

}  // namespace kestrova

#endif  // KESTROVA_DISPLAY_PANEL_CONTENTS_H_

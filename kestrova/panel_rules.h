// The rules of the result panel's percentages and red cells: what the panel
// shows (display/panel_contents.h) for one set of inputs and results.
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
#ifndef KESTROVA_KESTROVA_PANEL_RULES_H_
#define KESTROVA_KESTROVA_PANEL_RULES_H_

#include <array>
#include <cstdint>

#include "display/panel_contents.h"
#include "equations/prediction_set.h"
#include "records/patient_inputs.h"

namespace kestrova {

// The measured value a result's percentage cell compares with the prediction;
// kNone for the four LLN rows, which have no cell.
enum class MeasuredInput : std::uint8_t { kNone, kVc, kFvc, kFev1, kMeasuredRatio };

// When a result's percentage cell is red (never when the cell is blank):
//   kNever                 the cell is always black;
//   kBelowLln              measured < the group's LLN (the row after this one);
//   kPercentUnder80        the percentage as shown (1 decimal) < 80;
//   kRatioBelowPrediction  prediction > 0 and measured ratio / prediction < 1.
enum class ColourRule : std::uint8_t { kNever, kBelowLln, kPercentUnder80, kRatioBelowPrediction };

struct CellRule {
  MeasuredInput measured;
  ColourRule colour;
};

// Each row's rule, in the order of ResultFields(); a row has a rule other than
// {kNone, kNever} exactly where the panel's layout gives it a cell.
inline constexpr std::array<CellRule, kResultCount> kCellRules = {{
    {MeasuredInput::kVc, ColourRule::kBelowLln},                         // vcJrs2014
    {MeasuredInput::kNone, ColourRule::kNever},                          // vcLln
    {MeasuredInput::kVc, ColourRule::kPercentUnder80},                   // vcJrs2001
    {MeasuredInput::kVc, ColourRule::kPercentUnder80},                   // vcBaldwin
    {MeasuredInput::kFvc, ColourRule::kBelowLln},                        // fvcJrs2014
    {MeasuredInput::kNone, ColourRule::kNever},                          // fvcLln
    {MeasuredInput::kFvc, ColourRule::kNever},                           // fvcJrs2001
    {MeasuredInput::kFev1, ColourRule::kBelowLln},                       // fev1Jrs2014
    {MeasuredInput::kNone, ColourRule::kNever},                          // fev1Lln
    {MeasuredInput::kFev1, ColourRule::kNever},                          // fev1Jrs2001
    {MeasuredInput::kFev1, ColourRule::kNever},                          // fev1Berglund
    {MeasuredInput::kMeasuredRatio, ColourRule::kRatioBelowPrediction},  // fev1RatioJrs2014
    {MeasuredInput::kNone, ColourRule::kNever},                          // fev1RatioLln
    {MeasuredInput::kMeasuredRatio, ColourRule::kRatioBelowPrediction},  // fev1RatioJrs2001T
    {MeasuredInput::kMeasuredRatio, ColourRule::kRatioBelowPrediction},  // fev1RatioJrs2001G
}};

// Fills `out` completely from the inputs and the results of the last
// calculation. Reuses out's strings, so a repeated call allocates nothing.
void BuildPanelContents(const PatientInputs& inputs, const PredictionSet& results, PanelContents& out);

}  // namespace kestrova

#endif  // KESTROVA_KESTROVA_PANEL_RULES_H_

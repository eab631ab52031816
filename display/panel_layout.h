// Where each of the fifteen results stands on the result panel and when its
// percentage cell is red: the panel's layout, indexed by ResultId.
#ifndef KESTROVA_DISPLAY_PANEL_LAYOUT_H_
#define KESTROVA_DISPLAY_PANEL_LAYOUT_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "equations/prediction_set.h"

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

// One result's row on the panel.
struct RowLayout {
  std::string_view group;  // the panel's group: "VC", "FVC", "FEV1", "FEV1.0 %"
  std::uint16_t rowY;      // the row's y on the result panel
  MeasuredInput measured;
  ColourRule colour;
};

constexpr bool HasPercentCell(const RowLayout& row) { return row.measured != MeasuredInput::kNone; }

// The fifteen rows in display order, in the order of ResultFields(). Defined
// here, as constants, so that code walking the rows with compile-time indices
// (the panel's contents, the CSV columns) has each row's rule folded in.
inline constexpr std::array<RowLayout, kResultCount> kRowLayouts = {{
    {"VC", 170, MeasuredInput::kVc, ColourRule::kBelowLln},                               // vcJrs2014
    {"VC", 195, MeasuredInput::kNone, ColourRule::kNever},                                // vcLln
    {"VC", 220, MeasuredInput::kVc, ColourRule::kPercentUnder80},                         // vcJrs2001
    {"VC", 245, MeasuredInput::kVc, ColourRule::kPercentUnder80},                         // vcBaldwin
    {"FVC", 285, MeasuredInput::kFvc, ColourRule::kBelowLln},                             // fvcJrs2014
    {"FVC", 310, MeasuredInput::kNone, ColourRule::kNever},                               // fvcLln
    {"FVC", 335, MeasuredInput::kFvc, ColourRule::kNever},                                // fvcJrs2001
    {"FEV1", 375, MeasuredInput::kFev1, ColourRule::kBelowLln},                           // fev1Jrs2014
    {"FEV1", 400, MeasuredInput::kNone, ColourRule::kNever},                              // fev1Lln
    {"FEV1", 425, MeasuredInput::kFev1, ColourRule::kNever},                              // fev1Jrs2001
    {"FEV1", 450, MeasuredInput::kFev1, ColourRule::kNever},                              // fev1Berglund
    {"FEV1.0 %", 490, MeasuredInput::kMeasuredRatio, ColourRule::kRatioBelowPrediction},  // fev1RatioJrs2014
    {"FEV1.0 %", 515, MeasuredInput::kNone, ColourRule::kNever},                          // fev1RatioLln
    {"FEV1.0 %", 540, MeasuredInput::kMeasuredRatio, ColourRule::kRatioBelowPrediction},  // fev1RatioJrs2001T
    {"FEV1.0 %", 565, MeasuredInput::kMeasuredRatio, ColourRule::kRatioBelowPrediction},  // fev1RatioJrs2001G
}};
constexpr const std::array<RowLayout, kResultCount>& RowLayouts() { return kRowLayouts; }
constexpr const RowLayout& LayoutOf(ResultId id) { return kRowLayouts[static_cast<std::size_t>(id)]; }

}  // namespace kestrova

#endif  // KESTROVA_DISPLAY_PANEL_LAYOUT_H_

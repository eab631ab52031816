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

// The fifteen rows in display order, in the order of ResultFields().
extern const std::array<RowLayout, kResultCount> kRowLayouts;
inline const std::array<RowLayout, kResultCount>& RowLayouts() { return kRowLayouts; }
inline const RowLayout& LayoutOf(ResultId id) { return kRowLayouts[static_cast<std::size_t>(id)]; }

}  // namespace kestrova

#endif  // KESTROVA_DISPLAY_PANEL_LAYOUT_H_

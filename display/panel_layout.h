// Where each of the fifteen results stands on the result panel: the panel's
// layout, indexed by ResultId. When a cell is red is the library's rule
// (kestrova/panel_rules.h).
#ifndef KESTROVA_DISPLAY_PANEL_LAYOUT_H_
#define KESTROVA_DISPLAY_PANEL_LAYOUT_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "equations/prediction_set.h"

namespace kestrova {

// One result's row on the panel.
struct RowLayout {
  std::string_view group;  // the panel's group: "VC", "FVC", "FEV1", "FEV1.0 %"
  std::uint16_t rowY;      // the row's y on the result panel
  bool percentCell;        // the row has a percentage cell (all but the four LLN rows)
  // The group that shows the measured FEV1/FVC beside its heading ("FEV1.0 %").
  bool measuredRatioGroup;
};

constexpr bool HasPercentCell(const RowLayout& row) { return row.percentCell; }

// The fifteen rows in display order, in the order of ResultFields(). Defined
// here, as constants, so that code walking the rows with compile-time indices
// (the panel's contents, the CSV columns) has each row's layout folded in.
inline constexpr std::array<RowLayout, kResultCount> kRowLayouts = {{
    {"VC", 170, true, false},        // vcJrs2014
    {"VC", 195, false, false},       // vcLln
    {"VC", 220, true, false},        // vcJrs2001
    {"VC", 245, true, false},        // vcBaldwin
    {"FVC", 285, true, false},       // fvcJrs2014
    {"FVC", 310, false, false},      // fvcLln
    {"FVC", 335, true, false},       // fvcJrs2001
    {"FEV1", 375, true, false},      // fev1Jrs2014
    {"FEV1", 400, false, false},     // fev1Lln
    {"FEV1", 425, true, false},      // fev1Jrs2001
    {"FEV1", 450, true, false},      // fev1Berglund
    {"FEV1.0 %", 490, true, true},   // fev1RatioJrs2014
    {"FEV1.0 %", 515, false, true},  // fev1RatioLln
    {"FEV1.0 %", 540, true, true},   // fev1RatioJrs2001T
    {"FEV1.0 %", 565, true, true},   // fev1RatioJrs2001G
}};
constexpr const std::array<RowLayout, kResultCount>& RowLayouts() { return kRowLayouts; }
constexpr const RowLayout& LayoutOf(ResultId id) { return kRowLayouts[static_cast<std::size_t>(id)]; }

}  // namespace kestrova

#endif  // KESTROVA_DISPLAY_PANEL_LAYOUT_H_

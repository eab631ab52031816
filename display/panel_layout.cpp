#include "display/panel_layout.h"

namespace kestrova {

using enum ColourRule;

namespace {

// kBelowLln compares with the row after it: that row must be its group's LLN,
// the group's one row without a cell.
constexpr bool LlnFollowsEachBelowLlnRow() {
  for (std::size_t i = 0; i + 1 < kRowLayouts.size(); ++i) {
    if (kRowLayouts[i].colour != kBelowLln) continue;
    if (HasPercentCell(kRowLayouts[i + 1]) || kRowLayouts[i + 1].group != kRowLayouts[i].group) return false;
  }
  return kRowLayouts.back().colour != kBelowLln;
}
static_assert(LlnFollowsEachBelowLlnRow());

}  // namespace

}  // namespace kestrova

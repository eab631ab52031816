#include "display/panel_layout.h"

namespace kestrova {

using enum MeasuredInput;
using enum ColourRule;

constexpr std::array<RowLayout, kResultCount> kRowLayouts = {{
    {"VC", 170, kVc, kBelowLln},                               // vcJrs2014
    {"VC", 195, kNone, kNever},                                // vcLln
    {"VC", 220, kVc, kPercentUnder80},                         // vcJrs2001
    {"VC", 245, kVc, kPercentUnder80},                         // vcBaldwin
    {"FVC", 285, kFvc, kBelowLln},                             // fvcJrs2014
    {"FVC", 310, kNone, kNever},                               // fvcLln
    {"FVC", 335, kFvc, kNever},                                // fvcJrs2001
    {"FEV1", 375, kFev1, kBelowLln},                           // fev1Jrs2014
    {"FEV1", 400, kNone, kNever},                              // fev1Lln
    {"FEV1", 425, kFev1, kNever},                              // fev1Jrs2001
    {"FEV1", 450, kFev1, kNever},                              // fev1Berglund
    {"FEV1.0 %", 490, kMeasuredRatio, kRatioBelowPrediction},  // fev1RatioJrs2014
    {"FEV1.0 %", 515, kNone, kNever},                          // fev1RatioLln
    {"FEV1.0 %", 540, kMeasuredRatio, kRatioBelowPrediction},  // fev1RatioJrs2001T
    {"FEV1.0 %", 565, kMeasuredRatio, kRatioBelowPrediction},  // fev1RatioJrs2001G
}};

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

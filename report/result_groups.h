// The fifteen results as the reports list them: in panel order, under the
// panel's group headings ("VC", "FVC", "FEV1", "FEV1.0 %"), the heading of the
// FEV1/FVC group with the measured ratio beside it when there is one.
#ifndef KESTROVA_REPORT_RESULT_GROUPS_H_
#define KESTROVA_REPORT_RESULT_GROUPS_H_

#include <cstddef>
#include <string_view>

#include "display/panel_layout.h"
#include "kestrova/kestrova.h"

namespace kestrova::report {

// Calls onGroup(group, ratio) before the first row of each group, `ratio`
// being the measured FEV1/FVC to show beside the heading (null where none is
// shown), and onRow(i) for each row i in order.
template <class OnGroup, class OnRow>
void ForEachGroupedRow(const PanelResult& result, OnGroup&& onGroup, OnRow&& onRow) {
  std::string_view group;
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const RowLayout& layout = RowLayouts()[i];
    if (layout.group != group) {
      group = layout.group;
      const MeasuredRatioText& ratio = result.panel.measuredRatio;
      onGroup(group, layout.measuredRatioGroup && ratio.shown ? &ratio : nullptr);
    }
    onRow(i);
  }
}

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_RESULT_GROUPS_H_

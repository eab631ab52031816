#include "kestrova/kestrova.h"

#include "display/panel_layout.h"
#include "equations/calculation.h"
#include "equations/spline_table.h"

namespace kestrova {
namespace {

constexpr std::string_view kStandingNames[] = {"vc", "fvc", "fev1", "fev1Ratio"};

// Nothing shown: no line, cell or measured ratio, nothing red.
void ClearContents(PanelContents& panel) {
  for (PanelRow& row : panel.rows) {
    row.computed = false;
    row.line.clear();
    row.cell.text.clear();
    row.cell.percent.clear();
    row.cell.value = 0;
    row.cell.red = false;
  }
  panel.measuredRatio = {};
}

void FillRow(std::size_t i, FullResult& out) {
  const ResultField& field = ResultFields()[i];
  const PanelRow& shown = out.panel.rows[i];
  ResultView& row = out.rows[i];
  row.name = field.name;
  row.label = field.label;
  row.group = RowLayouts()[i].group;
  row.hasPercent = HasPercentCell(RowLayouts()[i]);
  row.computed = shown.computed;
  row.value = out.computed ? out.predictions.*field.value : 0;
  row.text.assign(shown.Text());
  row.line = shown.line;
  row.cell = shown.cell.text;
  row.percent = shown.cell.percent;
  row.red = shown.cell.red;
}

// The parameters come from the calculation itself (PredictionSet::jrs2014Lms),
// the same values the medians and LLNs were computed from.
void FillStandings(const PatientInputs& inputs, PanelResult& out) {
  const MeasuredRatioText& ratio = out.panel.measuredRatio;
  const double measured[] = {inputs.vc, inputs.fvc, inputs.fev1, ratio.shown ? ratio.value : 0};
  for (std::size_t q = 0; q < kJrs2014Quantities.size(); ++q) {
    StandingView& standing = out.jrs2014[q];
    standing.name = kStandingNames[q];
    const auto slot = static_cast<std::size_t>(kJrs2014Quantities[q]);
    const bool has = out.computed && out.predictions.hasJrs2014Lms[slot];
    standing.lms = has ? out.predictions.jrs2014Lms[slot] : LmsParameters{};
    const std::uint8_t decimals = kJrs2014Quantities[q] == Jrs2014Quantity::kRatio ? 3 : 2;
    ComputeStanding(has ? &standing.lms : nullptr, decimals, measured[q] > 0 ? measured[q] : 0, standing);
  }
}

}  // namespace

// The panel as the window paints it for these inputs.
void ComputePanelResult(const PatientInputs& inputs, PanelResult& out) {
  out.inputs = inputs;
  const bool painted = IsKnownSexCode(inputs.sexCode) && (inputs.height * inputs.age) * inputs.sexCode != 0;
  out.computed = painted && CalculatePredictions(inputs, LoadedSplineTable(), out.predictions);
  if (out.computed) {
    BuildPanelContents(inputs, out.predictions, out.panel);
  } else {
    ResetToPlaceholders(out.predictions);
    ClearContents(out.panel);
  }
  FillStandings(inputs, out);
}

void ComputeFullResult(const PatientInputs& inputs, FullResult& out) {
  ComputePanelResult(inputs, out);
  for (std::size_t i = 0; i < kResultCount; ++i) FillRow(i, out);
}

FullResult ComputeFullResult(const PatientInputs& inputs) {
  FullResult out;
  ComputeFullResult(inputs, out);
  return out;
}

}  // namespace kestrova

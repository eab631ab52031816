#include "kestrova/kestrova.h"

#include "display/panel_layout.h"
#include "equations/calculation.h"
#include "equations/spline_table.h"
#include "input/limits.h"
#include "kestrova/panel_rules.h"

namespace kestrova {
namespace {

// Nothing shown: no line, cell or measured ratio, nothing red.
void ClearContents(PanelContents& panel) {
  for (std::size_t i = 0; i < kResultCount; ++i) {
    PanelRow& row = panel.rows[i];
    row.computed = false;
    row.line.clear();
    row.number = ShownNumber{.decimals = ResultFields()[i].decimals};
    row.cell.text.clear();
    row.cell.percent.clear();
    row.cell.value = 0;
    row.cell.number = ShownNumber{.decimals = 1};
    row.cell.red = false;
  }
  panel.measuredRatio = {};
  panel.measuredRatio.number.decimals = 3;
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
  row.number = shown.number;
  row.percentNumber = shown.cell.number;
  row.red = shown.cell.red;
}

// One quantity's standing; Q is a constant, so its slot and decimals are too.
// The parameters come from the calculation itself (PredictionSet::jrs2014Lms),
// the same values the medians and LLNs were computed from.
template <std::size_t Q>
void FillStanding(double measured, PanelResult& out) {
  constexpr Jrs2014Quantity kQuantity = kJrs2014Quantities[Q];
  constexpr auto kSlot = static_cast<std::size_t>(kQuantity);
  constexpr std::uint8_t kDecimals = FieldOf(Jrs2014TargetsOf(kQuantity).median).decimals;
  StandingView& standing = out.jrs2014[Q];
  standing.name = kJrs2014QuantityNames[Q];
  const bool has = out.computed && out.predictions.hasJrs2014Lms[kSlot];
  standing.lms = has ? out.predictions.jrs2014Lms[kSlot] : LmsParameters{};
  ComputeStanding(has ? &standing.lms : nullptr, kDecimals, measured > 0 ? measured : 0, standing);
}

void FillStandings(const PatientInputs& inputs, PanelResult& out) {
  const MeasuredRatioText& ratio = out.panel.measuredRatio;
  static_assert(kJrs2014Quantities.size() == 4);
  FillStanding<0>(inputs.vc, out);
  FillStanding<1>(inputs.fvc, out);
  FillStanding<2>(inputs.fev1, out);
  FillStanding<3>(ratio.shown ? ratio.value : 0, out);
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
  out.warnings = out.computed ? RelationWarnings(inputs) : 0;
}

void RemeasurePanelResult(const PatientInputs& measured, PanelResult& out) {
  out.inputs.vc = measured.vc;
  out.inputs.fvc = measured.fvc;
  out.inputs.fev1 = measured.fev1;
  BuildPanelContents(out.inputs, out.predictions, out.panel);
  FillStandings(out.inputs, out);
  out.warnings = out.computed ? RelationWarnings(out.inputs) : 0;
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

#include "kestrova/kestrova.h"

#include "equations/spline_table.h"
#include "numtext/number_text.h"

namespace kestrova {
namespace {

constexpr std::string_view kStandingNames[] = {"vc", "fvc", "fev1", "fev1Ratio"};

// The measured value compared with each row's prediction.
double MeasuredFor(ResultId id, const PatientInputs& inputs, double measuredRatio) {
  if (id <= ResultId::kVcBaldwin) return inputs.vc;
  if (id <= ResultId::kFvcJrs2001) return inputs.fvc;
  if (id <= ResultId::kFev1Berglund) return inputs.fev1;
  return measuredRatio;
}

// A computed line is the number text, " :" and the label; a placeholder starts with blanks.
bool RowComputed(const PanelResult& result, ResultId id) {
  const PanelCell& line = result.panel.lines[static_cast<std::size_t>(id)];
  return result.computed && line.drawn && line.text != FieldOf(id).placeholder;
}

void FillRow(ResultId id, FullResult& out) {
  const ResultField& field = FieldOf(id);
  const auto i = static_cast<std::size_t>(id);
  ResultView& row = out.rows[i];
  row.name = field.name;
  row.label = field.label;
  row.group = GroupOf(id);
  row.hasPercent = HasPercentCell(id);
  row.value = out.predictions.*field.value;
  row.line = out.panel.lines[i].text;
  row.computed = RowComputed(out, id);
  row.text.assign(ResultText(out, id));
  row.cell = out.panel.percents[i].text;
  row.red = ResultRed(out, id);
  std::string scratch;  // only used for percentages of 999 and above
  row.percent.assign(ResultPercent(out, id, scratch));
}

void ClearRows(FullResult& out) {
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const auto id = static_cast<ResultId>(i);
    ResultView& row = out.rows[i];
    row.name = FieldOf(id).name;
    row.label = FieldOf(id).label;
    row.group = GroupOf(id);
    row.computed = false;
    row.value = 0;
    row.text.clear();
    row.line.clear();
    row.hasPercent = HasPercentCell(id);
    row.cell.clear();
    row.percent.clear();
    row.red = false;
  }
}

// The parameters come from the calculation itself (PredictionSet::jrs2014Lms),
// the same values the medians and LLNs were computed from.
void FillStandings(const PatientInputs& inputs, PanelResult& out) {
  const double measured[] = {inputs.vc, inputs.fvc, inputs.fev1,
                             out.measuredRatio.shown ? out.measuredRatio.value : 0};
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

bool HasPercentCell(ResultId id) {
  return id != ResultId::kVcLln && id != ResultId::kFvcLln && id != ResultId::kFev1Lln &&
         id != ResultId::kFev1RatioLln;
}

std::string_view GroupOf(ResultId id) {
  if (id <= ResultId::kVcBaldwin) return "VC";
  if (id <= ResultId::kFvcJrs2001) return "FVC";
  if (id <= ResultId::kFev1Berglund) return "FEV1";
  return "FEV1.0 %";
}

std::string_view ResultText(const PanelResult& result, ResultId id) {
  if (!RowComputed(result, id)) return {};
  const std::string_view line = result.panel.lines[static_cast<std::size_t>(id)].text;
  return line.substr(0, line.size() - FieldOf(id).label.size() - 2);
}

bool ResultRed(const PanelResult& result, ResultId id) {
  return result.computed && ShowsRed(result.panel.percents[static_cast<std::size_t>(id)]);
}

std::string_view ResultPercent(const PanelResult& result, ResultId id, std::string& scratch) {
  if (!result.computed) return {};
  const PanelCell& cell = result.panel.percents[static_cast<std::size_t>(id)];
  const double value = result.predictions.*FieldOf(id).value;
  const double measured = MeasuredFor(id, result.inputs, result.panel.measuredRatioValue);
  if (!cell.drawn || !(measured * value > 0)) return {};
  // The cell holds the last five characters of "  " + t, so below 999 % (t at
  // most "999.0") t is the cell's first five characters without their blanks;
  // larger percentages lose digits in the cell and are formatted again.
  if ((measured * 100) / value < 999) {
    const std::size_t first = cell.text.find_first_not_of(' ');
    if (first < 5) return std::string_view(cell.text).substr(first, 5 - first);
  }
  scratch = PercentText(measured, value);
  return scratch;
}

void ComputePanelResult(const PatientInputs& inputs, PanelResult& out) {
  const SplineTable& table = LoadedSplineTable();
  out.inputs = inputs;
  SnapshotPanel(inputs, table, out.predictions, out.panel);
  out.computed = out.panel.recalculated && !out.panel.hasMessage;
  MeasuredRatioView& ratio = out.measuredRatio;
  ratio.shown = out.computed && out.panel.measuredRatio.drawn;
  ratio.value = ratio.shown ? out.panel.measuredRatioValue : 0;
  if (ratio.shown) {
    ratio.text = out.panel.measuredRatio.text;
  } else {
    ratio.text.clear();
  }
  ratio.red = ratio.shown && ShowsRed(out.panel.measuredRatio);
  FillStandings(inputs, out);
}

void ComputeFullResult(const PatientInputs& inputs, FullResult& out) {
  ComputePanelResult(inputs, out);
  if (out.computed) {
    for (std::size_t i = 0; i < kResultCount; ++i) FillRow(static_cast<ResultId>(i), out);
  } else {
    ClearRows(out);
  }
}

FullResult ComputeFullResult(const PatientInputs& inputs) {
  FullResult out;
  ComputeFullResult(inputs, out);
  return out;
}

}  // namespace kestrova

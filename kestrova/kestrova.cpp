#include "kestrova/kestrova.h"

#include "equations/spline_table.h"
#include "numtext/number_text.h"

namespace kestrova {
namespace {

constexpr std::string_view kStandingNames[] = {"vc", "fvc", "fev1", "fev1Ratio"};

bool IsLlnRow(ResultId id) {
  return id == ResultId::kVcLln || id == ResultId::kFvcLln || id == ResultId::kFev1Lln ||
         id == ResultId::kFev1RatioLln;
}

// The measured value compared with each row's prediction.
double MeasuredFor(ResultId id, const PatientInputs& inputs, double measuredRatio) {
  if (id <= ResultId::kVcBaldwin) return inputs.vc;
  if (id <= ResultId::kFvcJrs2001) return inputs.fvc;
  if (id <= ResultId::kFev1Berglund) return inputs.fev1;
  return measuredRatio;
}

void FillRow(ResultId id, const PatientInputs& inputs, FullResult& out) {
  const ResultField& field = FieldOf(id);
  const auto i = static_cast<std::size_t>(id);
  ResultView& row = out.rows[i];
  row.name = field.name;
  row.label = field.label;
  row.group = GroupOf(id);
  row.hasPercent = !IsLlnRow(id);
  row.value = out.predictions.*field.value;
  const PanelCell& line = out.panel.lines[i];
  row.line = line.text;
  // A computed line is the number text, " :" and the label; a placeholder starts with blanks.
  row.computed = line.drawn && line.text != field.placeholder;
  if (row.computed) {
    row.text.assign(line.text, 0, line.text.size() - field.label.size() - 2);
  } else {
    row.text.clear();
  }
  const PanelCell& cell = out.panel.percents[i];
  row.cell = cell.text;
  row.red = ShowsRed(cell);
  const double measured = MeasuredFor(id, inputs, out.panel.measuredRatioValue);
  row.percent.clear();
  if (cell.drawn && measured * row.value > 0) {
    // The cell holds the last five characters of "  " + t, so below 999 % (t at
    // most "999.0") t is the cell's first five characters without their blanks;
    // larger percentages lose digits in the cell and are formatted again.
    if ((measured * 100) / row.value < 999) {
      const std::size_t first = cell.text.find_first_not_of(' ');
      if (first < 5) row.percent.assign(cell.text, first, 5 - first);
    }
    if (row.percent.empty()) row.percent = PercentText(measured, row.value);
  }
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
    row.hasPercent = !IsLlnRow(id);
    row.cell.clear();
    row.percent.clear();
    row.red = false;
  }
}

void FillStandings(const PatientInputs& inputs, const SplineTable& table, FullResult& out) {
  const double measured[] = {inputs.vc, inputs.fvc, inputs.fev1,
                             out.measuredRatio.shown ? out.measuredRatio.value : 0};
  for (std::size_t q = 0; q < kJrs2014Quantities.size(); ++q) {
    StandingView& standing = out.jrs2014[q];
    standing.name = kStandingNames[q];
    const auto lms = out.computed ? Jrs2014Lms(inputs.sexCode, kJrs2014Quantities[q], inputs.age,
                                               inputs.height, table)
                                  : std::nullopt;
    standing.lms = lms.value_or(LmsParameters{});
    const std::uint8_t decimals = kJrs2014Quantities[q] == Jrs2014Quantity::kRatio ? 3 : 2;
    ComputeStanding(lms ? &*lms : nullptr, decimals, measured[q] > 0 ? measured[q] : 0, standing);
  }
}

}  // namespace

std::string_view GroupOf(ResultId id) {
  if (id <= ResultId::kVcBaldwin) return "VC";
  if (id <= ResultId::kFvcJrs2001) return "FVC";
  if (id <= ResultId::kFev1Berglund) return "FEV1";
  return "FEV1.0 %";
}

void ComputeFullResult(const PatientInputs& inputs, FullResult& out) {
  const SplineTable& table = LoadedSplineTable();
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
  if (out.computed) {
    for (std::size_t i = 0; i < kResultCount; ++i) FillRow(static_cast<ResultId>(i), inputs, out);
  } else {
    ClearRows(out);
  }
  FillStandings(inputs, table, out);
}

FullResult ComputeFullResult(const PatientInputs& inputs) {
  FullResult out;
  ComputeFullResult(inputs, out);
  return out;
}

}  // namespace kestrova

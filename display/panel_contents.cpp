#include "display/panel_contents.h"

#include <array>
#include <cstring>

#include "display/panel_layout.h"
#include "numtext/number_text.h"

namespace kestrova {
namespace {

constexpr std::size_t kCellWidth = 10;
constexpr std::size_t kBlankCellWidth = 11;

// The values the cells compare with their predictions, indexed by MeasuredInput
// (kNone reads 0): one lookup per row instead of a switch.
using MeasuredValues = std::array<double, 5>;
static_assert(static_cast<std::size_t>(MeasuredInput::kMeasuredRatio) + 1 == std::tuple_size_v<MeasuredValues>);

MeasuredValues MeasuredValuesOf(const PatientInputs& inputs, double measuredRatio) {
  MeasuredValues values{};
  values[static_cast<std::size_t>(MeasuredInput::kVc)] = inputs.vc;
  values[static_cast<std::size_t>(MeasuredInput::kFvc)] = inputs.fvc;
  values[static_cast<std::size_t>(MeasuredInput::kFev1)] = inputs.fev1;
  values[static_cast<std::size_t>(MeasuredInput::kMeasuredRatio)] = measuredRatio;
  return values;
}

// The cell's ten characters from t: t's last five behind blanks, then " %   ".
// t has at least three characters ("0.0"). The bytes are placed one by one
// from the end (a copy of variable length costs more than these few).
void FillCellText(const std::string& t, std::string& cell) {
  static constexpr char kFrame[] = "      %   ";  // five blanks for t, then " %   "
  static_assert(sizeof kFrame - 1 == kCellWidth);
  cell.resize(kCellWidth);  // in place: a cell drawn before keeps its storage
  std::memcpy(cell.data(), kFrame, kCellWidth);
  char* const to = cell.data() + 5;
  const char* const from = t.data() + t.size();
  switch (t.size() < 5 ? t.size() : 5) {
    case 5:
      to[-5] = from[-5];
      [[fallthrough]];
    case 4:
      to[-4] = from[-4];
      [[fallthrough]];
    case 3:
      to[-3] = from[-3];
      [[fallthrough]];
    case 2:
      to[-2] = from[-2];
      [[fallthrough]];
    case 1:
      to[-1] = from[-1];
      [[fallthrough]];
    default:
      break;
  }
}

bool RuleHolds(ResultId id, double measured, const PercentCell& cell, const PredictionSet& results) {
  switch (LayoutOf(id).colour) {
    case ColourRule::kBelowLln:
      return measured < results.*FieldOf(static_cast<ResultId>(static_cast<std::size_t>(id) + 1)).value;
    case ColourRule::kPercentUnder80:
      return cell.value < 80;
    case ColourRule::kRatioBelowPrediction: {
      const double predicted = results.*FieldOf(id).value;
      return predicted > 0 && measured / predicted < 1;
    }
    case ColourRule::kNever:
      break;
  }
  return false;
}

void FillCell(ResultId id, const MeasuredValues& measuredValues, const PredictionSet& results, PercentCell& cell) {
  const RowLayout& row = LayoutOf(id);
  const double measured = measuredValues[static_cast<std::size_t>(row.measured)];
  const double predicted = results.*FieldOf(id).value;
  if (!HasPercentCell(row) || !(measured * predicted > 0)) {
    cell.text.assign(HasPercentCell(row) ? kBlankCellWidth : 0, ' ');
    cell.percent.clear();
    cell.value = 0;
    cell.red = false;
    return;
  }
  cell.value = RoundThroughText((measured * 100) / predicted, 1, cell.percent);
  FillCellText(cell.percent, cell.text);
  cell.red = RuleHolds(id, measured, cell, results);
}

// Without both volumes there is no ratio: a ratio of earlier values would stand
// beside fields that no longer hold them.
void FillMeasuredRatio(const PatientInputs& inputs, const PredictionSet& results, MeasuredRatioText& ratio) {
  ratio.shown = inputs.fvc * inputs.fev1 > 0;
  if (!ratio.shown) {
    ratio.text.clear();
    ratio.value = 0;
    ratio.red = false;
    return;
  }
  ratio.value = RoundThroughText(inputs.fev1 / inputs.fvc, 3, ratio.text);
  ratio.red = ratio.value < results.fev1RatioLln;
}

}  // namespace

void BuildPanelContents(const PatientInputs& inputs, const PredictionSet& results, PanelContents& out) {
  FillMeasuredRatio(inputs, results, out.measuredRatio);
  const MeasuredValues measured = MeasuredValuesOf(inputs, out.measuredRatio.value);
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const auto id = static_cast<ResultId>(i);
    const ResultField& field = FieldOf(id);
    PanelRow& row = out.rows[i];
    const std::string& line = results.*field.line;
    row.line = line;
    // A placeholder starts with blanks; a number text never does.
    row.computed = !line.empty() && line.front() != ' ';
    // A computed line is the number text, " :" and the label.
    row.textLength = row.computed ? line.size() - field.label.size() - 2 : 0;
    FillCell(id, measured, results, row.cell);
  }
}

}  // namespace kestrova

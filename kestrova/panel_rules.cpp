#include "kestrova/panel_rules.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "display/panel_layout.h"
#include "numtext/number_text.h"

namespace kestrova {
namespace {

// kBelowLln compares with the row after it: that row must be its group's LLN,
// the group's one row without a cell.
constexpr bool LlnFollowsEachBelowLlnRow() {
  for (std::size_t i = 0; i + 1 < kCellRules.size(); ++i) {
    if (kCellRules[i].colour != ColourRule::kBelowLln) continue;
    if (HasPercentCell(kRowLayouts[i + 1]) || kRowLayouts[i + 1].group != kRowLayouts[i].group) return false;
  }
  return kCellRules.back().colour != ColourRule::kBelowLln;
}
static_assert(LlnFollowsEachBelowLlnRow());

// A row has a cell rule exactly where the layout gives it a cell.
constexpr bool RulesMatchCells() {
  for (std::size_t i = 0; i < kCellRules.size(); ++i) {
    if ((kCellRules[i].measured != MeasuredInput::kNone) != HasPercentCell(kRowLayouts[i])) return false;
  }
  return true;
}
static_assert(RulesMatchCells());

constexpr std::size_t kBlankCellWidth = 11;

// The values the cells compare with their predictions, indexed by MeasuredInput
// (kNone reads 0): one lookup per row instead of a switch.
using MeasuredValues = std::array<double, 5>;
static_assert(static_cast<std::size_t>(MeasuredInput::kMeasuredRatio) + 1 ==
              std::tuple_size_v<MeasuredValues>);

MeasuredValues MeasuredValuesOf(const PatientInputs& inputs, double measuredRatio) {
  MeasuredValues values{};
  values[static_cast<std::size_t>(MeasuredInput::kVc)] = inputs.vc;
  values[static_cast<std::size_t>(MeasuredInput::kFvc)] = inputs.fvc;
  values[static_cast<std::size_t>(MeasuredInput::kFev1)] = inputs.fev1;
  values[static_cast<std::size_t>(MeasuredInput::kMeasuredRatio)] = measuredRatio;
  return values;
}

// The cell's ten characters from t: t's last five behind blanks, then " %   ".
void FillCellText(const std::string& t, std::string& cell) {
  static constexpr char kFrame[] = "      %   ";  // five blanks for t, then " %   "
  const std::size_t kept = std::min<std::size_t>(t.size(), 5);
  cell.resize(sizeof kFrame - 1);  // in place: a cell drawn before keeps its storage
  std::memcpy(cell.data(), kFrame, sizeof kFrame - 1);
  std::memcpy(cell.data() + 5 - kept, t.data() + t.size() - kept, kept);
}

// A cell that shows `percentage`: its text t and value, and the drawn text.
void ShowPercent(double percentage, PercentCell& cell) {
  cell.value = RoundThroughText(percentage, 1, cell.percent, {}, cell.number);
  FillCellText(cell.percent, cell.text);
}

// The row's colour rule on its shown percentage; Rule is the row's layout
// constant, so each row compiles to its own comparison.
template <ColourRule Rule>
bool RuleHolds(ResultId id, double measured, double percent, const PredictionSet& results) {
  if constexpr (Rule == ColourRule::kBelowLln) {
    return measured < results.*FieldOf(static_cast<ResultId>(static_cast<std::size_t>(id) + 1)).value;
  } else if constexpr (Rule == ColourRule::kPercentUnder80) {
    return percent < 80;
  } else if constexpr (Rule == ColourRule::kRatioBelowPrediction) {
    const double predicted = results.*FieldOf(id).value;
    return predicted > 0 && measured / predicted < 1;
  } else {
    return false;
  }
}

// Nothing drawn: eleven blanks where the row has a cell, else nothing.
void ClearCell(std::size_t width, PercentCell& cell) {
  cell.text.assign(width, ' ');
  cell.percent.clear();
  cell.value = 0;
  cell.number = ShownNumber{.decimals = 1};
  cell.red = false;
}

template <std::size_t I>
void FillCell(const MeasuredValues& measuredValues, const PredictionSet& results, PercentCell& cell) {
  constexpr CellRule kRule = kCellRules[I];
  constexpr auto kId = static_cast<ResultId>(I);
  if constexpr (kRule.measured == MeasuredInput::kNone) {
    ClearCell(0, cell);
  } else {
    const double measured = measuredValues[static_cast<std::size_t>(kRule.measured)];
    const double predicted = results.*FieldOf(kId).value;
    if (!(measured * predicted > 0)) {
      ClearCell(kBlankCellWidth, cell);
      return;
    }
    ShowPercent((measured * 100) / predicted, cell);
    cell.red = RuleHolds<kRule.colour>(kId, measured, cell.value, results);
  }
}

template <std::size_t I>
void FillRow(const MeasuredValues& measured, const PredictionSet& results, PanelRow& row) {
  const ResultField& field = ResultFields()[I];
  const std::string& line = results.*field.line;
  row.line = line;
  row.number = results.shown[I];
  row.computed = row.number.shown;
  // A computed line is the number text, " :" and the label.
  row.textLength = row.computed ? line.size() - field.label.size() - 2 : 0;
  FillCell<I>(measured, results, row.cell);
}

// The rows one after the other, each with its own layout constants.
template <std::size_t... I>
void FillRows(const MeasuredValues& measured, const PredictionSet& results, PanelContents& out,
              std::index_sequence<I...>) {
  (FillRow<I>(measured, results, out.rows[I]), ...);
}

// Without both volumes there is no ratio: a ratio of earlier values would stand
// beside fields that no longer hold them.
void FillMeasuredRatio(const PatientInputs& inputs, const PredictionSet& results, MeasuredRatioText& ratio) {
  ratio.shown = inputs.fvc * inputs.fev1 > 0;
  if (!ratio.shown) {
    ratio.text.clear();
    ratio.value = 0;
    ratio.number = ShownNumber{.decimals = 3};
    ratio.red = false;
    return;
  }
  ratio.value = RoundThroughText(inputs.fev1 / inputs.fvc, 3, ratio.text, {}, ratio.number);
  ratio.red = ratio.value < results.fev1RatioLln;
}

}  // namespace

void BuildPanelContents(const PatientInputs& inputs, const PredictionSet& results, PanelContents& out) {
  FillMeasuredRatio(inputs, results, out.measuredRatio);
  const MeasuredValues measured = MeasuredValuesOf(inputs, out.measuredRatio.value);
  FillRows(measured, results, out, std::make_index_sequence<kResultCount>());
}

}  // namespace kestrova

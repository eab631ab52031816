#include "display/panel_contents.h"

#include <array>
#include <cstring>
#include <utility>

#include "display/panel_layout.h"
#include "numtext/number_text.h"

namespace kestrova {
namespace {

constexpr std::size_t kCellWidth = 10;
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
// t has at least three characters ("0.0"), so its last three are always
// copied; the two before them are t's or blanks. t's length follows the data
// ("99.9" beside "100.0"), so they are chosen by a mask, not a branch.
inline void FillCellText(const std::string& t, std::string& cell) {
  static constexpr char kFrame[] = "      %   ";  // five blanks for t, then " %   "
  static_assert(sizeof kFrame - 1 == kCellWidth);
  cell.resize(kCellWidth);  // in place: a cell drawn before keeps its storage
  std::memcpy(cell.data(), kFrame, kCellWidth);
  char* const to = cell.data() + 5;
  const std::size_t n = t.size();
  const char* const from = t.data() + n;
  // Both loads stay inside t whatever its length; the mask (all ones when t
  // has the character, else zero) keeps either it or the frame's blank.
  const auto pick = [](bool has, char c) {
    const auto mask = static_cast<unsigned char>(-static_cast<int>(has));
    return static_cast<char>((static_cast<unsigned char>(c) & mask) | (' ' & ~mask));
  };
  to[-5] = pick(n >= 5, t[n >= 5 ? n - 5 : 0]);
  to[-4] = pick(n >= 4, t[n >= 4 ? n - 4 : 0]);
  to[-3] = from[-3];
  to[-2] = from[-2];
  to[-1] = from[-1];
}

// A cell that shows `percentage`: its text t and value, and the drawn text.
// Inlined into each row's code, like FillCellText: a call per cell, with its
// register saves around RoundThroughText, cost more than these few stores.
inline void ShowPercent(double percentage, PercentCell& cell) {
  cell.value = RoundThroughText(percentage, 1, cell.percent);
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
  cell.red = false;
}

template <std::size_t I>
void FillCell(const MeasuredValues& measuredValues, const PredictionSet& results, PercentCell& cell) {
  constexpr RowLayout kRow = kRowLayouts[I];
  constexpr auto kId = static_cast<ResultId>(I);
  if constexpr (!HasPercentCell(kRow)) {
    ClearCell(0, cell);
  } else {
    const double measured = measuredValues[static_cast<std::size_t>(kRow.measured)];
    const double predicted = results.*FieldOf(kId).value;
    if (!(measured * predicted > 0)) {
      ClearCell(kBlankCellWidth, cell);
      return;
    }
    ShowPercent((measured * 100) / predicted, cell);
    cell.red = RuleHolds<kRow.colour>(kId, measured, cell.value, results);
  }
}

template <std::size_t I>
void FillRow(const MeasuredValues& measured, const PredictionSet& results, PanelRow& row) {
  const ResultField& field = ResultFields()[I];
  const std::string& line = results.*field.line;
  row.line = line;
  // A placeholder starts with blanks; a number text never does. An empty
  // line (before any calculation) reads its terminating '\0' here, so both
  // cases are one comparison of the same byte, with no branch on the data.
  const char first = line.c_str()[0];
  row.computed = (first != ' ') & (first != '\0');
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
  FillRows(measured, results, out, std::make_index_sequence<kResultCount>());
}

}  // namespace kestrova

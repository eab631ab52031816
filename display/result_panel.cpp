#include "display/result_panel.h"

#include "numtext/number_text.h"

namespace kestrova {
namespace {

// How a percentage cell is coloured.
enum class Flag : std::uint8_t {
  kNever,
  kBelowLln,        // measured < the row's lower limit of normal
  kBelow80Percent,  // the rounded percentage is below 80
};

struct PercentRow {
  double PatientInputs::*measured;
  ResultId predicted;
  Flag flag;
  double PredictionSet::*lln;  // for kBelowLln
};

// VC, FVC and FEV1 rows with a percentage, top to bottom.
constexpr PercentRow kVolumeRows[] = {
    {&PatientInputs::vc, ResultId::kVcJrs2014, Flag::kBelowLln, &PredictionSet::vcLln},
    {&PatientInputs::vc, ResultId::kVcJrs2001, Flag::kBelow80Percent, nullptr},
    {&PatientInputs::vc, ResultId::kVcBaldwin, Flag::kBelow80Percent, nullptr},
    {&PatientInputs::fvc, ResultId::kFvcJrs2014, Flag::kBelowLln, &PredictionSet::fvcLln},
    {&PatientInputs::fvc, ResultId::kFvcJrs2001, Flag::kNever, nullptr},
    {&PatientInputs::fev1, ResultId::kFev1Jrs2014, Flag::kBelowLln, &PredictionSet::fev1Lln},
    {&PatientInputs::fev1, ResultId::kFev1Jrs2001, Flag::kNever, nullptr},
    {&PatientInputs::fev1, ResultId::kFev1Berglund, Flag::kNever, nullptr},
};

// FEV1/FVC rows with a percentage of the measured ratio.
constexpr ResultId kRatioRows[] = {ResultId::kFev1RatioJrs2014, ResultId::kFev1RatioJrs2001T,
                                   ResultId::kFev1RatioJrs2001G};

constexpr std::uint16_t kRowY[kResultCount] = {170, 195, 220, 245, 285, 310, 335, 375,
                                               400, 425, 450, 490, 515, 540, 565};

double Predicted(const PredictionSet& results, ResultId id) { return results.*FieldOf(id).value; }

bool VolumeRowIsRed(const PercentRow& row, double measured, double predicted, const PredictionSet& results) {
  switch (row.flag) {
    case Flag::kBelowLln:
      return measured < results.*row.lln;
    case Flag::kBelow80Percent:
      return measured * predicted > 0 && ParseNumber(PercentText(measured, predicted)) < 80;
    case Flag::kNever:
      break;
  }
  return false;
}

// The measured FEV1/FVC, when both volumes are given; otherwise the kept value
// and the text last drawn at (100, 490) stay as they are.
void PaintMeasuredRatio(const PanelContext& panel) {
  const PatientInputs& inputs = panel.inputs;
  if (!(inputs.fvc * inputs.fev1 > 0)) return;
  const std::string text = FormatFixed(inputs.fev1 / inputs.fvc, 3);
  panel.state.measuredRatio = ParseNumber(text);
  if (panel.state.measuredRatio < panel.results.fev1RatioLln) panel.state.pendingColour = kRed;
  DrawPanelText(panel, kMeasuredRatioX, kMeasuredRatioY, text);
}

}  // namespace

std::uint16_t ColumnRight(std::uint16_t x) {
  if (x < kPercentX) return kPercentX;
  if (x < kResultLineX) return kResultLineX;
  return kPanelWidth;
}

std::uint16_t ResultRowY(ResultId id) { return kRowY[static_cast<std::size_t>(id)]; }

std::string PercentText(double measured, double predicted) {
  const double percentage = (measured * 100) / predicted;
  return FormatFixed(percentage, 1);
}

std::string PercentCellText(double measured, double predicted) {
  if (!(measured * predicted > 0)) return std::string(11, ' ');
  // The last five characters of "  " + t, then " %   ". t has at least three
  // characters ("0.0"), so the five are t's last five, or t behind blanks.
  const std::string t = PercentText(measured, predicted);
  std::string cell(10, ' ');
  const std::size_t kept = t.size() < 5 ? t.size() : 5;
  cell.replace(5 - kept, kept, t, t.size() - kept, kept);
  cell[6] = '%';
  return cell;
}

void DrawPanelText(const PanelContext& panel, std::uint16_t x, std::uint16_t y, std::string_view text) {
  panel.device.DrawText(x, y, text, panel.state.pendingColour);
  panel.state.pendingColour = kBlack;
}

void DrawPercent(const PanelContext& panel, double measured, double predicted, std::uint16_t x,
                 std::uint16_t y) {
  DrawPanelText(panel, x, y, PercentCellText(measured, predicted));
}

void PaintResultLines(const PanelContext& panel) {
  panel.device.SetOpaqueBackground();
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const ResultField& field = ResultFields()[i];
    DrawPanelText(panel, kResultLineX, kRowY[i], panel.results.*field.line);
  }
}

void PaintPercentages(const PanelContext& panel) {
  panel.device.SetOpaqueBackground();
  for (const PercentRow& row : kVolumeRows) {
    const double measured = panel.inputs.*row.measured;
    const double predicted = Predicted(panel.results, row.predicted);
    if (VolumeRowIsRed(row, measured, predicted, panel.results)) panel.state.pendingColour = kRed;
    DrawPercent(panel, measured, predicted, kPercentX, ResultRowY(row.predicted));
  }
  PaintMeasuredRatio(panel);
  for (ResultId id : kRatioRows) {
    const double predicted = Predicted(panel.results, id);
    if (predicted > 0 && panel.state.measuredRatio / predicted < 1) panel.state.pendingColour = kRed;
    DrawPercent(panel, panel.state.measuredRatio, predicted, kPercentX, ResultRowY(id));
  }
}

bool Recalculate(const PanelContext& panel) {
  const PatientInputs& inputs = panel.inputs;
  if ((inputs.height * inputs.age) * inputs.sexCode == 0) return false;
  UserMessage message;
  if (!CalculatePredictions(inputs, panel.table, panel.results, &message)) panel.device.ShowMessage(message);
  PaintResultLines(panel);
  PaintPercentages(panel);
  return true;
}

void PaintPanel(const PanelContext& panel) {
  panel.device.FillPanel();
  if (panel.inputs.sexCode == kSexMale || panel.inputs.sexCode == kSexFemale) Recalculate(panel);
}

}  // namespace kestrova

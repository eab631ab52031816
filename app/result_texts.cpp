#include "app/result_texts.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "app/app_state.h"
#include "app/win.h"
#include "batch/paths.h"
#include "input/limits.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/chart_text.h"
#include "report/given_inputs.h"
#include "report/html_report.h"
#include "report/result_columns.h"

namespace kestrova::app {
namespace {

// The inputs the window computed, as they were given: each number's applied
// text (never a field's current text, which may be typed but not yet applied)
// and the sex always, as the command line gave it while the buttons still
// show that sex, else as the code the buttons give ("1", "2"), which is how
// kestrova-cli takes a sex chosen in the window.
report::GivenInputs WindowGivenInputs() {
  report::GivenInputs given;
  if (!g_app.givenSex.empty() && g_app.givenSexCode == g_app.inputs.sexCode) {
    given.sex = Utf8OfAnsi(g_app.givenSex);
  } else {
    given.sex = std::string(1, static_cast<char>('0' + g_app.inputs.sexCode));
  }
  const std::pair<PatientValue, std::optional<std::string>*> values[] = {
      {PatientValue::kAge, &given.age},   {PatientValue::kHeight, &given.height},
      {PatientValue::kVc, &given.vc},     {PatientValue::kFvc, &given.fvc},
      {PatientValue::kFev1, &given.fev1},
  };
  for (const auto& [value, text] : values) {
    const std::string& applied = g_app.appliedTexts[IndexOf(value)];
    if (!applied.empty()) *text = Utf8OfAnsi(applied);
  }
  return given;
}

// The result columns' texts joined by TAB.
class TabRow final : public report::ResultColumnSink {
 public:
  void PlainField(std::string_view text) override {
    if (!first_) row_ += '\t';
    first_ = false;
    row_ += text;
  }
  std::string& row() { return row_; }

 private:
  std::string row_;
  bool first_ = true;
};

}  // namespace

std::string Utf8OfAnsi(std::string_view ansi) {
  if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(ansi);
  }
  const int size = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
  return batch::Utf8Of(wide);
}

bool PanelShowsResults(const PatientInputs& inputs) {
  PanelResult result;
  ComputePanelResult(inputs, result);
  return result.computed;
}

std::string ChartText() {
  const FullResult result = ComputeFullResult(g_app.inputs);
  return report::FormatChartText(WindowGivenInputs(), result, ReadResult(result));
}

std::string TableText() {
  TabRow header;
  for (const std::string& name : report::ResultColumnNames()) header.PlainField(name);
  TabRow values;
  report::WriteResultColumns(ComputeFullResult(g_app.inputs), values);
  return header.row() + '\n' + values.row() + '\n';
}

std::string ReportPage() { return report::FormatHtml(WindowGivenInputs(), ComputeFullResult(g_app.inputs)); }

}  // namespace kestrova::app

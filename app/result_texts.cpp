#include "app/result_texts.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "app/app_state.h"
#include "app/win.h"
#include "input/limits.h"
#include "io/paths.h"
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

// Texts joined by TAB.
template <class Texts>
std::string TabRow(const Texts& texts) {
  std::string row;
  bool first = true;
  for (std::string_view text : texts) {
    if (!first) row += '\t';
    first = false;
    row += text;
  }
  return row;
}

bool SameInputs(const PatientInputs& a, const PatientInputs& b) {
  return a.sexCode == b.sexCode && a.age == b.age && a.height == b.height && a.vc == b.vc && a.fvc == b.fvc &&
         a.fev1 == b.fev1;
}

// What the items carry: the panel's kept result while it stands for the
// inputs as they are, which is the rule (every check that changes an input
// recalculates or takes the volumes in); else the result of those inputs,
// computed into `scratch`. So after an age outside 17 to 95, which clears the
// panel and keeps the last calculation, the items carry what that age gives.
const PanelResult& AppliedResult(PanelResult& scratch) {
  if (g_app.result.computed && SameInputs(g_app.result.inputs, g_app.inputs)) return g_app.result;
  ComputePanelResult(g_app.inputs, scratch);
  return scratch;
}

}  // namespace

std::string Utf8OfAnsi(std::string_view ansi) {
  if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(ansi);
  }
  const int size = static_cast<int>(ansi.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), length);
  return io::Utf8Of(wide);
}

bool PanelShowsResults(const PatientInputs& inputs) {
  PanelResult result;
  ComputePanelResult(inputs, result);
  return result.computed;
}

std::string ChartText() {
  PanelResult scratch;
  const PanelResult& result = AppliedResult(scratch);
  return report::FormatChartText(WindowGivenInputs(), result, ReadResult(result));
}

std::string TableText() {
  PanelResult scratch;
  report::ResultColumnTexts values;
  report::ReadResultColumns(AppliedResult(scratch), values);
  return TabRow(report::ResultColumnNames()) + '\n' + TabRow(values.texts) + '\n';
}

std::string ReportPage() {
  PanelResult scratch;
  return report::FormatHtml(WindowGivenInputs(), AppliedResult(scratch));
}

}  // namespace kestrova::app

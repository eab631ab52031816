#include "app/result_texts.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

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
#include "texts/japanese_texts.h"

namespace kestrova::app {
namespace {

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

// Each number's applied text, never a field's current text, which may be typed
// but not yet applied; a sex chosen in the window as its code, which is how
// kestrova-cli takes it.
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

std::string TableRow() {
  const report::GivenInputs given = WindowGivenInputs();
  const std::string_view sex = g_app.inputs.sexCode == kSexFemale ? texts::kFemaleUtf8 : texts::kMaleUtf8;
  const auto text = [](const std::optional<std::string>& given) {
    return given ? std::string_view(*given) : std::string_view();
  };
  std::vector<std::string_view> cells = {
      sex,      text(given.age), text(given.height), text(given.vc), text(given.fvc), text(given.fev1),
      given.id, given.name,      given.date};
  PanelResult scratch;
  report::ResultColumnTexts values;
  report::ReadResultColumns(AppliedResult(scratch), values);
  cells.insert(cells.end(), values.texts.begin(), values.texts.end());
  return TabRow(cells) + '\n';
}

std::string TableHeader() {
  std::vector<std::string_view> names;
  for (const report::SheetColumn& column : report::InputColumns()) names.push_back(column.nameJa);
  for (const std::string& name : report::ResultColumnNamesJa()) names.push_back(name);
  return TabRow(names) + '\n';
}

std::string ReportPage() {
  PanelResult scratch;
  return report::FormatHtml(WindowGivenInputs(), AppliedResult(scratch));
}

}  // namespace kestrova::app

#include "app/result_texts.h"

#include <optional>
#include <string_view>

#include "app/app_state.h"
#include "app/field_handlers.h"
#include "input/input_fields.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/chart_text.h"
#include "report/given_inputs.h"
#include "report/html_report.h"
#include "report/result_columns.h"

namespace kestrova::app {
namespace {

// A field's text as given: nothing when it is empty or shows its placeholder
// (the value is then 0, not entered).
std::optional<std::string> GivenText(HWND field, std::string_view placeholder) {
  std::string text = FieldText(field);
  if (text.empty() || text == placeholder) return std::nullopt;
  return text;
}

// The inputs as the window holds them: the fields' texts, and the sex as the
// command line gave it while the sex buttons still show that sex; a sex chosen
// in the window is given as its code ("1", "2"), as the command line would.
report::GivenInputs WindowGivenInputs() {
  report::GivenInputs given;
  if (!g_app.givenSex.empty() && g_app.givenSexCode == g_app.inputs.sexCode) {
    given.sex = g_app.givenSex;
  } else if (!g_app.givenSex.empty() || g_app.inputs.sexCode != kSexMale) {
    given.sex = std::string(1, static_cast<char>('0' + g_app.inputs.sexCode));
  }
  given.age = GivenText(g_app.ageField, kAgePlaceholder);
  given.height = GivenText(g_app.heightField, kHeightPlaceholder);
  given.vc = GivenText(g_app.vcField, kVolumePlaceholder);
  given.fvc = GivenText(g_app.fvcField, kVolumePlaceholder);
  given.fev1 = GivenText(g_app.fev1Field, kVolumePlaceholder);
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

bool PanelShowsResults() {
  PanelResult result;
  ComputePanelResult(g_app.inputs, result);
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

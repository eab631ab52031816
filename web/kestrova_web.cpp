// The page's way into the core. Every text it shows comes from here, made by
// the same code as kestrova-cli's: the patient's values go through the command
// line parser and the formatters of a single patient, and each field is
// checked as a batch row's column is.
//
// The calls pass texts through one buffer each way, UTF-8, no terminator:
//   const char* in = kestrova_input(n);   // JavaScript writes n bytes there
//   const char* out = kestrova_json();    // kestrova_output_size() bytes
// A result stays valid until the next call.
#include <emscripten/emscripten.h>

#include <cstddef>
#include <optional>
#include <string>

#include "batch/batch.h"
#include "input/command_line.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/chart_text.h"
#include "report/given_inputs.h"
#include "report/html_report.h"
#include "report/text_report.h"
#include "version/version.h"

namespace {

std::string input;   // written by JavaScript through kestrova_input
std::string output;  // the last text returned

// The page's values, given as kestrova-cli's arguments ("/Sex=F /Age=45
// /Setake=160"), and what kestrova-cli computes from them.
struct Patient {
  kestrova::report::GivenInputs given;
  kestrova::PatientInputs inputs;
  kestrova::FullResult result;
};

Patient Compute() {
  Patient p;
  const kestrova::CommandLineValues values = kestrova::ParseCommandLine("kestrova-cli " + input + " ");
  kestrova::ApplyCommandLine(values, p.inputs);
  const auto text = [&](kestrova::CommandLineKey key) {
    return values[key].found ? std::optional<std::string>(values[key].text) : std::nullopt;
  };
  using Key = kestrova::CommandLineKey;
  p.given.sex = text(Key::kSex);
  p.given.age = text(Key::kAge);
  p.given.height = text(Key::kHeight);
  p.given.vc = text(Key::kVc);
  p.given.fvc = text(Key::kFvc);
  p.given.fev1 = text(Key::kFev1);
  kestrova::ComputeFullResult(p.inputs, p.result);
  return p;
}

const char* Output(std::string text) {
  output = std::move(text);
  return output.data();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char* kestrova_input(std::size_t size) {
  input.assign(size, '\0');
  return input.data();
}

EMSCRIPTEN_KEEPALIVE std::size_t kestrova_output_size() { return output.size(); }

EMSCRIPTEN_KEEPALIVE const char* kestrova_version() { return Output(KESTROVA_VERSION); }

// kestrova-cli --format json for the arguments in the input.
EMSCRIPTEN_KEEPALIVE const char* kestrova_json() {
  const Patient p = Compute();
  return Output(kestrova::report::FormatJson(p.inputs, p.result));
}

// kestrova-cli's text report, plain (no colours, "*" marks red cells); empty
// when the panel stays empty.
EMSCRIPTEN_KEEPALIVE const char* kestrova_report() {
  const Patient p = Compute();
  return Output(p.result.computed ? kestrova::report::FormatReport(p.given, p.result, false) : std::string());
}

// kestrova-cli --format chart (the chart text); empty when the panel stays empty.
EMSCRIPTEN_KEEPALIVE const char* kestrova_chart() {
  const Patient p = Compute();
  return Output(p.result.computed
                    ? kestrova::report::FormatChartText(p.given, p.result, kestrova::ReadResult(p.result))
                    : std::string());
}

// kestrova-cli --format html; empty when the panel stays empty.
EMSCRIPTEN_KEEPALIVE const char* kestrova_html() {
  const Patient p = Compute();
  return Output(p.result.computed ? kestrova::report::FormatHtml(p.given, p.result) : std::string());
}

// The input checked as the batch checks column `column` (0 sex, 1 age,
// 2 height, 3 VC, 4 FVC, 5 FEV1): empty when accepted, else the reason.
EMSCRIPTEN_KEEPALIVE const char* kestrova_check(int column) {
  std::string error;
  if (column == kestrova::batch::kSex) {
    kestrova::batch::ReadSex(input, error);
  } else if (column > kestrova::batch::kSex && column < kestrova::batch::kColumnCount) {
    kestrova::batch::ReadColumnValue(static_cast<kestrova::batch::BatchColumn>(column), input, error);
  } else {
    error = "no such column";
  }
  return Output(error);
}

// "M" or "F" for a sex the batch accepts (M/F, 1/2, 男性/女性), else "".
EMSCRIPTEN_KEEPALIVE const char* kestrova_sex() {
  std::string error;
  const auto sex = kestrova::batch::ReadSex(input, error);
  return Output(!sex ? "" : *sex == kestrova::kSexMale ? "M" : "F");
}

}  // extern "C"

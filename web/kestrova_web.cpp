// The page's way into the core. Every rule and text the page uses comes from
// here, made by the same code as the batch's and kestrova-cli's: a patient's
// values are handed in one by one, each as its own type, read by the input
// model (input/patient_record.h) and formatted by the single-patient reports.
//
// Values are numbered as PatientValue (0 sex, 1 age, 2 height, 3 VC, 4 FVC,
// 5 FEV1). A call sequence, texts UTF-8 with no terminator:
//   kestrova_clear();                        // every value missing
//   char* at = kestrova_text(1, n);          // JavaScript writes n bytes there
//   kestrova_number(2, 160.0);               // a number, read as its text
//   char* name = kestrova_name(n);           // GLI results too: a set's name
//   int asked = kestrova_gli_set();          // there, 0 when asked for (and
//                                            // GLI-2012's group: kestrova_gli_group)
//   int refused = kestrova_read();           // -1, or the first refused value
//   const char* out = kestrova_json();       // kestrova_output_size() bytes
// A text returned stays valid until the next call that returns one.
#include <emscripten/emscripten.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gli/gli.h"
#include "input/limits.h"
#include "input/patient_record.h"
#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/chart_text.h"
#include "report/given_inputs.h"
#include "report/html_report.h"
#include "report/text_report.h"
#include "texts/japanese_texts.h"
#include "version/version.h"

namespace {

using kestrova::kPatientValueCount;

std::array<std::string, kPatientValueCount> texts;  // the values handed in; empty: missing
std::array<kestrova::InputProblem, kPatientValueCount> problems;
std::string output;        // the last text returned
std::string name;          // a GLI set's or group's name handed in
kestrova::GliRequest gli;  // the GLI sets asked for with the values

// The patient of the last kestrova_read that accepted every value.
struct Patient {
  kestrova::PatientRecord record;
  kestrova::report::GivenInputs given;
  kestrova::FullResult result;
  kestrova::GliResults gli;
};
Patient patient;
bool accepted = false;

const char* Output(std::string text) {
  output = std::move(text);
  return output.data();
}

bool IsValue(int value) { return value >= 0 && static_cast<std::size_t>(value) < kPatientValueCount; }

kestrova::PatientTexts Views() {
  kestrova::PatientTexts views;
  for (std::size_t v = 0; v < kPatientValueCount; ++v) views[v] = texts[v];
  return views;
}

// "global, 2012": every name of an enum of gli/gli.h, whose name of a value
// past its last is empty.
template <typename Enum>
std::string NamesOf(std::string_view (*name)(Enum) noexcept) {
  std::string names;
  for (int i = 0; !name(static_cast<Enum>(i)).empty(); ++i)
    (names += i == 0 ? "" : ", ") += name(static_cast<Enum>(i));
  return names;
}

// A report of the accepted patient; empty when none was accepted or the
// panel stays empty.
template <typename Format>
const char* Report(Format format) {
  return Output(accepted && patient.result.computed ? format() : std::string());
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE std::size_t kestrova_output_size() { return output.size(); }

EMSCRIPTEN_KEEPALIVE const char* kestrova_version() { return Output(KESTROVA_VERSION); }

// The caption of the relation warnings' message box, "確認 !!".
EMSCRIPTEN_KEEPALIVE const char* kestrova_relation_caption() {
  return Output(std::string(kestrova::texts::kRelationCaptionUtf8));
}

// Every value missing, no GLI set asked for, nothing read.
EMSCRIPTEN_KEEPALIVE void kestrova_clear() {
  for (std::string& text : texts) text.clear();
  gli = {};
  accepted = false;
}

// Where JavaScript writes the `size` bytes of the name kestrova_gli_set or
// kestrova_gli_group reads (UTF-8).
EMSCRIPTEN_KEEPALIVE char* kestrova_name(std::size_t size) {
  name.assign(size, '\0');
  return name.data();
}

// Asks for the GLI set named, by kestrova-cli --gli's names ("global",
// "2012"): 0 asked, 1 no such set, 2 asked already.
EMSCRIPTEN_KEEPALIVE int kestrova_gli_set() {
  const std::optional<kestrova::GliSet> set = kestrova::ParseGliSet(name);
  if (!set) return 1;
  bool& asked = *set == kestrova::GliSet::kGlobal2022 ? gli.global : gli.gli2012;
  if (asked) return 2;
  asked = true;
  return 0;
}

// GLI-2012's group named, by kestrova-cli --gli-group's names ("ne-asian",
// …): 0 taken, 1 no such group, 2 GLI-2012 not asked for (as kestrova-cli,
// which refuses a group that nothing would use).
EMSCRIPTEN_KEEPALIVE int kestrova_gli_group() {
  const std::optional<kestrova::GliGroup> group = kestrova::ParseGliGroup(name);
  if (!group) return 1;
  if (!gli.gli2012) return 2;
  gli.group = *group;
  return 0;
}

// The names kestrova_gli_set (`what` 0: "global, 2012") or kestrova_gli_group
// (1: "caucasian, african-american, …") takes, for a message.
EMSCRIPTEN_KEEPALIVE const char* kestrova_gli_names(int what) {
  return Output(what == 0 ? NamesOf(&kestrova::GliSetName) : NamesOf(&kestrova::GliGroupName));
}

// Where JavaScript writes the `size` bytes of value `value`'s text (UTF-8);
// null for no such value.
EMSCRIPTEN_KEEPALIVE char* kestrova_text(int value, std::size_t size) {
  if (!IsValue(value)) return nullptr;
  texts[value].assign(size, '\0');
  return texts[value].data();
}

// Value `value` handed over as a number: read as its shortest decimal text
// (NaN is missing).
EMSCRIPTEN_KEEPALIVE void kestrova_number(int value, double number) {
  if (!IsValue(value)) return;
  kestrova::NumberTextBuffer buffer;
  texts[value] = kestrova::NumberValueText(number, buffer);
}

// Reads the values handed in by the input model: -1 when every one is
// accepted (the reports below are then of this patient, with the GLI sets
// asked for), else the first refused value, whose problem kestrova_problem
// gives.
EMSCRIPTEN_KEEPALIVE int kestrova_read() {
  kestrova::InputProblem problem;
  problems = {};
  accepted = kestrova::ReadPatientRecord(Views(), kestrova::TextEncoding::kUtf8, patient.record, problem);
  if (!accepted) {
    const auto value = kestrova::IndexOf(problem.value);
    problems[value] = std::move(problem);
    return static_cast<int>(value);
  }
  patient.given = kestrova::report::GivenFromRecord(patient.record);
  kestrova::ComputeFullResult(patient.record.inputs, patient.result);
  patient.gli = kestrova::ComputeGliResults(patient.record.inputs, gli);
  return -1;
}

// Reads the sex handed in on its own: its code (1 male, 2 female), or -1 when
// refused, whose problem kestrova_problem(0, …) gives.
EMSCRIPTEN_KEEPALIVE int kestrova_read_sex() {
  std::uint8_t code = 0;
  problems = {};
  const kestrova::InputError error = kestrova::ReadSexText(texts[0], kestrova::TextEncoding::kUtf8, code);
  if (error == kestrova::InputError::kNone) return code;
  problems[0] = kestrova::CheckPatientTexts(Views(), kestrova::TextEncoding::kUtf8)[0];
  return -1;
}

// Checks each value handed in on its own (a form's fields): the number of
// values refused; kestrova_problem gives each one's problem.
EMSCRIPTEN_KEEPALIVE int kestrova_check() {
  problems = kestrova::CheckPatientTexts(Views(), kestrova::TextEncoding::kUtf8);
  int refused = 0;
  for (const kestrova::InputProblem& problem : problems)
    refused += problem.error != kestrova::InputError::kNone;
  return refused;
}

// The problem of value `value` found by the last read or check: `what` 0 the
// English message ("age '-45' is not above 0"), 1 the Japanese one, 2 the
// error's key ("notAboveZero"); empty when the value was not refused.
EMSCRIPTEN_KEEPALIVE const char* kestrova_problem(int value, int what) {
  if (!IsValue(value) || problems[value].error == kestrova::InputError::kNone) return Output(std::string());
  const kestrova::InputProblem& problem = problems[value];
  switch (what) {
    case 0:
      return Output(kestrova::EnglishMessage(problem));
    case 1:
      return Output(kestrova::JapaneseMessage(problem));
    default:
      return Output(std::string(kestrova::ErrorKey(problem.error)));
  }
}

// kestrova-cli --format json of the patient read.
EMSCRIPTEN_KEEPALIVE const char* kestrova_json() {
  if (!accepted) return Output(std::string());
  return Output(kestrova::report::FormatJson(patient.record.inputs, patient.result, patient.gli));
}

// kestrova-cli's text report, plain (no colours, "*" marks red cells).
EMSCRIPTEN_KEEPALIVE const char* kestrova_report() {
  return Report(
      [] { return kestrova::report::FormatReport(patient.given, patient.result, false, patient.gli); });
}

// kestrova-cli --format chart (the chart text).
EMSCRIPTEN_KEEPALIVE const char* kestrova_chart() {
  return Report([] {
    return kestrova::report::FormatChartText(patient.given, patient.result,
                                             kestrova::ReadResult(patient.result), patient.gli);
  });
}

// kestrova-cli --format html.
EMSCRIPTEN_KEEPALIVE const char* kestrova_html() {
  return Report([] { return kestrova::report::FormatHtml(patient.given, patient.result, patient.gli); });
}

}  // extern "C"

// The input model: one typed record of a patient and one way of reading it,
// below every front end. A batch row, kestrova-cli's /Key=value words, Python's
// values and the page's fields all become texts first and are read here, by the
// limits of input/limits.h:
//
//   sex     "M" "m" "1" "男" "男性" "Ｍ" "ｍ" -> 1;  "F" "f" "2" "女" "女性" "Ｆ" "ｆ" -> 2
//           (UTF-8, or Shift-JIS for a Shift-JIS file); anything else is refused.
//   numbers [+|-]digits[.digits], blanks around; full-width digits and point
//           read as ASCII ("４５．５" -> 45.5); read with ParseNumber, as the
//           window reads its fields. "3,1" is refused (a decimal comma), as is
//           "1e3", "45 /VC=9", "" for a required value.
//   units   a number may end in its own value's unit, blanks before it or
//           not, its letters in either case and ASCII or full-width: height
//           "170cm" "170 ｃｍ" "170㎝", volumes "2.45L" "2.45 l" "2.45ℓ", age
//           "45歳" "45才". A unit of another value is no number ("170L"); a
//           volume in mL ("2450 mL", "2450ｍｌ") is refused with its own
//           error, kMillilitres. The window's fields keep their own
//           reading (input/input_fields.h), which drops every letter.
//   volumes empty means not measured (0).
//
// A number handed over as a number (Python's float, a NumPy value, a
// JavaScript number) is read as its text: the shortest decimal that gives the
// same value back in its own type, without an exponent. So float64 170.0 is
// "170", 2.35 is "2.35"; float32 2.31 (2.30999994…) is "2.31", not
// "2.309999942779541"; NaN is the empty text (missing). A value is thus
// computed from the digits a clinician typed, whatever carried it.
#ifndef KESTROVA_INPUT_PATIENT_RECORD_H_
#define KESTROVA_INPUT_PATIENT_RECORD_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "input/limits.h"
#include "records/patient_inputs.h"

namespace kestrova {

// A patient as read: the values, and the text each came from (blanks trimmed,
// full-width digits and point as ASCII, without a unit: "3.0" stays "3.0",
// "170cm" is "170"); an empty text for a volume that was not given.
struct PatientRecord {
  PatientInputs inputs;
  std::array<std::string, kPatientValueCount> texts;

  const std::string& TextOf(PatientValue value) const { return texts[IndexOf(value)]; }
};

// The texts of a patient's values in PatientValue order (empty: not given).
using PatientTexts = std::array<std::string_view, kPatientValueCount>;

// Reads one sex text: 1 or 2, or kEmpty / kUnknownSex.
InputError ReadSexText(std::string_view text, TextEncoding encoding, std::uint8_t& code);

// Reads the number text of `which` (not kSex) within its limits. `number` is
// the value (0 for an empty optional one).
InputError ReadNumberText(PatientValue which, std::string_view text, TextEncoding encoding, double& number);

// Reads every value, in order; true when each is accepted. Otherwise `problem`
// is the first refused one and `inputs` is not to be used. Every batch row goes
// through this: it allocates nothing for texts of ASCII digits.
bool ReadPatientTexts(const PatientTexts& texts, TextEncoding encoding, PatientInputs& inputs,
                      InputProblem& problem);

// The same into a record, with each text as read.
bool ReadPatientRecord(const PatientTexts& texts, TextEncoding encoding, PatientRecord& record,
                       InputProblem& problem);

// Every value checked on its own (a form shows a message beside each field):
// the problem of each, kNone when it is accepted.
std::array<InputProblem, kPatientValueCount> CheckPatientTexts(const PatientTexts& texts,
                                                               TextEncoding encoding);

// Without the blanks (spaces and tabs) at either end. Inline: every number
// of every row goes through it.
inline std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A number text with full-width digits and point as ASCII; other bytes as
// they are. `text` itself when it has none (no copy): the view then points
// into `text`, else into `scratch`.
std::string_view AsciiDigits(std::string_view text, TextEncoding encoding, std::string& scratch);

// The text of a number handed over as a number (see above), written into
// `buffer`; empty for NaN. Infinities and values too large for a fixed
// decimal give a text that is not a number, so they are refused as such.
using NumberTextBuffer = std::array<char, 400>;
std::string_view NumberValueText(double value, NumberTextBuffer& buffer);
std::string_view NumberValueText(float value, NumberTextBuffer& buffer);

}  // namespace kestrova

#endif  // KESTROVA_INPUT_PATIENT_RECORD_H_

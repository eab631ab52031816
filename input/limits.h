// What a patient's values may be, what is said when one may not, and what the
// volumes may not say of each other: the one place these rules live for every
// surface (the batch, kestrova-cli, Python, the page, and the window's field
// checks, which keep the window's own ranges).
//
// A patient's values, in the order every surface lists them:
//   sex     required: M/F, 1/2, 男/女, 男性/女性, full-width Ｍ/Ｆ (m/f in any case)
//   age     required, years: above 0, at most 150
//   height  required, cm:    above 0, at most 272
//   vc, fvc, fev1   optional, litres: empty (not measured) or 0 to 15
// The upper limits are the window's fields' (272 cm, 15 L); ages above 150 are
// typing errors. Beyond them the panel's numbers would leave the range in which
// they are written with fixed decimals.
//
// Each refused value has an error code and a message in English (the batch's
// error column, kestrova-cli, Python's ValueError, the page's API) and in
// Japanese (the page's form):
//   age 'forty' is not a number      数値で入力してください（例 45、160.5）
//   vc '3,1' uses a decimal comma…   小数点は「.」で入力してください（例 3.1）
//   fvc '2450 mL' is in millilitres… リットル（L）で入力してください（例 2.45）
//   age '200' is above 150           150 以下の値を入力してください
//
// Relation warnings: the window's checks of one volume against another, in the
// window's order. VC is tested against FVC, and only when that holds not, against
// FEV1 (the window shows the first that holds); FEV1 against FVC. A volume that
// is not measured (0) is never below or above another:
//   vcBelowFvc     vc < fvc          "入力：3 < FVC：3.5"
//   vcBelowFev1    vc < fev1         "入力：3 < FEV1：3.2"
//   fev1AboveFvc   fev1 > fvc        "入力：3.5 > FVC：3"
// (The window's FVC check, fvc > vc, is vcBelowFvc seen from the other side.)
// The values are written by FormatNumber, as the window's message boxes write them.
#ifndef KESTROVA_INPUT_LIMITS_H_
#define KESTROVA_INPUT_LIMITS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/text_encoding.h"
#include "records/patient_inputs.h"

namespace kestrova {

using io::TextEncoding;  // the input model reads texts in either

enum class PatientValue : std::uint8_t { kSex, kAge, kHeight, kVc, kFvc, kFev1 };
inline constexpr std::size_t kPatientValueCount = 6;
inline constexpr std::array<std::string_view, kPatientValueCount> kPatientValueNames = {
    "sex", "age", "height", "vc", "fvc", "fev1"};
constexpr std::size_t IndexOf(PatientValue value) { return static_cast<std::size_t>(value); }

struct ValueLimit {
  bool required;  // above 0; an optional value is empty or at least 0
  double upper;   // inclusive
  std::string_view upperText;
};
inline constexpr std::array<ValueLimit, kPatientValueCount> kValueLimits = {{
    {true, 0, ""},  // sex: a spelling, no number
    {true, 150, "150"},
    {true, 272, "272"},
    {false, 15, "15"},
    {false, 15, "15"},
    {false, 15, "15"},
}};

// The window's own fields (their checks keep these ranges and messages).
inline constexpr double kWindowAgeLow = 17;  // 17 to 95 recalculates; otherwise the panel clears
inline constexpr double kWindowAgeHigh = 95;
inline constexpr double kWindowHeightLow = 100;
inline constexpr double kWindowHeightHigh = 272;
inline constexpr double kWindowVolumeLow = 1;
inline constexpr double kWindowVolumeHigh = 15;

enum class InputError : std::uint8_t {
  kNone,
  kEmpty,         // a required value is missing
  kUnknownSex,    // no spelling of a sex
  kNotANumber,    // not [+|-]digits[.digits] (ASCII or full-width), with its unit or none
  kDecimalComma,  // a number with ',' where the point belongs
  kMillilitres,   // a volume given in mL ("2450 mL"), where litres are read
  kNotAboveZero,  // a required number at or below 0
  kNegative,      // an optional number below 0
  kAboveLimit,    // above the value's upper limit
};

// One refused value: which, why, and its text as given (blanks trimmed).
struct InputProblem {
  PatientValue value = PatientValue::kSex;
  InputError error = InputError::kNone;
  std::string text;
};

// "age 'forty' is not a number": the batch's words. `encoding` is the text's
// (the message keeps its bytes; only the sex message names 男性/女性, in UTF-8).
std::string EnglishMessage(const InputProblem& problem, TextEncoding encoding = TextEncoding::kUtf8);
// "数値で入力してください（例 45、160.5）", UTF-8, for a form beside the field.
std::string JapaneseMessage(const InputProblem& problem);
// "notANumber", …: the code as an ASCII key (the page's API, tests).
std::string_view ErrorKey(InputError error);

enum RelationWarning : std::uint8_t {
  kVcBelowFvc = 1 << 0,
  kVcBelowFev1 = 1 << 1,
  kFev1AboveFvc = 1 << 2,
};
inline constexpr std::array<RelationWarning, 3> kRelationWarnings = {kVcBelowFvc, kVcBelowFev1,
                                                                     kFev1AboveFvc};

// The VC test, as the window's VC check runs it: against FVC, else against FEV1.
std::uint8_t VcRelation(double vc, double fvc, double fev1);
// The window's FVC check: fvc > vc with VC measured.
bool FvcAboveVc(double fvc, double vc);
// The window's FEV1 check: fev1 > fvc with FVC measured.
bool Fev1AboveFvc(double fev1, double fvc);
// Every warning of a patient, as a mask of RelationWarning.
std::uint8_t RelationWarnings(const PatientInputs& inputs);
// "vcBelowFvc;fev1AboveFvc"; empty when none.
std::string_view RelationWarningKey(RelationWarning warning);
std::string RelationWarningKeys(std::uint8_t warnings);
// The window's warning text (caption "確認 !!"): "入力：3 < FVC：3.5", in CP932
// (the window) or UTF-8.
std::string RelationWarningText(RelationWarning warning, const PatientInputs& inputs, TextEncoding encoding);
// The window's FVC check says vcBelowFvc from the FVC side: "入力：3.5 > VC：3".
std::string FvcAboveVcText(const PatientInputs& inputs, TextEncoding encoding);

}  // namespace kestrova

#endif  // KESTROVA_INPUT_LIMITS_H_

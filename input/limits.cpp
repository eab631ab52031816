#include "input/limits.h"

#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace kestrova {
namespace {

std::string Quoted(std::string_view name, std::string_view text, std::string_view wrong) {
  std::string message(name);
  message.append(" '").append(text).append("' ").append(wrong);
  return message;
}

// "入力：" + a + relation + b, each number as FormatNumber writes it.
std::string WarningText(std::string_view prefix, double a, std::string_view relation, double b) {
  std::string text(prefix);
  text += FormatNumber(a);
  text += relation;
  text += FormatNumber(b);
  return text;
}

}  // namespace

std::string EnglishMessage(const InputProblem& problem, TextEncoding encoding) {
  const std::string_view name = kPatientValueNames[IndexOf(problem.value)];
  const ValueLimit& limit = kValueLimits[IndexOf(problem.value)];
  switch (problem.error) {
    case InputError::kNone:
      break;
    case InputError::kEmpty:
      return std::string(name) + " is empty";
    case InputError::kUnknownSex:
      // A Shift-JIS file's error column stays Shift-JIS: no UTF-8 bytes in it.
      if (encoding == TextEncoding::kShiftJis) {
        return Quoted(name, problem.text, "is neither M/F, 1/2 nor male/female in Japanese");
      }
      return Quoted(name, problem.text, "is neither M/F, 1/2 nor ")
          .append(texts::kMaleUtf8)
          .append("/")
          .append(texts::kFemaleUtf8);
    case InputError::kNotANumber:
      return Quoted(name, problem.text, "is not a number");
    case InputError::kDecimalComma:
      return Quoted(name, problem.text, "is not a number (the decimal mark is '.', not ',')");
    case InputError::kMillilitres:
      return Quoted(name, problem.text, "is in millilitres: give volumes in litres (L)");
    case InputError::kNotAboveZero:
      return Quoted(name, problem.text, "is not above 0");
    case InputError::kNegative:
      return Quoted(name, problem.text, "is negative");
    case InputError::kAboveLimit:
      return Quoted(name, problem.text, "is above ").append(limit.upperText);
  }
  return {};
}

std::string JapaneseMessage(const InputProblem& problem) {
  switch (problem.error) {
    case InputError::kNone:
      break;
    case InputError::kEmpty:
      return std::string(problem.value == PatientValue::kSex ? texts::kInputSexEmptyUtf8
                                                             : texts::kInputEmptyUtf8);
    case InputError::kUnknownSex:
      return std::string(texts::kInputUnknownSexUtf8);
    case InputError::kNotANumber:
      return std::string(texts::kInputNotANumberUtf8);
    case InputError::kDecimalComma:
      return std::string(texts::kInputDecimalCommaUtf8);
    case InputError::kMillilitres:
      return std::string(texts::kInputMillilitresUtf8);
    case InputError::kNotAboveZero:
      return std::string(texts::kInputNotAboveZeroUtf8);
    case InputError::kNegative:
      return std::string(texts::kInputNegativeUtf8);
    case InputError::kAboveLimit:
      return std::string(kValueLimits[IndexOf(problem.value)].upperText).append(texts::kInputAboveLimitUtf8);
  }
  return {};
}

std::string_view ErrorKey(InputError error) {
  switch (error) {
    case InputError::kNone:
      return "";
    case InputError::kEmpty:
      return "empty";
    case InputError::kUnknownSex:
      return "unknownSex";
    case InputError::kNotANumber:
      return "notANumber";
    case InputError::kDecimalComma:
      return "decimalComma";
    case InputError::kMillilitres:
      return "millilitres";
    case InputError::kNotAboveZero:
      return "notAboveZero";
    case InputError::kNegative:
      return "negative";
    case InputError::kAboveLimit:
      return "aboveLimit";
  }
  return "";
}

std::uint8_t VcRelation(double vc, double fvc, double fev1) {
  if (!(vc > 0)) return 0;
  if (vc < fvc) return kVcBelowFvc;
  if (vc < fev1) return kVcBelowFev1;
  return 0;
}

bool FvcAboveVc(double fvc, double vc) { return fvc > vc && vc != 0; }

bool Fev1AboveFvc(double fev1, double fvc) { return fev1 > fvc && fvc != 0; }

std::uint8_t RelationWarnings(const PatientInputs& in) {
  std::uint8_t warnings = VcRelation(in.vc, in.fvc, in.fev1);
  if (in.fev1 > 0 && Fev1AboveFvc(in.fev1, in.fvc)) warnings |= kFev1AboveFvc;
  return warnings;
}

std::string_view RelationWarningKey(RelationWarning warning) {
  switch (warning) {
    case kVcBelowFvc:
      return "vcBelowFvc";
    case kVcBelowFev1:
      return "vcBelowFev1";
    case kFev1AboveFvc:
      return "fev1AboveFvc";
  }
  return "";
}

std::string RelationWarningKeys(std::uint8_t warnings) {
  std::string keys;
  for (const RelationWarning warning : kRelationWarnings) {
    if ((warnings & warning) == 0) continue;
    if (!keys.empty()) keys += ';';
    keys += RelationWarningKey(warning);
  }
  return keys;
}

std::string RelationWarningText(RelationWarning warning, const PatientInputs& in, TextEncoding encoding) {
  const bool utf8 = encoding == TextEncoding::kUtf8;
  const std::string_view prefix = utf8 ? texts::kInputPrefixUtf8 : texts::kInputPrefix;
  switch (warning) {
    case kVcBelowFvc:
      return WarningText(prefix, in.vc, utf8 ? texts::kLessThanFvcUtf8 : texts::kLessThanFvc, in.fvc);
    case kVcBelowFev1:
      return WarningText(prefix, in.vc, utf8 ? texts::kLessThanFev1Utf8 : texts::kLessThanFev1, in.fev1);
    case kFev1AboveFvc:
      return WarningText(prefix, in.fev1, utf8 ? texts::kGreaterThanFvcUtf8 : texts::kGreaterThanFvc, in.fvc);
  }
  return {};
}

std::string FvcAboveVcText(const PatientInputs& in, TextEncoding encoding) {
  const bool utf8 = encoding == TextEncoding::kUtf8;
  return WarningText(utf8 ? texts::kInputPrefixUtf8 : texts::kInputPrefix, in.fvc,
                     utf8 ? texts::kGreaterThanVcUtf8 : texts::kGreaterThanVc, in.vc);
}

}  // namespace kestrova

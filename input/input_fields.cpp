#include "input/input_fields.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "input/limits.h"
#include "input/patient_record.h"
#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace kestrova {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Step 1 of the cleaning: the first "*." is cut out unless it opens the text.
// Positions are size_t, so texts of any length (a paste) are examined whole.
std::string CutPlaceholderMarker(std::string_view text) {
  const std::size_t marker = text.find("*.");
  std::string cut(text);
  if (marker != std::string_view::npos && marker >= 1) cut.erase(marker, 2);
  return cut;
}

// The double a field writes; none for the sex code.
double* InputOf(InputField field, PatientInputs& inputs) {
  switch (field) {
    case InputField::kAge:
      return &inputs.age;
    case InputField::kHeight:
      return &inputs.height;
    case InputField::kVc:
      return &inputs.vc;
    case InputField::kFvc:
      return &inputs.fvc;
    case InputField::kFev1:
      return &inputs.fev1;
    case InputField::kSex:
      break;
  }
  return nullptr;
}

InputField InputOf(VolumeField which) {
  switch (which) {
    case VolumeField::kVc:
      return InputField::kVc;
    case VolumeField::kFvc:
      return InputField::kFvc;
    case VolumeField::kFev1:
      return InputField::kFev1;
  }
  return InputField::kVc;
}

// Steps 1 and 2 of every field check: read the text, store the value.
FieldCheckOutcome ReadAndStore(InputField field, std::string_view fieldText, PatientInputs& inputs) {
  FieldRead read = ReadFieldText(fieldText);
  FieldCheckOutcome outcome;
  outcome.field = field;
  if (read.textChanged) outcome.newCleanedText = std::move(read.cleanedText);
  outcome.storedValue = read.value;
  *InputOf(field, inputs) = read.value;  // never kSex here
  return outcome;
}

UserMessage RangeMessage(VolumeField which, double value) {
  // VC has its own spacing: "1.0-15 です" and "入力：" without a trailing space.
  const bool vc = which == VolumeField::kVc;
  UserMessage message;
  message.text = std::string(vc ? texts::kInputPrefix : texts::kFvcFev1RangePrefix);
  message.text += FormatNumber(value);
  message.caption = std::string(vc ? texts::kVcRangeCaption : texts::kFvcFev1RangeCaption);
  return message;
}

// The first relation test of the field's row that holds, or none: the rules
// of input/limits.h, in the window's words (CP932).
std::optional<UserMessage> RelationMessage(VolumeField which, const PatientInputs& in) {
  std::optional<std::string> text;
  switch (which) {
    case VolumeField::kVc:
      if (const std::uint8_t warning = VcRelation(in.vc, in.fvc, in.fev1)) {
        text = RelationWarningText(static_cast<RelationWarning>(warning), in, TextEncoding::kShiftJis);
      }
      break;
    case VolumeField::kFvc:
      if (FvcAboveVc(in.fvc, in.vc)) text = FvcAboveVcText(in, TextEncoding::kShiftJis);
      break;
    case VolumeField::kFev1:
      if (Fev1AboveFvc(in.fev1, in.fvc)) {
        text = RelationWarningText(kFev1AboveFvc, in, TextEncoding::kShiftJis);
      }
      break;
  }
  if (!text) return std::nullopt;
  return UserMessage{std::move(*text), std::string(texts::kRelationCaption)};
}

}  // namespace

std::string CleanNumberText(std::string_view text) {
  // Full-width digits and point (the IME's) become ASCII first, as the batch
  // reads them; every other double-byte character stays whole and is dropped.
  std::string scratch;
  const std::string source = CutPlaceholderMarker(AsciiDigits(text, TextEncoding::kShiftJis, scratch));
  std::string result;
  bool digitKept = false;
  bool pointKept = false;
  // Invariant: result matches [0-9]*(\.[0-9]*)? and starts with a digit.
  for (std::size_t i = 0; i < source.size(); ++i) {
    const char c = source[i];
    if (IsDigit(c)) {
      result += c;
      digitKept = true;
    } else if (c == '.' && !pointKept) {
      if (digitKept) {
        result += '.';
        pointKept = true;
      } else if (i + 1 < source.size() && IsDigit(source[i + 1])) {
        // ".5" is half of something, not five: keep the point as "0.".
        result += "0.";
        digitKept = true;
        pointKept = true;
      }
    }
  }
  return result;
}

FieldRead ReadFieldText(std::string_view fieldText) {
  FieldRead read;
  read.cleanedText = CleanNumberText(fieldText);
  read.textChanged = read.cleanedText != fieldText;
  read.value = read.cleanedText.empty() ? 0 : ParseNumber(read.cleanedText);
  return read;
}

FieldCheckOutcome ReadVolumeField(VolumeField which, std::string_view fieldText, PatientInputs& inputs) {
  return ReadAndStore(InputOf(which), fieldText, inputs);
}

FieldCheckOutcome CheckVolumeField(VolumeField which, std::string_view fieldText, PatientInputs& inputs) {
  FieldCheckOutcome outcome = ReadAndStore(InputOf(which), fieldText, inputs);
  outcome.paintPercentages = true;
  const double value = outcome.storedValue;
  if (value == 0) return outcome;
  if (value < kWindowVolumeLow || value > kWindowVolumeHigh) {
    outcome.message = RangeMessage(which, value);
    outcome.placeholderText = std::string(kVolumePlaceholder);
    return outcome;
  }
  outcome.message = RelationMessage(which, inputs);
  return outcome;
}

FieldCheckOutcome CheckAgeField(std::string_view fieldText, PatientInputs& inputs) {
  FieldCheckOutcome outcome = ReadAndStore(InputField::kAge, fieldText, inputs);
  const double age = outcome.storedValue;
  // Outside 17 to 95 the age stays stored and holds the calculation back; the
  // results of the age before it must not stay on the panel.
  outcome.recalculate = age >= kWindowAgeLow && age <= kWindowAgeHigh;
  outcome.clearPanel = !outcome.recalculate;
  return outcome;
}

FieldCheckOutcome CheckHeightField(std::string_view fieldText, PatientInputs& inputs) {
  FieldCheckOutcome outcome = ReadAndStore(InputField::kHeight, fieldText, inputs);
  const double height = outcome.storedValue;
  if (height >= kWindowHeightLow && height <= kWindowHeightHigh) {
    outcome.recalculate = true;
    return outcome;
  }
  // Empty or refused: no calculation can run, so none of the last one stays.
  outcome.clearPanel = true;
  if (height < 1) return outcome;
  outcome.message = UserMessage{std::string(texts::kHeightRangeText), std::string(texts::kHeightCaption)};
  outcome.placeholderText = std::string(kHeightPlaceholder);
  return outcome;
}

FieldCheckOutcome ChooseSex(std::uint8_t sexCode, PatientInputs& inputs) {
  inputs.sexCode = sexCode;
  FieldCheckOutcome outcome;
  outcome.field = InputField::kSex;
  outcome.storedValue = sexCode;
  outcome.recalculate = true;
  outcome.paintPercentages = true;
  return outcome;
}

void FinishFieldCheck(const FieldCheckOutcome& outcome, PatientInputs& inputs) {
  if (!outcome.placeholderText) return;
  if (double* input = InputOf(outcome.field, inputs)) *input = 0;
}

UserMessage SexCheckMessage(std::uint8_t sexCode) {
  return UserMessage{FormatNumber(sexCode) + std::string(texts::kSexCheckText),
                     std::string(texts::kSexCheckCaption)};
}

}  // namespace kestrova

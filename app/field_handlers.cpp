#include "app/field_handlers.h"

#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "app/window_panel.h"
#include "input/input_fields.h"

namespace kestrova::app {
namespace {

// A field check of input/input_fields.h: reads the field's text, stores the
// value and decides what follows.
using FieldCheck = FieldCheckOutcome (*)(std::string_view fieldText, PatientInputs& inputs);

void SetFieldText(HWND field, const std::string& text) {
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Reads `field` and runs its check: the value goes into its input, and the
// field shows the cleaned text when it differs from what stood there.
//
// "Differs" is decided byte for byte (newCleanedText is set exactly then), not
// by CompareStringA with the system locale: that comparison skips characters
// its sort ignores, such as control characters, and would leave "1\t2" standing
// in a field that was read as 12. Texts with the same bytes always compare
// equal under the locale too, so the byte test rewrites every field the locale
// test would, and more: the field always shows exactly the text that was read.
FieldCheckOutcome ReadFieldValue(HWND field, FieldCheck check) {
  const std::string shown = FieldText(field);
  FieldCheckOutcome outcome = check(shown, g_app.inputs);
  if (outcome.newCleanedText) SetFieldText(field, *outcome.newCleanedText);
  return outcome;
}

// The rest of a check, after ReadFieldValue, in its fixed order. The message
// box is modal and runs its own loop: the input still holds the value the
// message quotes while it waits, and is reset only after OK.
void FinishCheck(HWND field, const FieldCheckOutcome& outcome) {
  if (outcome.message) {
    MessageBoxA(g_app.mainWindow, outcome.message->text.c_str(), outcome.message->caption.c_str(), MB_OK);
  }
  FinishFieldCheck(outcome, g_app.inputs);
  if (outcome.placeholderText) SetFieldText(field, *outcome.placeholderText);
  if (outcome.recalculate) Recalculate(WindowPanel());
  if (outcome.paintPercentages) PaintPercentages(WindowPanel());
  if (outcome.clearPanel) ClearPanel(WindowPanel());
}

void RunFieldCheck(HWND field, FieldCheck check) { FinishCheck(field, ReadFieldValue(field, check)); }

template <VolumeField kWhich>
FieldCheckOutcome ReadVolume(std::string_view text, PatientInputs& inputs) {
  return ReadVolumeField(kWhich, text, inputs);
}

template <VolumeField kWhich>
FieldCheckOutcome CheckVolume(std::string_view text, PatientInputs& inputs) {
  return CheckVolumeField(kWhich, text, inputs);
}

void RunSexChoice(std::uint8_t sexCode) {
  const FieldCheckOutcome outcome = ChooseSex(sexCode, g_app.inputs);
  if (outcome.recalculate) Recalculate(WindowPanel());
  if (outcome.paintPercentages) PaintPercentages(WindowPanel());
}

}  // namespace

std::string FieldText(HWND field) {
  const int length = GetWindowTextLengthA(field);
  if (length <= 0) return std::string();
  // GetWindowTextLengthA may count more than GetWindowTextA then copies (it
  // may over-estimate double-byte texts); the copied count decides.
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const int copied = GetWindowTextA(field, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void ReadVcField() { ReadFieldValue(g_app.vcField, ReadVolume<VolumeField::kVc>); }
void ReadFvcField() { ReadFieldValue(g_app.fvcField, ReadVolume<VolumeField::kFvc>); }
void ReadFev1Field() { ReadFieldValue(g_app.fev1Field, ReadVolume<VolumeField::kFev1>); }

void CheckVcField() { RunFieldCheck(g_app.vcField, CheckVolume<VolumeField::kVc>); }
void CheckFvcField() { RunFieldCheck(g_app.fvcField, CheckVolume<VolumeField::kFvc>); }
void CheckFev1Field() { RunFieldCheck(g_app.fev1Field, CheckVolume<VolumeField::kFev1>); }
void CheckAgeField() { RunFieldCheck(g_app.ageField, kestrova::CheckAgeField); }
void CheckHeightField() { RunFieldCheck(g_app.heightField, kestrova::CheckHeightField); }

void ChooseMale() { RunSexChoice(kSexMale); }
void ChooseFemale() { RunSexChoice(kSexFemale); }

}  // namespace kestrova::app

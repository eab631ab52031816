#include "app/field_handlers.h"

#include <iterator>
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

template <VolumeField kWhich>
FieldCheckOutcome ReadVolume(std::string_view text, PatientInputs& inputs) {
  return ReadVolumeField(kWhich, text, inputs);
}

template <VolumeField kWhich>
FieldCheckOutcome CheckVolume(std::string_view text, PatientInputs& inputs) {
  return CheckVolumeField(kWhich, text, inputs);
}

// An input field and the check that runs when it is left.
struct FieldRoute {
  HWND AppState::*field;
  FieldCheck check;
};

// The five fields in their order on screen, top to bottom and left to right:
// Tab and Enter go down this list, Shift back up, wrapping round.
constexpr FieldRoute kFieldOrder[] = {
    {&AppState::ageField, kestrova::CheckAgeField},
    {&AppState::heightField, kestrova::CheckHeightField},
    {&AppState::vcField, CheckVolume<VolumeField::kVc>},
    {&AppState::fvcField, CheckVolume<VolumeField::kFvc>},
    {&AppState::fev1Field, CheckVolume<VolumeField::kFev1>},
};
constexpr std::size_t kFieldCount = std::size(kFieldOrder);

// The position of `window` in kFieldOrder; kFieldCount when it is no field.
std::size_t FieldIndex(HWND window) {
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (window != nullptr && g_app.*kFieldOrder[i].field == window) return i;
  }
  return kFieldCount;
}

void SetFieldText(HWND field, const std::string& text) {
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

static_assert(static_cast<std::size_t>(InputField::kAge) == IndexOf(PatientValue::kAge) &&
              static_cast<std::size_t>(InputField::kFev1) == IndexOf(PatientValue::kFev1));

std::string& AppliedText(InputField input) { return g_app.appliedTexts[static_cast<std::size_t>(input)]; }

// Reads `field` and runs its check: the value goes into its input, the text it
// was read from becomes the input's applied text, and the field shows the
// cleaned text when it differs from what stood there.
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
  AppliedText(outcome.field) = outcome.newCleanedText.value_or(shown);
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
  if (outcome.placeholderText) AppliedText(outcome.field).clear();  // refused: not given
  if (outcome.placeholderText) SetFieldText(field, *outcome.placeholderText);
  if (outcome.recalculate) RecalculatePanel();
  if (outcome.paintPercentages) RepaintPercentages();
  if (outcome.clearPanel) ClearWindowPanel();
}

void RunFieldCheck(HWND field, FieldCheck check) { FinishCheck(field, ReadFieldValue(field, check)); }

// True when a system-menu item already applied `field`, which kept the focus
// since, and its text is still what that check left in it.
bool AppliedUnchanged(HWND field) {
  return field != nullptr && field == g_app.appliedField && FieldText(field) == g_app.appliedFieldText;
}

// EN_KILLFOCUS: the field's check, unless this leaving was already applied.
void LeaveField(std::size_t index) {
  if (g_app.closing) return;  // the value goes with the window
  HWND field = g_app.*kFieldOrder[index].field;
  // The menu's check of this field is running and its message box took the
  // focus: that check is this leaving.
  if (field == g_app.checkingField) return;
  const bool applied = AppliedUnchanged(field);
  if (field == g_app.appliedField) g_app.appliedField = nullptr;  // the visit ends here
  if (!applied) RunFieldCheck(field, kFieldOrder[index].check);
}

void RunSexChoice(std::uint8_t sexCode) {
  // The buttons no longer show the sex the command line gave: its text goes.
  if (sexCode != g_app.givenSexCode) g_app.givenSex.clear();
  const FieldCheckOutcome outcome = ChooseSex(sexCode, g_app.inputs);
  if (outcome.recalculate) RecalculatePanel();
  if (outcome.paintPercentages) RepaintPercentages();
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

void CheckAgeField() { LeaveField(0); }
void CheckHeightField() { LeaveField(1); }
void CheckVcField() { LeaveField(2); }
void CheckFvcField() { LeaveField(3); }
void CheckFev1Field() { LeaveField(4); }

void ChooseMale() { RunSexChoice(kSexMale); }
void ChooseFemale() { RunSexChoice(kSexFemale); }

void ApplyFocusedField() {
  HWND field = GetFocus();
  const std::size_t index = FieldIndex(field);
  if (index == kFieldCount || AppliedUnchanged(field)) return;
  g_app.checkingField = field;
  RunFieldCheck(field, kFieldOrder[index].check);
  g_app.checkingField = nullptr;
  // A message box took the focus: it goes back, the item does not move it.
  if (GetFocus() != field) SetFocus(field);
  // Leaving the field later with this text applies nothing new.
  g_app.appliedField = field;
  g_app.appliedFieldText = FieldText(field);
}

PatientInputs InputsWithFocusedField() {
  PatientInputs inputs = g_app.inputs;
  HWND field = GetFocus();
  const std::size_t index = FieldIndex(field);
  if (index == kFieldCount || AppliedUnchanged(field)) return inputs;
  FinishFieldCheck(kFieldOrder[index].check(FieldText(field), inputs), inputs);
  return inputs;
}

bool MoveFocusByKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || (message.wParam != VK_TAB && message.wParam != VK_RETURN)) {
    return false;
  }
  const std::size_t index = FieldIndex(message.hwnd);
  if (index == kFieldCount) return false;
  const bool back = GetKeyState(VK_SHIFT) < 0;
  HWND next = g_app.*kFieldOrder[(index + (back ? kFieldCount - 1 : 1)) % kFieldCount].field;
  SetFocus(next);  // the field left runs its check (EN_KILLFOCUS)
  // A message box of that check took the focus on the way: it still goes
  // where the key sent it.
  if (GetFocus() != next) SetFocus(next);
  // What is typed next replaces the field's text, as a dialog's Tab has it.
  SendMessageA(next, EM_SETSEL, 0, -1);
  return true;
}

}  // namespace kestrova::app

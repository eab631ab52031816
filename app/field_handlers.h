// What the main window runs when the user works the input fields and the sex
// buttons. Each handler takes no arguments and reads and writes g_app, where
// each check also keeps the text its input was applied from (appliedTexts).
//
// Every handler reads its field through ReadFieldValue, lets the field's check
// (input/input_fields.h) decide, and carries the outcome out in this order:
// the cleaned text into the field, the value into its input, the message (a
// modal box owned by the main window, OK only, no icon; a paint may run while
// it waits), then a rejected value back to 0 and the placeholder into the
// field, then the recalculation and the percentage repaint (window_panel.h).
#ifndef KESTROVA_APP_FIELD_HANDLERS_H_
#define KESTROVA_APP_FIELD_HANDLERS_H_

#include <string>

#include "app/win.h"
#include "records/patient_inputs.h"

namespace kestrova::app {

// The whole text of an edit control, however long (a paste may run far past
// 255 bytes): GetWindowTextLengthA, then a buffer of that length + 1.
std::string FieldText(HWND field);

// EN_SETFOCUS of the volume fields: take the field's value into its input.
void ReadVcField();
void ReadFvcField();
void ReadFev1Field();

// EN_KILLFOCUS: check the field, tell the user, recalculate or repaint. A
// field a system-menu item applied (ApplyFocusedField) and left unchanged
// since is not checked again: its value and message were given already.
void CheckVcField();
void CheckFvcField();
void CheckFev1Field();
void CheckAgeField();
void CheckHeightField();

// BN_CLICKED of the radio buttons. Choosing the other sex than the command
// line gave drops its text (g_app.givenSex).
void ChooseMale();
void ChooseFemale();

// Before a system-menu item that carries results: the field that has the focus
// is checked as leaving it would check it (message box included), so a value
// typed but not yet applied counts; the focus stays in (or returns to) the
// field. Nothing when the focus is in no field, or the field was applied so
// already and its text is unchanged.
void ApplyFocusedField();

// The inputs as they will be once ApplyFocusedField has run, worked out on a
// copy: nothing is shown, stored or drawn (the menu's items follow them).
PatientInputs InputsWithFocusedField();

// Tab, Shift+Tab and Enter pressed in one of the five fields (WM_KEYDOWN, as
// the message loop takes it from the queue): the focus moves to the next
// field in the order age, height, VC, FVC, FEV1, or back with Shift, wrapping
// round; the field left runs its check, the one reached has its whole text
// selected. True when the key was taken: the loop must then neither translate
// nor dispatch it, so no tab character or line break reaches a field.
bool MoveFocusByKey(const MSG& message);

}  // namespace kestrova::app

#endif  // KESTROVA_APP_FIELD_HANDLERS_H_

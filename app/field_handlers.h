// What the main window runs when the user works the input fields and the sex
// buttons. Each handler takes no arguments and reads and writes g_app.
//
// Every handler reads its field through ReadFieldValue, lets the field's check
// (input/input_fields.h) decide, and carries the outcome out in this order:
// the cleaned text into the field, the value into its input, the message (a
// modal box owned by the main window, OK only, no icon; a paint may run while
// it waits), then a rejected value back to 0 and the placeholder into the
// field, then Recalculate and the percentage repaint.
#ifndef KESTROVA_APP_FIELD_HANDLERS_H_
#define KESTROVA_APP_FIELD_HANDLERS_H_

#include <string>

#include "app/win.h"

namespace kestrova::app {

// The whole text of an edit control, however long (a paste may run far past
// 255 bytes): GetWindowTextLengthA, then a buffer of that length + 1.
std::string FieldText(HWND field);

// EN_SETFOCUS of the volume fields: take the field's value into its input.
void ReadVcField();
void ReadFvcField();
void ReadFev1Field();

// EN_KILLFOCUS: check the field, tell the user, recalculate or repaint.
void CheckVcField();
void CheckFvcField();
void CheckFev1Field();
void CheckAgeField();
void CheckHeightField();

// BN_CLICKED of the radio buttons.
void ChooseMale();
void ChooseFemale();

}  // namespace kestrova::app

#endif  // KESTROVA_APP_FIELD_HANDLERS_H_

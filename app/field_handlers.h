// What the main window runs when the user works the input fields and the sex
// buttons. Each handler takes no arguments and reads and writes g_app.
//
// Not done yet: reading, cleaning and checking the fields and the sex choice
// are empty for now, so the window shows what the command line gave it.
#ifndef KESTROVA_APP_FIELD_HANDLERS_H_
#define KESTROVA_APP_FIELD_HANDLERS_H_

namespace kestrova::app {

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

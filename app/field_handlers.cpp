#include "app/field_handlers.h"

namespace kestrova::app {

void ReadVcField() {}
void ReadFvcField() {}
void ReadFev1Field() {}

void CheckVcField() {}
void CheckFvcField() {}
void CheckFev1Field() {}
void CheckAgeField() {}
void CheckHeightField() {}

void ChooseMale() {}
void ChooseFemale() {}

}  // namespace kestrova::app

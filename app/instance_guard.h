// Keeps a second start of the program from opening a second window.
#ifndef KESTROVA_APP_INSTANCE_GUARD_H_
#define KESTROVA_APP_INSTANCE_GUARD_H_

#include "app/win.h"

namespace kestrova::app {

// Name of the shared block through which the instances find each other.
inline constexpr const char* kInstanceMappingName = "AppName";

// Returns true when this instance may go on with `ownWindow`, false when it
// must close it (another instance is running). For now every start goes on:
// the shared block is not made yet.
bool GuardSingleInstance(HWND ownWindow, const char* mappingName);

}  // namespace kestrova::app

#endif  // KESTROVA_APP_INSTANCE_GUARD_H_

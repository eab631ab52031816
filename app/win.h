// The one way app/ includes the Windows headers: io/windows.h (no min/max
// macros), the common controls, ANSI functions only, and without the DrawText
// macro, which would otherwise rename PanelDevice::DrawText to DrawTextA in
// every file that sees both.
#ifndef KESTROVA_APP_WIN_H_
#define KESTROVA_APP_WIN_H_

#ifdef UNICODE
#error "app/ uses the ANSI (…A) functions only; build without UNICODE"
#endif

// windows.h first: commctrl.h needs its types.
// clang-format off
#include "io/windows.h"
#include <commctrl.h>
// clang-format on

#undef DrawText

#endif  // KESTROVA_APP_WIN_H_

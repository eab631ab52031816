// The one way app/ includes the Windows headers: ANSI functions only, no
// min/max macros, and without the DrawText macro, which would otherwise rename
// PanelDevice::DrawText to DrawTextA in every file that sees both.
#ifndef KESTROVA_APP_WIN_H_
#define KESTROVA_APP_WIN_H_

#ifdef UNICODE
#error "app/ uses the ANSI (…A) functions only; build without UNICODE"
#endif

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// windows.h first: commctrl.h needs its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#undef DrawText

#endif  // KESTROVA_APP_WIN_H_

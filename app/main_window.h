// The main window: its class, its window procedure and the set-up that runs
// while it is created.
#ifndef KESTROVA_APP_MAIN_WINDOW_H_
#define KESTROVA_APP_MAIN_WINDOW_H_

#include "app/win.h"
#include "version/version.h"

namespace kestrova::app {

inline constexpr const char* kMainWindowClass = "NORMAL0";
inline constexpr const char* kDialogClass = "NORMALDLG";
inline constexpr const char* kMainWindowTitle = "Kestrova ver." KESTROVA_VERSION;
inline constexpr int kMainWindowWidth = 380;  // outer size
inline constexpr int kMainWindowHeight = 630;
// WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX: no sizing border, no maximise box.
inline constexpr DWORD kMainWindowStyle = 0x10CA0000;

// Exit status of a start that was handed a patient while another instance's
// window is open: the values were not applied (the user was told so).
inline constexpr int kExitHandOverRefused = 3;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window's top-left corner for a screen of the given size: 400 pixels left
// of and 300 above the screen centre, worked out in single precision and
// truncated toward zero (a width of 1365 gives 282, 799 gives 0).
POINT MainWindowCorner(int screenWidth, int screenHeight);

}  // namespace kestrova::app

#endif  // KESTROVA_APP_MAIN_WINDOW_H_

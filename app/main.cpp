// kestrova.exe: start-up, the message loop and the end of the process.
#include <string>

#include "app/app_state.h"
#include "app/field_handlers.h"
#include "app/main_window.h"
#include "app/report_files.h"
#include "texts/japanese_texts.h"

namespace kestrova::app {

AppState g_app;

namespace {

void InitCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;  // 8
  controls.dwICC = 0xFF;
  InitCommonControlsEx(&controls);
}

HFONT CreateControlFont() {
  const std::string face(texts::kControlFontFace);
  return CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                     CLIP_STROKE_PRECIS, DRAFT_QUALITY, FF_SWISS | DEFAULT_PITCH, face.c_str());
}

void RegisterWindowClass(const char* name, WNDPROC procedure) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = g_app.instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = g_app.buttonFaceBrush;
  windowClass.lpszClassName = name;
  RegisterClassExA(&windowClass);
}

// The panel font: height 14, default character set, everything else zero
// (weight FW_DONTCARE, empty face name).
void DescribePanelFont() {
  g_app.panelFontDescription = LOGFONTA{};
  g_app.panelFontDescription.lfHeight = 14;
  g_app.panelFontDescription.lfCharSet = DEFAULT_CHARSET;
}

// Tells the user that the values this start was given were not applied. The
// running window was brought forward; the box stands in front of it.
void ReportRefusedHandOver() {
  const std::string text(texts::kHandOverRefusedText);
  MessageBoxA(nullptr, text.c_str(), kMainWindowTitle,
              MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
}

// When CreateWindowExA gave no window, either the window closed itself during
// creation (a quit message is then waiting: a normal end, or a hand-over to
// another instance refused) or it could not be made at all, and no quit
// message will ever come.
int EndWithoutWindow() {
  MSG message;
  if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return 1;
  // The quit message is taken off the queue first: it would end the box at once.
  if (!g_app.handOverRefused) return 0;
  ReportRefusedHandOver();
  return kExitHandOverRefused;
}

int RunMessageLoop() {
  MSG message;
  bool oldPagesRemoved = false;
  for (;;) {
    // The first time nothing waits, the window fully drawn: pages of earlier
    // weeks go, off the way to the first paint and never again this session.
    if (!oldPagesRemoved && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      oldPagesRemoved = true;
      RemoveOldReportPages();
    }
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    // Tab and Enter in a field move between the fields (the window is no
    // dialog, so nothing else would): taken before they become characters.
    if (MoveFocusByKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  // The exit code is 0 whatever the quit message carried.
  return 0;
}

}  // namespace

int Run(HINSTANCE instance) {
  g_app.instance = instance;
  InitCommonControls();
  g_app.controlFont = CreateControlFont();
  g_app.buttonFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  RegisterWindowClass(kDialogClass, DefWindowProcA);
  DescribePanelFont();
  g_app.panelBrush = CreateSolidBrush(RGB(245, 245, 245));
  g_app.panelRect = RECT{0, 0, kPanelWidth, kPanelHeight};
  RegisterWindowClass(kMainWindowClass, MainWindowProc);

  HWND window =
      CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, kMainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return EndWithoutWindow();
  return RunMessageLoop();
}

}  // namespace kestrova::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  return kestrova::app::Run(instance);
}

// The second yardstick for kestrova.exe's start-up: the same main window
// (class, title, style, size and place) with the same fourteen controls and
// the same fonts, the panel filled in its grey once shown and on every paint,
// and nothing else: no single-instance guard, command line, spline table or
// calculation. kestrova.exe's first paint against this one's is the cost of
// what the program does beyond putting its window up.
#include <string>

#include "app/controls.h"
#include "app/main_window.h"
#include "texts/japanese_texts.h"

namespace {

using namespace kestrova::app;

HBRUSH g_panelBrush;
HDC g_keptDc;
HFONT g_panelFont;
const RECT kPanel{0, 0, 380, 630};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      BuildControls(window, create->hInstance, reinterpret_cast<HFONT>(create->lpCreateParams));
      g_keptDc = GetDC(window);
      const int x = static_cast<int>(static_cast<float>(GetSystemMetrics(SM_CXSCREEN)) / 2.0f - 400.0f);
      const int y = static_cast<int>(static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) / 2.0f - 300.0f);
      SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
      FillRect(g_keptDc, &kPanel, g_panelBrush);
      LOGFONTA panelFont{};
      panelFont.lfHeight = 14;
      panelFont.lfCharSet = DEFAULT_CHARSET;
      g_panelFont = CreateFontIndirectA(&panelFont);
      SelectObject(g_keptDc, g_panelFont);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      FillRect(g_keptDc, &kPanel, g_panelBrush);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = LoadIconA(nullptr, IDI_WINLOGO);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  RegisterClassExA(&windowClass);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = 0xFF;
  InitCommonControlsEx(&controls);
  const std::string face(kestrova::texts::kControlFontFace);
  HFONT controlFont =
      CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_STROKE_PRECIS,
                  CLIP_STROKE_PRECIS, DRAFT_QUALITY, FF_SWISS | DEFAULT_PITCH, face.c_str());
  HBRUSH buttonFace = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  RegisterWindowClass(instance, kDialogClass, DefWindowProcA, buttonFace);
  g_panelBrush = CreateSolidBrush(RGB(245, 245, 245));
  RegisterWindowClass(instance, kMainWindowClass, WindowProc, buttonFace);
  CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, kMainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, instance, controlFont);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

#include "app/main_window.h"

#include <string>

#include "app/app_state.h"
#include "app/controls.h"
#include "app/field_handlers.h"
#include "app/instance_guard.h"
#include "app/system_menu.h"
#include "app/window_panel.h"
#include "input/command_line.h"

namespace kestrova::app {
namespace {

// One row of the WM_COMMAND dispatch: control id and notification code.
struct CommandRoute {
  int id;
  WORD code;
  void (*handler)();
};

void PressHeaderButton() { RecalculatePanel(); }

constexpr CommandRoute kCommandRoutes[] = {
    {kHeaderButtonId, BN_CLICKED, PressHeaderButton},
    {kFvcFieldId, EN_SETFOCUS, ReadFvcField},
    {kFvcFieldId, EN_KILLFOCUS, CheckFvcField},
    {kFev1FieldId, EN_SETFOCUS, ReadFev1Field},
    {kFev1FieldId, EN_KILLFOCUS, CheckFev1Field},
    {kMaleButtonId, BN_CLICKED, ChooseMale},
    {kFemaleButtonId, BN_CLICKED, ChooseFemale},
    {kAgeFieldId, EN_KILLFOCUS, CheckAgeField},
    {kAgeFieldId, EN_CHANGE, [] {}},  // typing in the age field does nothing
    {kHeightFieldId, EN_KILLFOCUS, CheckHeightField},
    {kVcFieldId, EN_SETFOCUS, ReadVcField},
    {kVcFieldId, EN_KILLFOCUS, CheckVcField},
};

// Sets a field's text to `text` exactly as given.
void SetFieldText(HWND field, const std::string& text) {
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CheckRadio(HWND button) { SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0); }

// The values another program handed over on this process's command line. The
// line gets one space appended so that the last value ends at a space too.
CommandLineValues ProgramCommandLine() {
  const char* line = GetCommandLineA();
  if (line == nullptr || *line == '\0') return CommandLineValues{};
  return ParseCommandLine(std::string(line) + ' ');
}

static_assert(static_cast<std::size_t>(CommandLineKey::kAge) == IndexOf(PatientValue::kAge) &&
              static_cast<std::size_t>(CommandLineKey::kFev1) == IndexOf(PatientValue::kFev1));

// Puts the values another program handed over into the inputs and the fields.
void ApplyProgramCommandLine() {
  const CommandLineValues given = ProgramCommandLine();
  ApplyCommandLine(given, g_app.inputs);
  if (given[CommandLineKey::kSex].found) {
    g_app.givenSex = given[CommandLineKey::kSex].text;
    g_app.givenSexCode = g_app.inputs.sexCode;
  }
  if (given.sexCode) CheckRadio(*given.sexCode == kSexMale ? g_app.maleButton : g_app.femaleButton);
  const struct {
    CommandLineKey key;
    HWND field;
  } fields[] = {
      {CommandLineKey::kAge, g_app.ageField},   {CommandLineKey::kHeight, g_app.heightField},
      {CommandLineKey::kVc, g_app.vcField},     {CommandLineKey::kFvc, g_app.fvcField},
      {CommandLineKey::kFev1, g_app.fev1Field},
  };
  for (const auto& [key, field] : fields) {
    if (!given[key].found) continue;
    SetFieldText(field, given[key].text);
    // The input was applied from this text (CommandLineKey and PatientValue share their order).
    g_app.appliedTexts[static_cast<std::size_t>(key)] = given[key].text;
  }
}

void AddNumberStyle(HWND field) {
  SetWindowLongA(field, GWL_STYLE, GetWindowLongA(field, GWL_STYLE) | ES_NUMBER);
}

// Runs once, inside WM_CREATE, after the controls exist.
void RunWindowSetUp() {
  HWND window = g_app.mainWindow;
  const InstanceGuard guard = GuardSingleInstance(window, kInstanceMappingName);
  if (!guard.goOn) {
    // Another instance owns the screen and was brought forward: close ours
    // before it is ever shown (CreateWindowExA then returns no window, and the
    // quit message ends the process). Nothing else of the set-up runs. Values
    // handed over are not passed on; the caller must not take that for success.
    g_app.handOverRefused = HandsOverPatient(ProgramCommandLine());
    SendMessageA(window, WM_CLOSE, 0, 0);
    return;
  }
  g_app.instanceBlock = guard.block;
  AddSystemMenuItems(window);

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  g_app.keptDc = GetDC(window);
  const POINT corner = MainWindowCorner(screenWidth, screenHeight);
  SetWindowPos(window, HWND_TOP, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);

  FillRect(g_app.keptDc, &g_app.panelRect, g_app.panelBrush);
  SetBkMode(g_app.keptDc, OPAQUE);
  SetBkColor(g_app.keptDc, RGB(245, 245, 245));
  SetTextColor(g_app.keptDc, RGB(0, 0, 0));
  g_app.panelFont = CreateFontIndirectA(&g_app.panelFontDescription);
  SelectObject(g_app.keptDc, g_app.panelFont);
  TEXTMETRICA metrics{};
  GetTextMetricsA(g_app.keptDc, &metrics);
  g_app.panelLineHeight = metrics.tmHeight;

  g_app.ageField = GetDlgItem(window, kAgeFieldId);
  g_app.heightField = GetDlgItem(window, kHeightFieldId);
  g_app.vcField = GetDlgItem(window, kVcFieldId);
  g_app.fvcField = GetDlgItem(window, kFvcFieldId);
  g_app.fev1Field = GetDlgItem(window, kFev1FieldId);
  g_app.maleButton = GetDlgItem(window, kMaleButtonId);
  g_app.femaleButton = GetDlgItem(window, kFemaleButtonId);

  // From here on the age and height fields take digit keystrokes only.
  AddNumberStyle(g_app.ageField);
  AddNumberStyle(g_app.heightField);

  ApplyProgramCommandLine();
  CheckRadio(g_app.inputs.sexCode == kSexFemale ? g_app.femaleButton : g_app.maleButton);

  g_app.panelState.pendingColour = kBlack;
  PaintWindowPanel();
}

LRESULT OnCreate(HWND window) {
  // Stored before anything else: the set-up and every message box use it.
  g_app.mainWindow = window;
  BuildControls(window, g_app.instance, g_app.controlFont);
  RunWindowSetUp();
  return 0;
}

LRESULT OnPaint(HWND window) {
  // The panel paints into the kept device context, not into the one BeginPaint
  // returns; BeginPaint/EndPaint only validate the window.
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  PaintWindowPanel();
  EndPaint(window, &paint);
  return 0;
}

LRESULT OnCommand(WPARAM wParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  for (const CommandRoute& route : kCommandRoutes) {
    if (route.id == id && route.code == code) {
      route.handler();
      break;
    }
  }
  return 0;
}

// The system menu's own commands go on to the default handling.
LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  if (RunSystemMenuItem(static_cast<UINT>(wParam & 0xFFF0))) return 0;
  return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
}

// Before the system menu opens: its result items follow the panel.
LRESULT OnInitMenuPopup(HWND window, WPARAM wParam, LPARAM lParam) {
  if (HIWORD(lParam)) UpdateSystemMenuItems(reinterpret_cast<HMENU>(wParam));
  return DefWindowProcA(window, WM_INITMENUPOPUP, wParam, lParam);
}

LRESULT OnClose(HWND window) {
  g_app.closing = true;
  DestroyWindow(window);
  return 0;
}

LRESULT OnDestroy() {
  DeleteObject(g_app.controlFont);
  DeleteObject(g_app.buttonFaceBrush);
  PostQuitMessage(0);
  return 0;
}

}  // namespace

POINT MainWindowCorner(int screenWidth, int screenHeight) {
  const float x = static_cast<float>(screenWidth) / 2.0f - 400.0f;
  const float y = static_cast<float>(screenHeight) / 2.0f - 300.0f;
  return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_PAINT:
      return OnPaint(window);
    case WM_COMMAND:
      return OnCommand(wParam);
    case WM_SYSCOMMAND:
      return OnSysCommand(window, wParam, lParam);
    case WM_INITMENUPOPUP:
      return OnInitMenuPopup(window, wParam, lParam);
    case WM_CLOSE:
      return OnClose(window);
    case WM_DESTROY:
      return OnDestroy();
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace kestrova::app

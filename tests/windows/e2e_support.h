// What the end-to-end tests share: the program under test, starting it and
// finding its window, reading its controls and message boxes from outside its
// process, and looking at the pixels it painted.
//
// Every wait is for a condition (the window exists, the paint reached the
// screen, a message box is up, the process ended), bounded by kTimeoutMs.
#ifndef KESTROVA_TESTS_WINDOWS_E2E_SUPPORT_H_
#define KESTROVA_TESTS_WINDOWS_E2E_SUPPORT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/winprobe/winprobe.h"

namespace kestrova::e2e {

using winprobe::Image;
using winprobe::Program;

inline constexpr DWORD kTimeoutMs = 20000;
inline constexpr std::uint32_t kPanelColour = 0xF5F5F5;

extern std::string g_kestrovaExe;     // path of kestrova.exe under test
extern std::string g_kestrovaCliExe;  // path of kestrova-cli.exe, whose report the window must match
extern std::string g_screenshotDir;   // where the screenshots go

// A woman of 45, 160 cm, VC 3.1, FVC 3.0, FEV1 2.4.
inline constexpr const char* kFemaleExample = "/Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=2.4";

// Control ids of the input fields and buttons.
enum : int {
  kHeaderButton = 1002,
  kFvcField = 1003,
  kFev1Field = 1005,
  kMaleButton = 1007,
  kFemaleButton = 1008,
  kAgeField = 1009,
  kHeightField = 1010,
  kVcField = 1013,
};

// kestrova.exe, started with `arguments`, its main window found and idle.
class Kestrova {
 public:
  explicit Kestrova(const std::string& arguments);
  bool ok() const { return started_ && window_ != nullptr; }
  HWND window() const { return window_; }
  Program& program() { return program_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  // Closes the window (WM_CLOSE) and returns the exit code once the process
  // has ended, or nothing after kTimeoutMs.
  std::optional<DWORD> Close();

 private:
  Program program_;
  bool started_ = false;
  HWND window_ = nullptr;
};

// A window's whole text through WM_GETTEXTLENGTH and WM_GETTEXT (for a window
// of another process GetWindowTextA gives only the caption the system keeps,
// not an edit control's text).
std::string WindowText(HWND window);

// Sets a control's text with WM_SETTEXT (it bypasses ES_NUMBER, as a paste
// would not; the cleaning is what these tests are after).
void SetWindowTextTo(HWND window, std::string_view text);

std::string ClassName(HWND window);

// Hex bytes, so that a failed comparison of CP932 texts shows what differed.
std::string Bytes(std::string_view text);

// Returns once `window`'s thread has handled everything sent or posted before
// (a WM_NULL sent through). A handler that waits in a message box lets the
// WM_NULL through too: after Sync, either the handler has finished or its
// message box is up.
bool Sync(HWND window);

// The visible top-level windows of class `className` of process `processId`.
std::vector<HWND> VisibleWindowsOf(DWORD processId, const char* className);

// Runs kestrova-cli.exe with `arguments` in `directory` (empty: this
// process's), its standard output going to `output` (an inheritable handle),
// and returns its exit code once it has ended within kTimeoutMs; nothing
// otherwise (the reason goes to the log).
std::optional<DWORD> RunCli(const std::string& arguments, HANDLE output, const std::string& directory = {});

// RunCli with the standard output going to a temporary file: that output,
// when the exit code is 0.
std::optional<std::string> CliOutput(const std::string& arguments);

// --- Message boxes ----------------------------------------------------------

struct MessageBoxSeen {
  HWND box = nullptr;
  std::string caption;
  std::string text;  // the text of the box's static control that has one
};

// The visible message box (dialog class "#32770") owned by `owner`, if any.
HWND FindMessageBox(HWND owner);

// Waits for a message box owned by `owner` and reads it.
std::optional<MessageBoxSeen> WaitForMessageBox(HWND owner);

// Waits for a message box of process `processId`, owned by any window or none.
std::optional<MessageBoxSeen> WaitForMessageBoxOf(DWORD processId);

// Presses OK (IDOK) and waits until the box has gone; false on timeout.
bool PressOk(const MessageBoxSeen& box);

// --- Driving the fields ------------------------------------------------------

// The notification the main window gets when field `id` gains (EN_SETFOCUS) or
// loses (EN_KILLFOCUS) the focus, sent without waiting for the answer
// (SendNotifyMessageA), so that a message box it shows does not block the
// test. Sent, not posted: sent messages are handled in the order they come,
// before any posted one, so a Sync after it cannot overtake it.
void SendFieldNotification(const Kestrova& app, int id, WORD code);

// Sends `code` for field `id`, then Sync: afterwards the handler has finished,
// or its message box is up.
bool NotifyField(const Kestrova& app, int id, WORD code);

// Types `text` into field `id` (WM_SETTEXT) and posts EN_KILLFOCUS; if the
// check shows a message box, reads it and presses OK. Returns the box seen, or
// nothing when none came. The handler has finished when this returns.
std::optional<MessageBoxSeen> LeaveFieldWith(const Kestrova& app, int id, std::string_view text);

// --- The keyboard and the focus ------------------------------------------------
//
// Keyboard input goes to the window in front, through the program's message
// queue after everything sent or posted: a Sync does not wait for it, so
// callers wait for what a key does (a text, the focus).

// The window that has the keyboard focus in the program's GUI thread.
HWND FocusOf(const Kestrova& app);

// Brings the window to the front and clicks field `id` (posted button messages,
// as a click gives them), so that it gets the focus; true once it has it.
bool FocusField(const Kestrova& app, int id);

// Presses and releases virtual key `key`, with Shift held when `shift`.
void PressKey(WORD key, bool shift = false);

// Types each character of `text` (ASCII) as keyboard input of that character
// (KEYEVENTF_UNICODE).
void TypeText(std::wstring_view text);

// Hands `text` (CP932) to field `id` as an IME hands over the text it
// composed: in place of the selection (EM_REPLACESEL), as one undoable change.
void TypeThroughIme(const Kestrova& app, int id, std::string_view text);

// --- Pixels --------------------------------------------------------------------

// What one text cell of the panel shows.
struct CellInk {
  int dark = 0;   // black text pixels
  int red = 0;    // red text pixels
  int other = 0;  // anything that is neither text nor the panel colour
};

// Text drawn at (x, y) with the 14-pixel panel font lies in the box (x, y) to
// (x + width, y + 14).
CellInk InkIn(const Image& client, int x, int y, int width);

// The pixels of the box (x, y, x + width, y + 14) of the client area.
std::vector<std::uint32_t> CellPixels(const Image& client, int x, int y, int width);

// True once the result line of the top row (x 230, y 170) has reached the screen.
bool ResultsOnScreen(HWND window);
bool PanelOnScreen(HWND window);

void SaveScreenshot(HWND window, const std::string& name);

// A screenshot of the window together with a message box it owns: the screen
// rectangle that holds both, once two captures in a row agree.
void SaveScreenshotWithBox(HWND window, HWND box, const std::string& name);

}  // namespace kestrova::e2e

#endif  // KESTROVA_TESTS_WINDOWS_E2E_SUPPORT_H_

#include "app/system_menu.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <string_view>

#include "app/app_state.h"
#include "app/field_handlers.h"
#include "app/main_window.h"
#include "app/report_files.h"
#include "app/result_texts.h"
#include "input/limits.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "texts/japanese_texts.h"

namespace kestrova::app {
namespace {

// A function of a system DLL that start-up does not load (shell32, comdlg32):
// loaded when an item first needs it, so the items cost start-up nothing.
template <typename Function>
Function* LateFunction(const char* library, const char* name) {
  HMODULE module = LoadLibraryA(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Tells the user what failed (OK only, a warning icon, owned by the window).
void ShowFailure(std::string_view text) {
  const std::string message(text);
  MessageBoxA(g_app.mainWindow, message.c_str(), kMainWindowTitle, MB_OK | MB_ICONWARNING);
}

// `text` with CRLF line ends, as Windows programs write text (kestrova-cli's
// standard output there too): "a\nb\n" -> "a\r\nb\r\n".
std::string WindowsLines(std::string_view text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

// A UTF-8 text with LF line ends as UTF-16 with CRLF line ends, NUL-terminated.
std::wstring ClipboardText(std::string_view utf8) {
  const std::string crlf = WindowsLines(utf8);
  if (crlf.empty()) return std::wstring(1, L'\0');
  const int size = static_cast<int>(crlf.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, crlf.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, crlf.data(), size, wide.data(), length);
  return wide;
}

// Puts `utf8` on the clipboard as CF_UNICODETEXT (ANSI readers get CF_TEXT
// from the system). The clipboard keeps what it held when this fails.
bool PutOnClipboard(std::string_view utf8) {
  const std::wstring wide = ClipboardText(utf8);
  const SIZE_T bytes = wide.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  void* target = GlobalLock(memory);
  if (target == nullptr) {
    GlobalFree(memory);
    return false;
  }
  CopyMemory(target, wide.data(), bytes);
  GlobalUnlock(memory);
  // Another program may hold the clipboard for a moment.
  bool opened = false;
  for (int attempt = 0; attempt < 5 && !opened; ++attempt) {
    opened = OpenClipboard(g_app.mainWindow) != 0;
    if (!opened) Sleep(20);
  }
  if (!opened) {
    GlobalFree(memory);
    return false;
  }
  const bool put = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!put) GlobalFree(memory);  // owned by the clipboard only once set
  return put;
}

// Writes `bytes` to `path` (ANSI) whole or not at all: a temporary file in the
// same folder, renamed over `path` once complete. On failure no file is left.
bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  io::OutputFile file;
  std::string error;
  if (!file.Open(Utf8OfAnsi(path), error)) return false;  // the spelling the output file takes
  if (!file.Write(bytes)) return false;                   // the destructor removes the temporary file
  return file.Commit(error);
}

// The name Save As offers: examination date, sex and age, e.g.
// "20261207_女性_45歳.html" (CP932).
std::string SavedReportName() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char date[16] = {};
  wsprintfA(date, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  std::string age;
  for (const char c : g_app.appliedTexts[IndexOf(PatientValue::kAge)]) {
    if ((c >= '0' && c <= '9') || c == '.') age += c;
  }
  const std::string_view sex = g_app.inputs.sexCode == kSexFemale ? texts::kFemale : texts::kMale;
  return std::string(date) + "_" + std::string(sex) + "_" + age + std::string(texts::kYearsSuffix) + ".html";
}

void CopyChart() {
  if (!PutOnClipboard(ChartText())) ShowFailure(texts::kClipboardFailed);
}

void CopyTable() {
  if (!PutOnClipboard(TableRow())) ShowFailure(texts::kClipboardFailed);
}

void CopyTableHeader() {
  if (!PutOnClipboard(TableHeader())) ShowFailure(texts::kClipboardFailed);
}

// Each page a new file (report_files.h): a tab still showing an earlier
// patient keeps that patient.
void ShowReport() {
  const std::string folder = ReportFolder();
  const std::string path =
      folder.empty() ? std::string()
                     : WriteNewReportPage(folder, WindowGivenInputs().id, WindowsLines(ReportPage()));
  if (path.empty()) {
    ShowFailure(texts::kTempReportFailed);
    return;
  }
  auto* shellExecute = LateFunction<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
  const HINSTANCE opened = shellExecute == nullptr ? nullptr
                                                   : shellExecute(g_app.mainWindow, "open", path.c_str(),
                                                                  nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(opened) <= 32) ShowFailure(texts::kBrowserFailed);
}

// Where Save As starts: the folder of the last report saved this session,
// else the user's Documents folder; empty (the dialog's own choice) when
// neither is known.
std::string SaveStartFolder() {
  if (!g_app.saveFolder.empty()) return g_app.saveFolder;
  auto* folderPath = LateFunction<decltype(SHGetFolderPathA)>("shell32.dll", "SHGetFolderPathA");
  char documents[MAX_PATH] = {};
  if (folderPath == nullptr ||
      folderPath(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents) != S_OK)
    return {};
  return documents;
}

void SaveReport() {
  char path[MAX_PATH] = {};
  const std::string name = SavedReportName();
  name.copy(path, sizeof path - 1);
  // "HTML レポート (*.html)\0*.html\0\0"
  std::string filter(texts::kSaveReportFilter);
  filter += std::string_view("\0*.html\0", 8);
  const std::string title(texts::kSaveReportTitle);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = g_app.mainWindow;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrTitle = title.c_str();
  const std::string startFolder = SaveStartFolder();
  dialog.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
  dialog.lpstrDefExt = "html";
  // No test file from the dialog: the write itself finds an unwritable folder
  // and says so in the program's own words.
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER |
                 OFN_NOTESTFILECREATE;
  auto* getSaveFileName = LateFunction<decltype(GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA");
  if (getSaveFileName == nullptr) {
    ShowFailure(texts::kSaveReportFailed);
    return;
  }
  if (!getSaveFileName(&dialog)) {
    // 0 is a cancel; anything else a name the dialog could not take
    // (FNERR_INVALIDFILENAME, FNERR_BUFFERTOOSMALL …).
    auto* dialogError = LateFunction<decltype(CommDlgExtendedError)>("comdlg32.dll", "CommDlgExtendedError");
    if (dialogError != nullptr && dialogError() != 0) ShowFailure(texts::kSaveNameUnusable);
    return;
  }
  g_app.saveFolder.assign(path, dialog.nFileOffset);
  // Such a name is a device in every folder: writing there reaches no file.
  if (io::IsWindowsDeviceName(path)) {
    ShowFailure(texts::kSaveDeviceName);
    return;
  }
  if (!WriteWholeFile(path, WindowsLines(ReportPage()))) ShowFailure(texts::kSaveReportFailed);
}

void ShowVersion() {
  const std::string text = std::string(kMainWindowTitle) + "\n\n" + std::string(texts::kVersionEquations) +
                           "\n" + std::string(texts::kVersionLicence);
  const std::string caption(texts::kVersionCaption);
  MessageBoxA(g_app.mainWindow, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

struct MenuItem {
  UINT command;
  std::string_view text;  // CP932, with its access key
  // Greyed while the panel shows no results, and choosing it then does
  // nothing; before it runs, the field with the focus is applied.
  bool needsResults;
  void (*run)();
};

const MenuItem kMenuItems[] = {
    {kCopyChartCommand, texts::kMenuCopyChart, true, CopyChart},
    {kCopyTableCommand, texts::kMenuCopyTable, true, CopyTable},
    {kCopyTableHeaderCommand, texts::kMenuCopyTableHeader, false, CopyTableHeader},
    {kShowReportCommand, texts::kMenuShowReport, true, ShowReport},
    {kSaveReportCommand, texts::kMenuSaveReport, true, SaveReport},
    {kVersionCommand, texts::kMenuVersion, false, ShowVersion},
};

}  // namespace

void AddSystemMenuItems(HWND window) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (menu == nullptr) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  for (const MenuItem& item : kMenuItems) {
    const std::string text(item.text);
    AppendMenuA(menu, MF_STRING, item.command, text.c_str());
  }
}

void UpdateSystemMenuItems(HMENU systemMenu) {
  // As the panel will be once the item has applied the field being typed in.
  const UINT state = PanelShowsResults(InputsWithFocusedField()) ? MF_ENABLED : MF_GRAYED;
  for (const MenuItem& item : kMenuItems) {
    if (item.needsResults) EnableMenuItem(systemMenu, item.command, MF_BYCOMMAND | state);
  }
}

bool RunSystemMenuItem(UINT command) {
  // The items that carry results do nothing while the panel shows none (a
  // WM_SYSCOMMAND may come without the menu).
  for (const MenuItem& item : kMenuItems) {
    if (item.command != command) continue;
    if (item.needsResults) {
      // A value typed into the field with the focus counts: the field is
      // applied first, as leaving it would, and the item carries what is applied.
      ApplyFocusedField();
      if (!PanelShowsResults(g_app.inputs)) return true;
    }
    item.run();
    return true;
  }
  return false;
}

}  // namespace kestrova::app

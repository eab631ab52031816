// The items of the window's system menu, chosen as a user does: Alt+Space,
// then the item's access key, as keyboard input. What they copy, show and save
// must be what kestrova-cli gives for the same values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/windows/e2e_support.h"
#include "texts/japanese_texts.h"

namespace {

using namespace kestrova::e2e;
using kestrova::winprobe::CaptureScreen;
using kestrova::winprobe::WaitUntil;

void Key(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// The open popup menu of the program, if any.
HWND OpenMenu(Kestrova& app) {
  const std::vector<HWND> menus = VisibleWindowsOf(app.program().processId(), "#32768");
  return menus.empty() ? nullptr : menus.front();
}

// Alt+Space on the window in front: its system menu opens.
HWND OpenSystemMenu(Kestrova& app) {
  SetForegroundWindow(app.window());
  WaitUntil([&] { return GetForegroundWindow() == app.window(); }, kTimeoutMs);
  Key(VK_MENU, false);
  Key(VK_SPACE, false);
  Key(VK_SPACE, true);
  Key(VK_MENU, true);
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = OpenMenu(app)) != nullptr; }, kTimeoutMs);
  return menu;
}

// Alt+Space, then `accessKey`; returns once the menu has closed. The item's
// WM_SYSCOMMAND is posted when the menu closes, so it may not have run yet:
// callers wait for what it does.
bool ChooseItem(Kestrova& app, char accessKey) {
  if (OpenSystemMenu(app) == nullptr) return false;
  Key(static_cast<WORD>(accessKey), false);
  Key(static_cast<WORD>(accessKey), true);
  return WaitUntil([&] { return OpenMenu(app) == nullptr; }, kTimeoutMs) && Sync(app.window());
}

// Chooses a copy item and waits until the clipboard has changed.
bool ChooseCopyItem(Kestrova& app, char accessKey) {
  const DWORD before = GetClipboardSequenceNumber();
  return ChooseItem(app, accessKey) &&
         WaitUntil([&] { return GetClipboardSequenceNumber() != before; }, kTimeoutMs);
}

std::wstring Wide(std::string_view text, UINT codePage) {
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
  const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                      nullptr);
  return narrow;
}

// A text's lines ended by CRLF whatever they ended with.
std::string CrLf(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') continue;
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

struct Clipboard {
  std::wstring unicode;
  std::string ansi;  // CF_TEXT, which the system makes in the reader's code page
};

std::optional<Clipboard> ReadClipboard() {
  if (!WaitUntil([] { return OpenClipboard(nullptr) != 0; }, kTimeoutMs)) return std::nullopt;
  Clipboard seen;
  if (HANDLE unicode = GetClipboardData(CF_UNICODETEXT)) {
    seen.unicode = static_cast<const wchar_t*>(GlobalLock(unicode));
    GlobalUnlock(unicode);
  }
  if (HANDLE ansi = GetClipboardData(CF_TEXT)) {
    seen.ansi = static_cast<const char*>(GlobalLock(ansi));
    GlobalUnlock(ansi);
  }
  CloseClipboard();
  return seen;
}

void PutSentinelOnClipboard() {
  ASSERT_TRUE(WaitUntil([] { return OpenClipboard(nullptr) != 0; }, kTimeoutMs));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 8);
  CopyMemory(GlobalLock(memory), "before", 7);
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();
}

// The chart text and the table as the CLI gives them for `arguments`, as the
// clipboard must hold them.
std::wstring ExpectedChart(const std::string& arguments) {
  return Wide(CrLf(CliOutput("--format chart " + arguments).value_or("no chart")), CP_UTF8);
}

// The table row: the inputs of `arguments` as given (the sex as its name), ID,
// name and date empty, then the values of the CLI's CSV; one line, no header.
std::wstring ExpectedRow(const std::string& arguments) {
  std::string row;
  for (const std::string key : {"/Sex=", "/Age=", "/Setake=", "/VC=", "/FVC=", "/FEV1="}) {
    const std::size_t at = arguments.find(key);
    const std::string value =
        at == std::string::npos
            ? ""
            : arguments.substr(at + key.size(), arguments.find(' ', at) - at - key.size());
    const bool female = value == "F" || value == "2";
    row += (key != "/Sex=" ? value
                           : std::string(female ? kestrova::texts::kFemaleUtf8 : kestrova::texts::kMaleUtf8));
    row += '\t';
  }
  const std::string csv = CliOutput("--format csv " + arguments).value_or("no csv\n");
  row += "\t\t\t" + CrLf(csv.substr(csv.find('\n') + 1));
  std::replace(row.begin(), row.end(), ',', '\t');
  return Wide(row, CP_UTF8);
}

std::string Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Both copies, chosen from the menu, hold what the CLI gives for the window's values.
void ExpectCopiesMatch(Kestrova& app, const std::string& arguments) {
  ASSERT_TRUE(ChooseCopyItem(app, 'K'));
  std::optional<Clipboard> seen = ReadClipboard();
  ASSERT_TRUE(seen);
  const std::wstring chart = ExpectedChart(arguments);
  EXPECT_TRUE(seen->unicode == chart) << Narrow(seen->unicode, CP_UTF8) << "\n---\n"
                                      << Narrow(chart, CP_UTF8);
  EXPECT_EQ(seen->ansi, Narrow(chart, 932));
  ASSERT_TRUE(ChooseCopyItem(app, 'T'));
  seen = ReadClipboard();
  ASSERT_TRUE(seen);
  const std::wstring row = ExpectedRow(arguments);
  EXPECT_TRUE(seen->unicode == row) << Narrow(seen->unicode, CP_UTF8) << "\n---\n" << Narrow(row, CP_UTF8);
}

TEST(SystemMenu, CopiesFollowWhatTheWindowShows) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ExpectCopiesMatch(app, kFemaleExample);
  // A new VC typed in, then FEV1 emptied: the copies follow the panel.
  EXPECT_FALSE(LeaveFieldWith(app, kVcField, "3.5"));
  ExpectCopiesMatch(app, "/Sex=F /Age=45 /Setake=160 /VC=3.5 /FVC=3.0 /FEV1=2.4");
  NotifyField(app, kFev1Field, EN_SETFOCUS);
  EXPECT_FALSE(LeaveFieldWith(app, kFev1Field, ""));
  ExpectCopiesMatch(app, "/Sex=F /Age=45 /Setake=160 /VC=3.5 /FVC=3.0");
  // The header, in Japanese: the row's columns, one line.
  ASSERT_TRUE(ChooseCopyItem(app, 'H'));
  const std::optional<Clipboard> header = ReadClipboard();
  ASSERT_TRUE(header);
  EXPECT_EQ(header->unicode.rfind(L"\x6027\x5225\t\x5E74\x9F62\t", 0), 0u)
      << Narrow(header->unicode, CP_UTF8);
  const std::wstring row = ExpectedRow("/Sex=F /Age=45 /Setake=160 /VC=3.5 /FVC=3.0");
  EXPECT_EQ(std::count(header->unicode.begin(), header->unicode.end(), L'\t'),
            std::count(row.begin(), row.end(), L'\t'));
  EXPECT_EQ(std::count(header->unicode.begin(), header->unicode.end(), L'\n'), 1);
  // The clipboard held by another program: the window says so and goes on.
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(ChooseItem(app, 'K'));
  const std::optional<MessageBoxSeen> box = WaitForMessageBox(app.window());
  CloseClipboard();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, kestrova::texts::kClipboardFailed);
  EXPECT_TRUE(PressOk(*box));
  EXPECT_EQ(app.Close(), 0u);
}

// A value typed into the field with the focus and not yet left counts: the item
// applies the field first, as leaving it would, and carries the applied values
// only. A warning of that check is shown once, neither again when the box
// takes the focus nor when the field is left afterwards; the focus stays in
// the field. The items are available as soon as the value being typed gives
// results.
TEST(SystemMenu, CopyAppliesTheFieldBeingTypedIn) {
  {
    Kestrova empty("/Sex=F /Setake=160");
    ASSERT_TRUE(empty.ok());
    ASSERT_TRUE(FocusField(empty, kAgeField));
    SetWindowTextTo(empty.Control(kAgeField), "45");
    ExpectCopiesMatch(empty, "/Sex=F /Age=45 /Setake=160");
    EXPECT_EQ(empty.Close(), 0u);
  }
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(FocusField(app, kFev1Field));
  SetWindowTextTo(app.Control(kFev1Field), "1.8");
  ExpectCopiesMatch(app, "/Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=1.8");

  SetWindowTextTo(app.Control(kFev1Field), "3.5");  // above FVC 3.0: warned of and kept
  const DWORD before = GetClipboardSequenceNumber();
  ASSERT_TRUE(ChooseItem(app, 'K'));
  const std::optional<MessageBoxSeen> box = WaitForMessageBox(app.window());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, std::string(kestrova::texts::kInputPrefix) + "3.5" +
                           std::string(kestrova::texts::kGreaterThanFvc) + "3");
  ASSERT_TRUE(PressOk(*box));
  ASSERT_TRUE(WaitUntil([&] { return GetClipboardSequenceNumber() != before; }, kTimeoutMs));
  const std::optional<Clipboard> seen = ReadClipboard();
  ASSERT_TRUE(seen);
  const std::wstring chart =
      ExpectedChart("--window-rules /Sex=F /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=3.5");
  EXPECT_TRUE(seen->unicode == chart) << Narrow(seen->unicode, CP_UTF8) << "\n---\n"
                                      << Narrow(chart, CP_UTF8);
  EXPECT_EQ(FindMessageBox(app.window()), nullptr);
  EXPECT_EQ(FocusOf(app), app.Control(kFev1Field));
  // Chosen again, and the field left by a click elsewhere: nothing new to apply.
  ASSERT_TRUE(ChooseCopyItem(app, 'K'));
  ASSERT_TRUE(FocusField(app, kVcField));
  EXPECT_EQ(FindMessageBox(app.window()), nullptr);
  EXPECT_EQ(WindowText(app.Control(kFev1Field)), "3.5");
  EXPECT_EQ(app.Close(), 0u);
}

// A sex chosen in the window (no /Sex key: the men's button is checked) is
// named as kestrova-cli names its code: 男性 (1), then 女性 (2).
TEST(SystemMenu, ChartNamesTheSexChosenInTheWindow) {
  const std::string values = "/Age=45 /Setake=170 /VC=3.1 /FVC=3.0 /FEV1=2.4";
  Kestrova app(values);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(ChooseCopyItem(app, 'K'));
  std::optional<Clipboard> seen = ReadClipboard();
  ASSERT_TRUE(seen);
  EXPECT_NE(seen->unicode.find(L"\x7537\x6027 (1)"), std::wstring::npos) << Narrow(seen->unicode, CP_UTF8);
  EXPECT_TRUE(seen->unicode == ExpectedChart("/Sex=1 " + values)) << Narrow(seen->unicode, CP_UTF8);

  SendMessageA(app.Control(kFemaleButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(Sync(app.window()));
  ASSERT_TRUE(ChooseCopyItem(app, 'K'));
  seen = ReadClipboard();
  ASSERT_TRUE(seen);
  EXPECT_TRUE(seen->unicode == ExpectedChart("/Sex=2 " + values)) << Narrow(seen->unicode, CP_UTF8);
  EXPECT_EQ(app.Close(), 0u);
}

// Black pixels of the open system menu: the text of the items that are
// available (greyed items are drawn in grey).
int BlackPixelsOfMenu(Kestrova& app, const char* screenshot) {
  HWND menu = OpenSystemMenu(app);
  if (menu == nullptr) return -1;
  RECT rect{};
  GetWindowRect(menu, &rect);
  Sleep(300);  // the menu is drawn after it is shown
  if (screenshot != nullptr) {
    RECT both = rect;
    RECT window{};
    GetWindowRect(app.window(), &window);
    UnionRect(&both, &both, &window);
    kestrova::winprobe::WritePng(g_screenshotDir + "/" + screenshot, CaptureScreen(both));
  }
  const kestrova::winprobe::Image image = CaptureScreen(rect);
  int count = 0;
  for (const std::uint32_t pixel : image.pixels) count += (pixel & 0xFFFFFF) == 0;
  Key(VK_ESCAPE, false);
  Key(VK_ESCAPE, true);
  WaitUntil([&] { return OpenMenu(app) == nullptr; }, kTimeoutMs);
  return count;
}

// An empty panel greys the four result items; then choosing one does nothing.
TEST(SystemMenu, EmptyPanelGreysTheResultItems) {
  int blackWithResults = 0;
  {
    Kestrova app(kFemaleExample);
    ASSERT_TRUE(app.ok());
    blackWithResults = BlackPixelsOfMenu(app, "kestrova-system-menu.png");
    EXPECT_EQ(app.Close(), 0u);
  }
  Kestrova app("/Sex=F /Setake=160");
  ASSERT_TRUE(app.ok());
  const int blackEmpty = BlackPixelsOfMenu(app, "kestrova-system-menu-greyed.png");
  EXPECT_GT(blackEmpty, 0);
  // Four items' text no longer black (a few hundred pixels).
  EXPECT_LT(blackEmpty + 200, blackWithResults) << blackEmpty;
  PutSentinelOnClipboard();
  ASSERT_TRUE(ChooseItem(app, 'K'));
  // The version box stays available; once it is up, anything K posted has run.
  ASSERT_TRUE(ChooseItem(app, 'V'));
  const std::optional<MessageBoxSeen> box = WaitForMessageBox(app.window());
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, kestrova::texts::kVersionCaption);
  EXPECT_EQ(box->text.rfind("Kestrova ver.26", 0), 0u) << box->text;
  EXPECT_NE(box->text.find(kestrova::texts::kVersionEquations), std::string::npos) << box->text;
  const std::optional<Clipboard> seen = ReadClipboard();
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->ansi, "before");
  EXPECT_TRUE(PressOk(*box));
  EXPECT_EQ(app.Close(), 0u);
}

// A folder of this test under the Unix /tmp (the browser stand-in is a Unix
// script that writes there), made empty.
std::string UnixScratch(const std::string& name) {
  const std::string folder = "Z:\\tmp\\kestrova-e2e-" + name + "-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// The items' %TEMP%\Kestrova folder, its files removed.
std::string EmptiedReportFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string folder = std::string(temp) + "Kestrova";
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return folder;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// The page in %TEMP% is the CLI's, and the browser (a script standing in for
// it through Wine's browser list) was asked to open it.
TEST(SystemMenu, ShowReportOpensTheCliPageInTheBrowser) {
  const std::string scratch = UnixScratch("browser");
  DeleteFileA((scratch + "\\opened.txt").c_str());  // Wine's process ids, and so the folder, recur
  std::string unixPath = scratch.substr(2);         // without "Z:"
  for (char& c : unixPath) {
    if (c == '\\') c = '/';
  }
  {
    std::ofstream script(scratch + "\\browser.sh", std::ios::binary);
    script << "printf '%s\\n' \"$1\" >> " << unixPath << "/opened.txt\n";
  }
  const std::string browsers = "/bin/sh " + unixPath + "/browser.sh";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browsers.c_str()),
                 static_cast<DWORD>(browsers.size() + 1));
  const std::string folder = EmptiedReportFolder();

  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(ChooseItem(app, 'P'));
  // The page is written before the browser is asked to open it.
  EXPECT_TRUE(WaitUntil([&] { return !Read(scratch + "\\opened.txt").empty(); }, kTimeoutMs));
  const std::vector<std::string> files = FilesIn(folder);
  ASSERT_EQ(files.size(), 1u);
  const std::string shown = Read(folder + "\\" + files[0]);
  const std::optional<std::string> page = CliOutput("--format html " + std::string(kFemaleExample));
  ASSERT_TRUE(page);
  EXPECT_TRUE(shown == *page) << shown.size() << " bytes, the CLI's " << page->size()
                              << "; first difference at "
                              << std::mismatch(shown.begin(), shown.end(), page->begin(), page->end()).first -
                                     shown.begin();
  EXPECT_NE(Read(scratch + "\\opened.txt").find(".html"), std::string::npos)
      << Read(scratch + "\\opened.txt");
  // The next patient of that day, sex and age: a page of its own, the first kept.
  EXPECT_FALSE(LeaveFieldWith(app, kVcField, "3.5"));
  ASSERT_TRUE(ChooseItem(app, 'P'));
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::string opened = Read(scratch + "\\opened.txt");
        return std::count(opened.begin(), opened.end(), '\n') == 2;
      },
      kTimeoutMs));
  std::vector<std::string> both = FilesIn(folder);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_TRUE(Read(folder + "\\" + files[0]) == *page);
  const std::string second = Read(folder + "\\" + (both[0] == files[0] ? both[1] : both[0]));
  EXPECT_TRUE(second == CliOutput("--format html /Sex=F /Age=45 /Setake=160 /VC=3.5 /FVC=3.0 /FEV1=2.4"))
      << second;
  EXPECT_EQ(app.Close(), 0u);
  RegDeleteValueA(key, "Browsers");
  RegCloseKey(key);
}

// Pages of the program's names older than a week go at start; a newer page
// and a file of another name stay.
TEST(SystemMenu, OldPagesAreRemovedAtStart) {
  const std::string folder = EmptiedReportFolder();
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::vector<std::string> names = {"20261101-090000-1_A-1.html", "20261208-090000-1.html",
                                          "notes.html",
                                          "20261101_女性_45歳.html"};  // as earlier versions named a page
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER old{{now.dwLowDateTime, now.dwHighDateTime}};
  old.QuadPart -= 8ull * 24 * 60 * 60 * 10'000'000;
  for (const std::string& name : names) {
    HANDLE file =
        CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const FILETIME time = name == names[1] ? now : FILETIME{old.LowPart, old.HighPart};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
  }
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  EXPECT_TRUE(WaitUntil([&] { return FilesIn(folder).size() == 2; }, kTimeoutMs));
  ASSERT_TRUE(Sync(app.window()));  // the removal runs on the window's thread: it has ended
  std::vector<std::string> kept = FilesIn(folder);
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{names[1], names[2]}));
  EXPECT_EQ(app.Close(), 0u);
}

// Opens the Save As dialog from the menu. Wine's system menu has an item of
// its own with the same access key A ("Wineについて(A)", which comes first), so
// the item is reached as a user would there: Up twice from the top (the menu
// wraps to the last item, the version box), then Enter.
bool ChooseSaveItem(Kestrova& app) {
  if (OpenSystemMenu(app) == nullptr) return false;
  for (const WORD key : {VK_UP, VK_UP, VK_RETURN}) {
    Key(key, false);
    Key(key, true);
  }
  return true;
}

// The Save As dialog of the program, once it is up.
HWND WaitForSaveDialog(Kestrova& app) {
  const std::string title(kestrova::texts::kSaveReportTitle);
  HWND dialog = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : VisibleWindowsOf(app.program().processId(), "#32770")) {
          char caption[128] = {};
          GetWindowTextA(w, caption, sizeof caption);
          if (title == caption) dialog = w;
        }
        return dialog != nullptr;
      },
      kTimeoutMs);
  return dialog;
}

// Types `path` as the dialog's file name and presses Save.
void SaveAs(HWND dialog, const std::string& path) {
  HWND name = GetDlgItem(dialog, 0x47C);  // the file name combo box
  HWND edit = name != nullptr ? FindWindowExA(name, nullptr, "Edit", nullptr) : GetDlgItem(dialog, 0x480);
  SetWindowTextTo(edit != nullptr ? edit : name, path);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// The box that asks before a file is replaced: answers it with `button`.
bool Answer(HWND owner, int button) {
  const std::optional<MessageBoxSeen> box = WaitForMessageBox(owner);
  if (!box) return false;
  PostMessageA(box->box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  return WaitUntil([&] { return !IsWindow(box->box); }, kTimeoutMs);
}

TEST(SystemMenu, SaveReportWritesTheCliPageAndAsksBeforeReplacing) {
  const std::string folder = UnixScratch("save");
  const std::string path = folder + "\\report.html";
  DeleteFileA(path.c_str());
  const std::optional<std::string> page = CliOutput("--format html " + std::string(kFemaleExample));
  ASSERT_TRUE(page);
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());

  ASSERT_TRUE(ChooseSaveItem(app));
  HWND dialog = WaitForSaveDialog(app);
  ASSERT_TRUE(dialog);
  SaveAs(dialog, path);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kTimeoutMs));
  ASSERT_TRUE(Sync(app.window()));
  EXPECT_TRUE(Read(path) == *page);

  // A device's name: refused in words, nothing written.
  ASSERT_TRUE(ChooseSaveItem(app));
  dialog = WaitForSaveDialog(app);
  ASSERT_TRUE(dialog);
  SaveAs(dialog, folder + "\\con.html");
  ASSERT_TRUE(Answer(dialog, IDYES));  // the device exists: Wine's dialog asks before replacing it
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kTimeoutMs));
  const std::optional<MessageBoxSeen> refused = WaitForMessageBox(app.window());
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, kestrova::texts::kSaveDeviceName);
  EXPECT_TRUE(PressOk(*refused));
  ASSERT_TRUE(Sync(app.window()));  // the item's handler has returned: the window has the focus again

  // Over an existing file: asked first; "No" keeps it, "Yes" replaces it.
  { std::ofstream(path, std::ios::binary) << "earlier"; }
  for (const int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(ChooseSaveItem(app));
    dialog = WaitForSaveDialog(app);
    ASSERT_TRUE(dialog);
    SaveAs(dialog, path);
    ASSERT_TRUE(Answer(dialog, answer)) << answer;
    if (answer == IDNO) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kTimeoutMs));
      ASSERT_TRUE(Sync(app.window()));
      EXPECT_EQ(Read(path), "earlier");
    }
  }
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kTimeoutMs));
  ASSERT_TRUE(Sync(app.window()));
  EXPECT_TRUE(Read(path) == *page);
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"report.html"});

  // A folder nobody may write to, root included (made immutable by the
  // e2e.readonly_folder set-up): the message, and no file there.
  char full[MAX_PATH] = {};
  GetFullPathNameA((g_screenshotDir + "\\..\\readonly-folder").c_str(), sizeof full, full, nullptr);
  const std::string locked = full;
  const std::string probe = locked + "\\probe";
  if (std::ofstream(probe).is_open()) {
    DeleteFileA(probe.c_str());
    std::printf("%s is writable (chattr +i not permitted here): no write-failure check\n", locked.c_str());
  } else {
    ASSERT_TRUE(ChooseSaveItem(app));
    dialog = WaitForSaveDialog(app);
    ASSERT_TRUE(dialog);
    SaveAs(dialog, locked + "\\report.html");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kTimeoutMs));
    const std::optional<MessageBoxSeen> box = WaitForMessageBox(app.window());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, kestrova::texts::kSaveReportFailed);
    EXPECT_TRUE(PressOk(*box));
    EXPECT_EQ(FilesIn(locked), std::vector<std::string>{});
  }
  EXPECT_EQ(app.Close(), 0u);
}

}  // namespace

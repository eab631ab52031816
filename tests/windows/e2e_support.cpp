#include "tests/windows/e2e_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

namespace kestrova::e2e {

using winprobe::Blue;
using winprobe::CaptureClientArea;
using winprobe::CaptureWindow;
using winprobe::Green;
using winprobe::Red;
using winprobe::WaitUntil;
using winprobe::WindowsPath;

std::string g_kestrovaExe;
std::string g_kestrovaCliExe;
std::string g_screenshotDir;

Kestrova::Kestrova(const std::string& arguments) {
  started_ = program_.Start(g_kestrovaExe, arguments);
  if (started_) window_ = program_.WaitForWindow("NORMAL0", kTimeoutMs);
}

std::optional<DWORD> Kestrova::Close() {
  PostMessageA(window_, WM_CLOSE, 0, 0);
  return program_.WaitForExit(kTimeoutMs);
}

std::string WindowText(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::vector<char> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  const LRESULT copied =
      SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void SetWindowTextTo(HWND window, std::string_view text) {
  const std::string copy(text);
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

std::string ClassName(HWND window) {
  char buffer[64] = {};
  GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

std::string Bytes(std::string_view text) {
  std::string out;
  char hex[4];
  for (unsigned char c : text) {
    std::snprintf(hex, sizeof hex, "%02X ", c);
    out += hex;
  }
  return out;
}

std::optional<DWORD> RunCli(const std::string& arguments, HANDLE output, const std::string& directory) {
  const std::string exe = WindowsPath(g_kestrovaCliExe);
  std::string commandLine = "\"" + exe + "\" " + arguments;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = output;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    ADD_FAILURE() << "cannot start " << exe;
    return std::nullopt;
  }
  std::optional<DWORD> code;
  if (WaitForSingleObject(info.hProcess, kTimeoutMs) == WAIT_OBJECT_0) {
    DWORD exitCode = 0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    code = exitCode;
  } else {
    ADD_FAILURE() << exe << " " << arguments << " did not end within " << kTimeoutMs << " ms";
    TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, kTimeoutMs);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return code;
}

std::optional<std::string> CliOutput(const std::string& arguments) {
  char directory[MAX_PATH] = {};
  char path[MAX_PATH] = {};
  if (GetTempPathA(sizeof directory, directory) == 0 || GetTempFileNameA(directory, "kcl", 0, path) == 0) {
    ADD_FAILURE() << "no temporary file";
    return std::nullopt;
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot write " << path;
    return std::nullopt;
  }
  const std::optional<DWORD> code = RunCli(arguments, output);
  CloseHandle(output);
  std::optional<std::string> result;
  if (code && *code != 0) {
    ADD_FAILURE() << "kestrova-cli " << arguments << " ended with exit code " << *code;
  } else if (code) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    result = text.str();
  }
  DeleteFileA(path);
  return result;
}

bool Sync(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &result) != 0;
}

namespace {

struct WindowSearch {
  DWORD processId = 0;
  const char* className = nullptr;
  std::vector<HWND> found;
};

struct BoxSearch {
  HWND owner = nullptr;
  HWND found = nullptr;
};

// The dialog class message boxes are made of.
constexpr const char* kDialogClass = "#32770";

}  // namespace

std::vector<HWND> VisibleWindowsOf(DWORD processId, const char* className) {
  WindowSearch search{processId, className, {}};
  EnumWindows(
      [](HWND window, LPARAM lParam) {
        auto* s = reinterpret_cast<WindowSearch*>(lParam);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->processId && ClassName(window) == s->className && IsWindowVisible(window)) {
          s->found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindMessageBox(HWND owner) {
  // A modal box exists before it is first shown (the dialog loop shows it once
  // the queue is empty), so visibility is not asked for.
  BoxSearch search{owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM lParam) {
        auto* s = reinterpret_cast<BoxSearch*>(lParam);
        if (GetWindow(window, GW_OWNER) == s->owner && ClassName(window) == kDialogClass) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

namespace {

MessageBoxSeen ReadMessageBox(HWND box) {
  MessageBoxSeen seen;
  seen.box = box;
  seen.caption = WindowText(box);
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) != "Static") continue;
    std::string text = WindowText(child);
    if (!text.empty()) {
      seen.text = std::move(text);
      break;
    }
  }
  return seen;
}

HWND FindMessageBoxOf(DWORD processId) {
  std::pair<DWORD, HWND> search{processId, nullptr};
  EnumWindows(
      [](HWND window, LPARAM lParam) {
        auto* s = reinterpret_cast<std::pair<DWORD, HWND>*>(lParam);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == s->first && ClassName(window) == kDialogClass) {
          s->second = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

}  // namespace

std::optional<MessageBoxSeen> WaitForMessageBox(HWND owner) {
  HWND box = nullptr;
  if (!WaitUntil([&] { return (box = FindMessageBox(owner)) != nullptr; }, kTimeoutMs)) return std::nullopt;
  return ReadMessageBox(box);
}

std::optional<MessageBoxSeen> WaitForMessageBoxOf(DWORD processId) {
  HWND box = nullptr;
  if (!WaitUntil([&] { return (box = FindMessageBoxOf(processId)) != nullptr; }, kTimeoutMs))
    return std::nullopt;
  return ReadMessageBox(box);
}

bool PressOk(const MessageBoxSeen& box) {
  PostMessageA(box.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.box, IDOK)));
  return WaitUntil([&] { return !IsWindow(box.box); }, kTimeoutMs);
}

void SendFieldNotification(const Kestrova& app, int id, WORD code) {
  SendNotifyMessageA(app.window(), WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(app.Control(id)));
}

bool NotifyField(const Kestrova& app, int id, WORD code) {
  SendFieldNotification(app, id, code);
  return Sync(app.window());
}

std::optional<MessageBoxSeen> LeaveFieldWith(const Kestrova& app, int id, std::string_view text) {
  SetWindowTextTo(app.Control(id), text);
  EXPECT_TRUE(NotifyField(app, id, EN_KILLFOCUS));
  if (FindMessageBox(app.window()) == nullptr) return std::nullopt;
  std::optional<MessageBoxSeen> seen = WaitForMessageBox(app.window());
  EXPECT_TRUE(seen.has_value());
  if (!seen) return seen;
  EXPECT_TRUE(PressOk(*seen));
  // The handler goes on after OK: reset, placeholder, repaint.
  EXPECT_TRUE(Sync(app.window()));
  return seen;
}

HWND FocusOf(const Kestrova& app) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(app.window(), nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool FocusField(const Kestrova& app, int id) {
  SetForegroundWindow(app.window());
  if (!WaitUntil([&] { return GetForegroundWindow() == app.window(); }, kTimeoutMs)) return false;
  HWND field = app.Control(id);
  PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  return WaitUntil([&] { return FocusOf(app) == field; }, kTimeoutMs) && Sync(app.window());
}

namespace {

void SendKey(WORD key, WCHAR character, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = character;
  input.ki.dwFlags = (character != 0 ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  SendInput(1, &input, sizeof input);
}

}  // namespace

void PressKey(WORD key, bool shift) {
  if (shift) SendKey(VK_SHIFT, 0, false);
  SendKey(key, 0, false);
  SendKey(key, 0, true);
  if (shift) SendKey(VK_SHIFT, 0, true);
}

void TypeText(std::wstring_view text) {
  for (const wchar_t c : text) {
    SendKey(0, c, false);
    SendKey(0, c, true);
  }
}

void TypeThroughIme(const Kestrova& app, int id, std::string_view text) {
  const std::string copy(text);
  SendMessageA(app.Control(id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(copy.c_str()));
}

namespace {

bool IsDark(std::uint32_t p) { return Red(p) <= 110 && Green(p) <= 110 && Blue(p) <= 110; }
bool IsRed(std::uint32_t p) { return Red(p) >= 180 && Green(p) <= 90 && Blue(p) <= 90; }

}  // namespace

CellInk InkIn(const Image& client, int x, int y, int width) {
  CellInk ink;
  for (int row = y; row < y + 14 && row < client.height; ++row) {
    for (int col = x; col < x + width && col < client.width; ++col) {
      const std::uint32_t p = client.At(col, row);
      if (IsRed(p))
        ++ink.red;
      else if (IsDark(p))
        ++ink.dark;
      else if (p != kPanelColour)
        ++ink.other;
    }
  }
  return ink;
}

std::vector<std::uint32_t> CellPixels(const Image& client, int x, int y, int width) {
  std::vector<std::uint32_t> pixels;
  for (int row = y; row < y + 14 && row < client.height; ++row) {
    for (int col = x; col < x + width && col < client.width; ++col) pixels.push_back(client.At(col, row));
  }
  return pixels;
}

bool ResultsOnScreen(HWND window) {
  const Image client = CaptureClientArea(window);
  return client.width > 300 && client.height > 200 && InkIn(client, 230, 170, 60).dark > 0;
}

bool PanelOnScreen(HWND window) {
  const Image client = CaptureClientArea(window);
  return client.width > 8 && client.height > 8 && client.At(4, 4) == kPanelColour;
}

void SaveScreenshot(HWND window, const std::string& name) {
  const std::string path = g_screenshotDir + "/" + name;
  ASSERT_TRUE(winprobe::WritePng(path, CaptureWindow(window))) << path;
  std::printf("screenshot: %s\n", path.c_str());
}

void SaveScreenshotWithBox(HWND window, HWND box, const std::string& name) {
  RECT windowRect, boxRect, both;
  ASSERT_TRUE(GetWindowRect(window, &windowRect) && GetWindowRect(box, &boxRect));
  UnionRect(&both, &windowRect, &boxRect);
  Image last = winprobe::CaptureScreen(both);
  const bool settled = winprobe::WaitUntil(
      [&] {
        Image now = winprobe::CaptureScreen(both);
        const bool same = IsWindowVisible(box) && now.pixels == last.pixels;
        last = std::move(now);
        return same;
      },
      kTimeoutMs, 100);
  ASSERT_TRUE(settled);
  const std::string path = g_screenshotDir + "/" + name;
  ASSERT_TRUE(winprobe::WritePng(path, last)) << path;
  std::printf("screenshot: %s\n", path.c_str());
}

}  // namespace kestrova::e2e

// Arguments after GoogleTest's own: --kestrova=PATH (kestrova.exe),
// --kestrova-cli=PATH (kestrova-cli.exe) and --screenshots=DIR.
int main(int argc, char** argv) {
  using namespace kestrova::e2e;
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--kestrova=", 0) == 0)
      g_kestrovaExe = arg.substr(11);
    else if (arg.rfind("--kestrova-cli=", 0) == 0)
      g_kestrovaCliExe = arg.substr(15);
    else if (arg.rfind("--screenshots=", 0) == 0)
      g_screenshotDir = kestrova::winprobe::WindowsPath(arg.substr(14));
  }
  if (g_kestrovaExe.empty()) {
    std::fputs(
        "usage: kestrova_e2e --kestrova=PATH\\kestrova.exe [--kestrova-cli=PATH\\kestrova-cli.exe]\n"
        "                    [--screenshots=DIR]\n",
        stderr);
    return 2;
  }
  if (g_screenshotDir.empty()) g_screenshotDir.push_back('.');  // assigning "." trips GCC 12's -Wrestrict
  return RUN_ALL_TESTS();
}

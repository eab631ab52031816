// One window at a time: later starts of kestrova.exe bring the running window
// forward and end without showing their own, through the shared block
// "AppName" (8 bytes; bytes 0 to 3 the running main window's handle): with exit
// code 0, or, when they were handed a patient that the running window does not
// take, with 3 after a message box that says so. Both programs run under the
// same wineserver, so they share the block and the screen; the tests of one
// prefix run one after another.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/windows/e2e_support.h"
#include "texts/japanese_texts.h"

// sddl.h needs the types windows.h (through e2e_support.h) declares.
// clang-format off
#include <sddl.h>
// clang-format on

namespace {

using namespace kestrova::e2e;
using kestrova::winprobe::WaitUntil;

constexpr const char* kBlockName = "AppName";

// A second start: it must end with 0 and never show a window of its own.
// Returns its exit code; `shown` tells whether a visible main window of it was
// ever seen while it ran.
struct SecondStart {
  std::optional<DWORD> exitCode;
  bool shown = false;
};

SecondStart StartAndWatch(const std::string& arguments) {
  Program second;
  SecondStart result;
  if (!second.Start(g_kestrovaExe, arguments)) return result;
  WaitUntil(
      [&] {
        if (!VisibleWindowsOf(second.processId(), "NORMAL0").empty()) result.shown = true;
        return second.WaitForExit(0).has_value();
      },
      kTimeoutMs, 1);
  result.exitCode = second.WaitForExit(0);
  return result;
}

// Position of `window` in the z-order of the top-level windows, 0 frontmost.
int ZOrder(HWND window) {
  int position = 0;
  for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT), ++position) {
    if (w == window) return position;
  }
  return -1;
}

// A plain window of the test's own process, standing in for "some other
// program's window" above kestrova's.
struct OtherWindow {
  HWND window = nullptr;
  explicit OtherWindow(const char* className, const char* title, const RECT& where) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassExA(&windowClass);
    window = CreateWindowExA(0, className, title, WS_POPUP | WS_VISIBLE, where.left, where.top,
                             where.right - where.left, where.bottom - where.top, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  }
  ~OtherWindow() { DestroyWindow(window); }
};

std::int32_t HandleBits(HWND window) { return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(window)); }

// The test's own handle on the block, which keeps it alive and lets the test
// read and write its bytes.
struct Block {
  HANDLE mapping = nullptr;
  void* view = nullptr;
  Block(DWORD protection, DWORD access) {
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protection, 0, 8, kBlockName);
    if (mapping != nullptr) view = MapViewOfFile(mapping, access, 0, 0, 0);
  }
  ~Block() {
    if (view != nullptr) UnmapViewOfFile(view);
    if (mapping != nullptr) CloseHandle(mapping);
  }
  std::int32_t Stored() const {
    std::int32_t value = 0;
    std::memcpy(&value, view, sizeof value);
    return value;
  }
  void Store(std::int32_t value) { std::memcpy(view, &value, sizeof value); }
};

// The second start brings the minimised first window back, in front of a
// window that covered it, and the first keeps its own values. Handed a
// patient, the second says in a message box that the values were not applied
// and exits with 3; without patient values it exits with 0 and says nothing.
TEST(SingleInstance, SecondStartBringsTheFirstForwardAndTellsOfValuesNotApplied) {
  Kestrova first(kFemaleExample);
  ASSERT_TRUE(first.ok());
  RECT rect{};
  GetWindowRect(first.window(), &rect);
  OtherWindow cover("KestrovaTestCover", "cover", rect);
  ASSERT_NE(cover.window, nullptr);
  SetWindowPos(cover.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  ShowWindow(first.window(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.window()) != FALSE; }, kTimeoutMs));
  ASSERT_LT(ZOrder(cover.window), ZOrder(first.window()));

  Program second;
  ASSERT_TRUE(second.Start(g_kestrovaExe, "/Sex=M /Age=70 /Setake=180 /VC=5.0 /FVC=4.0 /FEV1=3.0"));
  const std::optional<MessageBoxSeen> box = WaitForMessageBoxOf(second.processId());
  ASSERT_TRUE(box.has_value()) << "no message that the values were not applied";
  EXPECT_EQ(box->caption, "Kestrova ver.26");
  EXPECT_EQ(box->text, kestrova::texts::kHandOverRefusedText) << Bytes(box->text);
  // The first window came forward before the box was shown.
  ASSERT_TRUE(
      WaitUntil([&] { return !IsIconic(first.window()) && IsWindowVisible(first.window()); }, kTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return ZOrder(first.window()) < ZOrder(cover.window); }, kTimeoutMs));
  EXPECT_TRUE(VisibleWindowsOf(second.processId(), "NORMAL0").empty());
  ASSERT_TRUE(PressOk(*box));
  EXPECT_EQ(second.WaitForExit(kTimeoutMs), std::optional<DWORD>(3));

  const SecondStart plain = StartAndWatch("");
  EXPECT_EQ(plain.exitCode, std::optional<DWORD>(0));
  EXPECT_FALSE(plain.shown);

  EXPECT_EQ(GetWindowLongA(first.window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "not left on top";
  EXPECT_EQ(WindowText(first.Control(kAgeField)), "45");
  EXPECT_EQ(WindowText(first.Control(kHeightField)), "160");
  EXPECT_EQ(WindowText(first.Control(kVcField)), "3.1");
  EXPECT_EQ(SendMessageA(first.Control(kFemaleButton), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(WaitUntil([&] { return ResultsOnScreen(first.window()); }, kTimeoutMs));
  EXPECT_EQ(first.Close(), std::optional<DWORD>(0));
}

TEST(SingleInstance, AfterTheFirstHasClosedANewStartShowsItsWindow) {
  {
    Kestrova first("");
    ASSERT_TRUE(first.ok());
    ASSERT_EQ(first.Close(), std::optional<DWORD>(0));
  }
  Kestrova next(kFemaleExample);
  ASSERT_TRUE(next.ok());
  EXPECT_EQ(WindowText(next.Control(kAgeField)), "45");
  EXPECT_EQ(next.Close(), std::optional<DWORD>(0));
}

TEST(SingleInstance, TenQuickStartsLeaveExactlyOneWindow) {
  Kestrova first(kFemaleExample);
  ASSERT_TRUE(first.ok());
  std::vector<std::unique_ptr<Program>> starts;
  for (int i = 0; i < 10; ++i) {
    starts.push_back(std::make_unique<Program>());
    // "/DLCO=" hands over no patient value (it is never stored): no message, exit 0.
    ASSERT_TRUE(starts.back()->Start(g_kestrovaExe, "/DLCO=" + std::to_string(20 + i)));
  }
  for (const auto& start : starts) {
    const std::optional<DWORD> code = start->WaitForExit(kTimeoutMs);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
  }
  // Every main window on the screen, of any process.
  int windows = 0;
  EnumWindows(
      [](HWND w, LPARAM count) {
        if (ClassName(w) == "NORMAL0" && IsWindowVisible(w)) ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  EXPECT_EQ(windows, 1);
  EXPECT_TRUE(IsWindowVisible(first.window()));
  EXPECT_EQ(WindowText(first.Control(kAgeField)), "45");
  EXPECT_EQ(first.Close(), std::optional<DWORD>(0));
}

// The block is there, but what it holds is no running kestrova.exe: the new
// start must not vanish; it shows its window and writes its own handle.
TEST(SingleInstance, ABlockWithoutALiveKestrovaWindowIsTakenOver) {
  Block block(PAGE_READWRITE, FILE_MAP_WRITE);
  ASSERT_NE(block.view, nullptr);
  RECT corner{0, 0, 50, 50};
  OtherWindow plain("KestrovaTestPlain", "plain", corner);
  // Same class name, another program's title.
  OtherWindow sameClass("NORMAL0", "Other program", corner);
  ASSERT_NE(plain.window, nullptr);
  ASSERT_NE(sameClass.window, nullptr);

  const struct {
    std::int32_t stored;
    const char* why;
  } cases[] = {
      {0, "nothing stored"},
      {0x7FFF0123, "garbage"},
      {HandleBits(plain.window), "a live window of another class"},
      {HandleBits(sameClass.window), "a window of class NORMAL0 of another program"},
  };
  HWND ended = nullptr;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    block.Store(c.stored);
    Kestrova app(kFemaleExample);
    ASSERT_TRUE(app.ok());
    EXPECT_EQ(block.Stored(), HandleBits(app.window()));
    ended = app.window();
    EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
  }
  // The block still holds the handle of the instance that has just ended.
  ASSERT_EQ(block.Stored(), HandleBits(ended));
  Kestrova after(kFemaleExample);
  ASSERT_TRUE(after.ok()) << "a stale handle of an ended instance";
  EXPECT_EQ(after.Close(), std::optional<DWORD>(0));
}

// The name belongs to another kind of object (another program's event), so no
// block can be made: the program starts without the guard.
TEST(SingleInstance, NameTakenByAnotherKindOfObjectStillStarts) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, kBlockName);
  ASSERT_NE(event, nullptr);
  {
    Kestrova app(kFemaleExample);
    EXPECT_TRUE(app.ok());
    EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
  }
  CloseHandle(event);
}

// Another program made the block and lets others only read it: this start
// neither writes into it nor vanishes; it shows its window.
TEST(SingleInstance, BlockThatCannotBeWrittenIsLeftAloneAndTheProgramStarts) {
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  // Everyone: generic read only.
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;GR;;;WD)", SDDL_REVISION_1,
                                                                   &readOnly, nullptr));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, readOnly, FALSE};
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0, 8, kBlockName);
  ASSERT_NE(mapping, nullptr);
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  {
    Kestrova app(kFemaleExample);
    EXPECT_TRUE(app.ok());
    std::int32_t stored = -1;
    std::memcpy(&stored, view, sizeof stored);
    EXPECT_EQ(stored, 0);
    EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
  }
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  LocalFree(readOnly);
}

}  // namespace

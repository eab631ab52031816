// kestrova.exe end to end: the real program runs under Wine on a virtual
// screen, and these tests look at it from outside its process, through Win32
// calls on its window and through the pixels it shows on the screen: the
// window, its controls, the command line, the painted panel, commands and
// closing.
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "tests/windows/e2e_support.h"
#include "texts/japanese_texts.h"

namespace {

using namespace kestrova::e2e;
using kestrova::winprobe::CaptureClientArea;
using kestrova::winprobe::WaitUntil;
namespace texts = kestrova::texts;

// A 60-year-old man of 170 cm with low volumes: every rule that can flag a
// cell flags it (VC, FVC and FEV1 below their LLN, VC below 80 % of JRS2001
// and Baldwin, the measured FEV1/FVC 0.600 below its LLN 0.695 and below every
// predicted ratio).
constexpr const char* kLowVolumes = "/Sex=M /Age=60 /Setake=170 /VC=2.0 /FVC=2.5 /FEV1=1.5";

// --- The main window -------------------------------------------------------

TEST(MainWindow, HasItsClassTitleAndFixedOuterSize) {
  Kestrova app("");
  ASSERT_TRUE(app.ok());
  EXPECT_EQ(ClassName(app.window()), "NORMAL0");
  EXPECT_EQ(WindowText(app.window()), "Kestrova ver.26");
  RECT rect{};
  GetWindowRect(app.window(), &rect);
  EXPECT_EQ(rect.right - rect.left, 380);
  EXPECT_EQ(rect.bottom - rect.top, 630);
}

TEST(MainWindow, CanBeMinimisedButNotResizedOrMaximised) {
  Kestrova app("");
  ASSERT_TRUE(app.ok());
  const DWORD style = static_cast<DWORD>(GetWindowLongA(app.window(), GWL_STYLE));
  // WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; the system may add
  // WS_CLIPSIBLINGS to a top-level window.
  EXPECT_EQ(style & ~static_cast<DWORD>(WS_CLIPSIBLINGS), 0x10CA0000u);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
  EXPECT_EQ(GetWindowLongA(app.window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

// The corner lies 400 pixels left of and 300 above the screen centre. The
// tests run on two virtual screens; each checks the one it finds.
struct PlacementCase {
  int screenWidth;
  int screenHeight;
  POINT corner;
};

TEST(MainWindow, CornerFollowsTheScreenSize) {
  const PlacementCase cases[] = {
      {1920, 1080, {560, 240}},
      {1024, 768, {112, 84}},
  };
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const PlacementCase* expected = nullptr;
  for (const PlacementCase& c : cases) {
    if (c.screenWidth == width && c.screenHeight == height) expected = &c;
  }
  ASSERT_NE(expected, nullptr) << "no case for a " << width << "x" << height << " screen";
  Kestrova app("");
  ASSERT_TRUE(app.ok());
  RECT rect{};
  GetWindowRect(app.window(), &rect);
  EXPECT_EQ(rect.left, expected->corner.x);
  EXPECT_EQ(rect.top, expected->corner.y);
}

// --- The controls -----------------------------------------------------------

struct ControlCase {
  int id;
  const char* className;  // as GetClassNameA reports the system's classes
  std::string_view text;
  DWORD style;
  DWORD exStyle;
  RECT rect;             // client coordinates of the main window: left, top, right, bottom
  DWORD systemBits = 0;  // style bits the system itself may add
};

TEST(Controls, AllFourteenHaveTheirIdClassTextStyleAndPlace) {
  const ControlCase cases[] = {
      {1000, "Static", texts::kVcLabel, 0x50000000, 0, {31, 170, 83, 188}},
      {1001, "Static", texts::kHeightLabel, 0x50000001, 0, {252, 51, 302, 69}},
      {1002, "Button", texts::kHeaderButton, 0x50000300, 0, {155, 127, 325, 151}},
      {1003, "Edit", "*.**", 0x50000101, WS_EX_CLIENTEDGE, {85, 283, 135, 309}},
      {1004, "Static", texts::kFvcLabel, 0x50000000, 0, {31, 286, 84, 304}},
      {1005, "Edit", "*.**", 0x50000101, WS_EX_CLIENTEDGE, {85, 373, 135, 399}},
      {1006, "Static", "FEV1(L)", 0x50000000, 0, {31, 376, 87, 394}},
      // BM_SETCHECK makes the checked radio button a tab stop (the system's doing).
      {1007, "Button", texts::kMale, 0x50004029, 0, {75, 58, 125, 76}, WS_TABSTOP},
      {1008, "Button", texts::kFemale, 0x50004029, 0, {75, 84, 125, 100}, WS_TABSTOP},
      // The set-up adds ES_NUMBER (0x2000) to the age and height fields.
      {1009, "Edit", "**", 0x50002005, WS_EX_CLIENTEDGE, {163, 71, 213, 97}},
      {1010, "Edit", "***", 0x50002001, WS_EX_CLIENTEDGE, {251, 71, 300, 96}},
      {1011, "Static", "FEV1.0 %", 0x50000000, 0, {31, 493, 87, 511}},
      {1013, "Edit", "*.**", 0x50000001, WS_EX_CLIENTEDGE, {85, 170, 140, 193}},
      {1014, "Static", texts::kAgeLabel, 0x50000000, 0, {175, 51, 208, 69}},
  };
  Kestrova app("");
  ASSERT_TRUE(app.ok());

  int children = 0;
  EnumChildWindows(
      app.window(),
      [](HWND, LPARAM count) {
        ++*reinterpret_cast<int*>(count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children, 14);

  for (const ControlCase& c : cases) {
    SCOPED_TRACE(c.id);
    HWND control = app.Control(c.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetDlgCtrlID(control), c.id);
    EXPECT_EQ(ClassName(control), c.className);
    const std::string text = WindowText(control);
    EXPECT_EQ(text, c.text) << Bytes(text) << "vs " << Bytes(c.text);
    const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)) & ~c.systemBits;
    EXPECT_EQ(style, c.style) << std::hex << style;
    EXPECT_EQ(style & (WS_TABSTOP | WS_GROUP), 0u);
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & WS_EX_CLIENTEDGE, c.exStyle & WS_EX_CLIENTEDGE) << std::hex << exStyle;
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, app.window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, c.rect.left);
    EXPECT_EQ(rect.top, c.rect.top);
    EXPECT_EQ(rect.right, c.rect.right);
    EXPECT_EQ(rect.bottom, c.rect.bottom);
  }
}

// --- The command line -------------------------------------------------------

struct FieldCase {
  int id;
  const char* text;
};

TEST(CommandLine, FemaleExampleChecksFemaleAndFillsTheFieldsAsGiven) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  EXPECT_EQ(SendMessageA(app.Control(1008), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(app.Control(1007), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  const FieldCase fields[] = {
      {1009, "45"},  {1010, "160"},
      {1013, "3.1"}, {1003, "3.0"},  // the text as given, not the number 3 written anew
      {1005, "2.4"},
  };
  for (const FieldCase& f : fields) EXPECT_EQ(WindowText(app.Control(f.id)), f.text) << f.id;
}

TEST(CommandLine, WithoutValuesMaleIsCheckedAndFieldsShowPlaceholders) {
  Kestrova app("");
  ASSERT_TRUE(app.ok());
  EXPECT_EQ(SendMessageA(app.Control(1007), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(app.Control(1008), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  const FieldCase fields[] = {{1009, "**"}, {1010, "***"}, {1013, "*.**"}, {1003, "*.**"}, {1005, "*.**"}};
  for (const FieldCase& f : fields) EXPECT_EQ(WindowText(app.Control(f.id)), f.text) << f.id;
}

// A long command line (other words before the keys push them past byte 255)
// still fills every field.
TEST(CommandLine, KeysFarIntoALongLineAreFound) {
  const std::string filler(300, 'x');
  Kestrova app(filler + " " + kFemaleExample);
  ASSERT_TRUE(app.ok());
  EXPECT_EQ(SendMessageA(app.Control(1008), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(WindowText(app.Control(1009)), "45");
  EXPECT_EQ(WindowText(app.Control(1005)), "2.4");
}

// --- The painted panel -------------------------------------------------------

constexpr int kResultRows[] = {170, 195, 220, 245, 285, 310, 335, 375, 400, 425, 450, 490, 515, 540, 565};

// The cells that carry a percentage (x 160: ten characters wide, ending
// before the result lines at 230), and the measured FEV1/FVC (x 100).
struct Cell {
  int x;
  int y;
};
constexpr Cell kPercentCells[] = {{160, 170}, {160, 220}, {160, 245}, {160, 285}, {160, 335}, {160, 375},
                                  {160, 425}, {160, 450}, {100, 490}, {160, 490}, {160, 540}, {160, 565}};

struct PanelCase {
  const char* arguments;
  const char* screenshot;
  const char* inks;  // of kPercentCells in order: 'R' red, 'B' black
};

// Result lines are black, each percentage cell is red exactly when its rule
// flags it, and the rows of a lower limit never carry a percentage.
TEST(Panel, CellsAreRedWhereTheirRulesFlag) {
  const PanelCase cases[] = {
      // Measured FEV1/FVC 0.800 is above its LLN 0.734 but below every
      // predicted ratio (0.825, 0.834, 0.854): the FEV1/FVC rows only.
      {kFemaleExample, "kestrova-female-45.png", "BBBBBBBBBRRR"},
      // Low volumes: every rule that can flag does (FVC against JRS2001 never is).
      {kLowVolumes, "kestrova-male-60-low.png", "RRRRBRBBRRRR"},
  };
  for (const PanelCase& c : cases) {
    SCOPED_TRACE(c.arguments);
    Kestrova app(c.arguments);
    ASSERT_TRUE(app.ok());
    ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
    SaveScreenshot(app.window(), c.screenshot);
    const Image client = CaptureClientArea(app.window());
    for (int y : kResultRows) {
      const CellInk ink = InkIn(client, 230, y, 120);
      EXPECT_GT(ink.dark, 0) << "result line at y " << y;
      EXPECT_EQ(ink.red, 0) << "result line at y " << y;
    }
    for (std::size_t i = 0; i < std::size(kPercentCells); ++i) {
      const Cell& cell = kPercentCells[i];
      const CellInk ink = InkIn(client, cell.x, cell.y, cell.x == 160 ? 64 : 45);
      const bool red = c.inks[i] == 'R';
      EXPECT_EQ(ink.red > 0, red) << "cell at x " << cell.x << ", y " << cell.y;
      EXPECT_EQ(ink.dark > 0, !red) << "cell at x " << cell.x << ", y " << cell.y;
    }
    for (int y : {195, 310, 400, 515}) {
      const CellInk ink = InkIn(client, 160, y, 64);
      EXPECT_EQ(ink.dark + ink.red, 0) << "lower limit at y " << y;
    }
  }
}

// Without age and height nothing is calculated: the panel is its background only.
TEST(Panel, WithoutInputsOnlyTheBackgroundIsPainted) {
  Kestrova app("");
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return PanelOnScreen(app.window()); }, kTimeoutMs));
  const Image client = CaptureClientArea(app.window());
  for (int y : kResultRows) {
    const CellInk ink = InkIn(client, 150, y, 220);
    EXPECT_EQ(ink.dark + ink.red + ink.other, 0) << "y " << y;
  }
}

// --- Commands and closing -----------------------------------------------------

struct CommandCase {
  WORD id;
  WORD code;
  const char* why;
};

TEST(Commands, UnknownIdsAndUnhandledNotificationsChangeNothing) {
  const CommandCase cases[] = {
      {1234, BN_CLICKED, "no such control"},
      {1003, EN_CHANGE, "typing in the FVC field is not handled"},
      {1002, EN_SETFOCUS, "the header button only answers BN_CLICKED"},
  };
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  const Image before = CaptureClientArea(app.window());
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(SendMessageA(app.window(), WM_COMMAND, MAKEWPARAM(c.id, c.code), 0), 0);
  }
  const Image after = CaptureClientArea(app.window());
  EXPECT_TRUE(before.pixels == after.pixels);
  EXPECT_EQ(WindowText(app.Control(1009)), "45");
  EXPECT_EQ(SendMessageA(app.Control(1008), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(app.program().WaitForExit(0).has_value());
}

// The column-header button recalculates and paints the same results again. The
// panel is painted over first (without invalidating it), so only the button's
// own drawing can bring the results back.
TEST(Commands, HeaderButtonRepaintsTheResults) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  const Image before = CaptureClientArea(app.window());
  HDC dc = GetDC(app.window());
  HBRUSH panelColour = CreateSolidBrush(RGB(245, 245, 245));
  const RECT cellsAndLines{160, 160, 380, 630};
  FillRect(dc, &cellsAndLines, panelColour);
  DeleteObject(panelColour);
  ReleaseDC(app.window(), dc);
  // Drawing from two processes reaches the screen in its own time: wait for it.
  const auto shows = [&](bool results) {
    return WaitUntil([&] { return (CaptureClientArea(app.window()).pixels == before.pixels) == results; },
                     kTimeoutMs);
  };
  ASSERT_TRUE(shows(false)) << "the panel was not painted over";
  EXPECT_EQ(SendMessageA(app.window(), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), 0), 0);
  EXPECT_TRUE(shows(true));
}

TEST(Closing, WmCloseEndsTheProcessWithExitCodeZero) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  PostMessageA(app.window(), WM_CLOSE, 0, 0);
  const std::optional<DWORD> code = app.program().WaitForExit(kTimeoutMs);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
}

}  // namespace

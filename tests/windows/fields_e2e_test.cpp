// The input fields of kestrova.exe end to end: text typed into the real edit
// controls, the notifications the main window gets when a field gains or
// loses the focus, the real message boxes (caption and text bytes, then OK),
// the radio buttons, and what the panel shows afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/windows/e2e_support.h"
#include "texts/japanese_texts.h"

namespace {

using namespace kestrova::e2e;
using kestrova::winprobe::CaptureClientArea;
using kestrova::winprobe::WaitUntil;
namespace texts = kestrova::texts;

// The rows of each volume that carry a percentage (x 160).
const std::vector<int> kVcPercentRows = {170, 220, 245};
const std::vector<int> kFvcPercentRows = {285, 335};
const std::vector<int> kFev1PercentRows = {375, 425, 450};

constexpr int kPercentX = 160;
constexpr int kPercentWidth = 64;
constexpr int kResultX = 230;
constexpr int kResultWidth = 140;

std::string Concat(std::string_view a, std::string_view b) { return std::string(a) + std::string(b); }

bool CellsBlank(HWND window, const std::vector<int>& rows) {
  const Image client = CaptureClientArea(window);
  for (int y : rows) {
    const CellInk ink = InkIn(client, kPercentX, y, kPercentWidth);
    if (ink.dark + ink.red != 0) return false;
  }
  return true;
}

bool CellsInked(HWND window, const std::vector<int>& rows) {
  const Image client = CaptureClientArea(window);
  for (int y : rows) {
    const CellInk ink = InkIn(client, kPercentX, y, kPercentWidth);
    if (ink.dark + ink.red == 0) return false;
  }
  return true;
}

// The pixels of the cells at x, one per row, in one vector.
std::vector<std::uint32_t> Column(HWND window, int x, int width, const std::vector<int>& rows) {
  const Image client = CaptureClientArea(window);
  std::vector<std::uint32_t> pixels;
  for (int y : rows) {
    const std::vector<std::uint32_t> cell = CellPixels(client, x, y, width);
    pixels.insert(pixels.end(), cell.begin(), cell.end());
  }
  return pixels;
}

const std::vector<int> kAllResultRows = {170, 195, 220, 245, 285, 310, 335, 375,
                                         400, 425, 450, 490, 515, 540, 565};

std::vector<std::uint32_t> ResultColumn(HWND window) {
  return Column(window, kResultX, kResultWidth, kAllResultRows);
}

// True when the panel shows no text at all, only its background: every
// result line, percentage cell and the measured FEV1/FVC are gone.
bool PanelBare(HWND window) {
  const Image client = CaptureClientArea(window);
  const auto bare = [](const CellInk& ink) { return ink.dark + ink.red + ink.other == 0; };
  for (int y : kAllResultRows) {
    if (!bare(InkIn(client, kPercentX, y, 380 - kPercentX))) return false;
  }
  return bare(InkIn(client, 100, 490, kPercentX - 100));  // the measured FEV1/FVC
}

// The pixels of every control of the window but `except` (client
// coordinates, each control's whole rectangle), one after another.
std::vector<std::uint32_t> ControlPixels(HWND window, HWND except) {
  const Image client = CaptureClientArea(window);
  std::vector<std::uint32_t> pixels;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == except) continue;
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    for (int y = rect.top; y < rect.bottom && y < client.height; ++y) {
      for (int x = rect.left; x < rect.right && x < client.width; ++x) pixels.push_back(client.At(x, y));
    }
  }
  return pixels;
}

// Waits until the column differs from `before`.
bool ColumnChanges(HWND window, int x, int width, const std::vector<int>& rows,
                   const std::vector<std::uint32_t>& before) {
  return WaitUntil([&] { return Column(window, x, width, rows) != before; }, kTimeoutMs);
}

// --- Range messages ------------------------------------------------------------

struct RejectionCase {
  int field;
  const char* valid;  // accepted without a warning before the case
  const char* typed;
  std::string caption;
  std::string text;
  const char* placeholder;           // what the field shows after OK
  std::vector<int> blankRows;        // percentage cells of the rejected input, blank after OK
  const char* screenshot = nullptr;  // saved with the box up (the user guide shows it)
};

// A volume outside 1 to 15 is quoted in its range message, then becomes 0:
// the field shows "*.**" again and its percentages are wiped.
TEST(FieldChecks, VolumeOutOfRangeShowsItsRangeMessageAndThePlaceholderAgain) {
  const RejectionCase cases[] = {
      // VC has its own spacing: "1.0-15 です", "入力：" without a blank.
      {kVcField, "3.1", "35", std::string(texts::kVcRangeCaption), Concat(texts::kInputPrefix, "35"), "*.**",
       kVcPercentRows, "kestrova-vc-range-message.png"},
      // The comma is dropped: 3,5 reads as 35.
      {kFvcField, "3.0", "3,5", std::string(texts::kFvcFev1RangeCaption),
       Concat(texts::kFvcFev1RangePrefix, "35"), "*.**", kFvcPercentRows},
      {kFev1Field, "2.4", "0.99", std::string(texts::kFvcFev1RangeCaption),
       Concat(texts::kFvcFev1RangePrefix, "0.99"), "*.**", kFev1PercentRows},
      {kVcField, "3.1", "15.01", std::string(texts::kVcRangeCaption), Concat(texts::kInputPrefix, "15.01"),
       "*.**", kVcPercentRows},
  };
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  for (const RejectionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "field " << c.field << " typed " << c.typed);
    // First an accepted value, so that the percentages stand before the check.
    const std::optional<MessageBoxSeen> accepted = LeaveFieldWith(app, c.field, c.valid);
    ASSERT_FALSE(accepted.has_value()) << Bytes(accepted->text);
    ASSERT_TRUE(WaitUntil([&] { return CellsInked(app.window(), c.blankRows); }, kTimeoutMs));
    SetWindowTextTo(app.Control(c.field), c.typed);
    SendFieldNotification(app, c.field, EN_KILLFOCUS);
    const std::optional<MessageBoxSeen> box = WaitForMessageBox(app.window());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, c.caption) << Bytes(box->caption);
    EXPECT_EQ(box->text, c.text) << Bytes(box->text);
    // While the box waits the field still shows what was read.
    EXPECT_NE(WindowText(app.Control(c.field)), c.placeholder);
    if (c.screenshot != nullptr) SaveScreenshotWithBox(app.window(), box->box, c.screenshot);
    ASSERT_TRUE(PressOk(*box));
    ASSERT_TRUE(Sync(app.window()));
    EXPECT_EQ(WindowText(app.Control(c.field)), c.placeholder);
    EXPECT_TRUE(WaitUntil([&] { return CellsBlank(app.window(), c.blankRows); }, kTimeoutMs));
    EXPECT_EQ(FindMessageBox(app.window()), nullptr);
  }
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

// The message's bytes are the Shift-JIS ones; the field gets "***" back.
TEST(FieldChecks, HeightOf99Or273ShowsTheHeightMessageAndThePlaceholderAgain) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  for (const char* typed : {"99", "273"}) {
    SCOPED_TRACE(typed);
    SetWindowTextTo(app.Control(kHeightField), typed);
    SendFieldNotification(app, kHeightField, EN_KILLFOCUS);
    const std::optional<MessageBoxSeen> box = WaitForMessageBox(app.window());
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(Bytes(box->caption), "90 67 92 B7 ");                          // 身長
    EXPECT_EQ(Bytes(box->text), "31 30 30 2D 32 37 32 63 6D 82 C5 82 B7 ");  // 100-272cmです
    // OK only, no icon.
    EXPECT_NE(GetDlgItem(box->box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box->box, IDCANCEL), nullptr);
    ASSERT_TRUE(PressOk(*box));
    ASSERT_TRUE(Sync(app.window()));
    EXPECT_EQ(WindowText(app.Control(kHeightField)), "***");
  }
}

// --- Warnings -------------------------------------------------------------------

struct WarningCase {
  int field;
  const char* typed;
  std::string text;  // under "確認 !!"
};

// A volume that contradicts another is warned about and kept: the field keeps
// its text and the percentages are drawn from the new value.
TEST(FieldChecks, ContradictingVolumesWarnAndKeepTheirValue) {
  // Starting from VC 3.1, FVC 3.0, FEV1 2.4, in this order.
  const WarningCase cases[] = {
      {kFev1Field, "3.5", Concat(texts::kInputPrefix, "3.5") + std::string(texts::kGreaterThanFvc) + "3"},
      {kFvcField, "3.5", Concat(texts::kInputPrefix, "3.5") + std::string(texts::kGreaterThanVc) + "3.1"},
      // Below both FVC 3.5 and FEV1 3.5: only the FVC warning.
      {kVcField, "2", Concat(texts::kInputPrefix, "2") + std::string(texts::kLessThanFvc) + "3.5"},
  };
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  for (const WarningCase& c : cases) {
    SCOPED_TRACE(c.typed);
    const std::vector<int> rows = c.field == kVcField    ? kVcPercentRows
                                  : c.field == kFvcField ? kFvcPercentRows
                                                         : kFev1PercentRows;
    const std::vector<std::uint32_t> before = Column(app.window(), kPercentX, kPercentWidth, rows);
    const std::optional<MessageBoxSeen> box = LeaveFieldWith(app, c.field, c.typed);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(Bytes(box->caption), "8A 6D 94 46 20 21 21 ");  // 確認 !!
    EXPECT_EQ(box->text, c.text) << Bytes(box->text);
    EXPECT_EQ(WindowText(app.Control(c.field)), c.typed);
    // The kept value is repainted as percentages: they change and are not blank.
    EXPECT_TRUE(ColumnChanges(app.window(), kPercentX, kPercentWidth, rows, before));
    EXPECT_TRUE(CellsInked(app.window(), rows));
  }
}

// The bounds 1 and 15 are accepted; with FVC not entered an FEV1 of any
// accepted size draws no warning (VC first: a VC below FEV1 would be warned of).
TEST(FieldChecks, AcceptedVolumesShowNoMessage) {
  const struct {
    int field;
    const char* typed;
  } cases[] = {{kVcField, "15"}, {kVcField, "1"}, {kFev1Field, "4.5"}, {kFev1Field, "1"}, {kFev1Field, "15"}};
  Kestrova app("/Sex=F /Age=45 /Setake=160");
  ASSERT_TRUE(app.ok());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const std::optional<MessageBoxSeen> box = LeaveFieldWith(app, c.field, c.typed);
    EXPECT_FALSE(box.has_value()) << Bytes(box->caption) << "/ " << Bytes(box->text);
    EXPECT_EQ(WindowText(app.Control(c.field)), c.typed);
  }
}

// --- Recalculation and repaint ----------------------------------------------------

// Leaving the age field with an age from 17 to 95 recalculates; 16 and 96 are
// stored silently and clear the panel's texts, so no results of the age before
// stay beside them, while every label, button and field stays drawn. Heights
// from 100 to 272 recalculate; an emptied height clears the panel too.
TEST(FieldChecks, ValidAgeOrHeightRecalculatesAndAnAgeOutside17To95ClearsThePanel) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  ASSERT_TRUE(Sync(app.window()));
  // The age field's own text changes; every other control must look the same.
  const std::vector<std::uint32_t> controls = ControlPixels(app.window(), app.Control(kAgeField));
  std::vector<std::uint32_t> before = ResultColumn(app.window());

  EXPECT_EQ(LeaveFieldWith(app, kAgeField, "70"), std::nullopt);
  EXPECT_TRUE(ColumnChanges(app.window(), kResultX, kResultWidth, kAllResultRows, before));
  SaveScreenshot(app.window(), "kestrova-female-70.png");

  for (const char* typed : {"16", "96"}) {
    EXPECT_EQ(LeaveFieldWith(app, kAgeField, typed), std::nullopt) << typed;
    EXPECT_EQ(WindowText(app.Control(kAgeField)), typed);
    EXPECT_TRUE(WaitUntil([&] { return PanelBare(app.window()); }, kTimeoutMs)) << typed;
    EXPECT_TRUE(ControlPixels(app.window(), app.Control(kAgeField)) == controls) << typed;
    EXPECT_EQ(LeaveFieldWith(app, kAgeField, "70"), std::nullopt);
    EXPECT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  }

  before = ResultColumn(app.window());
  EXPECT_EQ(LeaveFieldWith(app, kAgeField, "45"), std::nullopt);
  EXPECT_TRUE(ColumnChanges(app.window(), kResultX, kResultWidth, kAllResultRows, before));
  before = ResultColumn(app.window());
  EXPECT_EQ(LeaveFieldWith(app, kHeightField, "100"), std::nullopt);
  EXPECT_TRUE(ColumnChanges(app.window(), kResultX, kResultWidth, kAllResultRows, before));
  EXPECT_EQ(LeaveFieldWith(app, kHeightField, ""), std::nullopt);
  EXPECT_TRUE(WaitUntil([&] { return PanelBare(app.window()); }, kTimeoutMs));
}

// Clicking "女性" checks it, unchecks "男性" and paints the women's results;
// clicking "男性" again brings back exactly the men's.
TEST(FieldChecks, ClickingTheSexButtonsSwitchesTheEquations) {
  Kestrova app("/Sex=M /Age=45 /Setake=160 /VC=3.1 /FVC=3.0 /FEV1=2.4");
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  const std::vector<std::uint32_t> male = ResultColumn(app.window());

  SendMessageA(app.Control(kFemaleButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(Sync(app.window()));
  EXPECT_EQ(SendMessageA(app.Control(kFemaleButton), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(app.Control(kMaleButton), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(ColumnChanges(app.window(), kResultX, kResultWidth, kAllResultRows, male));

  SendMessageA(app.Control(kMaleButton), BM_CLICK, 0, 0);
  ASSERT_TRUE(Sync(app.window()));
  EXPECT_EQ(SendMessageA(app.Control(kMaleButton), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(app.Control(kFemaleButton), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(WaitUntil([&] { return ResultColumn(app.window()) == male; }, kTimeoutMs));
}

// A volume check repaints the percentages only: the VC cells change, the
// result lines stay as they were.
TEST(FieldChecks, VolumeCheckRepaintsThePercentagesOnly) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(WaitUntil([&] { return ResultsOnScreen(app.window()); }, kTimeoutMs));
  const std::vector<std::uint32_t> results = ResultColumn(app.window());
  const std::vector<std::uint32_t> vcCells = Column(app.window(), kPercentX, kPercentWidth, kVcPercentRows);
  EXPECT_EQ(LeaveFieldWith(app, kVcField, "3.5"), std::nullopt);
  EXPECT_TRUE(ColumnChanges(app.window(), kPercentX, kPercentWidth, kVcPercentRows, vcCells));
  EXPECT_TRUE(CellsInked(app.window(), kVcPercentRows));
  EXPECT_TRUE(ResultColumn(app.window()) == results);
  // An emptied field reads as 0: no message, blank cells.
  EXPECT_EQ(LeaveFieldWith(app, kVcField, ""), std::nullopt);
  EXPECT_TRUE(WaitUntil([&] { return CellsBlank(app.window(), kVcPercentRows); }, kTimeoutMs));
}

// --- Cleaning -------------------------------------------------------------------------

struct CleaningCase {
  const char* typed;
  const char* shown;  // the field's text once it was read
  const char* why;
};

// Gaining the focus reads a volume field: it shows the cleaned text from then on.
TEST(FieldChecks, ReadingAVolumeFieldShowsTheCleanedText) {
  const CleaningCase cases[] = {
      {"*.**", "", "the placeholder empties the field"},
      {"2*.**", "2", "a digit typed before the placeholder"},
      {" 2.5 L", "2.5", "blanks and the unit are dropped"},
      {"1.2.3", "1.23", "later points are dropped"},
      {"5.", "5.", "a closing point stays"},
      {"3,5", "35", "the comma is dropped"},
      {"1\t2\x01", "12", "control characters are dropped, though a locale comparison ignores them"},
      {"\x82\x51\x81\x44\x82\x54", "2.5", "full-width ２．５ reads as the batch reads it"},
      {"2.5", "2.5", "a clean text stays"},
  };
  Kestrova app("");
  ASSERT_TRUE(app.ok());
  for (const CleaningCase& c : cases) {
    SCOPED_TRACE(c.why);
    SetWindowTextTo(app.Control(kVcField), c.typed);
    ASSERT_TRUE(NotifyField(app, kVcField, EN_SETFOCUS));
    EXPECT_EQ(FindMessageBox(app.window()), nullptr);
    EXPECT_EQ(WindowText(app.Control(kVcField)), c.shown);
  }
}

// The age and height fields take digit keystrokes only; the VC field takes any.
TEST(FieldChecks, AgeAndHeightFieldsTakeDigitKeystrokesOnly) {
  const struct {
    int field;
    const char* keys;
    const char* shown;
  } cases[] = {
      {kAgeField, "1a.7-", "17"},
      {kHeightField, "1a.7-", "17"},
      {kVcField, "1a.7-", "1a.7-"},
  };
  Kestrova app("");
  ASSERT_TRUE(app.ok());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    SetWindowTextTo(app.Control(c.field), "");
    // Sent one by one: each keystroke is handled before the next.
    for (char key : std::string(c.keys)) SendMessageA(app.Control(c.field), WM_CHAR, key, 1);
    EXPECT_EQ(WindowText(app.Control(c.field)), c.shown);
  }
}

// Tab and Enter move the focus down the fields in their order on screen (age,
// height, VC, FVC, FEV1, wrapping round), Shift+Tab back up; the field left is
// checked, and no key reaches a field as a character: "3.1", Tab, "2.5" is
// VC 3.1 and FVC 2.5, not VC 3.125. Full-width digits typed through the IME
// read as ASCII.
TEST(FieldChecks, TabAndEnterMoveBetweenTheFieldsInTheirOrder) {
  Kestrova app("/Sex=F /Age=45 /Setake=160");
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(FocusField(app, kVcField));
  const auto focusReaches = [&](int id) {
    return WaitUntil([&] { return FocusOf(app) == app.Control(id); }, kTimeoutMs);
  };
  TypeText(L"3.1");
  PressKey(VK_TAB);
  ASSERT_TRUE(focusReaches(kFvcField));
  TypeText(L"2.5");
  PressKey(VK_TAB);
  ASSERT_TRUE(focusReaches(kFev1Field));
  EXPECT_EQ(WindowText(app.Control(kVcField)), "3.1");
  EXPECT_TRUE(WaitUntil([&] { return CellsInked(app.window(), kFvcPercentRows); }, kTimeoutMs));
  EXPECT_EQ(WindowText(app.Control(kFvcField)), "2.5");
  TypeThroughIme(app, kFev1Field, "\x82\x50\x81\x44\x82\x57");  // １．８
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app.Control(kFev1Field)) == "\x82\x50\x81\x44\x82\x57"; },
                        kTimeoutMs))
      << Bytes(WindowText(app.Control(kFev1Field)));
  PressKey(VK_TAB);
  ASSERT_TRUE(focusReaches(kAgeField));  // wrapped round
  EXPECT_EQ(WindowText(app.Control(kFev1Field)), "1.8");
  EXPECT_TRUE(CellsInked(app.window(), kFev1PercentRows));

  const struct {
    WORD key;
    bool shift;
    int reached;
  } steps[] = {
      {VK_RETURN, false, kHeightField},  // from the multiline age field, without a line break
      {VK_TAB, true, kAgeField},
      {VK_TAB, true, kFev1Field},  // wrapped round backwards
      {VK_RETURN, false, kAgeField},
  };
  for (const auto& step : steps) {
    PressKey(step.key, step.shift);
    EXPECT_TRUE(focusReaches(step.reached)) << step.reached;
  }
  EXPECT_EQ(WindowText(app.Control(kAgeField)), "45");
  EXPECT_EQ(WindowText(app.Control(kHeightField)), "160");
  EXPECT_EQ(FindMessageBox(app.window()), nullptr);
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

}  // namespace

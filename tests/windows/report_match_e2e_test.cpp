// kestrova.exe's window draws the panel it computed, pixel for pixel.
//
// The window and kestrova-cli compute a patient the same way (one call of the
// library); what is left to show is that the window draws what it computed.
// Painted text cannot be read back from a window, so the panel's texts as
// kestrova-cli's JSON gives them (each result line, each percentage cell as
// drawn, the measured FEV1/FVC, and which are red) are drawn again here into
// an offscreen bitmap of the panel's size: same places, same font description,
// opaque background in the panel colour, black or red text, each text clipped
// at its column's edge (the measured FEV1/FVC at x 160, the cells at 230, the
// lines at 380) with the rest of its row there filled. The box of every text
// must hold the same pixels on the screen as in the bitmap, and the part of the
// panel where the texts stand must be bare outside those boxes. Negative
// controls turn one colour over and leave one text out, and expect the
// comparison to see each.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/windows/e2e_support.h"

namespace {

using namespace kestrova::e2e;
using kestrova::winprobe::CaptureClientArea;
using kestrova::winprobe::WaitUntil;

// One text of the panel.
struct PanelText {
  int x;
  int y;
  std::string text;
  bool red;
};

constexpr int kRowY[] = {170, 195, 220, 245, 285, 310, 335, 375, 400, 425, 450, 490, 515, 540, 565};
constexpr int kLineX = 230;
constexpr int kCellX = 160;
constexpr int kRatioX = 100;
constexpr int kRatioY = 490;

int ColumnRight(int x) { return x < kCellX ? kCellX : x < kLineX ? kLineX : 380; }

// The value after `"key": ` in `json` from `from` on: a string's characters
// (the panel's texts hold no quote or backslash) or a word ("true");
// nothing when the key is not there.
std::optional<std::string> ValueOf(std::string_view json, std::string_view key, std::size_t from = 0) {
  std::string marker(1, '"');
  marker.append(key).append("\": ");
  const std::size_t at = json.find(marker, from);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t begin = at + marker.size();
  const bool quoted = json[begin] == '"';
  begin += quoted;
  const std::size_t end = json.find_first_of(quoted ? "\"" : ",}", begin);
  return std::string(json.substr(begin, end - begin));
}

// The panel's texts from kestrova-cli's JSON (a result a line), in the order
// the window draws them: the fifteen lines, then the cells top to bottom with
// the measured FEV1/FVC just before the cells of the FEV1/FVC rows.
std::vector<PanelText> ReportFor(const std::string& arguments) {
  const std::optional<std::string> json = CliOutput("--format json " + arguments);
  if (!json) return {};
  std::vector<PanelText> lines, cells;
  std::istringstream rows(*json);
  for (std::string row; std::getline(rows, row);) {
    const std::optional<std::string> line = ValueOf(row, "line");
    if (!line || lines.size() == std::size(kRowY)) continue;
    const int y = kRowY[lines.size()];
    lines.push_back({kLineX, y, *line, false});
    if (const auto cell = ValueOf(row, "cell"))
      cells.push_back({kCellX, y, *cell, ValueOf(row, "red") == "true"});
  }
  EXPECT_EQ(lines.size(), std::size(kRowY)) << *json;
  std::vector<PanelText> texts = lines;
  const std::size_t ratio = json->find("\"measuredRatio\": {");
  for (const PanelText& cell : cells) {
    if (cell.y == kRatioY && ratio != std::string::npos) {
      texts.push_back({kRatioX, kRatioY, ValueOf(*json, "text", ratio).value_or(""),
                       ValueOf(*json, "red", ratio) == "true"});
    }
    texts.push_back(cell);
  }
  return texts;
}

// An offscreen 32-bit bitmap of the panel's size with the panel's font
// selected, drawn as the window draws.
class OffscreenPanel {
 public:
  static constexpr int kWidth = 380;
  static constexpr int kHeight = 630;

  OffscreenPanel() {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    LOGFONTA description{};
    description.lfHeight = 14;
    description.lfCharSet = DEFAULT_CHARSET;
    font_ = CreateFontIndirectA(&description);
    oldFont_ = SelectObject(dc_, font_);
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, RGB(245, 245, 245));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_, &metrics);
    lineHeight_ = metrics.tmHeight;
  }
  OffscreenPanel(const OffscreenPanel&) = delete;
  OffscreenPanel& operator=(const OffscreenPanel&) = delete;
  ~OffscreenPanel() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteObject(font_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  bool ok() const { return bits_ != nullptr && font_ != nullptr; }

  // The box a text covers at its place: its extent, cut at its column's edge.
  RECT Box(const PanelText& t) const {
    SIZE size{};
    GetTextExtentPoint32A(dc_, t.text.data(), static_cast<int>(t.text.size()), &size);
    return RECT{t.x, t.y, std::min<LONG>(t.x + size.cx, ColumnRight(t.x)), t.y + size.cy};
  }

  // The panel with `texts` drawn in order on a fresh fill.
  Image Draw(const std::vector<PanelText>& texts) {
    HBRUSH panel = CreateSolidBrush(RGB(245, 245, 245));
    const RECT all{0, 0, kWidth, kHeight};
    FillRect(dc_, &all, panel);
    DeleteObject(panel);
    for (const PanelText& t : texts) {
      SetTextColor(dc_, t.red ? RGB(255, 0, 0) : RGB(0, 0, 0));
      const RECT cell{t.x, t.y, ColumnRight(t.x), t.y + lineHeight_};
      ExtTextOutA(dc_, t.x, t.y, ETO_CLIPPED | ETO_OPAQUE, &cell, t.text.data(),
                  static_cast<UINT>(t.text.size()), nullptr);
    }
    GdiFlush();
    Image image;
    image.width = kWidth;
    image.height = kHeight;
    const auto* source = static_cast<const std::uint32_t*>(bits_);
    image.pixels.assign(source, source + static_cast<std::size_t>(kWidth) * kHeight);
    for (std::uint32_t& p : image.pixels) p &= 0x00FFFFFF;
    return image;
  }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  void* bits_ = nullptr;
  int lineHeight_ = 0;
};

// The texts whose boxes do not hold the same pixels in `window` (the captured
// client area) as in `drawn`, each as "(x, y) "text": n pixels differ".
std::vector<std::string> Mismatches(const Image& window, const Image& drawn, const OffscreenPanel& panel,
                                    const std::vector<PanelText>& texts) {
  std::vector<std::string> found;
  for (const PanelText& t : texts) {
    const RECT box = panel.Box(t);
    int differing = 0;
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) {
        differing += x >= window.width || y >= window.height || window.At(x, y) != drawn.At(x, y);
      }
    }
    if (differing > 0) {
      std::ostringstream what;
      what << "(" << t.x << ", " << t.y << ") \"" << t.text << "\": " << differing << " pixels differ";
      found.push_back(what.str());
    }
  }
  return found;
}

// Pixels right of the input fields below the column header, and at the
// measured FEV1/FVC's place, outside every text's box, that are not the panel
// colour: something the window shows that it was not to draw.
int InkOutside(const Image& window, const OffscreenPanel& panel, const std::vector<PanelText>& texts) {
  constexpr RECT kTextAreas[] = {{145, 160, 380, 590}, {95, 485, 145, 510}};
  std::vector<RECT> boxes;
  for (const PanelText& t : texts) boxes.push_back(panel.Box(t));
  int ink = 0;
  for (const RECT& area : kTextAreas) {
    for (int y = area.top; y < area.bottom && y < window.height; ++y) {
      for (int x = area.left; x < area.right && x < window.width; ++x) {
        const bool inBox = std::any_of(boxes.begin(), boxes.end(), [&](const RECT& b) {
          return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
        });
        ink += !inBox && window.At(x, y) != kPanelColour;
      }
    }
  }
  return ink;
}

bool Shows(const PanelText& t) { return t.text.find_first_not_of(' ') != std::string::npos; }

// Waits until every text with a visible character shows ink in its box on the
// screen (a paint runs in one handler and reaches the screen whole), then
// captures the client area once the window is idle.
std::optional<Image> CaptureOnceShown(HWND window, const OffscreenPanel& panel,
                                      const std::vector<PanelText>& texts) {
  const auto allShown = [&] {
    const Image client = CaptureClientArea(window);
    return std::all_of(texts.begin(), texts.end(), [&](const PanelText& t) {
      const RECT box = panel.Box(t);
      if (!Shows(t)) return true;
      for (int y = box.top; y < box.bottom && y < client.height; ++y) {
        for (int x = box.left; x < box.right && x < client.width; ++x) {
          if (client.At(x, y) != kPanelColour) return true;
        }
      }
      return false;
    });
  };
  if (!WaitUntil(allShown, kTimeoutMs) || !Sync(window)) return std::nullopt;
  return CaptureClientArea(window);
}

// Every text's box holds the same pixels on the screen as drawn here, and
// nothing else is drawn; on a mismatch both images go to the screenshots.
void ExpectScreenShows(const Image& window, OffscreenPanel& panel, const std::vector<PanelText>& texts,
                       const std::string& name) {
  const Image drawn = panel.Draw(texts);
  const std::vector<std::string> mismatches = Mismatches(window, drawn, panel, texts);
  EXPECT_TRUE(mismatches.empty()) << testing::PrintToString(mismatches);
  const int ink = InkOutside(window, panel, texts);
  EXPECT_EQ(ink, 0) << "the window shows text it was not to draw";
  if (!mismatches.empty() || ink != 0) {
    EXPECT_TRUE(
        kestrova::winprobe::WritePng(g_screenshotDir + "/report-match-" + name + "-window.png", window));
    EXPECT_TRUE(
        kestrova::winprobe::WritePng(g_screenshotDir + "/report-match-" + name + "-report.png", drawn));
  }
}

// Starts kestrova.exe with `arguments` and compares its panel with the texts
// kestrova-cli gives for them; then checks that the comparison sees a colour
// turned over and a text left out.
void ExpectWindowDraws(const std::string& arguments, const std::string& name) {
  OffscreenPanel panel;
  ASSERT_TRUE(panel.ok());
  const std::vector<PanelText> texts = ReportFor(arguments);
  ASSERT_FALSE(texts.empty());
  Kestrova app(arguments);
  ASSERT_TRUE(app.ok());
  const std::optional<Image> window = CaptureOnceShown(app.window(), panel, texts);
  ASSERT_TRUE(window.has_value()) << "the texts did not all reach the screen";
  ExpectScreenShows(*window, panel, texts, name);

  std::vector<PanelText> altered = texts;
  const auto red = std::find_if(altered.begin(), altered.end(), [](const PanelText& t) { return t.red; });
  ASSERT_NE(red, altered.end());
  red->red = false;
  EXPECT_EQ(Mismatches(*window, panel.Draw(altered), panel, altered).size(), 1u);
  altered = texts;
  altered.erase(std::find_if(altered.rbegin(), altered.rend(), Shows).base() - 1);
  EXPECT_GT(InkOutside(*window, panel, altered), 0) << "a text left out went unnoticed";
}

// Red cells on the VC, FEV1 and FEV1/FVC rows and a red measured FEV1/FVC.
TEST(ReportMatchesWindow, MaleWithRedCells) {
  ExpectWindowDraws("/Sex=M /Age=40 /Setake=170 /VC=3.2 /FVC=3.9 /FEV1=2.6", "male-40");
}

// No FEV1: its cells and those of the FEV1/FVC rows are eleven blanks, wider
// than their column; each must wipe its cell and leave the result line beside
// it whole.
TEST(ReportMatchesWindow, MaleWithoutFev1) {
  ExpectWindowDraws("/Sex=M /Age=40 /Setake=170 /VC=3.2 /FVC=3.9", "male-40-no-fev1");
}

// FEV1 emptied after a full patient: the percentages are drawn again for the
// volumes now given, with no measured FEV1/FVC of the earlier ones, also after
// the header button recalculates.
TEST(ReportMatchesWindow, EmptiedFev1LeavesNoMeasuredRatioBehind) {
  OffscreenPanel panel;
  ASSERT_TRUE(panel.ok());
  const std::string full = "/Sex=M /Age=60 /Setake=170 /VC=3.0 /FVC=2.5 /FEV1=2.0";
  const std::vector<PanelText> before = ReportFor(full);
  const std::vector<PanelText> after = ReportFor("/Sex=M /Age=60 /Setake=170 /VC=3.0 /FVC=2.5");
  Kestrova app(full);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(CaptureOnceShown(app.window(), panel, before).has_value());

  const std::optional<MessageBoxSeen> box = LeaveFieldWith(app, kFev1Field, "");
  ASSERT_FALSE(box.has_value()) << Bytes(box->caption) << "/ " << Bytes(box->text);
  const auto ratioGone = [&] {
    const CellInk ink = InkIn(CaptureClientArea(app.window()), kRatioX, kRatioY, kCellX - kRatioX);
    return ink.dark + ink.red == 0;
  };
  EXPECT_TRUE(WaitUntil(ratioGone, kTimeoutMs)) << "the measured FEV1/FVC stayed on screen";
  std::optional<Image> shown = CaptureOnceShown(app.window(), panel, after);
  ASSERT_TRUE(shown.has_value());
  ExpectScreenShows(*shown, panel, after, "male-60-fev1-emptied");

  SendMessageA(app.window(), WM_COMMAND, MAKEWPARAM(kHeaderButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(app.Control(kHeaderButton)));
  shown = CaptureOnceShown(app.window(), panel, after);
  ASSERT_TRUE(shown.has_value());
  ExpectScreenShows(*shown, panel, after, "male-60-fev1-emptied-header");
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

// Placeholders ("  *.** :JRS2001(T)" at 105 cm), then the height accepted
// redraws the lines in place, without filling the panel first: nothing of the
// longer placeholders may stay right of the shorter lines.
TEST(ReportMatchesWindow, ShorterLinesReplacingPlaceholdersLeaveNothingBehind) {
  OffscreenPanel panel;
  ASSERT_TRUE(panel.ok());
  const std::vector<PanelText> before = ReportFor("/Sex=M /Age=40 /Setake=105");
  const std::vector<PanelText> after = ReportFor("/Sex=M /Age=40 /Setake=170");
  ASSERT_FALSE(before.empty());
  ASSERT_FALSE(after.empty());

  Kestrova app("/Sex=M /Age=40 /Setake=105");
  ASSERT_TRUE(app.ok());
  const std::optional<Image> shown = CaptureOnceShown(app.window(), panel, before);
  ASSERT_TRUE(shown.has_value()) << "the placeholders did not all reach the screen";
  ExpectScreenShows(*shown, panel, before, "male-40-105");

  const std::optional<MessageBoxSeen> box = LeaveFieldWith(app, kHeightField, "170");
  ASSERT_FALSE(box.has_value()) << Bytes(box->caption) << "/ " << Bytes(box->text);
  const auto lineColumn = [](const Image& client) {
    std::vector<std::uint32_t> pixels;
    for (int y : kRowY) {
      const std::vector<std::uint32_t> row = CellPixels(client, kLineX, y, ColumnRight(kLineX) - kLineX);
      pixels.insert(pixels.end(), row.begin(), row.end());
    }
    return pixels;
  };
  ASSERT_TRUE(WaitUntil([&] { return lineColumn(CaptureClientArea(app.window())) != lineColumn(*shown); },
                        kTimeoutMs))
      << "the result lines did not change after the height was accepted";
  const std::optional<Image> changed = CaptureOnceShown(app.window(), panel, after);
  ASSERT_TRUE(changed.has_value()) << "the new lines did not all reach the screen";
  ExpectScreenShows(*changed, panel, after, "male-40-105-to-170");
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

}  // namespace

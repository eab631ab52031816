// kestrova-cli's report against kestrova.exe's window, pixel for pixel.
//
// Painted text cannot be read back from a window, so the texts kestrova-cli
// reports (its JSON: each result line, each percentage cell as drawn, the
// measured FEV1/FVC, and which of them are red) are drawn again here, by this
// process, into an offscreen bitmap of the panel's size: same places, same
// font description, opaque background in the panel colour, black or red text,
// each text clipped at the right edge of its column (the measured FEV1/FVC up
// to x 160, the percentage cells up to 230, the result lines up to 380) with
// the rest of its row there filled. kestrova.exe runs with the same values on
// the same Wine screen; the box of every text (from its x, y to x + width,
// y + height of the text in that font, cut at its column's edge) must hold the
// same pixels on the screen as in the bitmap.
//
// Both the report and the window come from the programs under test; this file
// computes no value. Only blanks of a text may lie past its column's edge and
// no box may overlap another (each text stands whole), and outside the boxes
// the part of the panel where the texts stand must be bare, also after the
// lines were redrawn in place over longer ones. Negative controls change one
// digit and one colour of the report, and leave one text out, and expect the
// comparison to see each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/windows/e2e_support.h"

namespace {

using namespace kestrova::e2e;
using kestrova::winprobe::CaptureClientArea;
using kestrova::winprobe::WaitUntil;
using kestrova::winprobe::WindowsPath;

// --- A small JSON reader for kestrova-cli's output ---------------------------

// One JSON value. Numbers keep their digits as text (nothing here does
// arithmetic on them).
struct Json {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  std::string text;  // a string's contents or a number's digits
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;

  // The member `key` of an object; nullptr when there is none.
  const Json* Find(std::string_view key) const {
    for (const auto& [name, value] : members) {
      if (name == key) return &value;
    }
    return nullptr;
  }
};

// Reads one JSON document; Parse fails on anything else (trailing text too).
class JsonReader {
 public:
  explicit JsonReader(std::string_view source) : s_(source) {}

  std::optional<Json> Parse() {
    Json value;
    if (!Value(value)) return std::nullopt;
    SkipSpace();
    if (i_ != s_.size()) return std::nullopt;
    return value;
  }

 private:
  void SkipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }

  bool Literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  bool Value(Json& out) {
    SkipSpace();
    if (i_ >= s_.size()) return false;
    const char c = s_[i_];
    if (c == '{') return Object(out);
    if (c == '[') return Array(out);
    if (c == '"') {
      out.kind = Json::Kind::kString;
      return String(out.text);
    }
    if (Literal("null")) return true;
    if (Literal("true") || Literal("false")) {
      out.kind = Json::Kind::kBool;
      out.boolean = s_[i_ - 1] == 'e' && s_[i_ - 2] == 'u';  // "true", not "false"
      return true;
    }
    const std::size_t from = i_;
    while (i_ < s_.size() && std::string_view("-+.eE0123456789").find(s_[i_]) != std::string_view::npos) ++i_;
    if (i_ == from) return false;
    out.kind = Json::Kind::kNumber;
    out.text = std::string(s_.substr(from, i_ - from));
    return true;
  }

  // The report's texts are ASCII: \uXXXX is taken only below 0x80.
  bool String(std::string& out) {
    ++i_;  // the opening quote
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c == '\\') {
        if (i_ >= s_.size()) return false;
        const char e = s_[i_++];
        switch (e) {
          case '"':
          case '\\':
          case '/':
            c = e;
            break;
          case 'n':
            c = '\n';
            break;
          case 'r':
            c = '\r';
            break;
          case 't':
            c = '\t';
            break;
          case 'u': {
            if (i_ + 4 > s_.size()) return false;
            unsigned code = 0;
            if (std::sscanf(std::string(s_.substr(i_, 4)).c_str(), "%4x", &code) != 1 || code >= 0x80)
              return false;
            i_ += 4;
            c = static_cast<char>(code);
            break;
          }
          default:
            return false;
        }
      }
      out += c;
    }
    if (i_ >= s_.size()) return false;
    ++i_;  // the closing quote
    return true;
  }

  bool Array(Json& out) {
    out.kind = Json::Kind::kArray;
    ++i_;
    SkipSpace();
    if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
    for (;;) {
      out.items.emplace_back();
      if (!Value(out.items.back())) return false;
      SkipSpace();
      if (i_ >= s_.size()) return false;
      if (s_[i_++] == ']') return true;
      if (s_[i_ - 1] != ',') return false;
    }
  }

  bool Object(Json& out) {
    out.kind = Json::Kind::kObject;
    ++i_;
    SkipSpace();
    if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
    for (;;) {
      SkipSpace();
      std::string key;
      if (i_ >= s_.size() || s_[i_] != '"' || !String(key)) return false;
      SkipSpace();
      if (i_ >= s_.size() || s_[i_++] != ':') return false;
      out.members.emplace_back(std::move(key), Json{});
      if (!Value(out.members.back().second)) return false;
      SkipSpace();
      if (i_ >= s_.size()) return false;
      if (s_[i_++] == '}') return true;
      if (s_[i_ - 1] != ',') return false;
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

// --- What the report says the panel shows --------------------------------------

// One text of the panel as the report gives it.
struct PanelText {
  int x;
  int y;
  std::string text;
  bool red;
  std::string what;  // for messages: "line of vcJrs2014", "cell of …", "measured FEV1/FVC"
};

// The rows of the fifteen results, top to bottom, in the report's order.
constexpr int kRowY[] = {170, 195, 220, 245, 285, 310, 335, 375, 400, 425, 450, 490, 515, 540, 565};
constexpr int kLineX = 230;
constexpr int kCellX = 160;
constexpr int kRatioX = 100;
constexpr int kRatioY = 490;

// The right edge of the column a text at x stands in: each column ends where
// the next begins, the last at the panel's right edge.
int ColumnRight(int x) {
  if (x < kCellX) return kCellX;
  if (x < kLineX) return kLineX;
  return 380;
}

// The panel's texts from kestrova-cli's JSON, in the order the window draws
// them: the fifteen lines, then the percentage cells top to bottom with the
// measured FEV1/FVC just before the cells of the FEV1/FVC rows. (Cells are
// opaque, so where two boxes touch, the later one wins; the order is kept.)
std::vector<PanelText> TextsOfReport(const Json& report) {
  std::vector<PanelText> lines, cells, ratio;
  const Json* computed = report.Find("computed");
  EXPECT_TRUE(computed != nullptr && computed->kind == Json::Kind::kBool && computed->boolean)
      << "the report has no results";
  const Json* results = report.Find("results");
  if (results == nullptr || results->items.size() != std::size(kRowY)) {
    ADD_FAILURE() << "the report does not hold fifteen results";
    return {};
  }
  for (std::size_t row = 0; row < std::size(kRowY); ++row) {
    const Json& result = results->items[row];
    const Json* name = result.Find("name");
    const std::string label = name != nullptr ? name->text : "row " + std::to_string(row);
    const Json* line = result.Find("line");
    if (line == nullptr || line->kind != Json::Kind::kString) {
      ADD_FAILURE() << "no line text for " << label;
      continue;
    }
    lines.push_back({kLineX, kRowY[row], line->text, false, "line of " + label});
    const Json* cell = result.Find("cell");
    if (cell == nullptr) continue;  // a lower-limit row: no percentage
    const Json* red = result.Find("red");
    if (cell->kind != Json::Kind::kString || red == nullptr || red->kind != Json::Kind::kBool) {
      ADD_FAILURE() << "incomplete cell for " << label;
      continue;
    }
    cells.push_back({kCellX, kRowY[row], cell->text, red->boolean, "cell of " + label});
  }
  const Json* measured = report.Find("measuredRatio");
  if (measured != nullptr && measured->kind == Json::Kind::kObject) {
    const Json* text = measured->Find("text");
    const Json* red = measured->Find("red");
    if (text != nullptr && red != nullptr) {
      ratio.push_back({kRatioX, kRatioY, text->text, red->boolean, "measured FEV1/FVC"});
    }
  }
  std::vector<PanelText> texts = lines;
  for (const PanelText& c : cells) {
    if (c.y == kRatioY) texts.insert(texts.end(), ratio.begin(), ratio.end());
    texts.push_back(c);
  }
  return texts;
}

std::vector<PanelText> ReportFor(const std::string& arguments) {
  const std::optional<std::string> output = CliOutput("--format json " + arguments);
  if (!output) return {};
  const std::optional<Json> report = JsonReader(*output).Parse();
  if (!report) {
    ADD_FAILURE() << "kestrova-cli's output is not JSON:\n" << *output;
    return {};
  }
  return TextsOfReport(*report);
}

// --- Drawing the report ----------------------------------------------------------

// An offscreen 32-bit bitmap of the panel's size with the panel's font
// selected, filled in the panel colour, drawn as the window draws: opaque
// background RGB(245, 245, 245), text black or RGB(255, 0, 0), clipped at its
// column's edge with the rest of its row up to there filled.
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

  // The width and height of `text` in the panel's font.
  bool Extent(const std::string& text, SIZE* size) const {
    return GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), size) != 0;
  }

  // The box a text covers when drawn at its place: its extent, cut at its
  // column's edge.
  RECT Box(const PanelText& t) const {
    SIZE size{};
    Extent(t.text, &size);
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

// --- Comparing --------------------------------------------------------------------

struct Mismatch {
  std::string what;
  std::string text;
  RECT box;
  int pixels;  // differing pixels in the box; -1: the box is not inside the window
};

// The texts whose boxes do not hold the same pixels in `window` (the captured
// client area) as in `drawn` (the offscreen panel).
std::vector<Mismatch> Mismatches(const Image& window, const Image& drawn, const OffscreenPanel& panel,
                                 const std::vector<PanelText>& texts) {
  std::vector<Mismatch> found;
  for (const PanelText& t : texts) {
    const RECT box = panel.Box(t);
    if (box.right > window.width || box.bottom > window.height || box.right > drawn.width ||
        box.bottom > drawn.height || box.right <= box.left || box.bottom <= box.top) {
      found.push_back({t.what, t.text, box, -1});
      continue;
    }
    int differing = 0;
    for (int y = box.top; y < box.bottom; ++y) {
      for (int x = box.left; x < box.right; ++x) differing += window.At(x, y) != drawn.At(x, y);
    }
    if (differing > 0) found.push_back({t.what, t.text, box, differing});
  }
  return found;
}

std::string Describe(const std::vector<Mismatch>& mismatches) {
  std::ostringstream out;
  for (const Mismatch& m : mismatches) {
    out << "  " << m.what << " \"" << m.text << "\" box (" << m.box.left << ", " << m.box.top << ")-("
        << m.box.right << ", " << m.box.bottom << "): ";
    if (m.pixels < 0) {
      out << "not inside the window\n";
    } else {
      out << m.pixels << " pixels differ\n";
    }
  }
  return out.str();
}

// The parts of the client area where only the panel's texts are drawn: right
// of the input fields below the column header, and the measured FEV1/FVC's
// place between the "FEV1.0 %" label and the percentage column.
constexpr RECT kTextAreas[] = {{145, 160, 380, 590}, {95, 485, 145, 510}};

// Pixels of those areas, outside every reported text's box, that are not the
// panel colour in `window`: something the window shows that the report does
// not have.
int InkOutsideTheReport(const Image& window, const OffscreenPanel& panel,
                        const std::vector<PanelText>& texts) {
  std::vector<RECT> boxes;
  for (const PanelText& t : texts) boxes.push_back(panel.Box(t));
  int ink = 0;
  for (const RECT& area : kTextAreas) {
    for (int y = area.top; y < area.bottom && y < window.height; ++y) {
      for (int x = area.left; x < area.right && x < window.width; ++x) {
        bool reported = false;
        for (const RECT& b : boxes) {
          reported = reported || (x >= b.left && x < b.right && y >= b.top && y < b.bottom);
        }
        ink += !reported && window.At(x, y) != kPanelColour;
      }
    }
  }
  return ink;
}

// Pairs of texts whose boxes overlap: the later one drawn covers part of the
// earlier one, so that one is not shown whole.
std::vector<std::string> Overlaps(const OffscreenPanel& panel, const std::vector<PanelText>& texts) {
  std::vector<std::string> found;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const RECT a = panel.Box(texts[i]);
    for (std::size_t j = i + 1; j < texts.size(); ++j) {
      const RECT b = panel.Box(texts[j]);
      if (a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) {
        found.push_back(texts[j].what + " covers part of " + texts[i].what);
      }
    }
  }
  return found;
}

// Texts whose visible characters do not all fit in their column: the window
// cuts every text at its column's edge, so only trailing blanks may lie past it.
std::vector<std::string> CutShort(const OffscreenPanel& panel, const std::vector<PanelText>& texts) {
  std::vector<std::string> found;
  for (const PanelText& t : texts) {
    PanelText visible = t;
    visible.text.erase(visible.text.find_last_not_of(' ') + 1);
    if (visible.text.empty()) continue;
    // Box() cuts at the edge; a visible part that fits is as wide as it is uncut.
    SIZE size{};
    const RECT box = panel.Box(visible);
    if (!panel.Extent(visible.text, &size) || box.right - box.left < size.cx) {
      found.push_back(t.what + " \"" + t.text + "\" does not fit in its column");
    }
  }
  return found;
}

// True once every text of the report that has a visible character shows
// something other than the panel colour in its box on the screen: the
// window's paint has reached the screen. (A paint runs inside one message
// handler, and Wine copies a window's drawing to the screen when its thread
// waits for messages, so the screen then shows a whole paint.)
bool ReportedTextsOnScreen(HWND window, const OffscreenPanel& panel, const std::vector<PanelText>& texts) {
  const Image client = CaptureClientArea(window);
  for (const PanelText& t : texts) {
    if (t.text.find_first_not_of(' ') == std::string::npos) continue;
    const RECT box = panel.Box(t);
    if (box.right > client.width || box.bottom > client.height) return false;
    bool ink = false;
    for (int y = box.top; y < box.bottom && !ink; ++y) {
      for (int x = box.left; x < box.right && !ink; ++x) ink = client.At(x, y) != kPanelColour;
    }
    if (!ink) return false;
  }
  return true;
}

// --- Negative controls --------------------------------------------------------------

// `texts` with the last digit of the first percentage cell one higher
// (" 95.7 %   " becomes " 95.8 %   "; 9 becomes 0). Returns the index changed.
std::size_t ChangeOneDigit(std::vector<PanelText>& texts) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].x != kCellX) continue;
    const std::size_t digit = texts[i].text.find_last_of("0123456789");
    if (digit == std::string::npos) continue;
    char& c = texts[i].text[digit];
    c = c == '9' ? '0' : static_cast<char>(c + 1);
    return i;
  }
  return texts.size();
}

// `texts` with the colour of the measured FEV1/FVC (or, without one, of the
// first percentage cell) turned over. Returns the index changed.
std::size_t ChangeOneColour(std::vector<PanelText>& texts) {
  std::size_t chosen = texts.size();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const bool shows = texts[i].text.find_first_not_of(' ') != std::string::npos;
    if (texts[i].x == kRatioX) {
      chosen = i;
    } else if (chosen == texts.size() && texts[i].x == kCellX && shows) {
      chosen = i;
    }
  }
  if (chosen < texts.size()) texts[chosen].red = !texts[chosen].red;
  return chosen;
}

struct Alteration {
  const char* what;
  std::size_t (*change)(std::vector<PanelText>&);
};

// --- The check ----------------------------------------------------------------------

// Every reported text's box holds the same pixels in `window` (the captured
// client area) as in the report drawn offscreen, and the window shows nothing
// outside those boxes where the panel's texts stand. On a mismatch both
// images go to the screenshots as report-match-<name>-window/-report.png.
void ExpectScreenShowsTheReport(const Image& window, OffscreenPanel& panel,
                                const std::vector<PanelText>& texts, const std::string& name) {
  const Image drawn = panel.Draw(texts);
  const std::vector<Mismatch> mismatches = Mismatches(window, drawn, panel, texts);
  EXPECT_TRUE(mismatches.empty()) << "the window differs from kestrova-cli's report in " << mismatches.size()
                                  << " of " << texts.size() << " texts:\n"
                                  << Describe(mismatches);
  const int ink = InkOutsideTheReport(window, panel, texts);
  EXPECT_EQ(ink, 0) << "the window shows text the report does not have";
  if (!mismatches.empty() || ink != 0) {
    EXPECT_TRUE(
        kestrova::winprobe::WritePng(g_screenshotDir + "/report-match-" + name + "-window.png", window));
    EXPECT_TRUE(
        kestrova::winprobe::WritePng(g_screenshotDir + "/report-match-" + name + "-report.png", drawn));
  }
}

// The comparison itself sees a text left out of the report, one changed digit
// and one changed colour, each in its own box only.
void ExpectTheComparisonSeesChanges(const Image& window, OffscreenPanel& panel,
                                    const std::vector<PanelText>& texts) {
  // The report without its last text that shows a character (a blank cell
  // leaves no ink to miss).
  std::vector<PanelText> fewer = texts;
  const auto shown = std::find_if(fewer.rbegin(), fewer.rend(), [](const PanelText& t) {
    return t.text.find_first_not_of(' ') != std::string::npos;
  });
  ASSERT_NE(shown, fewer.rend());
  fewer.erase(std::next(shown).base());
  EXPECT_GT(InkOutsideTheReport(window, panel, fewer), 0) << "a text left out of the report went unnoticed";

  const Alteration alterations[] = {
      {"one digit of a percentage one higher", ChangeOneDigit},
      {"one colour turned over", ChangeOneColour},
  };
  for (const Alteration& a : alterations) {
    SCOPED_TRACE(a.what);
    std::vector<PanelText> altered = texts;
    const std::size_t changed = a.change(altered);
    ASSERT_LT(changed, altered.size()) << "nothing to alter in the report";
    const std::vector<Mismatch> seen = Mismatches(window, panel.Draw(altered), panel, altered);
    ASSERT_EQ(seen.size(), 1u) << Describe(seen);
    EXPECT_EQ(seen[0].what, altered[changed].what);
    EXPECT_GT(seen[0].pixels, 0);
  }
}

// kestrova-cli's report on `arguments` as panel texts, checked to be drawable:
// each text's visible characters fit in its column and no two boxes overlap
// (then each box holds exactly one text).
std::vector<PanelText> CheckedReportFor(const std::string& arguments, const OffscreenPanel& panel) {
  const std::vector<PanelText> texts = ReportFor(arguments);
  for (const std::string& cut : CutShort(panel, texts)) ADD_FAILURE() << cut;
  for (const std::string& overlap : Overlaps(panel, texts)) ADD_FAILURE() << overlap;
  return texts;
}

// Waits until every reported text with a visible character shows ink on the
// screen, then captures the client area once the window is idle.
std::optional<Image> CaptureOnceShown(HWND window, const OffscreenPanel& panel,
                                      const std::vector<PanelText>& texts) {
  if (!WaitUntil([&] { return ReportedTextsOnScreen(window, panel, texts); }, kTimeoutMs)) {
    return std::nullopt;
  }
  if (!Sync(window)) return std::nullopt;
  return CaptureClientArea(window);
}

// Starts kestrova.exe with `arguments`, asks kestrova-cli for its report on the
// same arguments, and compares every reported text's box between the screen
// and the report drawn offscreen; then checks that the comparison sees changes.
void ExpectWindowShowsTheReport(const std::string& arguments, const std::string& name) {
  ASSERT_FALSE(g_kestrovaCliExe.empty()) << "kestrova-cli.exe not given (--kestrova-cli=PATH)";
  OffscreenPanel panel;
  ASSERT_TRUE(panel.ok());
  const std::vector<PanelText> texts = CheckedReportFor(arguments, panel);
  ASSERT_FALSE(texts.empty());

  Kestrova app(arguments);
  ASSERT_TRUE(app.ok());
  const std::optional<Image> window = CaptureOnceShown(app.window(), panel, texts);
  ASSERT_TRUE(window.has_value()) << "the reported texts did not all reach the screen";
  ExpectScreenShowsTheReport(*window, panel, texts, name);
  ExpectTheComparisonSeesChanges(*window, panel, texts);
}

// The texts and colours of the female example, as on the window.
TEST(ReportMatchesWindow, FemaleExample) { ExpectWindowShowsTheReport(kFemaleExample, "female-45"); }

// A man of 40 with low VC and FEV1: red cells on the VC, FEV1 and FEV1/FVC
// rows and a red measured FEV1/FVC, so both colours are compared.
TEST(ReportMatchesWindow, MaleWithRedCells) {
  ExpectWindowShowsTheReport("/Sex=M /Age=40 /Setake=170 /VC=3.2 /FVC=3.9 /FEV1=2.6", "male-40");
}

// No FEV1: its cells and those of the FEV1/FVC rows are eleven blanks, wider
// than their column in the panel font. Each must wipe its cell and leave the
// first character of the result line beside it ("3.56 :JRS2014", not
// ".56 :JRS2014").
TEST(ReportMatchesWindow, MaleWithoutFev1) {
  ExpectWindowShowsTheReport("/Sex=M /Age=40 /Setake=170 /VC=3.2 /FVC=3.9", "male-40-no-fev1");
}

// FEV1 emptied after a full patient: the window must then show exactly what it
// shows for the patient without FEV1, with no measured FEV1/FVC of the earlier
// volumes at (100, 490) and blank FEV1/FVC cells, also after the header button.
TEST(ReportMatchesWindow, EmptiedFev1LeavesNoMeasuredRatioBehind) {
  ASSERT_FALSE(g_kestrovaCliExe.empty()) << "kestrova-cli.exe not given (--kestrova-cli=PATH)";
  OffscreenPanel panel;
  ASSERT_TRUE(panel.ok());
  const std::string full = "/Sex=M /Age=60 /Setake=170 /VC=3.0 /FVC=2.5 /FEV1=2.0";
  const std::vector<PanelText> before = CheckedReportFor(full, panel);
  const std::vector<PanelText> after = CheckedReportFor("/Sex=M /Age=60 /Setake=170 /VC=3.0 /FVC=2.5", panel);
  Kestrova app(full);
  ASSERT_TRUE(app.ok());
  ASSERT_TRUE(CaptureOnceShown(app.window(), panel, before).has_value());

  const std::optional<MessageBoxSeen> box = LeaveFieldWith(app, kFev1Field, "");
  ASSERT_FALSE(box.has_value()) << Bytes(box->caption) << "/ " << Bytes(box->text);
  const auto ratioGone = [&] {
    const CellInk ink = InkIn(CaptureClientArea(app.window()), kRatioX, kRatioY, 160 - kRatioX);
    return ink.dark + ink.red == 0;
  };
  EXPECT_TRUE(WaitUntil(ratioGone, kTimeoutMs)) << "the measured FEV1/FVC stayed on screen";
  std::optional<Image> shown = CaptureOnceShown(app.window(), panel, after);
  ASSERT_TRUE(shown.has_value());
  ExpectScreenShowsTheReport(*shown, panel, after, "male-60-fev1-emptied");

  SendMessageA(app.window(), WM_COMMAND, MAKEWPARAM(kHeaderButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(app.Control(kHeaderButton)));
  shown = CaptureOnceShown(app.window(), panel, after);
  ASSERT_TRUE(shown.has_value());
  ExpectScreenShowsTheReport(*shown, panel, after, "male-60-fev1-emptied-header");
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

// The height field accepted redraws the lines in place, without filling the
// panel first: at 105 cm most lines are placeholders ("  *.** :JRS2001(T)"),
// at 170 cm they are shorter ("0.846 :JRS2001(T)"), and nothing of the longer
// texts may stay right of the new ones.
TEST(ReportMatchesWindow, ShorterLinesReplacingLongerOnesLeaveNothingBehind) {
  ASSERT_FALSE(g_kestrovaCliExe.empty()) << "kestrova-cli.exe not given (--kestrova-cli=PATH)";
  OffscreenPanel panel;
  ASSERT_TRUE(panel.ok());
  const std::vector<PanelText> before = CheckedReportFor("/Sex=M /Age=40 /Setake=105", panel);
  const std::vector<PanelText> after = CheckedReportFor("/Sex=M /Age=40 /Setake=170", panel);
  ASSERT_FALSE(before.empty());
  ASSERT_FALSE(after.empty());

  Kestrova app("/Sex=M /Age=40 /Setake=105");
  ASSERT_TRUE(app.ok());
  const std::optional<Image> shown = CaptureOnceShown(app.window(), panel, before);
  ASSERT_TRUE(shown.has_value()) << "the placeholders did not all reach the screen";
  ExpectScreenShowsTheReport(*shown, panel, before, "male-40-105");

  const std::optional<MessageBoxSeen> box = LeaveFieldWith(app, kHeightField, "170");
  ASSERT_FALSE(box.has_value()) << Bytes(box->caption) << "/ " << Bytes(box->text);
  // The lines are drawn in one handler and reach the screen together.
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
  ExpectScreenShowsTheReport(*changed, panel, after, "male-40-105-to-170");
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

}  // namespace

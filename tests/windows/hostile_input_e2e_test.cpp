// kestrova.exe against hostile input: very long and odd command lines, and
// huge pastes, full-width digits and control characters in every field. The
// program stays up, shows what its rules say, and ends with 0 when closed.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/windows/e2e_support.h"
#include "texts/japanese_texts.h"

namespace {

using namespace kestrova::e2e;
namespace texts = kestrova::texts;

struct ShownField {
  int id;
  std::string text;
};

struct CommandLineCase {
  std::string arguments;
  std::vector<ShownField> fields;  // what the fields show
  int checkedButton;               // the radio button that is checked
  const char* why;
};

std::string Repeat(const std::string& part, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += part;
  return out;
}

std::vector<CommandLineCase> CommandLineCases() {
  const std::string digits400(400, '4');
  const std::string later = " /Sex=M /Age=99 /Setake=999 /VC=9 /FVC=9 /FEV1=9 /DLCO=9";
  std::vector<ShownField> female = {
      {kAgeField, "45"}, {kHeightField, "160"}, {kVcField, "3.1"}, {kFvcField, "3.0"}, {kFev1Field, "2.4"}};
  return {
      {std::string(9900, 'x') + " " + kFemaleExample + " " + std::string(100, 'y'), female, kFemaleButton,
       "a line of 10,000 characters with the keys near its end"},
      {std::string(kFemaleExample) + " /DLCO=1" + Repeat(later, 150), female, kFemaleButton,
       "every key repeated 150 times: the first of each counts"},
      {"/Sex=M /Age=" + digits400 + " /Setake=" + digits400 + " /VC=" + digits400 + " /FVC=0." + digits400 +
           " /FEV1=" + digits400 + "." + digits400,
       {{kAgeField, digits400},
        {kHeightField, digits400},
        {kVcField, digits400},
        {kFvcField, "0." + digits400},
        {kFev1Field, digits400 + "." + digits400}},
       kMaleButton,
       "values of 400 digits are shown as given"},
      // 女 (8F 97) is not "M"; ４５ and ｱ are Shift-JIS double- and single-byte.
      {"\xB1\xB2\xB3 /Sex=\x8F\x97 /Age=\x82\x53\x82\x54 /Setake=\xB1"
       "160 /VC=3.1",
       {{kAgeField, "\x82\x53\x82\x54"},
        {kHeightField,
         "\xB1"
         "160"},
        {kVcField, "3.1"},
        {kFvcField, "*.**"}},
       kFemaleButton,
       "non-ASCII bytes"},
      {"\"unclosed /Age=45 /Setake=160",
       {{kAgeField, "45"}, {kHeightField, "160"}},
       kMaleButton,
       "an unmatched quote"},
      {"/Age= /Setake=160",
       {{kAgeField, " /Setake=160 "}, {kHeightField, "160"}},
       kMaleButton,
       "an empty value takes the rest of the line"},
  };
}

TEST(HostileInput, OddCommandLinesKeepTheProgramUpAndShowTheirValues) {
  for (const CommandLineCase& c : CommandLineCases()) {
    SCOPED_TRACE(c.why);
    Kestrova app(c.arguments);
    ASSERT_TRUE(app.ok());
    for (const ShownField& f : c.fields) {
      const std::string shown = WindowText(app.Control(f.id));
      EXPECT_EQ(shown, f.text) << "field " << f.id << ": " << Bytes(shown.substr(0, 40));
    }
    EXPECT_EQ(SendMessageA(app.Control(c.checkedButton), BM_GETCHECK, 0, 0), BST_CHECKED);
    // Still answering after the first paint, and a second one.
    InvalidateRect(app.window(), nullptr, TRUE);
    EXPECT_TRUE(Sync(app.window()));
    EXPECT_EQ(FindMessageBox(app.window()), nullptr);
    EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
  }
}

struct PasteCase {
  int field;
  std::string typed;
  std::string shown;                   // the field's text when the check is done
  std::optional<std::string> caption;  // the message shown, if any
  const char* why;
};

constexpr std::size_t kPasteBytes = 100000;
// The age field is a multiline edit control, and Wine's lays out long texts in
// quadratic time (20,000 bytes take seconds, 100,000 minutes, in the control's
// own WM_SETTEXT); its pastes are kept to a size that is still far past 255.
constexpr std::size_t kAgePasteBytes = 3000;
// A field that still holds a long text while a message box is up is drawn
// again, which takes Wine's edit control seconds for 100,000 digits: texts that
// stay in a field are 20,000 bytes.
constexpr std::size_t kLongDigits = 20000;

// `tail` at the end of a paste of `bytes` bytes of `filler`.
std::string Paste(char filler, const std::string& tail, std::size_t bytes = kPasteBytes) {
  return std::string(bytes - tail.size(), filler) + tail;
}

// In this order, from VC 3.1, FVC 3.0, FEV1 2.4, age 45, height 160.
std::vector<PasteCase> PasteCases() {
  const std::string volumeRange(texts::kFvcFev1RangeCaption);
  const std::string vcRange(texts::kVcRangeCaption);
  const std::string height(texts::kHeightCaption);
  const std::string digits(kLongDigits, '1');
  return {
      // The value stands past byte 65,536 (for age past 2,048): the whole text is read.
      {kAgeField, Paste('x', "50y", kAgePasteBytes), "50", std::nullopt, "age at the end of a paste"},
      {kHeightField, Paste('\x01', "170"), "170", std::nullopt, "height after control characters"},
      {kVcField, Paste('x', "3.2"), "3.2", std::nullopt, "VC at the end of a paste"},
      {kFvcField, Paste(' ', "3.0"), "3.0", std::nullopt, "FVC after blanks"},
      {kFev1Field, Paste('L', "2.4"), "2.4", std::nullopt, "FEV1 after letters"},
      {kAgeField, std::string(kAgePasteBytes, '1'), std::string(kAgePasteBytes, '1'), std::nullopt,
       "3,000 digits of age: stored silently"},
      {kHeightField, digits, "***", height, "20,000 digits of height"},
      {kVcField, std::string(kLongDigits, '9'), "*.**", vcRange, "20,000 digits of VC"},
      {kAgeField, "\x82\x53\x82\x54", "45", std::nullopt, "full-width ４５"},
      {kHeightField, "\x82\x50\x82\x56\x82\x4F", "170", std::nullopt, "full-width １７０"},
      {kFvcField, "\x82\x52\x81\x44\x82\x4F", "3.0", std::nullopt, "full-width ３．０"},
      {kFev1Field, "\x01\x02 2\t.\r\n4\x7f", "2.4", std::nullopt, "control characters"},
      {kAgeField, "\t45\x1b", "45", std::nullopt, "age between control characters"},
      {kVcField, "\x1b[31m3.1", "*.**", vcRange, "an escape sequence's digits count: 313.1"},
      // A point directly before the digit is kept as "0.": 0.4 is below range.
      {kFvcField, Paste('.', "4"), "*.**", volumeRange, "points before any digit"},
      {kFev1Field, Paste('\xFF', "20"), "*.**", volumeRange, "bytes 0xFF, then 20"},
  };
}

TEST(HostileInput, PastesFullWidthDigitsAndControlCharactersInEveryField) {
  Kestrova app(kFemaleExample);
  ASSERT_TRUE(app.ok());
  for (const PasteCase& c : PasteCases()) {
    SCOPED_TRACE(c.why);
    const std::optional<MessageBoxSeen> box = LeaveFieldWith(app, c.field, c.typed);
    EXPECT_EQ(box.has_value(), c.caption.has_value());
    if (box && c.caption) {
      EXPECT_EQ(box->caption, *c.caption) << Bytes(box->caption);
    }
    const std::string shown = WindowText(app.Control(c.field));
    EXPECT_EQ(shown.size(), c.shown.size());
    EXPECT_TRUE(shown == c.shown) << Bytes(shown.substr(0, 40));
  }
  // Still drawing and answering.
  InvalidateRect(app.window(), nullptr, TRUE);
  EXPECT_TRUE(Sync(app.window()));
  EXPECT_EQ(app.Close(), std::optional<DWORD>(0));
}

}  // namespace

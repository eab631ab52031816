#include "input/input_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace kestrova {
namespace {

// CP932 bytes written out, to catch a wrong constant as well as a wrong use.
const std::string kInputHex = "\x93\xfc\x97\xcd\x81\x46";        // 入力：
const std::string kVcCaptionHex = "1.0-15 \x82\xc5\x82\xb7";     // 1.0-15 です
const std::string kFvcCaptionHex = "1.0 - 15 \x82\xc5\x82\xb7";  // 1.0 - 15 です
const std::string kRelationCaptionHex = "\x8a\x6d\x94\x46 !!";   // 確認 !!
const std::string kHeightTextHex = "100-272cm\x82\xc5\x82\xb7";  // 100-272cmです
const std::string kHeightCaptionHex = "\x90\x67\x92\xb7";        // 身長
const std::string kFullWidthColon = "\x81\x46";                  // ：

struct CleanCase {
  std::string text;
  std::string expected;
};

void ExpectCleaned(const CleanCase& c) {
  EXPECT_EQ(CleanNumberText(c.text), c.expected) << '"' << c.text << '"';
}

TEST(CleanNumberText, CutsTheMarkerBehindTypedDigits) {
  const CleanCase cases[] = {
      {"2*.**", "2"},     {"12*.**5", "125"},
      {"*.**2", "2"},      // at position 1 nothing is cut; "*" and "." drop anyway
      {"2*.5", "25"},      // the marker is cut wherever it stands after position 1
      {"2*.**.5", "2.5"},  // only the first marker is cut
  };
  for (const CleanCase& c : cases) ExpectCleaned(c);
}

TEST(CleanNumberText, PlaceholdersCleanToEmpty) {
  const CleanCase cases[] = {
      {"*.**", ""}, {"**", ""}, {"***", ""}, {"", ""}, {"abc", ""}, {".", ""}, {"...", ""},
  };
  for (const CleanCase& c : cases) ExpectCleaned(c);
}

TEST(CleanNumberText, DropsEverythingButDigitsAndTheFirstPoint) {
  const CleanCase cases[] = {
      {"3,5", "35"},      {"1,234.5", "1234.5"}, {"1.2.3", "1.23"},
      {"1..5", "1.5"},    {"5.", "5."},   // a trailing point stays
      {"  2.5 L", "2.5"}, {"\t-3", "3"},  // signs are dropped: there are no negative inputs
      {"+1.5e3", "1.53"},
  };
  for (const CleanCase& c : cases) ExpectCleaned(c);
}

// A point typed before any digit opens a fraction when a digit follows it.
TEST(CleanNumberText, LeadingPointBecomesZeroPoint) {
  const CleanCase cases[] = {
      {".5", "0.5"},    {"x.75", "0.75"}, {"..5", "0.5"},
      {".5.5", "0.55"}, {"-.5", "0.5"},   {". 5", "5"},  // not followed by a digit: dropped
  };
  for (const CleanCase& c : cases) ExpectCleaned(c);
}

// Full-width digits and point read as ASCII, as the batch reads them; both
// bytes of any other double-byte character go (no CP932 trail byte is a digit).
TEST(CleanNumberText, FullWidthDigitsReadAsAsciiOtherDoubleByteCharactersGoWhole) {
  const CleanCase cases[] = {
      {"\x82\x50\x81\x44\x82\x57", "1.8"},  // １．８
      {"3\x81\x44"
       "5",
       "3.5"},                             // 3．5
      {"\x82\x4f\x82\x58", "09"},          // ０９: both ends of the range
      {"\x82\x52\x81\x43\x82\x54", "35"},  // ３，５: the comma dropped as ever
      {"\x82\x50*.**", "1"},               // １ typed before the placeholder
      {"2.5\x82\x6b", "2.5"},              // 2.5Ｌ
      {"\x89\x82\x4f"
       "5",
       "5"},  // 0x82 as a trail byte before "O" is no ０
      {"\xb1\xb2"
       "4",
       "4"},  // half-width katakana are single bytes
      {"\x93\xfc\x97\xcd"
       "2",
       "2"},  // 入力2
  };
  for (const CleanCase& c : cases) ExpectCleaned(c);
}

// Appends in place (GCC 12 warns falsely on "literal" + std::string&&).
std::string Joined(std::string_view a, std::string_view b, std::string_view c) {
  std::string text(a);
  text.append(b).append(c);
  return text;
}

// Texts longer than 255 bytes (a paste) are examined whole; nothing wraps.
TEST(CleanNumberText, ExaminesLongTextsWhole) {
  const CleanCase cases[] = {
      {std::string(297, 'x') + "2.5", "2.5"},           // 300 bytes
      {Joined("1", std::string(298, 'x'), "2"), "12"},  // 300 bytes
      {std::string(280, 'x') + "7*.**" + std::string(15, 'y'), "7"},
      {std::string(256, 'x') + "9", "9"},         // length 257 ≡ 1
      {std::string(99'997, 'a') + "3.5", "3.5"},  // 100,000 bytes
      {Joined("4", std::string(99'995, ' '), ".25"), "4.25"},
  };
  for (const CleanCase& c : cases) {
    EXPECT_EQ(CleanNumberText(c.text), c.expected) << c.text.size() << " bytes";
  }
}

struct ReadCase {
  std::string fieldText;
  std::string cleanedText;
  bool textChanged;
  double value;
};

TEST(ReadFieldText, ReportsCleanedTextChangeAndValue) {
  const ReadCase cases[] = {
      {"2.5", "2.5", false, 2.5},
      {"  2.5 L", "2.5", true, 2.5},
      {"*.**", "", true, 0},
      {"***", "", true, 0},
      {"", "", false, 0},
      {"5.", "5.", false, 5},
      {"2.35", "2.35", false, 2.3499999999999996},  // read by the accumulation rule
      {".5", "0.5", true, 0.5},
      {"3,5", "35", true, 35},
      {"1.2.3", "1.23", true, 1.23},
      {"\x82\x50\x81\x44\x82\x57", "1.8", true, 1.8},  // １．８: the field then shows 1.8
  };
  for (const ReadCase& c : cases) {
    const FieldRead read = ReadFieldText(c.fieldText);
    EXPECT_EQ(read.cleanedText, c.cleanedText) << c.fieldText;
    EXPECT_EQ(read.textChanged, c.textChanged) << c.fieldText;
    EXPECT_EQ(read.value, c.value) << c.fieldText;
  }
}

// Runs one check the way the window does: check, then the message would be
// shown, then FinishFieldCheck. Returns the outcome and the inputs at each stage.
struct Ran {
  FieldCheckOutcome outcome;
  PatientInputs whileMessageShown;
  PatientInputs after;
};

Ran RunVolumeCheck(VolumeField which, const std::string& text, PatientInputs inputs) {
  Ran ran;
  ran.outcome = CheckVolumeField(which, text, inputs);
  ran.whileMessageShown = inputs;
  FinishFieldCheck(ran.outcome, inputs);
  ran.after = inputs;
  return ran;
}

double VolumeOf(VolumeField which, const PatientInputs& inputs) {
  switch (which) {
    case VolumeField::kVc:
      return inputs.vc;
    case VolumeField::kFvc:
      return inputs.fvc;
    case VolumeField::kFev1:
      return inputs.fev1;
  }
  return -1;
}

struct RangeCase {
  VolumeField which;
  std::string text;
  double stored;                         // the value read, stored before any message
  std::optional<std::string> rangeText;  // set when rejected
};

TEST(CheckVolumeField, RangeOneToFifteen) {
  const std::string vc(texts::kInputPrefix);
  const std::string fvcFev1(texts::kFvcFev1RangePrefix);
  const RangeCase cases[] = {
      {VolumeField::kVc, "1", 1, std::nullopt},
      {VolumeField::kVc, "15", 15, std::nullopt},
      {VolumeField::kVc, "0.99", 0.99, vc + "0.99"},
      {VolumeField::kVc, "15.01", 15.01, vc + "15.01"},
      {VolumeField::kVc, "3,5", 35, vc + "35"},
      {VolumeField::kFvc, "1", 1, std::nullopt},
      {VolumeField::kFvc, "15", 15, std::nullopt},
      {VolumeField::kFvc, "0.99", 0.99, fvcFev1 + "0.99"},
      {VolumeField::kFvc, "15.01", 15.01, fvcFev1 + "15.01"},
      {VolumeField::kFvc, "3,5", 35, fvcFev1 + "35"},
      {VolumeField::kFev1, "1.0", 1, std::nullopt},
      {VolumeField::kFev1, "15", 15, std::nullopt},
      {VolumeField::kFev1, "0.99", 0.99, fvcFev1 + "0.99"},
      {VolumeField::kFev1, "15.01", 15.01, fvcFev1 + "15.01"},
      {VolumeField::kFev1, "3,5", 35, fvcFev1 + "35"},
      {VolumeField::kFev1, ".5", 0.5, fvcFev1 + "0.5"},  // half a litre, not five
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.text);
    const Ran ran = RunVolumeCheck(c.which, c.text, PatientInputs{});
    const FieldCheckOutcome& o = ran.outcome;
    EXPECT_EQ(o.storedValue, c.stored);
    // The message quotes the value, which stays stored until it is closed.
    EXPECT_EQ(VolumeOf(c.which, ran.whileMessageShown), c.stored);
    EXPECT_FALSE(o.recalculate);
    EXPECT_TRUE(o.paintPercentages);
    EXPECT_FALSE(o.clearPanel);
    if (c.rangeText) {
      ASSERT_TRUE(o.message.has_value());
      EXPECT_EQ(o.message->text, *c.rangeText);
      EXPECT_EQ(o.message->caption,
                c.which == VolumeField::kVc ? texts::kVcRangeCaption : texts::kFvcFev1RangeCaption);
      EXPECT_EQ(o.placeholderText, std::optional<std::string>("*.**"));
      EXPECT_EQ(VolumeOf(c.which, ran.after), 0);
    } else {
      EXPECT_FALSE(o.message.has_value());
      EXPECT_FALSE(o.placeholderText.has_value());
      EXPECT_EQ(VolumeOf(c.which, ran.after), c.stored);
    }
  }
}

TEST(CheckVolumeField, RangeMessagesHaveTheExactBytes) {
  struct Case {
    VolumeField which;
    std::string text;
    std::string caption;
  };
  const Case cases[] = {
      {VolumeField::kVc, kInputHex + "35", kVcCaptionHex},     // no space after ：
      {VolumeField::kFvc, kInputHex + " 35", kFvcCaptionHex},  // one ASCII space
      {VolumeField::kFev1, kInputHex + " 35", kFvcCaptionHex},
  };
  for (const Case& c : cases) {
    const Ran ran = RunVolumeCheck(c.which, "3,5", PatientInputs{});
    ASSERT_TRUE(ran.outcome.message.has_value());
    EXPECT_EQ(ran.outcome.message->text, c.text);
    EXPECT_EQ(ran.outcome.message->caption, c.caption);
    EXPECT_EQ(ran.outcome.newCleanedText, std::optional<std::string>("35"));
  }
}

// Nothing entered: no message, no reset, only the percentage repaint.
TEST(CheckVolumeField, EmptyOrPlaceholderReadsAsNotEntered) {
  const std::string fieldTexts[] = {"", "*.**", "abc", "\x82\x6b"};  // Ｌ
  for (const std::string& text : fieldTexts) {
    SCOPED_TRACE(text);
    PatientInputs inputs;
    inputs.fvc = 3;
    const Ran ran = RunVolumeCheck(VolumeField::kFvc, text, inputs);
    EXPECT_FALSE(ran.outcome.message.has_value());
    EXPECT_FALSE(ran.outcome.placeholderText.has_value());
    EXPECT_EQ(ran.after.fvc, 0);
    EXPECT_TRUE(ran.outcome.paintPercentages);
    EXPECT_FALSE(ran.outcome.recalculate);
    EXPECT_EQ(ran.outcome.newCleanedText, text.empty() ? std::nullopt : std::optional<std::string>(""));
  }
}

struct RelationCase {
  VolumeField which;
  std::string text;
  double vc, fvc, fev1;  // before the check
  std::optional<std::string> warning;
};

TEST(CheckVolumeField, RelationWarningsFirstThatHolds) {
  const std::string in(texts::kInputPrefix);
  const std::string ltFvc(texts::kLessThanFvc);
  const std::string ltFev1(texts::kLessThanFev1);
  const std::string gtVc(texts::kGreaterThanVc);
  const std::string gtFvc(texts::kGreaterThanFvc);
  const RelationCase cases[] = {
      // Smaller than both: only the FVC warning.
      {VolumeField::kVc, "3", 0, 3.5, 3.2, in + "3" + ltFvc + "3.5"},
      {VolumeField::kVc, "3", 0, 2.5, 3.2, in + "3" + ltFev1 + "3.2"},
      {VolumeField::kVc, "3", 0, 0, 3.2, in + "3" + ltFev1 + "3.2"},
      {VolumeField::kVc, "3", 0, 3, 3, std::nullopt},  // equal is no contradiction
      {VolumeField::kVc, "4", 0, 3.5, 3.2, std::nullopt},
      {VolumeField::kVc, "2.35", 0, 3, 0, in + "2.35" + ltFvc + "3"},
      {VolumeField::kFvc, "4", 3, 0, 0, in + "4" + gtVc + "3"},
      {VolumeField::kFvc, "4", 0, 0, 0, std::nullopt},  // VC not entered
      {VolumeField::kFvc, "3", 3, 0, 0, std::nullopt},
      {VolumeField::kFvc, "2.5", 3, 0, 5, std::nullopt},  // FVC < FEV1 is not its test
      {VolumeField::kFev1, "3.5", 0, 3, 0, in + "3.5" + gtFvc + "3"},
      {VolumeField::kFev1, "12", 0, 0, 0, std::nullopt},  // FVC not entered
      {VolumeField::kFev1, "2.5", 0, 3, 0, std::nullopt},
      {VolumeField::kFev1, "3.5", 2, 3, 0, in + "3.5" + gtFvc + "3"},
  };
  for (const RelationCase& c : cases) {
    SCOPED_TRACE(c.text);
    PatientInputs inputs;
    inputs.vc = c.vc;
    inputs.fvc = c.fvc;
    inputs.fev1 = c.fev1;
    const Ran ran = RunVolumeCheck(c.which, c.text, inputs);
    const double read = ParseNumber(c.text);
    if (c.warning) {
      ASSERT_TRUE(ran.outcome.message.has_value());
      EXPECT_EQ(ran.outcome.message->text, *c.warning);
      EXPECT_EQ(ran.outcome.message->caption, texts::kRelationCaption);
    } else {
      EXPECT_FALSE(ran.outcome.message.has_value());
    }
    // A warning changes nothing: the value and the field's text stay.
    EXPECT_FALSE(ran.outcome.placeholderText.has_value());
    EXPECT_FALSE(ran.outcome.newCleanedText.has_value());
    EXPECT_EQ(VolumeOf(c.which, ran.after), read);
    EXPECT_TRUE(ran.outcome.paintPercentages);
    EXPECT_FALSE(ran.outcome.recalculate);
  }
}

TEST(CheckVolumeField, RelationWarningsHaveTheExactBytes) {
  PatientInputs inputs;
  inputs.fvc = 3;
  FieldCheckOutcome o = CheckVolumeField(VolumeField::kFev1, "3.5", inputs);
  ASSERT_TRUE(o.message.has_value());
  EXPECT_EQ(o.message->text, kInputHex + "3.5 > FVC" + kFullWidthColon + "3");
  EXPECT_EQ(o.message->caption, kRelationCaptionHex);
  EXPECT_EQ(inputs.fev1, 3.5);

  inputs = PatientInputs{};
  inputs.fvc = 3.5;
  inputs.fev1 = 3.2;
  o = CheckVolumeField(VolumeField::kVc, "3", inputs);
  ASSERT_TRUE(o.message.has_value());
  EXPECT_EQ(o.message->text, kInputHex + "3 < FVC" + kFullWidthColon + "3.5");

  inputs.fvc = 0;
  o = CheckVolumeField(VolumeField::kVc, "3", inputs);
  ASSERT_TRUE(o.message.has_value());
  EXPECT_EQ(o.message->text, kInputHex + "3 < FEV1" + kFullWidthColon + "3.2");

  inputs = PatientInputs{};
  inputs.vc = 3;
  o = CheckVolumeField(VolumeField::kFvc, "4", inputs);
  ASSERT_TRUE(o.message.has_value());
  EXPECT_EQ(o.message->text, kInputHex + "4 > VC" + kFullWidthColon + "3");
}

// A pasted run of digits reads as a huge number (or infinity): it is rejected
// like any value above 15 and never stays stored.
TEST(CheckVolumeField, LongPastesAreReadWholeAndChecked) {
  Ran ran = RunVolumeCheck(VolumeField::kVc, std::string(99'997, 'a') + "3.5", PatientInputs{});
  EXPECT_FALSE(ran.outcome.message.has_value());
  EXPECT_EQ(ran.outcome.newCleanedText, std::optional<std::string>("3.5"));
  EXPECT_EQ(ran.after.vc, 3.5);

  ran = RunVolumeCheck(VolumeField::kVc, std::string(300, '9'), PatientInputs{});
  ASSERT_TRUE(ran.outcome.message.has_value());
  EXPECT_GT(ran.whileMessageShown.vc, 15);
  EXPECT_EQ(ran.after.vc, 0);

  ran = RunVolumeCheck(VolumeField::kFvc, std::string(100'000, '9'), PatientInputs{});
  ASSERT_TRUE(ran.outcome.message.has_value());
  EXPECT_TRUE(std::isinf(ran.whileMessageShown.fvc));
  EXPECT_EQ(ran.outcome.message->text, std::string(texts::kFvcFev1RangePrefix) + "inf");
  EXPECT_EQ(ran.after.fvc, 0);
  EXPECT_EQ(ran.outcome.placeholderText, std::optional<std::string>("*.**"));
}

// Gaining the focus stores the value read, unchecked, and does nothing else.
TEST(ReadVolumeField, StoresTheValueReadUnchecked) {
  struct Case {
    VolumeField which;
    std::string text;
    double stored;
    std::optional<std::string> newText;
  };
  const Case cases[] = {
      {VolumeField::kVc, "*.**", 0, ""},  // the placeholder empties the field
      {VolumeField::kFvc, "20", 20, std::nullopt},
      {VolumeField::kFev1, "2*.**", 2, "2"},
      {VolumeField::kFev1, "0.5", 0.5, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    PatientInputs inputs;
    inputs.vc = inputs.fvc = inputs.fev1 = 3;
    const FieldCheckOutcome o = ReadVolumeField(c.which, c.text, inputs);
    EXPECT_EQ(VolumeOf(c.which, inputs), c.stored);
    EXPECT_EQ(o.newCleanedText, c.newText);
    EXPECT_FALSE(o.message.has_value());
    EXPECT_FALSE(o.placeholderText.has_value());
    EXPECT_FALSE(o.recalculate);
    EXPECT_FALSE(o.paintPercentages);
  }
}

struct AgeCase {
  std::string text;
  double stored;
  bool recalculate;
};

TEST(CheckAgeField, StoresAnyAgeRecalculatesSeventeenToNinetyFive) {
  const AgeCase cases[] = {
      {"16", 16, false}, {"17", 17, true}, {"95", 95, true},     {"96", 96, false},
      {"", 0, false},    {"**", 0, false}, {"40.5", 40.5, true}, {"150", 150, false},
  };
  for (const AgeCase& c : cases) {
    SCOPED_TRACE(c.text);
    PatientInputs inputs;
    inputs.age = 50;
    const FieldCheckOutcome o = CheckAgeField(c.text, inputs);
    FinishFieldCheck(o, inputs);
    EXPECT_EQ(inputs.age, c.stored);
    EXPECT_EQ(o.recalculate, c.recalculate);
    // No results of the age before may stay beside an age they are not for.
    EXPECT_EQ(o.clearPanel, !c.recalculate);
    EXPECT_FALSE(o.paintPercentages);
    EXPECT_FALSE(o.message.has_value());  // an age is never reported
    EXPECT_FALSE(o.placeholderText.has_value());
  }
  PatientInputs inputs;
  EXPECT_EQ(CheckAgeField("**", inputs).newCleanedText, std::optional<std::string>(""));
}

struct HeightCase {
  std::string text;
  double storedWhileMessage;
  bool recalculate;
  bool rejected;
};

TEST(CheckHeightField, HundredToTwoSeventyTwo) {
  const HeightCase cases[] = {
      {"99", 99, false, true},       {"100", 100, true, false},  {"272", 272, true, false},
      {"273", 273, false, true},     {"", 0, false, false},       // not entered: no message
      {"***", 0, false, false},      {"0.5", 0.5, false, false},  // below 1 is left alone and stays
      {"170.5", 170.5, true, false},
  };
  for (const HeightCase& c : cases) {
    SCOPED_TRACE(c.text);
    PatientInputs inputs;
    const FieldCheckOutcome o = CheckHeightField(c.text, inputs);
    EXPECT_EQ(inputs.height, c.storedWhileMessage);
    FinishFieldCheck(o, inputs);
    EXPECT_EQ(o.recalculate, c.recalculate);
    EXPECT_EQ(o.clearPanel, !c.recalculate);  // emptied or refused: the panel is cleared
    EXPECT_FALSE(o.paintPercentages);
    if (c.rejected) {
      ASSERT_TRUE(o.message.has_value());
      EXPECT_EQ(o.message->text, texts::kHeightRangeText);
      EXPECT_EQ(o.message->caption, texts::kHeightCaption);
      EXPECT_EQ(o.message->text, kHeightTextHex);
      EXPECT_EQ(o.message->caption, kHeightCaptionHex);
      EXPECT_EQ(o.placeholderText, std::optional<std::string>("***"));
      EXPECT_EQ(inputs.height, 0);
    } else {
      EXPECT_FALSE(o.message.has_value());
      EXPECT_FALSE(o.placeholderText.has_value());
      EXPECT_EQ(inputs.height, c.storedWhileMessage);
    }
  }
}

TEST(ChooseSex, StoresCodeThenRecalculatesThenRepaints) {
  for (const std::uint8_t code : {kSexFemale, kSexMale}) {
    PatientInputs inputs;
    inputs.age = 40;
    inputs.height = 160;
    inputs.vc = 3;
    const FieldCheckOutcome o = ChooseSex(code, inputs);
    FinishFieldCheck(o, inputs);
    EXPECT_EQ(inputs.sexCode, code);
    EXPECT_TRUE(o.recalculate);
    EXPECT_TRUE(o.paintPercentages);
    EXPECT_FALSE(o.message.has_value());
    EXPECT_FALSE(o.newCleanedText.has_value());
    EXPECT_EQ(inputs.age, 40);
    EXPECT_EQ(inputs.height, 160);
    EXPECT_EQ(inputs.vc, 3);
  }
}

// The code as FormatNumber writes it, then "性別のチェックを！" under "性別" (CP932).
TEST(SexCheckMessage, NamesTheRejectedCode) {
  const UserMessage m = SexCheckMessage(3);
  EXPECT_EQ(m.text, "3\x90\xab\x95\xca\x82\xcc\x83\x60\x83\x46\x83\x62\x83\x4e\x82\xf0\x81\x49");
  EXPECT_EQ(m.caption, "\x90\xab\x95\xca");
}

// The constants the checks use are the bytes the window shows.
TEST(FieldCheckTexts, ConstantsAreTheCp932Bytes) {
  EXPECT_EQ(texts::kInputPrefix, kInputHex);
  EXPECT_EQ(texts::kFvcFev1RangePrefix, kInputHex + " ");
  EXPECT_EQ(texts::kVcRangeCaption, kVcCaptionHex);
  EXPECT_EQ(texts::kFvcFev1RangeCaption, kFvcCaptionHex);
  EXPECT_EQ(texts::kRelationCaption, kRelationCaptionHex);
  EXPECT_EQ(texts::kHeightRangeText, kHeightTextHex);
  EXPECT_EQ(texts::kHeightCaption, kHeightCaptionHex);
  EXPECT_EQ(texts::kLessThanFvc, " < FVC" + kFullWidthColon);
  EXPECT_EQ(texts::kLessThanFev1, " < FEV1" + kFullWidthColon);
  EXPECT_EQ(texts::kGreaterThanVc, " > VC" + kFullWidthColon);
  EXPECT_EQ(texts::kGreaterThanFvc, " > FVC" + kFullWidthColon);
}

}  // namespace
}  // namespace kestrova

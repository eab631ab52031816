#include "input/patient_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <string>

#include "input/limits.h"
#include "texts/japanese_texts.h"

namespace kestrova {
namespace {

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

struct SexCase {
  std::string text;
  int sexCode;  // 0: refused
};

TEST(PatientRecord, SexSpellingsInBothEncodings) {
  const SexCase cases[] = {
      {"M", 1},
      {"m", 1},
      {"1", 1},
      {" M ", 1},
      {"F", 2},
      {"f", 2},
      {"2", 2},
      {Utf8(u8"男性"), 1},
      {Utf8(u8"女性"), 2},
      {Utf8(u8"男"), 1},
      {Utf8(u8"女"), 2},
      {Utf8(u8" Ｍ "), 1},
      {Utf8(u8"Ｆ"), 2},
      {Utf8(u8"ｍ"), 1},
      {std::string(texts::kMale), 1},    // the program's own Shift-JIS bytes
      {std::string(texts::kFemale), 2},  //
      {"\x92\x6A", 1},                   // 男 in Shift-JIS
      {"\x8F\x97", 2},                   // 女 in Shift-JIS
      {"\x82\x6C", 1},                   // Ｍ in Shift-JIS
      {"\x82\x65", 2},                   // Ｆ in Shift-JIS
      {Utf8(u8"男女"), 0},
      {Utf8(u8"男子"), 0},
      {"\x92\x6A\x92\x6A", 0},  // 男男
      {"X", 0},
      {"", 0},
      {"3", 0},
      {"male", 0},  // the window's command line would read "m…" as female, "M…" as male
      {"Male", 0},
      {"MF", 0},
  };
  for (const SexCase& c : cases) {
    std::uint8_t code = 0;
    const InputError error = ReadSexText(c.text, TextEncoding::kUtf8, code);
    EXPECT_EQ(error == InputError::kNone ? code : 0, c.sexCode) << c.text;
    if (c.sexCode == 0) {
      EXPECT_EQ(error, c.text.empty() ? InputError::kEmpty : InputError::kUnknownSex);
    }
  }
}

struct NumberCase {
  PatientValue value;
  std::string text;
  InputError error;
  double number;
};

void ExpectNumbers(std::span<const NumberCase> cases, TextEncoding encoding) {
  for (const NumberCase& c : cases) {
    double number = -1;
    EXPECT_EQ(ReadNumberText(c.value, c.text, encoding, number), c.error) << c.text;
    EXPECT_EQ(c.error == InputError::kNone ? number : 0, c.number) << c.text;
  }
}

// One table for the number rule: form, full width, and each value's limits
// at their boundaries.
TEST(PatientRecord, NumbersByTheOneRule) {
  using V = PatientValue;
  using E = InputError;
  const NumberCase cases[] = {
      {V::kAge, "40", E::kNone, 40},
      {V::kHeight, " 170.5 ", E::kNone, 170.5},
      {V::kVc, "+3.2", E::kNone, 3.2},
      {V::kVc, ".5", E::kNone, 0.5},
      {V::kVc, "3.", E::kNone, 3},
      {V::kVc, "", E::kNone, 0},  // not measured
      {V::kVc, "0", E::kNone, 0},
      {V::kVc, "2.35", E::kNone, 2.3499999999999996},  // read as the window reads its fields
      {V::kAge, "", E::kEmpty, 0},                     // age and height are required
      {V::kAge, "0", E::kNotAboveZero, 0},             // and above 0
      {V::kAge, "-45", E::kNotAboveZero, 0},
      {V::kVc, "-1", E::kNegative, 0},
      {V::kVc, "3,1", E::kDecimalComma, 0},  // the window would read 31; refused everywhere else
      {V::kVc, "1,2,3", E::kNotANumber, 0},
      {V::kVc, "3.2.1", E::kNotANumber, 0},
      {V::kAge, "1e21", E::kNotANumber, 0},
      {V::kAge, "45 /VC=9", E::kNotANumber, 0},  // one value is one value
      {V::kVc, "&H10", E::kNotANumber, 0},
      {V::kVc, "-", E::kNotANumber, 0},
      {V::kVc, ".", E::kNotANumber, 0},
      {V::kAge, "inf", E::kNotANumber, 0},
      {V::kAge, "150", E::kNone, 150},
      {V::kAge, "150.01", E::kAboveLimit, 0},
      {V::kHeight, "272", E::kNone, 272},
      {V::kHeight, "272.1", E::kAboveLimit, 0},
      {V::kFvc, "15", E::kNone, 15},
      {V::kFvc, "15.01", E::kAboveLimit, 0},
      {V::kFev1, "3100", E::kAboveLimit, 0},  // millilitres
  };
  ExpectNumbers(cases, TextEncoding::kUtf8);
}

// Full-width digits, point and comma, as an IME types them, read as ASCII.
TEST(PatientRecord, FullWidthDigits) {
  using V = PatientValue;
  using E = InputError;
  ExpectNumbers({{{V::kAge, Utf8(u8"４５"), E::kNone, 45},
                  {V::kFev1, Utf8(u8"\u3000１．２５\u3000"), E::kNone, 1.25},  // ideographic spaces around
                  {V::kVc, Utf8(u8"３，１"), E::kDecimalComma, 0}}},
                TextEncoding::kUtf8);
  ExpectNumbers({{{V::kHeight, "\x82\x50\x82\x56\x82\x4F\x81\x44\x82\x54", E::kNone, 170.5}}},  // １７０．５
                TextEncoding::kShiftJis);
}

// A number may end in its own value's unit; a volume in mL is refused as such.
TEST(PatientRecord, NumbersWithTheirUnit) {
  using V = PatientValue;
  using E = InputError;
  ExpectNumbers({{{V::kHeight, "170cm", E::kNone, 170},
                  {V::kHeight, Utf8(u8" １７０．５\u3000ＣＭ "), E::kNone, 170.5},
                  {V::kHeight, Utf8(u8"170㎝"), E::kNone, 170},
                  {V::kVc, "2.5 l", E::kNone, 2.5},
                  {V::kFev1, Utf8(u8"2.5ℓ"), E::kNone, 2.5},
                  {V::kAge, Utf8(u8"45歳"), E::kNone, 45},
                  {V::kFvc, Utf8(u8"２４５０ｍｌ"), E::kMillilitres, 0},
                  {V::kVc, "3,1 L", E::kDecimalComma, 0},
                  {V::kHeight, "2450 mL", E::kNotANumber, 0},  // another value's unit
                  {V::kVc, "L", E::kNotANumber, 0},            // a unit is no volume
                  {V::kHeight, "300 cm", E::kAboveLimit, 0}}},
                TextEncoding::kUtf8);
  ExpectNumbers({{{V::kAge, "45\x8D\xCE", E::kNone, 45},                   // 歳
                  {V::kVc, "2450\x82\x8D\x82\x6B", E::kMillilitres, 0}}},  // ｍＬ
                TextEncoding::kShiftJis);
}

struct MessageCase {
  PatientValue value;
  InputError error;
  std::string text;
  std::string english;
  std::string japanese;
};

TEST(PatientRecord, MessagesInEnglishAndJapanese) {
  using V = PatientValue;
  using E = InputError;
  const MessageCase cases[] = {
      {V::kSex, E::kEmpty, "", "sex is empty", Utf8(u8"性別を選んでください")},
      {V::kSex, E::kUnknownSex, "X", "sex 'X' is neither M/F, 1/2 nor " + Utf8(u8"男性/女性"),
       Utf8(u8"性別は M/F、1/2、男性/女性 のいずれかで入力してください")},
      {V::kAge, E::kEmpty, "", "age is empty", Utf8(u8"入力してください")},
      {V::kAge, E::kNotANumber, "forty", "age 'forty' is not a number",
       Utf8(u8"数値で入力してください（例 45、160.5）")},
      {V::kVc, E::kDecimalComma, "3,1", "vc '3,1' is not a number (the decimal mark is '.', not ',')",
       Utf8(u8"小数点は「.」で入力してください（例 3.1）")},
      {V::kFvc, E::kMillilitres, "2450 mL", "fvc '2450 mL' is in millilitres: give volumes in litres (L)",
       Utf8(u8"リットル（L）で入力してください（例 2.45）")},
      {V::kHeight, E::kNotAboveZero, "0", "height '0' is not above 0",
       Utf8(u8"0 より大きい値を入力してください")},
      {V::kFvc, E::kNegative, "-1", "fvc '-1' is negative",
       Utf8(u8"0 以上の値を入力してください（空欄は未測定）")},
      {V::kAge, E::kAboveLimit, "200", "age '200' is above 150", Utf8(u8"150 以下の値を入力してください")},
      {V::kFev1, E::kAboveLimit, "3100", "fev1 '3100' is above 15", Utf8(u8"15 以下の値を入力してください")},
  };
  for (const MessageCase& c : cases) {
    const InputProblem problem{c.value, c.error, c.text};
    EXPECT_EQ(EnglishMessage(problem), c.english);
    EXPECT_EQ(JapaneseMessage(problem), c.japanese);
  }
  // A Shift-JIS file's error column gets no UTF-8 bytes.
  EXPECT_EQ(EnglishMessage({V::kSex, E::kUnknownSex, "X"}, TextEncoding::kShiftJis),
            "sex 'X' is neither M/F, 1/2 nor male/female in Japanese");
}

TEST(PatientRecord, ReadsTheFirstRefusedValueAndKeepsTexts) {
  PatientRecord record;
  InputProblem problem;
  ASSERT_TRUE(ReadPatientRecord({" F ", Utf8(u8"４５"), "160 cm", "3.1", "3.0", ""}, TextEncoding::kUtf8,
                                record, problem));
  EXPECT_EQ(record.inputs.sexCode, kSexFemale);
  EXPECT_EQ(record.inputs.age, 45);
  EXPECT_EQ(record.inputs.fev1, 0);
  EXPECT_EQ(record.TextOf(PatientValue::kSex), "F");
  EXPECT_EQ(record.TextOf(PatientValue::kAge), "45");      // as read, in ASCII
  EXPECT_EQ(record.TextOf(PatientValue::kHeight), "160");  // without its unit
  EXPECT_EQ(record.TextOf(PatientValue::kFvc), "3.0");     // not reformatted
  EXPECT_EQ(record.TextOf(PatientValue::kFev1), "");

  EXPECT_FALSE(ReadPatientRecord({"F", "45", " 1 70 ", "x", "", ""}, TextEncoding::kUtf8, record, problem));
  EXPECT_EQ(problem.value, PatientValue::kHeight);
  EXPECT_EQ(problem.text, "1 70");

  const auto each = CheckPatientTexts({"", "45", "abc", "", "-1", "20"}, TextEncoding::kUtf8);
  const InputError expected[] = {InputError::kEmpty, InputError::kNone,     InputError::kNotANumber,
                                 InputError::kNone,  InputError::kNegative, InputError::kAboveLimit};
  for (std::size_t v = 0; v < kPatientValueCount; ++v) EXPECT_EQ(each[v].error, expected[v]) << v;
}

struct NumberTextCase {
  double value;
  std::string text;
};

// A number handed over as a number is read as the shortest decimal of its own
// type, never with an exponent.
TEST(PatientRecord, NumberValuesAsTheirShortestDecimal) {
  const NumberTextCase doubles[] = {
      {170.0, "170"},
      {2.35, "2.35"},
      {0.1 + 0.2, "0.30000000000000004"},
      {1e-5, "0.00001"},
      {-45, "-45"},
      {1e21, "1000000000000000000000"},
      {40.1, "40.1"},
      {static_cast<double>(40.1f), "40.099998474121094"},
  };
  NumberTextBuffer buffer;
  for (const NumberTextCase& c : doubles) EXPECT_EQ(NumberValueText(c.value, buffer), c.text) << c.text;
  EXPECT_EQ(NumberValueText(std::numeric_limits<double>::quiet_NaN(), buffer), "");
  EXPECT_EQ(NumberValueText(std::numeric_limits<double>::infinity(), buffer), "inf");  // then "not a number"

  const std::pair<float, std::string> floats[] = {
      {40.1f, "40.1"}, {2.31f, "2.31"}, {170.0f, "170"}, {1.16f, "1.16"}};
  for (const auto& [value, text] : floats) EXPECT_EQ(NumberValueText(value, buffer), text) << text;
  EXPECT_EQ(NumberValueText(std::numeric_limits<float>::quiet_NaN(), buffer), "");
}

struct RelationCase {
  double vc, fvc, fev1;
  std::string keys;
};

// The window's tests, in its order: VC against FVC, else against FEV1; FEV1
// against FVC; an unmeasured volume (0) is never below or above another.
TEST(Limits, RelationWarnings) {
  const RelationCase cases[] = {
      {3.0, 2.9, 2.4, ""},
      {3.0, 3.5, 2.4, "vcBelowFvc"},
      {3.0, 3.5, 3.2, "vcBelowFvc"},  // the window shows the first that holds
      {3.0, 2.9, 3.2, "vcBelowFev1;fev1AboveFvc"},
      {0, 2.89, 3.39, "fev1AboveFvc"},
      {3.0, 0, 3.2, "vcBelowFev1"},
      {0, 0, 3.2, ""},
      {3.0, 3.0, 3.0, ""},
  };
  for (const RelationCase& c : cases) {
    PatientInputs in;
    in.vc = c.vc;
    in.fvc = c.fvc;
    in.fev1 = c.fev1;
    EXPECT_EQ(RelationWarningKeys(RelationWarnings(in)), c.keys) << c.vc << " " << c.fvc << " " << c.fev1;
  }
  PatientInputs in;
  in.vc = 3;
  in.fvc = 3.5;
  in.fev1 = 3.75;
  EXPECT_EQ(RelationWarningText(kVcBelowFvc, in, TextEncoding::kUtf8), Utf8(u8"入力：3 < FVC：3.5"));
  EXPECT_EQ(RelationWarningText(kFev1AboveFvc, in, TextEncoding::kUtf8), Utf8(u8"入力：3.75 > FVC：3.5"));
  EXPECT_EQ(RelationWarningText(kVcBelowFev1, in, TextEncoding::kShiftJis),
            std::string(texts::kInputPrefix) + "3" + std::string(texts::kLessThanFev1) + "3.75");
}

}  // namespace
}  // namespace kestrova

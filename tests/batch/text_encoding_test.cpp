// The encoding decision of batch files and the names their headers may use.
#include "io/text_encoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "batch/header_names.h"
#include "report/result_columns.h"
#include "texts/japanese_texts.h"

namespace kestrova::cli {

using namespace kestrova::batch;  // NOLINT
using namespace kestrova::io;     // NOLINT
namespace {

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

constexpr TextEncoding kU = TextEncoding::kUtf8;
constexpr TextEncoding kS = TextEncoding::kShiftJis;

struct DecisionCase {
  std::string name;
  std::string start;
  bool complete;
  std::optional<TextEncoding> forced;
  TextEncoding encoding;
  bool byteOrderMark;
};

TEST(TextEncoding, DecidedOncePerFile) {
  const std::string sjisSex = "\x90\xAB\x95\xCA";  // 性別
  const DecisionCase cases[] = {
      {"ASCII", "sex,age\nM,40\n", true, std::nullopt, kU, false},
      {"empty", "", true, std::nullopt, kU, false},
      {"UTF-8", Utf8(u8"性別,年齢\n"), true, std::nullopt, kU, false},
      {"byte order mark", "\xEF\xBB\xBF" + sjisSex, true, std::nullopt, kU, true},
      {"Shift-JIS", sjisSex + ",age\n", true, std::nullopt, kS, false},
      {"Shift-JIS in a later row", "sex,age,memo\nM,40," + sjisSex + "\n", true, std::nullopt, kS, false},
      {"overlong form", "\xC0\xAF", true, std::nullopt, kS, false},
      {"surrogate", "\xED\xA0\x80", true, std::nullopt, kS, false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", true, std::nullopt, kS, false},
      {"cut at the end of the sample", "ab\xE6\x80", false, std::nullopt, kU, false},
      {"cut at the end of the file", "ab\xE6\x80", true, std::nullopt, kS, false},
      // The header decides when it has text beyond ASCII; otherwise the lines
      // that do: one stray byte in a UTF-8 file leaves it UTF-8.
      {"UTF-8 header, a stray byte in a row", Utf8(u8"性別,年齢\nM,40\xFF\n"), true, std::nullopt, kU, false},
      {"ASCII header, UTF-8 rows, a stray byte", Utf8(u8"sex,n\nM,山田\nM,川\xFF\nF,谷\n"), true,
       std::nullopt, kU, false},
      {"Shift-JIS header, a valid UTF-8 row", sjisSex + Utf8(u8"\n山田\n"), true, std::nullopt, kS, false},
      {"forced Shift-JIS", "sex\n", true, kS, kS, false},
      {"forced UTF-8", sjisSex + "\n", true, kU, kU, false},
      {"forced Shift-JIS keeps the mark",
       "\xEF\xBB\xBF"
       "a",
       true, kS, kS, true},
  };
  for (const DecisionCase& c : cases) {
    const EncodingDecision d = DecideEncoding(c.start, c.complete, c.forced);
    EXPECT_EQ(d.encoding, c.encoding) << c.name;
    EXPECT_EQ(d.byteOrderMark, c.byteOrderMark) << c.name;
  }
  EXPECT_EQ(ParseEncodingName("UTF-8"), kU);
  EXPECT_EQ(ParseEncodingName("sjis"), kS);
  EXPECT_EQ(ParseEncodingName("Shift_JIS"), kS);
  EXPECT_EQ(ParseEncodingName("latin1"), std::nullopt);
}

struct MessageCase {
  std::string text;
  TextEncoding encoding;
  std::string shown;
};

// Input bytes in a message cannot drive the terminal, and Shift-JIS shows as UTF-8.
TEST(TextEncoding, MessageTextIsSafeOnATerminal) {
  const MessageCase cases[] = {
      {"plain", kU, "plain"},
      {Utf8(u8"山田 男性"), kU, Utf8(u8"山田 男性")},
      {"\x1b[2J\a", kU, "\\x1b[2J\\x07"},
      {std::string("a\0b", 3), kU, "a\\x00b"},
      {"1\nkestrova-cli: fake\r", kU, "1\\x0akestrova-cli: fake\\x0d"},
      {"\x7f\xc2\x9b", kU, "\\x7f\\xc2\\x9b"},  // DEL and the C1 control CSI
      {"\xff\xe5\xb1", kU, "\\xff\\xe5\\xb1"},  // no character, a cut one
      {"\x8E\x52\x93\x63", kS, Utf8(u8"山田")},
      {"\xB1\x1b\x81", kS, Utf8(u8"ｱ") + "\\x1b\\x81"},  // half-width katakana, a lead byte alone
      {"\x92\x6A\x90\xAB\x85\x40", kS, Utf8(u8"男性") + "\\x85\\x40"},  // an unassigned code
  };
  for (const MessageCase& c : cases) EXPECT_EQ(MessageText(c.text, c.encoding), c.shown) << c.text;
}

struct NameCase {
  std::string name;
  TextEncoding encoding;
  std::optional<BatchColumn> column;
};

TEST(HeaderNames, EnglishAndJapaneseInEitherEncoding) {
  const NameCase cases[] = {
      {"sex", kU, kSex},
      {" AGE ", kU, kAge},
      {"Height (cm)", kU, kHeight},
      {"VC[L]", kU, kVc},
      {"fev1.0(l)", kU, kFev1},
      {"FEV1_L", kU, kFev1},
      {"FEV1 (L)", kU, kFev1},
      {"FVC(L)", kU, kFvc},
      {"height_cm", kU, kHeight},
      {Utf8(u8"性別"), kU, kSex},
      {Utf8(u8"　性　別　"), kU, kSex},
      {Utf8(u8"年齢"), kU, kAge},
      {Utf8(u8"身長(cm)"), kU, kHeight},
      {Utf8(u8"身長（ｃｍ）"), kU, kHeight},
      {Utf8(u8"肺活量(L)"), kU, kVc},
      {Utf8(u8"努力肺活量［Ｌ］"), kU, kFvc},
      {Utf8(u8"1秒量"), kU, kFev1},
      {Utf8(u8"１秒量(L)"), kU, kFev1},
      {Utf8(u8"一秒量"), kU, kFev1},
      {Utf8(u8"ＦＥＶ１"), kU, kFev1},
      {"\x90\xAB\x95\xCA", kS, kSex},                                                  // 性別
      {"\x81\x40\x90\xAB\x81\x40\x95\xCA\x81\x40", kS, kSex},                          // 　性　別　
      {"\x94\x4E\x97\xEE", kS, kAge},                                                  // 年齢
      {"\x90\x67\x92\xB7\x81\x69\x82\x83\x82\x8D\x81\x6A", kS, kHeight},               // 身長（ｃｍ）
      {"\x93\x77\x97\xCD\x94\x78\x8A\x88\x97\xCA\x81\x6D\x82\x6B\x81\x6E", kS, kFvc},  // 努力肺活量［Ｌ］
      {"\x88\xEA\x95\x62\x97\xCA", kS, kFev1},                                         // 一秒量
      {"\x82\x65\x82\x64\x82\x75\x82\x50", kS, kFev1},                                 // ＦＥＶ１
      // A full-width low line reads in Shift-JIS as in UTF-8: both go through one converter.
      {"\x82\x65\x82\x64\x82\x75\x82\x50\x81\x51\x82\x6B", kS, kFev1},  // ＦＥＶ１＿Ｌ
      // Not the columns: passed through.
      {"id", kU, std::nullopt},
      {"sexes", kU, std::nullopt},
      {"height(kg)", kU, std::nullopt},
      {"FEV1 (mL)", kU, std::nullopt},  // millilitres are not the column's unit
      {"FEV1_", kU, std::nullopt},
      {"age(y)", kU, std::nullopt},
      {Utf8(u8"身長(L)"), kU, std::nullopt},
      {Utf8(u8"氏名"), kU, std::nullopt},
      {"\x8E\x81\x96\xBC", kS, std::nullopt},  // 氏名
      {"\x90\xAB\x95\xCA", kU, std::nullopt},  // 性別 in Shift-JIS read as UTF-8
      {Utf8(u8"性別"), kS, std::nullopt},      // and the other way round
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(ColumnOfHeaderName(c.name, c.encoding), c.column) << c.name;
  }
}

// A sheet's Japanese input columns read back as their columns, in either encoding.
TEST(HeaderNames, InputColumnsJaAreReadBack) {
  const auto& columns = report::InputColumns();
  for (const TextEncoding encoding : {kU, kS}) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
      EXPECT_EQ(ColumnOfHeaderName(Utf8AsText(columns[i].nameJa, encoding), encoding), BatchColumn(i)) << i;
    }
    for (std::size_t i = kColumnCount; i < columns.size(); ++i) {
      EXPECT_EQ(PatientColumnOfHeaderName(Utf8AsText(columns[i].nameJa, encoding), encoding),
                PatientColumn(i - kColumnCount))
          << i;
    }
  }
}

struct ConversionCase {
  std::string utf8;
  std::string shiftJis;
};

// The tool's UTF-8 texts become the bytes the build gives their CP932 twins.
TEST(TextEncoding, Utf8AsShiftJis) {
  const ConversionCase cases[] = {
      {std::string(texts::kRangeToUtf8), std::string(texts::kRangeTo)},  // ～
      {std::string(texts::kLlnPossibleMixedUtf8), std::string(texts::kLlnPossibleMixed)},
      {std::string(texts::kReportRedLegendUtf8), std::string(texts::kReportRedLegend)},
      {Utf8(u8"a\u00e9\U0001F600"), "a??"},  // none in code page 932
      {"x\xff", "x?"},                       // no UTF-8
  };
  for (const ConversionCase& c : cases) {
    EXPECT_EQ(Utf8AsText(c.utf8, kS), c.shiftJis) << c.utf8;
    EXPECT_EQ(Utf8AsText(c.utf8, kU), c.utf8);
  }
}

}  // namespace
}  // namespace kestrova::cli

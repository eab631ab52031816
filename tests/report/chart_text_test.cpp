#include "report/chart_text.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "kestrova/reading.h"
#include "tests/report/patient.h"
#include "tests/support/files.h"

namespace kestrova::report {
namespace {

// The sources compile to Shift-JIS; u8 literals stay UTF-8.
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string Chart(const PatientTexts& texts, const std::string& name = "") {
  testing::Patient patient = testing::ReadPatient(texts);
  patient.given.name = name;
  return FormatChartText(patient.given, patient.result, ReadResult(patient.result));
}

struct ColumnsCase {
  std::string text;
  std::size_t columns;
};

TEST(ChartText, DisplayColumnsCountFullWidthAsTwo) {
  const ColumnsCase cases[] = {
      {"VC 3.0", 6},       {U8(u8"髙橋"), 4},
      {"\xEF\xBD\xB1", 1},               // half-width katakana ｱ: one byte in Shift-JIS
      {U8(u8"＊ "), 3},    {"\xFF", 2},  // not UTF-8: shown as U+FFFD
  };
  for (const ColumnsCase& c : cases) EXPECT_EQ(DisplayColumns(c.text), c.columns) << c.text;
}

// The whole text for one patient; the numbers are those of the golden text
// report (72.5 % = 3.0 / 4.14, red below the LLN 3.42; 84.5 % by Baldwin is not red).
TEST(ChartText, GoldenTextWithThePatientBlock) {
  testing::Patient patient = testing::ReadPatient({"M", "60", "170", "3.0", "2.9", "1.6"});
  patient.given.id = "A-1";
  patient.given.name = U8(u8"髙橋 花子");
  patient.given.date = "2026-12-07";
  EXPECT_EQ(FormatChartText(patient.given, patient.result, ReadResult(patient.result)),
            testing::ReadFile(KESTROVA_TEST_DATA "/male_60_170_chart.txt"));
}

struct LinesCase {
  PatientTexts patient;
  std::string name;      // the patient's name, "" unknown
  std::string expected;  // a run of whole lines of the text
  std::string absent;    // text that must not appear ("" for none)
};

TEST(ChartText, LinesFollowThePanel) {
  const LinesCase cases[] = {
      // Unknown patient: no block; nothing measured: no percentages, nothing read.
      {{"F", "45", "160"}, "", "FVC\n  JRS2014      3.14\n  LLN          2.57\n", "ID"},
      {{"F", "45", "160"}, "", U8(u8"肺年齢: 判定なし\n"), U8(u8"＊\n")},
      // Only the name: it alone makes the block.
      {{"F", "45", "160"}, U8(u8"ソ表"), U8(u8"氏名: ソ表\n入力: "), "ID:"},
      // 97.0 % = 0.800 / 0.825, red below its prediction; 100.0 % is not red.
      {{"F", "45", "160", "3.1", "3.0", "2.4"},
       "",
       U8(u8"  JRS2014     0.825   97.0 %＊\n"),
       U8(u8"100.0 %＊")},
      // Beside a prediction the height leaves empty, why; an item outside its
      // equation's ages, the reason.
      {{"M", "40", "105"}, "", U8(u8"  JRS2014      *.**  適用範囲外（身長110cm以上）\n"), ""},
      {{"M", "17.5", "170", "", "", "3.5"}, "", U8(u8"\nCOPD 病期: 対象外（JRS2001は18～95歳）\n"), "*.**"},
      // A control character in a given text cannot start a line of its own.
      {{"M", "60", "170"}, "a\nb\tc", U8(u8"氏名: a b c\n"), ""},
  };
  for (const LinesCase& c : cases) {
    const std::string text = Chart(c.patient, c.name);
    EXPECT_NE(text.find(c.expected), std::string::npos) << text;
    if (!c.absent.empty()) {
      EXPECT_EQ(text.find(c.absent), std::string::npos) << text;
    }
  }
}

// Over many patients with long names and ids: every line fits 80 columns,
// ends without a blank, and nothing given is lost by the breaking.
TEST(ChartText, EveryLineFitsAndEndsWithoutBlanks) {
  std::mt19937 random(19);
  const std::vector<std::string> pieces = {U8(u8"髙橋"), " ",        U8(u8"ソ"), U8(u8"表"), "Yamada",
                                           U8(u8"ｱ"),    U8(u8"　"), "-",        "x"};
  for (int i = 0; i < 400; ++i) {
    PatientInputs in;
    in.sexCode = 1 + random() % 2;
    in.age = 5 + random() % 95;  // children and the oldest too: notes beside rows and items
    in.height = 100 + random() % 110;
    in.vc = (random() % 60) / 10.0;
    in.fvc = (random() % 60) / 10.0;
    in.fev1 = (random() % 50) / 10.0;
    const FullResult result = ComputeFullResult(in);
    if (!result.computed) continue;
    GivenInputs given;
    for (std::size_t n = random() % 60; n > 0; --n) given.name += pieces[random() % pieces.size()];
    for (std::size_t n = random() % 100; n > 0; --n) given.id += pieces[random() % pieces.size()];
    given.vc = std::string(random() % 120, '9');
    const std::string text = FormatChartText(given, result, ReadResult(result));
    ASSERT_EQ(text.back(), '\n');
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(DisplayColumns(line), kChartColumns) << line;
      EXPECT_TRUE(line.empty() || (line.back() != ' ' && !line.ends_with(U8(u8"　")))) << line;
    }
    std::string joined;
    for (char c : text) {
      if (c != ' ' && c != '\n') joined += c;
    }
    std::string name;
    for (char c : given.name) {
      if (c != ' ') name += c;
    }
    EXPECT_NE(joined.find(name.empty() ? "" : name.substr(0, name.find(U8(u8"　")))), std::string::npos);
  }
}

}  // namespace
}  // namespace kestrova::report

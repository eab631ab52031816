#include "report/text_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "cli/cli.h"
#include "tests/cli/captured_stream.h"

namespace kestrova::cli {

using namespace kestrova::batch;   // NOLINT
using namespace kestrova::report;  // NOLINT
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunTool(const std::vector<std::string_view>& args, bool terminal = false) {
  CapturedStream out;
  CapturedStream err;
  CliRun run;
  run.status = RunCli(args, stdin, out.file(), err.file(), Terminal{terminal, false});
  run.out = out.Take();
  run.err = err.Take();
  return run;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::vector<std::string_view> kFemaleExample = {"/Sex=F",  "/Age=45",  "/Setake=160",
                                                      "/VC=3.1", "/FVC=3.0", "/FEV1=2.4"};

// Percentages worked by hand: 3.1/3.24 = 95.68…, 3.0/3.00 = 100.0, the measured
// FEV1/FVC 2.4/3.0 = 0.800 against 0.825 = 96.96… (red: below its prediction).
TEST(Report, FemaleExampleAsTheWindowShowsIt) {
  const CliRun run = RunTool(kFemaleExample);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, ReadFile(KESTROVA_TEST_DATA "/female_45_160_report.txt"));
  EXPECT_NE(run.out.find("  95.7 %     3.24 :JRS2014\n"), std::string::npos);
  EXPECT_NE(run.out.find(" 100.0 %     3.00 :JRS2001\n"), std::string::npos);
  EXPECT_NE(run.out.find("FEV1.0 %   0.800\n"), std::string::npos);
  EXPECT_NE(run.out.find("* 97.0 %     0.825 :JRS2014\n"), std::string::npos);
}

// Every result row is the mark, the panel's cell and its line. Percentages
// worked by hand: 3.2/4.48 = 71.43, 3.2/3.94 = 81.22 (not below 80), 3.9/4.40 =
// 88.64, 2.6/3.82 = 68.06 (no limit for FEV1 by JRS2001), 0.667/0.865 = 77.11;
// red below the LLN (3.2 < 3.72, 2.6 < 2.92), under 80 % for VC, or below a ratio.
TEST(Report, RowsCarryThePanelTextsUnchanged) {
  const CliRun run = RunTool({"/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"});
  EXPECT_NE(run.out.find("VC\n"
                         "* 71.4 %     4.48 :JRS2014\n"
                         "             3.72 :LLN\n"
                         "* 71.6 %     4.47 :JRS2001\n"
                         "  81.2 %     3.94 :Baldwin\n"
                         "FVC\n"
                         "  89.9 %     4.34 :JRS2014\n"
                         "             3.57 :LLN\n"
                         "  88.6 %     4.40 :JRS2001\n"
                         "FEV1\n"
                         "* 73.0 %     3.56 :JRS2014\n"
                         "             2.92 :LLN\n"
                         "  68.1 %     3.82 :JRS2001\n"
                         "  73.7 %     3.53 :Berglund\n"
                         "FEV1.0 %   0.667 *\n"
                         "* 81.0 %     0.823 :JRS2014\n"
                         "             0.731 :LLN\n"
                         "* 78.8 %     0.846 :JRS2001(T)\n"
                         "* 77.1 %     0.865 :JRS2001(G)\n"),
            std::string::npos)
      << run.out;
}

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

struct ReadingLineCase {
  std::vector<std::string_view> args;
  std::u8string_view line;  // found in the output
};

// The reading as printed: a stage with the post-bronchodilator qualifier beside
// it, lung ages beyond the bands without the formula's value, PRISm's TLC note;
// the notes of rows and items outside their equation's ages or heights.
TEST(Report, ReadingLines) {
  const std::vector<std::string_view> male60 = {"/Sex=M", "/Age=60", "/Setake=170", "/FVC=2.9", "/FEV1=1.6"};
  std::vector<std::string_view> male60Html = male60;
  male60Html.insert(male60Html.begin(), {"--format", "html"});
  const std::vector<std::string_view> female95 = {"/Sex=F", "/Age=95", "/Setake=150", "/FVC=2", "/FEV1=1.5"};
  std::vector<std::string_view> female95Html = female95;
  female95Html.insert(female95Html.begin(), {"--format", "html"});
  const ReadingLineCase cases[] = {
      {male60, u8": III期（高度の気流閉塞）（気管支拡張薬投与後の値で判定） / stage III"},
      {male60, u8"\n肺年齢 / lung age (JRS): 95歳以上 / >95\n"},  // 119.4
      {{"/Sex=M", "/Age=40", "/Setake=152", "/FEV1=3.8"}, u8"\n肺年齢 / lung age (JRS): 18歳未満 / <18\n"},
      {{"/Sex=M", "/Age=40", "/Setake=170", "/FVC=3.5", "/FEV1=2.8"},
       u8"PRISm（1秒率正常・1秒量低下） / PRISm (preserved ratio, impaired FEV1)\n  軽度 / mild\n"
       u8"  拘束性障害の可能性：TLCの測定を / possible restriction: measure TLC\n"},
      {male60Html,
       u8"<span class=\"label\">III期（高度の気流閉塞）</span> （気管支拡張薬投与後の値で判定） "},
      {male60Html, u8"<tr><th>肺年齢 (JRS)</th><td><span class=\"label\">95歳以上</span></td></tr>"},
      // A prediction the age or the height leaves empty says why; an item
      // outside its equation's ages says so instead of a reading.
      {female95,
       u8"               *.** :JRS2014\n               適用範囲外（17～93歳）\n               *.** :LLN\n"},
      {female95,
       u8"\nERS/ATS 2022: 対象外（JRS2014は17～93歳） / not applicable (JRS2014: 17 to 93 years)\n"},
      {{"/Sex=M", "/Age=40", "/Setake=105"},
       u8"VC\n               *.** :JRS2014\n               適用範囲外（身長110cm以上）\n               *.** "
       u8":LLN\n"
       u8"               *.** :JRS2001\n               適用範囲外（身長120～190cm）\n"},
      {female95Html, u8"<td class=\"num pct\"><span class=\"range\">適用範囲外（17～93歳）</span></td></tr>"},
      {female95Html,
       u8"<td>対象外（JRS2014は17～93歳） <span class=\"en\" lang=\"en\">not applicable (JRS2014: 17 to 93 "
       u8"years)</span></td>"},
  };
  for (const ReadingLineCase& c : cases) {
    const CliRun run = RunTool(c.args);
    EXPECT_NE(run.out.find(Utf8(c.line)), std::string::npos) << Utf8(c.line) << "\n" << run.out;
  }
}

TEST(Report, RedInColourOnATerminal) {
  const CliRun plain = RunTool({"/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"});
  const CliRun coloured =
      RunTool({"/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"}, true);
  const CliRun noColour =
      RunTool({"--no-color", "/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"}, true);
  EXPECT_EQ(plain.out.find('\x1b'), std::string::npos);
  EXPECT_NE(plain.out.find("* 71.4 %     4.48 :JRS2014\n"), std::string::npos);
  EXPECT_NE(plain.out.find("FEV1.0 %   0.667 *\n"), std::string::npos);
  EXPECT_NE(coloured.out.find(" \x1b[31m 71.4 %    \x1b[0m 4.48 :JRS2014\n"), std::string::npos);
  EXPECT_NE(coloured.out.find("FEV1.0 %   \x1b[31m0.667\x1b[0m\n"), std::string::npos);
  EXPECT_EQ(coloured.out.find('*'), std::string::npos);
  EXPECT_EQ(noColour.out, plain.out);
}

TEST(Json, CarriesTextsPercentagesFlagsAndZScores) {
  const CliRun run = RunTool({"--format", "json", "/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2"});
  EXPECT_EQ(run.status, 0);
  const std::string& j = run.out;
  EXPECT_NE(
      j.find(
          "\"inputs\": {\"sexCode\": 1, \"age\": 40, \"height\": 170, \"vc\": 3.2, \"fvc\": 0, \"fev1\": 0}"),
      std::string::npos)
      << j;
  EXPECT_NE(
      j.find("{\"name\": \"vcJrs2014\", \"group\": \"VC\", \"label\": \"JRS2014\", \"value\": 4.48, "
             "\"text\": \"4.48\", \"line\": \"4.48 :JRS2014\", \"percent\": 71.4, \"cell\": \" 71.4 %   \", "
             "\"red\": true}"),
      std::string::npos)
      << j;
  EXPECT_NE(j.find("{\"name\": \"fvcLln\", \"group\": \"FVC\", \"label\": \"LLN\", \"value\": 3.57, "
                   "\"text\": \"3.57\", "
                   "\"line\": \"3.57 :LLN\"}"),
            std::string::npos);
  // No FVC: a blank cell, no percentage, no flag.
  EXPECT_NE(j.find("\"percent\": null, \"cell\": \"           \", \"red\": false}"), std::string::npos);
  EXPECT_NE(j.find("\"measuredRatio\": null"), std::string::npos);
  EXPECT_NE(j.find("{\"quantity\": \"vc\", \"uln\": 5.35, \"z\": -2.88, \"percentile\": 0.2}"),
            std::string::npos)
      << j;
  EXPECT_NE(j.find("{\"quantity\": \"fvc\", \"uln\": 5.11, \"z\": null, \"percentile\": null}"),
            std::string::npos);
}

// Outside the JRS2014 limits (male, 105 cm) the texts are null and the values 0.
TEST(Json, NotComputedResultsAreNull) {
  const CliRun run = RunTool({"--format", "json", "/Sex=M", "/Age=40", "/Setake=105"});
  EXPECT_NE(run.out.find("\"value\": 0, \"text\": null, \"line\": \"  *.** :JRS2014\""), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("{\"quantity\": \"vc\", \"uln\": null, \"z\": null, \"percentile\": null}"),
            std::string::npos);
}

// The reading: a member an item in order, numbers as numbers, null where an
// item is not read or a text is absent.
TEST(Json, ReadingItemsInOrder) {
  const std::string read =
      RunTool({"--format", "json", "/Sex=M", "/Age=60", "/Setake=170", "/VC=3.0", "/FVC=2.9", "/FEV1=1.6"})
          .out;
  const std::string unread = RunTool({"--format", "json", "/Sex=M", "/Age=60", "/Setake=170", "/VC=3.0"}).out;
  const std::string child =
      RunTool({"--format", "json", "/Sex=M", "/Age=10", "/Setake=140", "/VC=2", "/FVC=2", "/FEV1=1.7"}).out;
  const struct {
    const std::string& json;
    std::string part;
  } cases[] = {
      {read, "\"reading\": {\n    \"ventilatory\": {\"equation\": \"JRS2001\", \"percentVc\": 74.8, "},
      {read, "\"severity\": \"moderate\", \"severityLabel\": \""},
      {read, "\"fev1Z\": -3.96, \"note\": null, \"noteEn\": null},\n    \"copdStage\": {"},
      {read,
       "\"textEn\": \">95\", \"corrected\": false},\n    \"disabilityIndex\": {\"equation\": "
       "\"JRS2001\", \"index\": 39.9, "},
      {unread,
       "\"reading\": {\n    \"ventilatory\": null,\n    \"ventilatoryBaldwin\": null,\n    "
       "\"ersAts2022\": null,\n    \"copdStage\": null,\n    \"lungAge\": null,\n    "
       "\"disabilityIndex\": null\n  }"},
      // Outside its equation's ages: the equation and the reason.
      {child, Utf8(u8"\"ventilatoryBaldwin\": {\"equation\": \"Baldwin\", \"outOfRange\": true, \"label\": "
                   u8"\"対象外（Baldwinは18歳以上）\", \"labelEn\": \"not applicable (Baldwin: 18 years and "
                   u8"over)\"},")},
  };
  for (const auto& c : cases) EXPECT_NE(c.json.find(c.part), std::string::npos) << c.part << "\n" << c.json;
}

TEST(Csv, OnePatientHeaderAndRow) {
  const CliRun run =
      RunTool({"--format", "csv", "/Sex=F", "/Age=45", "/Setake=160", "/VC=3.1", "/FVC=3.0", "/FEV1=2.4"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("vcJrs2014,vcJrs2014Pct,vcJrs2014Red,vcLln,", 0), 0u);
  EXPECT_NE(run.out.find("\n3.24,95.7,0,2.69,3.13,99.0,0,2.76,112.3,0,"), std::string::npos) << run.out;
}

// The old plain list stays available.
TEST(Arguments, LinesFormatIsTheFifteenLines) {
  const CliRun run = RunTool({"--format", "lines", "/Sex=F", "/Age=40", "/Setake=158"});
  EXPECT_EQ(run.out.rfind("3.20 :JRS2014\n2.66 :LLN\n", 0), 0u) << run.out;
}

}  // namespace
}  // namespace kestrova::cli

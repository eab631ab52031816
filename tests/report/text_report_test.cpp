#include "report/text_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "report/html_report.h"
#include "report/json_writer.h"
#include "tests/report/patient.h"
#include "tests/support/files.h"

namespace kestrova::report {
namespace {

std::string Report(const PatientTexts& texts, bool colour = false) {
  const testing::Patient patient = testing::ReadPatient(texts);
  return FormatReport(patient.given, patient.result, colour);
}

std::string Json(const PatientTexts& texts) {
  const testing::Patient patient = testing::ReadPatient(texts);
  return FormatJson(patient.result.inputs, patient.result);
}

const PatientTexts kFemaleExample = {"F", "45", "160", "3.1", "3.0", "2.4"};
const PatientTexts kMaleExample = {"M", "40", "170", "3.2", "3.9", "2.6"};

// Percentages worked by hand: 3.1/3.24 = 95.68…, 3.0/3.00 = 100.0, the measured
// FEV1/FVC 2.4/3.0 = 0.800 against 0.825 = 96.96… (red: below its prediction).
TEST(Report, FemaleExampleAsTheWindowShowsIt) {
  const std::string report = Report(kFemaleExample);
  EXPECT_EQ(report, testing::ReadFile(KESTROVA_TEST_DATA "/female_45_160_report.txt"));
  EXPECT_NE(report.find("  95.7 %     3.24 :JRS2014\n"), std::string::npos);
  EXPECT_NE(report.find(" 100.0 %     3.00 :JRS2001\n"), std::string::npos);
  EXPECT_NE(report.find("FEV1.0 %   0.800\n"), std::string::npos);
  EXPECT_NE(report.find("* 97.0 %     0.825 :JRS2014\n"), std::string::npos);
}

// Every result row is the mark, the panel's cell and its line. Percentages
// worked by hand: 3.2/4.48 = 71.43, 3.2/3.94 = 81.22 (not below 80), 3.9/4.40 =
// 88.64, 2.6/3.82 = 68.06 (no limit for FEV1 by JRS2001), 0.667/0.865 = 77.11;
// red below the LLN (3.2 < 3.72, 2.6 < 2.92), under 80 % for VC, or below a ratio.
TEST(Report, RowsCarryThePanelTextsUnchanged) {
  const std::string report = Report(kMaleExample);
  EXPECT_NE(report.find("VC\n"
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
      << report;
}

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

struct ReadingLineCase {
  PatientTexts patient;
  bool html;                // on the page, else in the text report
  std::u8string_view line;  // found in the output
};

// The reading as printed: a stage with the post-bronchodilator qualifier beside
// it, lung ages beyond the bands without the formula's value, PRISm's TLC note;
// the notes of rows and items outside their equation's ages or heights.
TEST(Report, ReadingLines) {
  const PatientTexts male60 = {"M", "60", "170", "", "2.9", "1.6"};
  const PatientTexts female95 = {"F", "95", "150", "", "2", "1.5"};
  const ReadingLineCase cases[] = {
      {male60, false, u8": III期（高度の気流閉塞）※気管支拡張薬投与後の値の場合 / stage III"},
      {male60, false, u8"\n肺年齢 / lung age (JRS): 95歳以上 / >95\n"},  // 119.4
      {{"M", "40", "152", "", "", "3.8"}, false, u8"\n肺年齢 / lung age (JRS): 18歳未満 / <18\n"},
      {{"M", "40", "170", "", "3.5", "2.8"},
       false,
       u8"PRISm（1秒率正常・1秒量低下） / PRISm (preserved ratio, impaired FEV1)\n  軽度 / mild\n"
       u8"  拘束性障害の可能性：TLCの測定を / possible restriction: measure TLC\n"},
      {male60, true, u8"<span class=\"label\">III期（高度の気流閉塞）</span> ※気管支拡張薬投与後の値の場合 "},
      {male60, true, u8"<tr><th>肺年齢 (JRS)</th><td><span class=\"label\">95歳以上</span></td></tr>"},
      // A prediction the age or the height leaves empty says why; an item
      // outside its equation's ages says so instead of a reading.
      {female95, false,
       u8"               *.** :JRS2014\n               適用範囲外（17～93歳）\n               *.** :LLN\n"},
      {female95, false,
       u8"\nERS/ATS 2022: 対象外（JRS2014は17～93歳） / not applicable (JRS2014: 17 to 93 years)\n"},
      {{"M", "40", "105"},
       false,
       u8"VC\n               *.** :JRS2014\n               適用範囲外（身長110cm以上）\n               *.** "
       u8":LLN\n"
       u8"               *.** :JRS2001\n               適用範囲外（身長120～190cm）\n"},
      {female95, true,
       u8"<td class=\"num pct\"><span class=\"range\">適用範囲外（17～93歳）</span></td></tr>"},
      {female95, true,
       u8"<td>対象外（JRS2014は17～93歳） <span class=\"en\" lang=\"en\">not applicable (JRS2014: 17 to 93 "
       u8"years)</span></td>"},
  };
  for (const ReadingLineCase& c : cases) {
    const testing::Patient patient = testing::ReadPatient(c.patient);
    const std::string out = c.html ? FormatHtml(patient.given, patient.result)
                                   : FormatReport(patient.given, patient.result, false);
    EXPECT_NE(out.find(Utf8(c.line)), std::string::npos) << Utf8(c.line) << "\n" << out;
  }
}

TEST(Report, RedInColourOnATerminal) {
  const std::string plain = Report(kMaleExample);
  const std::string coloured = Report(kMaleExample, true);
  EXPECT_EQ(plain.find('\x1b'), std::string::npos);
  EXPECT_NE(plain.find("* 71.4 %     4.48 :JRS2014\n"), std::string::npos);
  EXPECT_NE(plain.find("FEV1.0 %   0.667 *\n"), std::string::npos);
  EXPECT_NE(coloured.find(" \x1b[31m 71.4 %    \x1b[0m 4.48 :JRS2014\n"), std::string::npos);
  EXPECT_NE(coloured.find("FEV1.0 %   \x1b[31m0.667\x1b[0m\n"), std::string::npos);
  EXPECT_EQ(coloured.find('*'), std::string::npos);
}

// The whole text, one patient: the layout, an item a line, out of range and
// read, a warning.
TEST(Json, MaleAt17AsWritten) {
  EXPECT_EQ(Json({"M", "17.5", "170", "3.8", "4", "3.5"}),
            testing::ReadFile(KESTROVA_TEST_DATA "/male_17_170.json"));
}

// Read back, members in the order written; a copy, so that a member missing
// from it reads null.
nlohmann::ordered_json Parsed(const PatientTexts& texts) {
  return nlohmann::ordered_json::parse(Json(texts));
}

nlohmann::ordered_json Row(const nlohmann::ordered_json& json, std::string_view name) {
  for (const auto& row : json.at("results")) {
    if (row.value("name", "") == name) return row;
  }
  return nullptr;
}

// What the patient written above does not show: no FVC (a blank cell, no
// percentage, no z, no measured ratio); outside the JRS2014 limits (male,
// 105 cm) null texts and values 0.
TEST(Json, AbsentValuesAreNull) {
  auto noFvc = Parsed({"M", "40", "170", "3.2"});
  auto fvc = Row(noFvc, "fvcJrs2014");
  EXPECT_EQ(fvc["percent"], nullptr);
  EXPECT_EQ(fvc["cell"], "           ");
  EXPECT_EQ(fvc["red"], false);
  EXPECT_EQ(noFvc["measuredRatio"], nullptr);
  EXPECT_EQ(noFvc["jrs2014"][1], nlohmann::ordered_json::parse(
                                     R"({"quantity": "fvc", "uln": 5.11, "z": null, "percentile": null})"));
  auto vc = Row(Parsed({"M", "40", "105"}), "vcJrs2014");
  EXPECT_EQ(vc["value"], 0);
  EXPECT_EQ(vc["text"], nullptr);
  EXPECT_EQ(vc["line"], "  *.** :JRS2014");
}

// The reading: a member an item in order, numbers as numbers, null where an
// item is not read or a text is absent.
TEST(Json, ReadingItems) {
  auto read = Parsed({"M", "60", "170", "3.0", "2.9", "1.6"})["reading"];
  std::vector<std::string> keys;
  for (const auto& [key, item] : read.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"ventilatory", "ventilatoryBaldwin", "ersAts2022", "copdStage",
                                            "lungAge", "disabilityIndex"}));
  EXPECT_EQ(read["ventilatory"]["percentVc"], 74.8);
  EXPECT_EQ(read["ersAts2022"]["severity"], "moderate");
  EXPECT_EQ(read["ersAts2022"]["fev1Z"], -3.96);
  EXPECT_EQ(read["copdStage"]["stage"], "III");
  EXPECT_EQ(read["lungAge"]["value"], "119.4");
  EXPECT_EQ(read["lungAge"]["textEn"], ">95");
  EXPECT_EQ(read["disabilityIndex"]["index"], 39.9);
  auto unread = Parsed({"M", "60", "170", "3.0"})["reading"];
  EXPECT_EQ(unread.size(), keys.size());
  for (const auto& [key, item] : unread.items()) EXPECT_EQ(item, nullptr) << key;
}

// Quotes, backslashes and control characters escaped; a text that is no JSON
// number written null; both layouts, empty containers included.
TEST(JsonWriter, EscapesNumbersAndLayouts) {
  std::string out;
  JsonWriter json(out);
  json.BeginObject(JsonWriter::Layout::kLines).Key("a\"b\\").String("tab\t\x01").Key("n").Number("*.**");
  json.Key("list").BeginArray().Number("-1.5e3").Number("1.").StringOrNull("").Bool(true).EndArray();
  json.Key("lines").BeginArray(JsonWriter::Layout::kLines).BeginObject().EndObject().Null().EndArray();
  json.Key("none").BeginArray(JsonWriter::Layout::kLines).EndArray().EndObject();
  EXPECT_EQ(out,
            "{\n  \"a\\\"b\\\\\": \"tab\\u0009\\u0001\",\n  \"n\": null,\n"
            "  \"list\": [-1.5e3, null, null, true],\n  \"lines\": [\n    {},\n    null\n  ],\n"
            "  \"none\": []\n}");
  EXPECT_EQ(nlohmann::json::parse(out)["a\"b\\"], "tab\t\x01");
}

}  // namespace
}  // namespace kestrova::report

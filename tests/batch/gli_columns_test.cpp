// The batch with GLI asked for: its columns after `warnings`, each cell gli.h's
// value rounded as the columns promise, empty where GLI gives none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "batch/csv.h"
#include "gli/gli.h"
#include "report/result_columns.h"
#include "tests/support/captured_stream.h"

namespace kestrova::batch {
namespace {

std::vector<std::vector<std::string>> RunWithGli(std::string input, const GliRequest& gli) {
  std::FILE* in = fmemopen(input.data(), input.size(), "rb");
  testing::CapturedStream out, err;
  BatchStreams streams{in, out.file(), err.file(), "patients.csv"};
  streams.gli = gli;
  RunBatch(streams);
  std::fclose(in);
  std::string text = out.Take();
  std::FILE* back = fmemopen(text.data(), text.size(), "rb");
  CsvReader reader(back);
  std::vector<std::vector<std::string>> rows;
  for (CsvRecord record; reader.Next(record);)
    rows.emplace_back(record.fields.begin(), record.fields.begin() + record.count);
  std::fclose(back);
  return rows;
}

// What gli.h gives, rounded by the program's one rule; empty for no value.
std::string Rounded(double value, std::uint8_t decimals) {
  return std::isfinite(value) ? FormatFixed(value, decimals) : "";
}

struct GliRowCase {
  const char* name;
  const char* row;  // sex,age,height,fvc,fev1
  int sexCode;
  double age, height, fvc, fev1;
  bool read;  // the row is computed (no row error)
  const char* gliPattern;
};

TEST(BatchGliColumns, CellsAreGliValuesRounded) {
  const GliRowCase cases[] = {
      {"adult", "M,40,175,4.5,3.5", 1, 40, 175, 4.5, 3.5, true, "normal"},
      // After a measured row: no z, percentile or % of the row before.
      {"FEV1 not measured", "M,41,175,4.5,", 1, 41, 175, 4.5, 0, true, ""},
      {"child of 5", "F,5,110,1.2,1.05", 2, 5, 110, 1.2, 1.05, true, "normal"},
      {"age 2, below GLI", "M,2,90,1.0,0.9", 1, 2, 90, 1.0, 0.9, true, "outOfRange"},
      {"row error", "F,forty,160,3,2.4", 2, NAN, 160, 3, 2.4, false, ""},
  };
  std::string input = "sex,age,height,fvc,fev1\n";
  for (const GliRowCase& c : cases) input.append(c.row) += '\n';
  const std::vector<std::vector<std::string>> rows = RunWithGli(input, {.global = true, .gli2012 = true});
  ASSERT_EQ(rows.size(), std::size(cases) + 1);
  const std::vector<std::string>& header = rows[0];
  const std::vector<std::string>& names =
      report::ResultColumnNames(report::Language::kEnglish, {.global = true, .gli2012 = true});
  EXPECT_EQ(std::vector<std::string>(header.begin() + 6, header.end()), names);
  // Every other column keeps its place: GLI's start after `warnings`.
  const std::vector<std::string>& before = report::ResultColumnNames();
  EXPECT_TRUE(std::equal(before.begin(), before.end(), names.begin()));
  EXPECT_EQ(names[before.size()], "gliGlobalFev1Pred");
  const auto cell = [&](std::size_t row, const std::string& name) {
    for (std::size_t i = 0; i < header.size(); ++i)
      if (header[i] == name) return rows[row][i];
    ADD_FAILURE() << "no column " << name;
    return std::string();
  };
  const char* quantityNames[] = {"Fev1", "Fvc", "Fev1Fvc"};
  for (std::size_t r = 0; r < std::size(cases); ++r) {
    const GliRowCase& c = cases[r];
    ASSERT_EQ(rows[r + 1].size(), header.size()) << c.name;
    EXPECT_EQ(cell(r + 1, "error").empty(), c.read) << c.name;
    EXPECT_EQ(cell(r + 1, "ersAtsGliPattern"), c.gliPattern) << c.name;
    for (const auto& [set, prefix] :
         {std::pair{GliSet::kGlobal2022, "gliGlobal"}, {GliSet::k2012, "gli2012"}}) {
      for (std::size_t q = 0; q < 3; ++q) {
        const double measured[] = {c.fev1, c.fvc, c.fev1 / c.fvc};
        const auto lms = GliLmsOf(set, GliGroup::kNeAsian, kGliQuantities[q], c.sexCode, c.age, c.height);
        const GliPrediction p = lms ? GliPredict(*lms) : GliPrediction{NAN, NAN, NAN};
        const GliScore s = lms ? GliScoreOf(*lms, measured[q]) : GliScore{NAN, NAN, NAN};
        const std::pair<const char*, std::string> expected[] = {
            {"Pred", Rounded(p.predicted, 3)},  {"Lln", Rounded(p.lln, 3)},
            {"Uln", Rounded(p.uln, 3)},         {"Z", Rounded(s.z, 2)},
            {"Pctl", Rounded(s.percentile, 1)}, {"Pct", Rounded(s.percentPredicted, 1)}};
        for (const auto& [suffix, text] : expected)
          EXPECT_EQ(cell(r + 1, prefix + std::string(quantityNames[q]) + suffix), text) << c.name << suffix;
      }
    }
  }
  EXPECT_EQ(cell(1, "gliGlobalFev1Pred"), "3.835");  // gli.h's worked example, M 3.83546…
}

TEST(BatchGliColumns, JapaneseNamesAreUnique) {
  for (const GliRequest gli : {GliRequest{.global = true}, GliRequest{.global = true, .gli2012 = true}}) {
    const std::vector<std::string>& ja = report::ResultColumnNames(report::Language::kJapanese, gli);
    EXPECT_EQ(std::set<std::string>(ja.begin(), ja.end()).size(), ja.size());
    EXPECT_EQ(ja.size(), report::ResultColumnNames(report::Language::kEnglish, gli).size());
    EXPECT_EQ(ja[report::ResultColumnNames().size() + 5],
              reinterpret_cast<const char*>(u8"GLI Global FEV1 ％予測"));
  }
}

}  // namespace
}  // namespace kestrova::batch

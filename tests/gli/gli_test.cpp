#include "gli/gli.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gli/gli_tables.h"
#include "tests/support/files.h"

namespace kestrova {
namespace {

using Row = std::map<std::string, std::string>;

// The rows of a CSV file by column name; `separator` is ',' or ';', quotes dropped.
std::vector<Row> ReadRows(const std::string& path, char separator) {
  std::istringstream lines(testing::ReadFile(path));
  std::vector<std::string> names;
  std::vector<Row> rows;
  for (std::string line; std::getline(lines, line);) {
    std::erase_if(line, [](char c) { return c == '"' || c == '\r'; });
    std::istringstream cells(line);
    Row& row = rows.emplace_back();
    for (std::size_t i = 0; std::getline(cells, line, separator); ++i) {
      (rows.size() == 1 ? names.emplace_back() : row[names.at(i)]) = line;
    }
  }
  rows.erase(rows.begin());  // the names
  EXPECT_GT(rows.size(), 10u) << path;
  return rows;
}

double Number(const Row& row, const std::string& name) { return std::strtod(row.at(name).c_str(), nullptr); }

struct QuantityCase {
  GliQuantity quantity;
  std::string prefix;  // of its columns in the check files
};
const QuantityCase kQuantities[] = {
    {GliQuantity::kFev1, "fev1"}, {GliQuantity::kFvc, "fvc"}, {GliQuantity::kFev1Fvc, "fev1fvc"}};

GliLms LmsOf(GliSet set, const Row& row, GliQuantity quantity, const std::string& height) {
  const int group = row.contains("group") ? std::atoi(row.at("group").c_str()) - 1 : 4;
  return GliLmsOf(set, static_cast<GliGroup>(group), quantity, row.at("sex") == "M" ? 1 : 2,
                  Number(row, "age"), Number(row, height))
      .value();
}

// The GLI web calculator's predicted, LLN and ULN at its 3 decimals, all five groups.
TEST(GliCheckValues, Gli2012AsTheWebCalculatorRoundsThem) {
  for (const Row& row : ReadRows(KESTROVA_GLI_TEST_DATA "/gli_2012_check_values.csv", ',')) {
    for (const QuantityCase& q : kQuantities) {
      const GliPrediction p = GliPredict(LmsOf(GliSet::k2012, row, q.quantity, "height_cm"));
      for (auto [column, value] : {std::pair{"_predicted", p.predicted}, {"_lln", p.lln}, {"_uln", p.uln}}) {
        EXPECT_EQ(std::llround(value * 1000), std::llround(Number(row, q.prefix + column) * 1000))
            << row.at("sex") << " group " << row.at("group") << " age " << row.at("age") << " " << q.prefix
            << column;
      }
    }
  }
}

TEST(GliCheckValues, GlobalInFullPrecision) {
  for (const Row& row : ReadRows(KESTROVA_GLI_TEST_DATA "/gli_global_check_values.csv", ',')) {
    for (const QuantityCase& q : kQuantities) {
      const GliLms lms = LmsOf(GliSet::kGlobal2022, row, q.quantity, "height");
      const GliScore score = GliScoreOf(lms, Number(row, q.prefix + "_measured"));
      for (auto [column, value] : {std::pair{"_pred_2022", lms.m},
                                   {"_lln_2022", GliPredict(lms).lln},
                                   {"_zscore_2022", score.z},
                                   {"_pctpred_2022", score.percentPredicted}}) {
        const double expected = Number(row, q.prefix + column);
        EXPECT_NEAR(value, expected, std::fabs(expected) * 1e-12)
            << row.at("sex") << " age " << row.at("age") << " " << q.prefix << column;
      }
    }
  }
}

// Every embedded number is the double strtod reads from the file's text.
TEST(GliTables, HoldTheFilesNumbersExactly) {
  const char* files[] = {"/bowerman_2022_splines.csv", "/gli_2012_splines.csv"};
  const char* columns[2][3] = {{"FEV1_males_", "FVC_males_", "FEV1FVC_males_"},
                               {"FEV1_females_", "FVC_females_", "FEV1FVC_females_"}};
  for (int set = 0; set < 2; ++set) {
    const std::vector<Row> rows = ReadRows(std::string(KESTROVA_GLI_DATA) + files[set], ';');
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kGliSplineRows));
    for (int sex = 0; sex < 2; ++sex) {
      for (int q = 0; q < 3; ++q) {
        for (int i = 0; i < kGliSplineRows; ++i) {
          const GliSplineRow& embedded = kGliTables[set][sex][q].rows[i];
          for (auto [curve, value] :
               {std::pair{"Mspline", embedded.m}, {"Sspline", embedded.s}, {"Lspline", embedded.l}}) {
            EXPECT_EQ(value, Number(rows[i], columns[sex][q] + std::string(curve)))
                << files[set] << " row " << i;
          }
        }
      }
    }
  }
}

struct LimitCase {
  int sexCode;
  double age;
  double height;
  bool computed;
};

TEST(GliLmsOf, ComputesOnlyWithinItsLimits) {
  const double nan = std::nan("");
  const LimitCase cases[] = {{1, 3, 100, true},        {2, 3.1, 100, true},   {1, 94.9, 170, true},
                             {2, 95, 160, true},       {1, 2.99, 100, false}, {2, 95.1, 160, false},
                             {1, nan, 170, false},     {1, 40, 0, false},     {1, 40, nan, false},
                             {1, 40, INFINITY, false}, {0, 40, 170, false},   {3, 40, 170, false}};
  for (const LimitCase& c : cases) {
    for (GliSet set : {GliSet::kGlobal2022, GliSet::k2012}) {
      for (const QuantityCase& q : kQuantities) {
        const std::optional<GliLms> lms =
            GliLmsOf(set, GliGroup::kSeAsian, q.quantity, c.sexCode, c.age, c.height);
        EXPECT_EQ(lms.has_value() && lms->m > 0 && lms->s > 0, c.computed)
            << "sex " << c.sexCode << " age " << c.age << " height " << c.height;
      }
    }
  }
}

struct LmsCase {
  GliLms lms;
  double measured, lln, uln, z;
};

// Worked by hand; L = 0 takes the limits M·exp(±1.645·S) and ln(x/M)/S.
TEST(GliPredictAndScore, HandCheckedValues) {
  const LmsCase cases[] = {
      {{2, 0.1, 0}, 2 * std::exp(0.1), 2 * std::exp(-0.1645), 2 * std::exp(0.1645), 1},
      {{4, 0.1, 1}, 3.4, 3.342, 4.658, -1.5},
      {{4, 0.1, 0.5}, 4.84, 4 * 0.91775 * 0.91775, 4 * 1.08225 * 1.08225, 2},
  };
  for (const LmsCase& c : cases) {
    const GliPrediction p = GliPredict(c.lms);
    EXPECT_NEAR(p.lln, c.lln, 1e-12) << "L " << c.lms.l;
    EXPECT_NEAR(p.uln, c.uln, 1e-12) << "L " << c.lms.l;
    EXPECT_NEAR(GliScoreOf(c.lms, c.measured).z, c.z, 1e-12) << "L " << c.lms.l;
  }
  EXPECT_NEAR(GliScoreOf({4, 0.1, 1}, 3.4).percentile, 6.6807201268858, 1e-9);  // 100·Φ(−1.5)
  EXPECT_NEAR(GliScoreOf({4, 0.1, 1}, 3.4).percentPredicted, 85, 1e-12);
  EXPECT_TRUE(std::isnan(GliScoreOf({2, 0.1, 0}, 0).z));
}

TEST(GliNames, ReadBackWhatTheyPrint) {
  for (GliSet set : {GliSet::kGlobal2022, GliSet::k2012}) EXPECT_EQ(ParseGliSet(GliSetName(set)), set);
  for (int g = 0; g < 5; ++g) EXPECT_EQ(ParseGliGroup(GliGroupName(GliGroup(g))), GliGroup(g));
  EXPECT_EQ(GliSetName(GliSet::k2012), "2012");
  EXPECT_EQ(GliGroupName(GliGroup::kAfricanAmerican), "african-american");
  for (const char* unknown : {"", "Global", "Caucasian", "ne_asian"})
    EXPECT_FALSE(ParseGliSet(unknown) || ParseGliGroup(unknown));
}

}  // namespace
}  // namespace kestrova

#include "report/result_columns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace kestrova::report {
namespace {

// The build's exec charset is CP932: the expected UTF-8 is written as u8.
std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

TEST(ResultColumnNamesJa, NameEveryColumnOnce) {
  std::set<std::string> seen = {std::string(ErrorColumn().nameJa)};
  for (const SheetColumn& column : InputColumns()) seen.insert(std::string(column.nameJa));
  ASSERT_EQ(seen.size(), 1 + kInputColumnCount);
  for (const ResultColumn& column : ResultColumns()) {
    EXPECT_FALSE(column.nameJa.empty()) << column.name;
    EXPECT_TRUE(seen.insert(column.nameJa).second) << column.name << " " << column.nameJa;
  }
  EXPECT_EQ(ResultColumnNamesJa().size(), ResultColumnNames().size());
}

struct NameCase {
  std::string_view name;
  std::u8string_view nameJa;
};

TEST(ResultColumnNamesJa, AreTheReportsWords) {
  const NameCase cases[] = {
      {"vcJrs2014", u8"JRS2014 VC 予測値"},
      {"fev1RatioJrs2001TPct", u8"JRS2001(T) 1秒率 ％値"},
      {"fvcLln", u8"JRS2014 FVC LLN"},
      {"measuredRatioRed", u8"1秒率 実測 赤"},
      {"fev1Z", u8"JRS2014 FEV1 zスコア"},
      {"ventilatoryBaldwinPercentVc", u8"換気障害区分（参考） %VC"},
      {"ersAtsSeverity", u8"ERS/ATS 2022 重症度"},
      {"lungAgeYears", u8"肺年齢"},
      {"warnings", u8"入力の確認"},
  };
  const std::vector<std::string>& names = ResultColumnNames();
  for (const NameCase& c : cases) {
    const auto at = std::find(names.begin(), names.end(), c.name);
    ASSERT_NE(at, names.end()) << c.name;
    EXPECT_EQ(ResultColumnNamesJa()[static_cast<std::size_t>(at - names.begin())], Utf8(c.nameJa)) << c.name;
  }
  EXPECT_EQ(std::string(InputColumns()[2].nameJa), Utf8(u8"身長(cm)"));
  EXPECT_EQ(std::string(ErrorColumn().nameJa), Utf8(u8"エラー"));
}

}  // namespace
}  // namespace kestrova::report

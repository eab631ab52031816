// kestrova-cli --format json --gli: the GLI members hold gli.h's own doubles
// after the JSON round trip, and the reading on GLI Global follows its z-scores.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "gli/gli.h"
#include "numtext/number_text.h"
#include "tests/support/captured_stream.h"

namespace kestrova::cli {
namespace {

struct GliJsonCase {
  // As typed: the tool reads them as the window does (ParseNumber), which may
  // differ from a C++ literal in the last bit. Empty: not measured.
  std::string sex, age, height, fvc, fev1;
  GliGroup group;       // given as --gli-group unless the default
  const char* pattern;  // ersAts2022Gli's; "": not read; nullptr: out of range, no GLI values
};

// Each value exactly, a missing one as JSON null.
void ExpectSame(const nlohmann::json& value, double expected, const std::string& where) {
  if (std::isnan(expected)) {
    EXPECT_TRUE(value.is_null()) << where;
  } else {
    EXPECT_EQ(value.get<double>(), expected) << where;
  }
}

TEST(GliJson, ValuesAreGlisOwnAfterTheRoundTrip) {
  const GliJsonCase cases[] = {
      {"F", "45", "160", "3.0", "2.4", GliGroup::kNeAsian, "normal"},
      {"M", "5", "110", "1.1", "0.95", GliGroup::kNeAsian, "normal"},
      {"M", "60", "170", "2.9", "1.6", GliGroup::kCaucasian, "obstruction"},
      {"F", "30", "165", "", "", GliGroup::kSeAsian, ""},
      {"M", "2.5", "90", "0.8", "0.7", GliGroup::kNeAsian, nullptr},
  };
  for (const GliJsonCase& c : cases) {
    const std::string words[] = {"--gli-group",         std::string(GliGroupName(c.group)),
                                 "/Sex=" + c.sex,       "/Age=" + c.age,
                                 "/Setake=" + c.height, "/FVC=" + c.fvc,
                                 "/FEV1=" + c.fev1};
    std::vector<std::string_view> args = {"--format", "json", "--gli", "global,2012"};
    args.insert(args.end(), std::begin(words) + (c.group == GliGroup::kNeAsian ? 2 : 0), std::end(words));
    const int sexCode = c.sex == "M" ? 1 : 2;
    const double age = ParseNumber(c.age), height = ParseNumber(c.height);
    const double fvc = ParseNumber(c.fvc), fev1 = ParseNumber(c.fev1);
    testing::CapturedStream out, err;
    ASSERT_EQ(RunCli(args, stdin, out.file(), err.file(), {}), 0) << err.Take();
    const nlohmann::json json = nlohmann::json::parse(out.Take());
    const nlohmann::json& reading = json["reading"]["ersAts2022Gli"];
    const std::string who = ::testing::PrintToString(args);
    if (c.pattern == nullptr) {
      EXPECT_TRUE(json["gli"]["global"].is_null() && json["gli"]["2012"].is_null()) << who;
      EXPECT_EQ(reading["outOfRange"], true) << who;
      continue;
    }
    EXPECT_EQ(json["gli"]["2012"]["group"], GliGroupName(c.group)) << who;
    for (const GliSet set : {GliSet::kGlobal2022, GliSet::k2012}) {
      const nlohmann::json& values = json["gli"][std::string(GliSetName(set))];
      const std::pair<const char*, GliQuantity> quantities[] = {
          {"fev1", GliQuantity::kFev1}, {"fvc", GliQuantity::kFvc}, {"fev1Fvc", GliQuantity::kFev1Fvc}};
      const double measured[] = {fev1, fvc, fev1 / fvc};
      for (std::size_t q = 0; q < 3; ++q) {
        const GliLms lms = *GliLmsOf(set, c.group, quantities[q].second, sexCode, age, height);
        const GliPrediction p = GliPredict(lms);
        const GliScore s = GliScoreOf(lms, measured[q]);
        const nlohmann::json& v = values[quantities[q].first];
        const std::string where = who + " " + std::string(GliSetName(set)) + " " + quantities[q].first;
        ExpectSame(v["predicted"], p.predicted, where);
        ExpectSame(v["lln"], p.lln, where);
        ExpectSame(v["uln"], p.uln, where);
        ExpectSame(v["z"], s.z, where);
        ExpectSame(v["percentile"], s.percentile, where);
        ExpectSame(v["percentPredicted"], s.percentPredicted, where);
        if (set == GliSet::kGlobal2022 && q == 0 && *c.pattern != '\0') {
          EXPECT_EQ(reading["fev1BelowLln"], s.z < -kGliLimitZ) << where;
        }
      }
    }
    if (*c.pattern == '\0') {
      EXPECT_TRUE(reading.is_null()) << who;
    } else {
      EXPECT_EQ(reading["equation"], "GLI Global") << who;
      EXPECT_EQ(reading["pattern"], c.pattern) << who;
    }
  }
}

}  // namespace
}  // namespace kestrova::cli

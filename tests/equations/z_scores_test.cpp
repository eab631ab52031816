#include "equations/z_scores.h"

#include <gtest/gtest.h>

#include <cmath>

#include "equations/spline_table.h"

namespace kestrova {
namespace {

struct ZCase {
  LmsParameters lms;
  double measured;
  double z;
};

// Worked by hand from ((x/M)^L - 1) / (L S), or ln(x/M) / S at L = 0.
TEST(ZScore, HandCheckedValues) {
  const ZCase cases[] = {
      {{4, 0.1, 1}, 3.4, -1.5},                   // (0.85 - 1) / 0.1
      {{4, 0.1, 1}, 4, 0},                        // the median is z = 0
      {{4, 0.1, 0.5}, 4.84, 2},                   // (sqrt(1.21) - 1) / 0.05
      {{2, 0.1, 0}, 2 * std::exp(0.1), 1},        // the L = 0 limit
      {{2, 0.1, -1}, 2.0 / 0.9, 1},               // (0.9 - 1) / -0.1 = 1
      {{0.8, 0.05, 2}, 0.8 * std::sqrt(0.9), -1}  // (0.9 - 1) / 0.1
  };
  for (const ZCase& c : cases) {
    EXPECT_NEAR(ZScore(c.lms, c.measured), c.z, 1e-12)
        << "M " << c.lms.m << " S " << c.lms.s << " L " << c.lms.l << " x " << c.measured;
  }
}

TEST(ZScore, NoMeasuredValueGivesNoZ) {
  EXPECT_TRUE(std::isnan(ZScore({4, 0.1, 1}, 0)));
  EXPECT_TRUE(std::isnan(ZScore({4, 0.1, 1}, -1)));
  EXPECT_TRUE(std::isnan(ZScore({0, 0.1, 1}, 3)));  // no distribution
}

// Near L = 0 the quotient divides a vanishing difference by a vanishing L; the
// z must approach the limit smoothly instead of losing its digits.
TEST(ZScore, StaysRightNearLZero) {
  const double limit = ZScore({0.75, 0.08, 0}, 0.62);
  for (double l : {1e-3, 1e-4, 9.99e-5, 1e-6, 1e-9, 1e-13, -1e-13, -1e-9, -1e-6, -1e-4, -1e-3}) {
    const double z = ZScore({0.75, 0.08, l}, 0.62);
    // |z(L) - z(0)| is about |L| × ln(x/M)² / (2 S): tiny for tiny L.
    EXPECT_NEAR(z, limit, std::fabs(l) * 0.3 + 1e-12) << "L " << l;
  }
}

struct UlnCase {
  LmsParameters lms;
  double uln;
};

TEST(UpperLimitOfNormal, HandCheckedValues) {
  const UlnCase cases[] = {
      {{4, 0.1, 1}, 4.658},                    // M (1 + 1.645 S)
      {{2, 0.1, 0}, 2 * std::exp(0.1645)},     // M exp(1.645 S) = 2.35763…
      {{4, 0.1, 0.5}, 4 * 1.08225 * 1.08225},  // M (1 + 0.5 × 0.1645)^2
      {{1, 0.1, -1}, 1 / (1 - 0.1645)},        // M (1 - 0.1645)^-1
  };
  for (const UlnCase& c : cases) {
    EXPECT_NEAR(UpperLimitOfNormal(c.lms), c.uln, 1e-12) << "L " << c.lms.l;
  }
}

// The ULN and the LLN are the values at z = +1.645 and -1.645, for every L the
// equations produce (including the female FEV1/FVC around L = 0).
TEST(UpperLimitOfNormal, IsTheValueAtZPlus1645) {
  for (std::uint8_t sex : {kSexMale, kSexFemale}) {
    for (double age : {17.0, 40.0, 77.0, 77.36, 78.0, 90.0}) {
      for (Jrs2014Quantity q :
           {Jrs2014Quantity::kVc, Jrs2014Quantity::kFvc, Jrs2014Quantity::kFev1, Jrs2014Quantity::kRatio}) {
        const auto lms = Jrs2014Lms(sex, q, age, 160, LoadedSplineTable());
        if (!lms) continue;
        EXPECT_NEAR(ZScore(*lms, UpperLimitOfNormal(*lms)), kUlnZ, 1e-9) << int(sex) << " " << age;
        EXPECT_NEAR(ZScore(*lms, LowerLimitOfNormal(*lms)), -kLlnZ, 1e-9) << int(sex) << " " << age;
      }
    }
  }
}

TEST(UpperLimitOfNormal, NearLZeroApproachesTheLimit) {
  const double limit = UpperLimitOfNormal({0.75, 0.08, 0});
  for (double l : {1e-4, 1e-6, 1e-12, -1e-12, -1e-6, -1e-4}) {
    EXPECT_NEAR(UpperLimitOfNormal({0.75, 0.08, l}), limit, 1e-5) << "L " << l;
  }
}

TEST(UpperLimitOfNormal, BracketNotPositiveGivesNaN) {
  EXPECT_TRUE(std::isnan(UpperLimitOfNormal({1, 1, -1})));  // 1 - 1.645 < 0
}

struct PercentileCase {
  double z;
  double percentile;
};

// Standard normal table values.
TEST(PercentileOfZ, TableValues) {
  const PercentileCase cases[] = {
      {0, 50},           {1, 84.134474606854},   {-1, 15.865525393146}, {1.645, 95.00150},
      {-1.645, 4.99850}, {-1.5, 6.680720126886}, {2, 97.724986805},     {-3, 0.134989803163},
  };
  for (const PercentileCase& c : cases) EXPECT_NEAR(PercentileOfZ(c.z), c.percentile, 1e-5) << c.z;
}

struct StandingCase {
  LmsParameters lms;
  std::uint8_t decimals;
  double measured;
  const char* uln;
  const char* z;
  const char* percentile;
};

TEST(ComputeStanding, ShownTexts) {
  const StandingCase cases[] = {
      {{4, 0.1, 1}, 2, 3.4, "4.66", "-1.50", "6.7"},
      {{4, 0.1, 1}, 2, 0, "4.66", "", ""},  // not measured: no z
      {{2, 0.1, 0}, 2, 2 * std::exp(0.1), "2.36", "1.00", "84.1"},
      {{0.8, 0.05, 2}, 3, 0.8 * std::sqrt(0.9), "0.863", "-1.00", "15.9"},  // 0.8 × sqrt(1.1645)
      // z = -0.00025 is written without a minus sign.
      {{4, 0.1, 1}, 2, 3.9999, "4.66", "0.00", "50.0"},
      {{4, 0.1, 1}, 2, 8, "4.66", "10.00", "100.0"},  // far above: 100.0 after rounding
  };
  for (const StandingCase& c : cases) {
    Jrs2014Standing s;
    ComputeStanding(&c.lms, c.decimals, c.measured, s);
    EXPECT_TRUE(s.computed);
    EXPECT_EQ(s.ulnText, c.uln) << c.measured;
    EXPECT_EQ(s.zText, c.z) << c.measured;
    EXPECT_EQ(s.percentileText, c.percentile) << c.measured;
    EXPECT_EQ(s.hasZ, *c.z != '\0');
  }
}

TEST(ComputeStanding, WithoutParametersEverythingIsEmpty) {
  Jrs2014Standing s;
  const LmsParameters lms{4, 0.1, 1};
  ComputeStanding(&lms, 2, 3.4, s);
  ComputeStanding(nullptr, 2, 3.4, s);  // a reused record is cleared
  EXPECT_FALSE(s.computed);
  EXPECT_FALSE(s.hasZ);
  EXPECT_EQ(s.ulnText, "");
  EXPECT_EQ(s.zText, "");
  EXPECT_EQ(s.percentileText, "");
}

}  // namespace
}  // namespace kestrova

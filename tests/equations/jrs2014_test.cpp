#include "equations/jrs2014.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

// Number texts of the eight JRS2014 lines; "" means not computed.
struct Jrs2014Expected {
  const char* vc;
  const char* vcLln;
  const char* fvc;
  const char* fvcLln;
  const char* fev1;
  const char* fev1Lln;
  const char* ratio;
  const char* ratioLln;
};

struct Jrs2014Case {
  std::uint8_t sex;
  double age;
  double height;
  Jrs2014Expected expected;
};

std::string NumberText(const ResultLine& line, std::string_view label) {
  const std::string suffix = " :" + std::string(label);
  if (line.rfind("  ", 0) == 0) return "";  // placeholder
  EXPECT_EQ(line.substr(line.size() - suffix.size()), suffix) << line;
  return line.substr(0, line.size() - suffix.size());
}

// The JRS2014 step alone, on a freshly reset set.
PredictionSet Jrs2014Results(std::uint8_t sex, double age, double height) {
  const PatientInputs inputs{sex, age, height, 0, 0, 0};
  PredictionSet set;
  ResetToPlaceholders(set);
  ComputeJrs2014(inputs, LoadedSplineTable(), set);
  return set;
}

void ExpectJrs2014(const Jrs2014Case& c) {
  const PredictionSet set = Jrs2014Results(c.sex, c.age, c.height);
  const auto& e = c.expected;
  const std::string where =
      (c.sex == 1 ? "male " : "female ") + FormatNumber(c.age) + "y " + FormatNumber(c.height) + "cm";
  EXPECT_EQ(NumberText(set.vcJrs2014Line, "JRS2014"), e.vc) << where;
  EXPECT_EQ(NumberText(set.vcLlnLine, "LLN"), e.vcLln) << where;
  EXPECT_EQ(NumberText(set.fvcJrs2014Line, "JRS2014"), e.fvc) << where;
  EXPECT_EQ(NumberText(set.fvcLlnLine, "LLN"), e.fvcLln) << where;
  EXPECT_EQ(NumberText(set.fev1Jrs2014Line, "JRS2014"), e.fev1) << where;
  EXPECT_EQ(NumberText(set.fev1LlnLine, "LLN"), e.fev1Lln) << where;
  EXPECT_EQ(NumberText(set.fev1RatioJrs2014Line, "JRS2014"), e.ratio) << where;
  EXPECT_EQ(NumberText(set.fev1RatioLlnLine, "LLN"), e.ratioLln) << where;
}

TEST(Jrs2014, WorkedExamples) {
  const Jrs2014Case cases[] = {
      {1, 40, 170, {"4.48", "3.72", "4.34", "3.57", "3.56", "2.92", "0.823", "0.731"}},
      {2, 40, 160, {"3.28", "2.72", "3.17", "2.60", "2.67", "2.18", "0.843", "0.748"}},
      {1, 60, 110, {"1.66", "1.37", "1.55", "1.25", "1.34", "1.07", "0.858", "0.756"}},
      {2, 60, 100, {"1.21", "1.00", "1.13", "0.91", "0.99", "0.79", "0.862", "0.775"}},
  };
  for (const Jrs2014Case& c : cases) ExpectJrs2014(c);
}

TEST(Jrs2014, AgeAndHeightLimits) {
  const Jrs2014Case cases[] = {
      // Male VC stops below 91; the other male quantities below 96.
      {1, 91, 160, {"", "", "2.77", "2.12", "2.13", "1.56", "0.741", "0.621"}},
      {1, 96, 170, {"", "", "", "", "", "", "", ""}},
      {2, 94, 160, {"", "", "", "", "", "", "", ""}},
      {1, 16, 170, {"", "", "", "", "", "", "", ""}},
      {2, 16, 160, {"", "", "", "", "", "", "", ""}},
      // From 17 years: below it the spline rows are empty (row 16 would give
      // FEV1 3.92 without its spline terms, against 3.25 at 17).
      {2, 16.99, 170, {"", "", "", "", "", "", "", ""}},
      {1, 16.99, 170, {"", "", "", "", "", "", "", ""}},
      {2, 17, 170, {"3.62", "3.07", "3.66", "3.09", "3.25", "2.77", "0.896", "0.813"}},
      {1, 60, 109, {"", "", "", "", "", "", "", ""}},
      {2, 60, 99.9, {"", "", "", "", "", "", "", ""}},
  };
  for (const Jrs2014Case& c : cases) ExpectJrs2014(c);
}

TEST(Jrs2014, MaleVcAtNinety) {
  const PredictionSet set = Jrs2014Results(1, 90, 160);
  EXPECT_EQ(set.vcJrs2014Line, "2.90 :JRS2014");
  EXPECT_EQ(set.vcLlnLine, "2.39 :LLN");
  EXPECT_NE(set.fvcJrs2014, 0);
}

TEST(Jrs2014, LastAgesInsideTheLimitsAreComputed) {
  for (auto [sex, age] : {std::pair<std::uint8_t, double>{1, 95}, {2, 93}, {1, 95.99}, {2, 93.99}}) {
    const auto lms = Jrs2014Lms(sex, Jrs2014Quantity::kFev1, age, 165, LoadedSplineTable());
    ASSERT_TRUE(lms.has_value()) << age;
    EXPECT_GT(lms->m, 0);
  }
  EXPECT_FALSE(Jrs2014Lms(1, Jrs2014Quantity::kVc, 91, 165, LoadedSplineTable()));
  EXPECT_FALSE(Jrs2014Lms(3, Jrs2014Quantity::kVc, 40, 165, LoadedSplineTable()));
}

// The female FEV1/FVC L is small and changes sign between 77 and 78 years; a
// negative L needs no special case.
TEST(Jrs2014, FemaleRatioAroundTheSignChangeOfL) {
  const Jrs2014Case cases[] = {
      {2, 77, 155, {"*", "*", "*", "*", "*", "*", "0.767", "0.676"}},
      {2, 78, 155, {"*", "*", "*", "*", "*", "*", "0.765", "0.673"}},
  };
  for (const Jrs2014Case& c : cases) {
    const PredictionSet set = Jrs2014Results(c.sex, c.age, c.height);
    EXPECT_EQ(set.fev1RatioJrs2014Line, std::string(c.expected.ratio) + " :JRS2014");
    EXPECT_EQ(set.fev1RatioLlnLine, std::string(c.expected.ratioLln) + " :LLN");
  }
  const auto at77 = Jrs2014Lms(2, Jrs2014Quantity::kRatio, 77, 155, LoadedSplineTable());
  const auto at78 = Jrs2014Lms(2, Jrs2014Quantity::kRatio, 78, 155, LoadedSplineTable());
  EXPECT_NEAR(at77->l, 0.014, 0.001);
  EXPECT_NEAR(at78->l, -0.024, 0.001);
}

// A fractional age reads the row of its whole years but uses its own logarithm.
TEST(Jrs2014, FractionalAges) {
  const Jrs2014Case cases[] = {
      {1, 45.9, 170, {"4.38", "3.63", "4.25", "3.47", "3.43", "2.80", "0.811", "0.722"}},
      {1, 45, 170, {"4.40", "3.64", "4.26", "3.49", "3.45", "2.82", "0.813", "0.723"}},
  };
  for (const Jrs2014Case& c : cases) ExpectJrs2014(c);
}

TEST(Jrs2014, StoredValuesAreTheRoundedOnes) {
  const PredictionSet set = Jrs2014Results(2, 40, 160);
  EXPECT_EQ(set.fvcLln, 2.6);
  EXPECT_EQ(set.fvcLlnLine, "2.60 :LLN");
}

// Near L = 0 the plain power form loses its digits; the small-L forms must stay
// on the log-normal limit.
TEST(Jrs2014, LowerLimitNearZeroL) {
  const LmsParameters atZero{0.75, 0.07, 0};
  const double limit = 0.75 * std::exp(-kLlnZ * 0.07);
  EXPECT_NEAR(LowerLimitOfNormal(atZero), limit, 1e-15);
  for (double l : {1e-5, -1e-5, 1e-9, -1e-9, 1e-14, 1e-300}) {
    const LmsParameters lms{0.75, 0.07, l};
    // Reference in extended precision.
    const long double x = 0.07L * (static_cast<long double>(l) * 1.645L);
    const double expected = static_cast<double>(0.75L * std::exp(std::log1p(-x) / l));
    EXPECT_NEAR(LowerLimitOfNormal(lms), expected, 1e-15) << l;
  }
  // A fractional age lands near the zero crossing (about 77.364 years).
  double lo = 77, hi = 78;
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    (Jrs2014Lms(2, Jrs2014Quantity::kRatio, mid, 155, LoadedSplineTable())->l > 0 ? lo : hi) = mid;
  }
  const auto crossing = Jrs2014Lms(2, Jrs2014Quantity::kRatio, lo, 155, LoadedSplineTable());
  EXPECT_LT(std::fabs(crossing->l), 1e-12);
  EXPECT_NEAR(LowerLimitOfNormal(*crossing), crossing->m * std::exp(-kLlnZ * crossing->s), 1e-12);
}

struct LlnCase {
  LmsParameters lms;
  double lln;  // M (1 - L S 1.645)^(1/L), worked out to 60 digits with Python's decimal
};

// Away from L = 0, against values worked out independently of the code.
TEST(Jrs2014, LowerLimitAwayFromZeroL) {
  const LlnCase cases[] = {
      {{4.48, 0.1, 0.8}, 3.7555866143223646},   {{0.82, 0.06, 3.5}, 0.7264840582765082},
      {{3.2, 0.11, -0.5}, 2.691030074231523},   {{2.9, 0.13, 0.25}, 2.3278194688734266},
      {{0.75, 0.07, -1.7}, 0.6751330641795259},
  };
  for (const LlnCase& c : cases) {
    EXPECT_NEAR(LowerLimitOfNormal(c.lms), c.lln, 1e-13 * c.lln)
        << c.lms.m << " " << c.lms.s << " " << c.lms.l;
  }
}

}  // namespace
}  // namespace kestrova

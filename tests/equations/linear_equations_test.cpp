#include "equations/linear_equations.h"

#include <gtest/gtest.h>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

struct LinearCase {
  std::uint8_t sex;
  double height;
  double age;
  // Texts after rounding: VC, FVC, FEV1 (2 decimals), (T), (G) (3), Baldwin, Berglund (2).
  const char* vc;
  const char* fvc;
  const char* fev1;
  const char* ratioT;
  const char* ratioG;
  const char* baldwin;
  const char* berglund;
};

TEST(LinearEquations, RoundedResults) {
  const LinearCase cases[] = {
      {1, 170, 40, "4.47", "4.40", "3.82", "0.846", "0.865", "3.94", "3.53"},
      {2, 158, 40, "3.16", "3.03", "2.59", "0.849", "0.869", "2.80", "2.60"},
      // Berglund evaluates to just below 4.195, FVC to just above 4.965.
      {1, 175, 25, "5.04", "4.97", "4.42", "0.878", "0.895", "4.35", "4.19"},
      {2, 120, 95, "0.95", "0.81", "0.54", "0.718", "0.766", "1.46", "0.10"},
  };
  for (const LinearCase& c : cases) {
    const Jrs2001Result r = ComputeJrs2001(c.sex, c.age, c.height);
    EXPECT_EQ(FormatFixed(r.vc, 2), c.vc);
    EXPECT_EQ(FormatFixed(r.fvc, 2), c.fvc);
    EXPECT_EQ(FormatFixed(r.fev1, 2), c.fev1);
    EXPECT_EQ(FormatFixed(r.ratioT, 3), c.ratioT);
    EXPECT_EQ(FormatFixed(r.ratioG, 3), c.ratioG);
    EXPECT_EQ(FormatFixed(ComputeBaldwinVc(c.sex, c.age, c.height), 2), c.baldwin);
    EXPECT_EQ(FormatFixed(ComputeBerglundFev1(c.sex, c.age, c.height), 2), c.berglund);
  }
}

// The order of evaluation decides the last bits, and with them the digits.
TEST(LinearEquations, ExactRawDoubles) {
  EXPECT_EQ(ComputeBerglundFev1(1, 25, 175), 4.194999999999999);
  EXPECT_EQ(ComputeJrs2001(1, 25, 175).fvc, 4.965000000000001);
  EXPECT_EQ(ComputeBerglundFev1(1, 95, 100), -0.6950000000000003);
  EXPECT_EQ(FormatFixed(ComputeBaldwinVc(1, 95, 100), 2), "1.70");
}

TEST(LinearEquations, MaleRatioTIgnoresHeight) {
  EXPECT_EQ(ComputeJrs2001(1, 40, 170).ratioT, ComputeJrs2001(1, 40, 120).ratioT);
  EXPECT_NE(ComputeJrs2001(2, 40, 170).ratioT, ComputeJrs2001(2, 40, 120).ratioT);
}

}  // namespace
}  // namespace kestrova

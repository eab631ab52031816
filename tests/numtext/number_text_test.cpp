#include "numtext/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "tests/numtext/fixed_reference.h"

namespace kestrova {
namespace {

struct ParseCase {
  std::string text;
  double expected;
};

// The accumulation rule decides which double a text reads as; these are not
// always the doubles nearest to the decimal written.
TEST(ParseNumber, ReadsDecimalTextsByTheAccumulationRule) {
  const ParseCase cases[] = {
      {"2.35", 2.3499999999999996},  // 2 + 0.3 = 2.3; 2.3 + 0.05 = 2.3499999999999996
      {"3.45", 3.4499999999999997},
      {"0.815", 0.8150000000000001},
      {"1.005", 1.005},
      {"123.456", 123.456},
      {".5", 0.5},
      {"  -12.5abc", -12.5},
      {"\t+7", 7},
      {"12.34.56", 12.34},
      {"1e5", 1},
      {"1,234", 1},
      {"", 0},
      {"   ", 0},
      {"abc", 0},
      {"\x82\x4f\x82\x50", 0},  // full-width "01" in CP932
      {"0.1", 0.1},
      {"4.40", 4.4},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseNumber(c.text), c.expected) << '"' << c.text << '"';
  }
}

// Short whole parts are read as integers and the first eight fraction digits
// from a table of quotients; longer runs take the summation itself, whose
// roundings differ from an exact conversion from 17 digits on.
TEST(ParseNumber, BoundariesOfTheShortTextPath) {
  const ParseCase cases[] = {
      {"999999999999999", 999999999999999},
      {"39970079531239115", 39970079531239120},  // the exact conversion is ...112
      {"18446744073709551617", 18446744073709551616.0},
      {"0000000000000000001.5", 1.5},
      {"0.12345678", 0.12345678000000002},
      {"0.123456789", 0.12345678900000001},
      {"3.99999999999999999999", 3.9999999999999996},
      {"-7.00000009", -7.0000000900000003},
  };
  for (const ParseCase& c : cases) EXPECT_EQ(ParseNumber(c.text), c.expected) << c.text;
}

TEST(ParseNumber, ReadsRadixForms) {
  const ParseCase cases[] = {
      {"&H1F", 31},
      {"&hff", 255},
      {"&O17", 15},
      {"&o78", 7},
      {"&X1", 0},
      {"&H", 0},
      {"&", 0},
      {"  &H10", 16},  // blanks are skipped before the "&" too
      {"&H7FFFFFFFFFFFFFFF", 9223372036854775807.0},
  };
  for (const ParseCase& c : cases) EXPECT_EQ(ParseNumber(c.text), c.expected) << c.text;
}

TEST(ParseNumber, SignsAndMinusZero) {
  EXPECT_TRUE(std::signbit(ParseNumber("-")));
  EXPECT_EQ(ParseNumber("-"), 0);
  // Blanks are skipped only before the sign.
  EXPECT_TRUE(std::signbit(ParseNumber("- 5")));
  EXPECT_EQ(ParseNumber("+-5"), 0);
  EXPECT_EQ(ParseNumber("-0.5"), -0.5);
}

// Beyond the ordinary rules: huge digit runs and radix texts past 2^63 must give
// plain results, never NaN from 0 * inf and never integer overflow.
TEST(ParseNumber, HugeTextsStayWellDefined) {
  EXPECT_EQ(ParseNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseNumber("1" + std::string(400, '0')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseNumber(std::string(400, '0')), 0);
  EXPECT_EQ(ParseNumber("1." + std::string(400, '0') + "1"), 1);
  EXPECT_EQ(ParseNumber("&HFFFFFFFFFFFFFFFF"), 18446744073709551615.0);
  EXPECT_EQ(ParseNumber("&H1" + std::string(20, '0')), std::ldexp(1.0, 80));
  EXPECT_EQ(ParseNumber("&H" + std::string(300, 'F')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseNumber("&O1" + std::string(30, '0')), std::ldexp(1.0, 90));
}

struct FormatNumberCase {
  double value;
  std::string expected;
};

TEST(FormatNumber, WritesUpToFifteenSignificantDigits) {
  const FormatNumberCase cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {0.5, "0.5"},
      {100, "100"},
      {-1.5, "-1.5"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {0.1 + 0.2, "0.3"},
      {0.0001, "0.0001"},
      {123456789012345, "123456789012345"},
      {2.3499999999999996, "2.35"},
      {3, "3"},
      {35, "35"},
      {0.99, "0.99"},
      {15.01, "15.01"},
  };
  for (const FormatNumberCase& c : cases) EXPECT_EQ(FormatNumber(c.value), c.expected) << c.value;
}

TEST(FormatNumber, SwitchesToExponentFormAtTheThresholds) {
  const FormatNumberCase cases[] = {
      {1234567890123456, "1.23456789012346e+015"},
      {1e20, "1.00000000000000e+020"},
      {1e15, "1.00000000000000e+015"},
      // Normalises below 1, and the carry takes it up to 10^15.
      {999999999999999, "1.00000000000000e+015"},
      {0.0000999, "9.99000000000000e-05"},
      {-2.5e-7, "-2.50000000000000e-07"},
      {1e300, "1.00000000000000e+300"},
  };
  for (const FormatNumberCase& c : cases) EXPECT_EQ(FormatNumber(c.value), c.expected) << c.value;
}

TEST(FormatNumber, NotANumberAndInfinities) {
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN()), "0");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::denorm_min()), "4.94065645841247e-324");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::max()), "1.79769313486232e+308");
}

struct FixedCase {
  double value;
  int decimals;
  std::string expected;
};

TEST(FormatFixed, RoundsHalfUpOnTheScaledProducts) {
  const FixedCase cases[] = {
      {2.345, 2, "2.35"},  // products 234.50000000000003 and 2345.0: r = 5
      {1.005, 2, "1.00"},  // products 100.49999999999999 and 1004.9999999999999: r = 4
      {2.675, 2, "2.68"},
      {-2.345, 2, "-2.34"},  // f = -235, r = 5: towards plus infinity
      {-0.004, 2, "0.00"},   // no minus sign on a zero result
      {-0.005, 2, "0.00"},
      {0.005, 2, "0.01"},
      {0.5, 2, "0.50"},
      {100, 2, "100.00"},
      {3.14159, 2, "3.14"},
      {12.3456, 3, "12.346"},
      {0, 3, "0.000"},
      {0.8155, 3, "0.816"},
      {7, 3, "7.000"},
      {2.5, 3, "2.500"},
      {92.7536231884058, 1, "92.8"},
      {79.96, 1, "80.0"},
      {79.94, 1, "79.9"},
      {1250, 1, "1250.0"},
      {1.23456, 4, "1.2346"},
      {-0.6950000000000003, 2, "-0.70"},
      {4.194999999999999, 2, "4.19"},
      {4.965000000000001, 2, "4.97"},
  };
  for (const FixedCase& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, static_cast<std::uint8_t>(c.decimals)), c.expected)
        << c.value << " with " << c.decimals;
    EXPECT_EQ(reference::FormatFixed(c.value, c.decimals), c.expected) << c.value << " with " << c.decimals;
  }
}

// The two products are rounded separately, so the rounding digit can be -1 or
// 10; either way the carry is at most one unit in the last place.
TEST(FormatFixed, RoundingDigitOfMinusOneAndTen) {
  EXPECT_EQ(FormatFixed(267.46, 2), "267.46");  // 267.46 × 100 is 26745.999999999996: r = 10
  EXPECT_EQ(FormatFixed(98.948, 3), "98.948");  // r = -1
}

TEST(FormatFixed, EdgesOfTheThirtyTwoBitRange) {
  EXPECT_EQ(FormatFixed(2147483.64, 2), "2147483.64");
  EXPECT_EQ(FormatFixed(-2147483.64, 2), "-2147483.64");
  EXPECT_EQ(FormatFixed(214748.3647, 3), "214748.365");
}

// Outside the 32-bit range the text is still plain and deterministic.
TEST(FormatFixed, ValuesOutsideTheRuleGetPlainTexts) {
  const double inf = std::numeric_limits<double>::infinity();
  const FixedCase cases[] = {
      {2147483.648, 2, "2147483.65"},
      {99999999999.0, 2, "99999999999.00"},
      {-12345678901.234, 3, "-12345678901.234"},
      {2315000000.0, 2, "2315000000.00"},
      {1e11, 2, "100000000000"},
      {1e20, 2, "1.00000000000000e+020"},
      {inf, 2, "inf"},
      {-inf, 3, "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), 2, "0.00"},
  };
  for (const FixedCase& c : cases) {
    EXPECT_EQ(FormatFixed(c.value, static_cast<std::uint8_t>(c.decimals)), c.expected) << c.value;
    EXPECT_EQ(reference::FormatFixed(c.value, c.decimals), c.expected) << c.value;
  }
}

TEST(FormatFixed, DecimalCountsOutsideOneToFourAreClamped) {
  EXPECT_EQ(FormatFixed(2.345, 0), "2.3");
  EXPECT_EQ(FormatFixed(2.345, 9), "2.3450");
  EXPECT_EQ(FormatFixed(2.345, 255), "2.3450");
}

// Reading back what FormatFixed wrote lands within one unit of the last place,
// and writing that again gives the same text.
TEST(FormatFixed, SweepReadsBackWithinOneUnit) {
  for (int decimals = 1; decimals <= 4; ++decimals) {
    const double unit = std::pow(10.0, -decimals);
    for (double x = -50; x < 50; x += 0.0137) {
      const std::string text = FormatFixed(x, static_cast<std::uint8_t>(decimals));
      const double back = ParseNumber(text);
      ASSERT_LE(std::fabs(back - x), unit * 1.0000001) << x << " -> " << text;
      ASSERT_EQ(FormatFixed(back, static_cast<std::uint8_t>(decimals)), text) << x;
      const std::size_t point = text.find('.');
      ASSERT_EQ(text.size() - point - 1, static_cast<std::size_t>(decimals)) << text;
    }
  }
}

struct RoundCase {
  double value;
  int decimals;
  std::string text;
  double readBack;
};

// Texts are written into the string's own storage, whatever its earlier
// length, two digits at a time, on 32-bit integers inside the rule and 64-bit
// ones above: carries that add a whole digit, zeros after the point, signs,
// and both sides of |f| = 2^32.
TEST(RoundThroughText, CarriesSignsAndIntegerWidths) {
  const RoundCase cases[] = {
      {9.995, 2, "10.00", 10},
      {-9.995, 2, "-9.99", -9.9900000000000002},
      {999.95, 1, "1000.0", 1000},
      {99999.99995, 4, "100000.0000", 100000},
      {0.95, 1, "1.0", 1},
      {-0.95, 1, "-0.9", -0.90000000000000002},
      {0.0005, 3, "0.001", 0.001},
      {-0.05, 2, "-0.05", -0.050000000000000003},
      {-0.00005, 4, "0.0000", 0},
      {1.00005, 4, "1.0001", 1.0001},
      {214748.3647, 4, "214748.3647", 214748.36469999998},
      {42949672.95, 2, "42949672.95", 42949672.949999996},
      {42949672.96, 2, "42949672.96", 42949672.960000001},
      {-42949672.95, 2, "-42949672.95", -42949672.949999996},
      {99999999.995, 2, "100000000.00", 100000000},
  };
  for (const RoundCase& c : cases) {
    for (std::string text : {std::string(), std::string("an earlier, longer text")}) {
      const double value = RoundThroughText(c.value, static_cast<std::uint8_t>(c.decimals), text);
      EXPECT_EQ(text, c.text) << c.value;
      EXPECT_EQ(value, c.readBack) << c.value;
      EXPECT_EQ(std::signbit(value), std::signbit(c.readBack)) << c.value;
    }
  }
}

// The suffix is written in the same pass as the number, and the value is the
// number's alone.
TEST(RoundThroughText, SuffixFollowsTheNumber) {
  for (const char* suffix : {"", " :LLN", " :JRS2001(T)"}) {
    std::string line = "x";
    EXPECT_EQ(RoundThroughText(-2.345, 2, line, suffix), ParseNumber("-2.34")) << suffix;
    EXPECT_EQ(line, "-2.34" + std::string(suffix));
  }
  std::string line;
  EXPECT_EQ(RoundThroughText(1e20, 2, line, " :LLN"), 1);
  EXPECT_EQ(line, "1.00000000000000e+020 :LLN");
}

// RoundThroughText writes the reference's text and gives the very double
// ParseNumber reads from it, sign of zero included: across the rule, its
// 64-bit extension and the general form.
TEST(RoundThroughText, IsParseNumberOfTheText) {
  const double edges[] = {0.0,
                          -0.0,
                          0.05,
                          -0.05,
                          2.345,
                          -2.345,
                          1.005,
                          267.46,
                          99999999999.0,
                          1e11,
                          1e300,
                          -1e300,
                          std::numeric_limits<double>::infinity(),
                          std::nan("")};
  std::uint64_t state = 99;
  for (int decimals = 0; decimals <= 5; ++decimals) {
    const auto d = static_cast<std::uint8_t>(decimals);
    for (int i = 0; i < 40000; ++i) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      const double scale = std::pow(10.0, static_cast<int>(state % 13) - 3);  // 0.001 to 1e9
      double x = (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * scale;
      if (i < static_cast<int>(std::size(edges))) x = edges[i];
      std::string text;
      const double value = RoundThroughText(x, d, text);
      ASSERT_EQ(text, reference::FormatFixed(x, decimals)) << x;
      const double expected = ParseNumber(text);
      ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << x << " -> " << text;
    }
  }
}

// The number kept beside the text is the text's own: its digits without the
// point as the scaled integer, the double nearest to it as Nearest() (strtod
// rounds correctly), and ParseNumber's reading as the value compared.
TEST(RoundThroughText, KeepsTheNumberShown) {
  std::uint64_t state = 7;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto d = static_cast<std::uint8_t>(1 + state % 4);
    const double scale = std::pow(10.0, static_cast<int>(state % 17) - 3);  // 0.001 to 1e13
    const double x = i == 0 ? 1e300 : (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5) * scale;
    std::string text;
    ShownNumber shown;
    const double value = RoundThroughText(x, d, text, " :LLN", shown);
    text.resize(text.size() - 5);
    ASSERT_TRUE(shown.shown);
    ASSERT_EQ(shown.value, value);
    const double parsed = ParseNumber(text);
    ASSERT_EQ(std::memcmp(&value, &parsed, sizeof value), 0) << text;
    ASSERT_EQ(shown.fixed, std::fabs(x) < 1e11) << x;
    if (!shown.fixed) continue;
    std::string digits = text;
    std::erase(digits, '.');
    ASSERT_EQ(shown.scaled, std::stoll(digits)) << text;
    ASSERT_EQ(shown.decimals, d);
    ASSERT_EQ(shown.Nearest(), std::strtod(text.c_str(), nullptr)) << text;
  }
  EXPECT_TRUE(std::isnan(ShownNumber{}.Nearest()));
}

}  // namespace
}  // namespace kestrova

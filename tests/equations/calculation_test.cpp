#include "equations/calculation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "numtext/number_text.h"

namespace kestrova {
namespace {

using Texts = std::array<const char*, kResultCount>;  // number texts in display order

struct ResultSetCase {
  PatientInputs inputs;
  Texts expected;
};

PredictionSet Calculate(const PatientInputs& inputs) {
  PredictionSet set;
  EXPECT_TRUE(CalculatePredictions(inputs, LoadedSplineTable(), set));
  return set;
}

TEST(CalculatePredictions, CompleteResultSets) {
  const ResultSetCase cases[] = {
      {{1, 40, 170, 0, 0, 0},
       {"4.48", "3.72", "4.47", "3.94", "4.34", "3.57", "4.40", "3.56", "2.92", "3.82", "3.53", "0.823",
        "0.731", "0.846", "0.865"}},
      {{2, 40, 158, 0, 0, 0},
       {"3.20", "2.66", "3.16", "2.80", "3.09", "2.53", "3.03", "2.61", "2.13", "2.59", "2.60", "0.845",
        "0.750", "0.849", "0.869"}},
  };
  for (const ResultSetCase& c : cases) {
    const PredictionSet set = Calculate(c.inputs);
    for (std::size_t i = 0; i < kResultCount; ++i) {
      const ResultField& field = ResultFields()[i];
      EXPECT_EQ(set.*field.line, std::string(c.expected[i]) + " :" + std::string(field.label)) << field.name;
      EXPECT_EQ(set.*field.value, ParseNumber(c.expected[i])) << field.name;
    }
  }
}

// Which lines hold numbers ('#') and which their placeholders ('-').
struct GateCase {
  PatientInputs inputs;
  const char* computed;  // 15 characters in display order
};

TEST(CalculatePredictions, GatesBySexAgeAndHeight) {
  //                                         VC   FVC FEV1 ratio
  const GateCase cases[] = {
      {{1, 40, 105, 0, 0, 0},
       "---#---"
       "---#"
       "----"},  // male below 110 cm: Baldwin, Berglund only
      {{2, 50, 105, 0, 0, 0},
       "##-###-"
       "##-#"
       "##--"},  // female: JRS2014 from 100 cm, JRS2001 from 120
      {{1, 93, 170, 0, 0, 0},
       "--#####"
       "####"
       "####"},  // male VC stops below 91
      {{2, 94, 160, 0, 0, 0},
       "--##--#"
       "--##"
       "--##"},  // female JRS2014 stops below 94
      {{2, 96, 160, 0, 0, 0},
       "---#---"
       "---#"
       "----"},
      {{1, 17, 170, 0, 0, 0},
       "##-###-"
       "##-#"
       "##--"},  // JRS2001 needs age > 17
      {{1, 40, 120, 0, 0, 0}, "###############"},
      {{1, 40, 190, 0, 0, 0}, "###############"},
      {{1, 40, 119.9, 0, 0, 0},
       "##-###-"
       "##-#"
       "##--"},
      {{1, 40, 190.1, 0, 0, 0},
       "##-###-"
       "##-#"
       "##--"},
      {{2, 16.99, 160, 0, 0, 0},
       "---#---"
       "---#"
       "----"},  // JRS2014 from 17 years
      {{1, 95, 100, 0, 0, 0},
       "---#---"
       "---#"
       "----"},
  };
  for (const GateCase& c : cases) {
    const std::string computed = std::string(c.computed);
    ASSERT_EQ(computed.size(), kResultCount) << computed;
    const PredictionSet set = Calculate(c.inputs);
    for (std::size_t i = 0; i < kResultCount; ++i) {
      const ResultField& field = ResultFields()[i];
      if (computed[i] == '#') {
        EXPECT_NE(set.*field.line, field.placeholder) << field.name << " at " << c.inputs.age;
      } else {
        EXPECT_EQ(set.*field.line, field.placeholder) << field.name << " at " << c.inputs.age;
        EXPECT_EQ(set.*field.value, 0) << field.name;
      }
    }
  }
}

TEST(CalculatePredictions, NegativeResultsKeepTheirSign) {
  const PredictionSet set = Calculate({1, 95, 100, 0, 0, 0});
  EXPECT_EQ(set.fev1BerglundLine, "-0.70 :Berglund");
  EXPECT_EQ(set.fev1Berglund, -0.7);
  EXPECT_EQ(set.vcBaldwinLine, "1.70 :Baldwin");
}

TEST(CalculatePredictions, NothingOfAnEarlierRunSurvives) {
  PredictionSet set;
  CalculatePredictions({1, 40, 150, 0, 0, 0}, LoadedSplineTable(), set);
  EXPECT_NE(set.vcJrs2014, 0);
  CalculatePredictions({1, 40, 105, 0, 0, 0}, LoadedSplineTable(), set);
  EXPECT_EQ(set.vcJrs2014Line, "  *.** :JRS2014");
  EXPECT_EQ(set.fev1RatioLlnLine, "  **.* :LLN");
  EXPECT_EQ(set.fev1RatioJrs2001TLine, "  *.** :JRS2001(T)");
  EXPECT_EQ(set.vcJrs2001, 0);
  for (bool has : set.hasJrs2014Lms) EXPECT_FALSE(has);
}

// Over many inputs: every line is either its placeholder with value 0, or the
// number text + " :" + label with the value ParseNumber reads from that text.
TEST(CalculatePredictions, SweepKeepsValueAndLineTogether) {
  PredictionSet set;
  for (std::uint8_t sex : {1, 2}) {
    for (double age = 15.5; age < 98; age += 0.37) {
      for (double height = 95; height < 280; height += 3.1) {
        CalculatePredictions({sex, age, height, 0, 0, 0}, LoadedSplineTable(), set);
        for (const ResultField& field : ResultFields()) {
          const std::string& line = set.*field.line;
          if (line == field.placeholder) {
            ASSERT_EQ(set.*field.value, 0);
            continue;
          }
          const std::string suffix = " :" + std::string(field.label);
          ASSERT_EQ(line.substr(line.size() - suffix.size()), suffix) << line;
          const std::string number = line.substr(0, line.size() - suffix.size());
          ASSERT_EQ(set.*field.value, ParseNumber(number)) << line;
          ASSERT_EQ(number.size() - number.find('.') - 1, field.decimals) << line;
        }
      }
    }
  }
}

// Values the command line can hand over unchecked must not crash or hang the
// calculation, and must leave a plain text in every line.
TEST(CalculatePredictions, UncheckedExtremeInputs) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const PatientInputs cases[] = {
      {1, 40, 99999999999, 0, 0, 0}, {2, 40, inf, 0, 0, 0},    {1, inf, 170, 0, 0, 0},
      {1, nan, 170, 0, 0, 0},        {2, 40, nan, 0, 0, 0},    {1, -40, -170, 0, 0, 0},
      {1, 1e300, 1e300, 0, 0, 0},    {2, 50, 1e-300, 0, 0, 0},
  };
  for (const PatientInputs& inputs : cases) {
    const PredictionSet set = Calculate(inputs);
    for (const ResultField& field : ResultFields()) {
      const std::string& line = set.*field.line;
      EXPECT_FALSE(line.empty());
      EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    }
  }
  EXPECT_EQ(Calculate({1, 40, 99999999999, 0, 0, 0}).vcBaldwinLine, "2314999999.98 :Baldwin");
}

}  // namespace
}  // namespace kestrova

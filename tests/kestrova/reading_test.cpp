#include "kestrova/reading.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrova {
namespace {

// The reading views its result's texts: the result is kept here, and a
// reading is checked before the next Read computes it again.
Reading Read(const PatientInputs& inputs) {
  static PanelResult result;
  ComputePanelResult(inputs, result);
  return ReadResult(result);
}

// Male, 40 years, 170 cm: VC JRS2001 4.47, Baldwin 3.94; FEV1 JRS2001 3.82,
// JRS2014 3.56 (LLN 2.92); FVC LLN 3.57; FEV1/FVC LLN 0.731.
constexpr PatientInputs Male40(double vc, double fvc, double fev1) {
  return {kSexMale, 40, 170, vc, fvc, fev1};
}

struct VentilatoryCase {
  PatientInputs inputs;
  std::string percentVc;
  std::string ratio;
  std::string_view type;
};

// %VC below 80.0 and FEV1/FVC below 0.700, both read as shown.
TEST(Ventilatory, ThresholdsOnTheShownNumbers) {
  const VentilatoryCase cases[] = {
      {Male40(3.574, 2.9, 2.03), "80.0", "0.700", "normal"},  // 79.955…% and 0.69999…: shown 80.0, 0.700
      {Male40(3.57, 2.9, 2.03), "79.9", "0.700", "restrictive"},
      {Male40(4.0, 5.15, 3.6), "89.5", "0.699", "obstructive"},
      {Male40(3.0, 5.15, 3.6), "67.1", "0.699", "mixed"},
  };
  for (const VentilatoryCase& c : cases) {
    const VentilatoryReading v = Read(c.inputs).ventilatory;
    ASSERT_TRUE(v.computed);
    EXPECT_EQ(v.equation, "JRS2001");
    EXPECT_EQ(v.percentVc, c.percentVc);
    EXPECT_EQ(v.measuredRatio, c.ratio);
    EXPECT_EQ(v.label.key, c.type) << c.percentVc << " " << c.ratio;
  }
  const Reading baldwin = Read(Male40(3.1, 4.0, 3.0));  // 78.7 % of Baldwin 3.94
  EXPECT_EQ(baldwin.ventilatoryBaldwin.equation, "Baldwin");
  EXPECT_EQ(baldwin.ventilatoryBaldwin.label.key, "restrictive");
  EXPECT_FALSE(Read(Male40(3.1, 0, 3.0)).ventilatory.computed);  // no FVC: no ratio
}

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

struct LlnCase {
  PatientInputs inputs;
  std::string_view pattern;
  std::string_view severity;  // key, or empty
  std::u8string_view label;
  std::u8string_view note;  // empty when none
};

// PRISm is decided on FEV1 alone; a low FVC beside it adds the TLC note.
TEST(ErsAts2022, PatternsFromTheRedCells) {
  const LlnCase cases[] = {
      {Male40(0, 4.3, 3.5), "normal", "", u8"正常", u8""},
      {Male40(0, 4.3, 3.0), "obstruction", "fev1NotBelowLln", u8"閉塞性換気障害", u8""},  // 0.698 < 0.731
      {Male40(0, 3.5, 2.95), "possibleRestriction", "fev1NotBelowLln",  // FVC alone below 3.57
       u8"FVC低下、拘束性障害の疑い（TLC測定が必要）", u8""},
      // FEV1 alone below 2.92; with FVC at its LLN; with FVC below it too.
      {Male40(0, 3.6, 2.9), "prism", "mild", u8"PRISm（1秒率正常・1秒量低下）", u8""},
      {Male40(0, 3.57, 2.9), "prism", "mild", u8"PRISm（1秒率正常・1秒量低下）", u8""},
      {Male40(0, 3.5, 2.8), "prism", "mild", u8"PRISm（1秒率正常・1秒量低下）",
       u8"拘束性障害の可能性：TLCの測定を"},
      {Male40(0, 3.5, 2.0), "possibleMixed", "severe",  // z -4.03
       u8"閉塞性換気障害＋FVC低下（混合性の鑑別にはTLC測定が必要）", u8""},
  };
  for (const LlnCase& c : cases) {
    const LlnReading r = Read(c.inputs).ersAts2022;
    ASSERT_TRUE(r.computed);
    EXPECT_EQ(r.label.key, c.pattern) << c.inputs.fvc << " " << c.inputs.fev1;
    EXPECT_EQ(r.severityLabel.key, c.severity) << c.inputs.fvc << " " << c.inputs.fev1;
    EXPECT_EQ(r.label.ja, Utf8(c.label)) << c.inputs.fvc << " " << c.inputs.fev1;
    EXPECT_EQ(r.note.ja, Utf8(c.note)) << c.inputs.fvc << " " << c.inputs.fev1;
    EXPECT_EQ(r.fvcBelowLln, c.inputs.fvc < 3.57) << c.inputs.fvc;
  }
}

struct ZRuleCase {
  PatientInputs inputs;
  bool fev1CellRed;  // the window's cell: FEV1 < the LLN rounded to 2 decimals
  bool fev1BelowLln;
  std::string_view pattern;
};

// Below the LLN is the unrounded z below -1.645, not the red cell: the LLN's
// rounding moves the cell's limit. Female, 43 years: at 156.4 cm FEV1 2.05 is
// the LLN as shown (2.05) with z -1.66; at 150.6 cm FEV1 1.919 is below the
// LLN shown (1.92) with z -1.64.
TEST(ErsAts2022, BelowLlnByTheUnroundedZ) {
  const ZRuleCase cases[] = {
      {{kSexFemale, 43, 156.4, 0, 2.6, 2.05}, false, true, "prism"},
      {{kSexFemale, 43, 150.6, 0, 2.4, 1.919}, true, false, "normal"},
  };
  for (const ZRuleCase& c : cases) {
    PanelResult result;
    ComputePanelResult(c.inputs, result);
    const LlnReading r = ReadResult(result).ersAts2022;
    EXPECT_EQ(result.panel.rows[static_cast<std::size_t>(ResultId::kFev1Jrs2014)].cell.red, c.fev1CellRed);
    EXPECT_EQ(r.fev1BelowLln, c.fev1BelowLln) << c.inputs.height;
    EXPECT_EQ(r.label.key, c.pattern) << c.inputs.height;
  }
}

struct SeverityCase {
  double fev1;
  std::string z;
  Severity severity;
};

// Graded on the z as printed, 2 decimals.
TEST(ErsAts2022, SeverityBoundaries) {
  const SeverityCase cases[] = {
      {2.591, "-2.50", Severity::kMild},
      {2.590, "-2.51", Severity::kModerate},
      {2.012, "-4.00", Severity::kModerate},
      {2.011, "-4.01", Severity::kSevere},
  };
  for (const SeverityCase& c : cases) {
    const LlnReading r = Read(Male40(0, 5.0, c.fev1)).ersAts2022;
    EXPECT_EQ(r.fev1Z, c.z);
    EXPECT_EQ(r.severity, c.severity) << c.z;
  }
}

struct CopdCase {
  PatientInputs inputs;
  std::string percentFev1;
  std::string_view stage;  // key; "" when not staged
};

// %FEV1 of the JRS2001 FEV1 3.82, each shown value just reached from below.
TEST(Copd, StagesByShownPercentFev1) {
  const CopdCase cases[] = {
      {Male40(0, 5.0, 3.055), "80.0", "I"},   {Male40(0, 5.0, 3.051), "79.9", "II"},
      {Male40(0, 5.0, 1.909), "50.0", "II"},  {Male40(0, 5.0, 1.905), "49.9", "III"},
      {Male40(0, 5.0, 1.145), "30.0", "III"}, {Male40(0, 5.0, 1.141), "29.9", "IV"},
      {Male40(0, 4.0, 2.8), "73.3", ""},  // FEV1/FVC 0.700: not staged
  };
  for (const CopdCase& c : cases) {
    const CopdReading r = Read(c.inputs).copd;
    ASSERT_TRUE(r.computed);
    EXPECT_EQ(r.percentFev1, c.percentFev1);
    EXPECT_EQ(r.label.key, c.stage) << c.percentFev1;
    EXPECT_FALSE(r.note.ja.empty());
  }
  EXPECT_EQ(Read(Male40(0, 4.0, 2.8)).copd.label.ja, Utf8(u8"1秒率70%以上：病期分類の対象外"));
}

struct LungAgeCase {
  PatientInputs inputs;
  std::string value;
  std::string en;
  bool corrected;
};

TEST(LungAge, BandsHalfUpAndCorrection) {
  const LungAgeCase cases[] = {
      {{kSexMale, 40, 152, 0, 0, 3.79}, "18.0", "18", false},  // 17.999999999999982 in doubles
      {{kSexMale, 40, 152, 0, 0, 3.80}, "17.6", "<18", false},
      {{kSexMale, 40, 163, 0, 0, 2.03}, "95.0", "95", false},  // 94.99999999999999
      {{kSexMale, 40, 163, 0, 0, 2.02}, "95.4", ">95", false},
      {{kSexMale, 40, 147, 0, 0, 2.70}, "50.5", "51", false},  // 50.499999999999986
      {{kSexFemale, 45, 160, 0, 0, 2.4}, "50.7", "51", false},
      // %FEV1 by JRS2001 at least 100: FEV1/FVC 0.699 corrects to the own age, 0.700 does not.
      {Male40(0, 5.5, 3.845), "39.2", "40", true},
      {Male40(0, 5.493, 3.845), "39.2", "39", false},
  };
  for (const LungAgeCase& c : cases) {
    const LungAgeReading r = Read(c.inputs).lungAge;
    ASSERT_TRUE(r.computed);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(r.en, c.en) << c.value;
    EXPECT_EQ(r.corrected, c.corrected) << c.value;
  }
  EXPECT_EQ(Read(Male40(0, 5.5, 3.845)).lungAge.correction.ja,
            Utf8(u8"1秒率70%未満かつ%1秒量100%以上のため実年齢に補正"));
  EXPECT_FALSE(Read({kSexMale, 40, 195, 0, 0, 3.0}).lungAge.computed);  // no JRS2001 above 190 cm
}

struct IndexCase {
  double fev1;
  std::string index;
  std::string_view grade;
};

// FEV1 × 100 / the JRS2001 VC 4.47; each limit is reached from below in doubles.
TEST(DisabilityIndex, GradesOnTheShownIndex) {
  const IndexCase cases[] = {
      {0.892, "20.0", "grade1"}, {0.897, "20.1", "grade3"}, {1.339, "30.0", "grade3"},
      {1.344, "30.1", "grade4"}, {1.786, "40.0", "grade4"}, {1.791, "40.1", "none"},
  };
  for (const IndexCase& c : cases) {
    const DisabilityReading r = Read(Male40(0, 0, c.fev1)).disability;
    ASSERT_TRUE(r.computed);
    EXPECT_EQ(r.index, c.index);
    EXPECT_EQ(r.label.key, c.grade) << c.index;
  }
}

// Each item's state in Reading order (ventilatory, Baldwin, ERS/ATS 2022,
// COPD, lung age, disability): 'r' read, 'o' out of range, '-' not read.
std::string States(const Reading& r) {
  std::string out;
  const auto add = [&out](bool computed, const ReadingLabel& outOfRange) {
    out += computed ? 'r' : outOfRange.key == "outOfRange" ? 'o' : '-';
  };
  add(r.ventilatory.computed, r.ventilatory.outOfRange);
  add(r.ventilatoryBaldwin.computed, r.ventilatoryBaldwin.outOfRange);
  add(r.ersAts2022.computed, r.ersAts2022.outOfRange);
  add(r.copd.computed, r.copd.outOfRange);
  add(r.lungAge.computed, r.lungAge.outOfRange);
  add(r.disability.computed, r.disability.outOfRange);
  return out;
}

struct AgeCase {
  PatientInputs inputs;
  std::string states;
};

// JRS2001 items from 18 to 95 years (at 17.5 the panel has JRS2001, the items
// do not), Baldwin's from 18, ERS/ATS within JRS2014's ages. Only the age
// makes an item out of range: one short of other inputs is not read.
TEST(OutOfRange, ItemsKeepToTheAgesOfTheirEquation) {
  const AgeCase cases[] = {
      {{kSexMale, 17.5, 170, 4, 4, 3.5}, "oorooo"}, {{kSexMale, 18, 170, 4, 4, 3.5}, "rrrrrr"},
      {{kSexMale, 10, 140, 2, 2, 1.7}, "oooooo"},   {{kSexMale, 10, 140, 0, 0, 0}, "oooooo"},
      {{kSexMale, 96, 170, 3, 3, 2}, "oroooo"},     {{kSexMale, 95.5, 170, 3, 3, 2}, "rrrrrr"},
      {{kSexFemale, 94, 160, 3, 3, 2}, "rrorrr"},   {{kSexFemale, 93, 160, 3, 3, 2}, "rrrrrr"},
      {{kSexMale, 40, 105, 2, 2, 1.7}, "-r----"},  // no JRS2014 or JRS2001 at 105 cm
  };
  for (const AgeCase& c : cases) {
    EXPECT_EQ(States(Read(c.inputs)), c.states) << int(c.inputs.sexCode) << " " << c.inputs.age;
  }
  PanelResult result;
  ComputePanelResult({kSexMale, 17.5, 170, 4, 4, 3.5}, result);
  EXPECT_NE(result.predictions.vcJrs2001, 0);
}

struct ReasonCase {
  ReadingLabel label;
  std::u8string_view ja;
  std::string_view en;
};

// The reason, one for each equation's ages (the texts are static).
TEST(OutOfRange, ReasonLabels) {
  const Reading boy = Read({kSexMale, 10, 140, 0, 0, 0});
  const Reading girl = Read({kSexFemale, 16.99, 160, 0, 0, 0});
  const ReasonCase cases[] = {
      {boy.copd.outOfRange, u8"対象外（JRS2001は18～95歳）", "not applicable (JRS2001: 18 to 95 years)"},
      {boy.ventilatoryBaldwin.outOfRange, u8"対象外（Baldwinは18歳以上）",
       "not applicable (Baldwin: 18 years and over)"},
      {boy.ersAts2022.outOfRange, u8"対象外（JRS2014は17～95歳）",
       "not applicable (JRS2014: 17 to 95 years)"},
      {girl.ersAts2022.outOfRange, u8"対象外（JRS2014は17～93歳）",
       "not applicable (JRS2014: 17 to 93 years)"},
  };
  for (const ReasonCase& c : cases) {
    EXPECT_EQ(c.label.key, "outOfRange");
    EXPECT_EQ(c.label.ja, Utf8(c.ja));
    EXPECT_EQ(c.label.en, c.en);
  }
}

TEST(ReadResult, NothingWithoutAComputedResult) {
  const Reading r = Read({kSexMale, 0, 170, 3, 4, 3});
  EXPECT_FALSE(r.ventilatory.computed || r.ventilatoryBaldwin.computed || r.ersAts2022.computed ||
               r.copd.computed || r.lungAge.computed || r.disability.computed);
  EXPECT_EQ(States(r), "------");  // nor out of range
}

}  // namespace
}  // namespace kestrova

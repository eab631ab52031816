#include "kestrova/reading.h"

#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

#include "equations/linear_equations.h"
#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace kestrova {
namespace {

// FEV1/FVC below this (as shown, 3 decimals) is airflow limitation.
constexpr double kObstructiveRatio = 0.7;

const PanelRow& Row(const PanelResult& r, ResultId id) { return r.panel.rows[static_cast<std::size_t>(id)]; }

const StandingView& Standing(const PanelResult& r, Jrs2014Quantity q) {
  return r.jrs2014[static_cast<std::size_t>(q)];
}

// The equations whose ages the items keep to.
enum class ItemBasis : std::uint8_t { kJrs2001, kBaldwin, kJrs2014Male, kJrs2014Female, kGliGlobal };

struct ItemAges {
  std::string_view equation;
  AgeLimits ages;
};

// In ItemBasis order; ERS/ATS 2022 rests on FEV1/FVC, FVC and FEV1, whose
// ages are those of JRS2014's FEV1/FVC for each sex.
constexpr ItemAges kItemAges[] = {
    {"JRS2001", kJrs2001ReadingAges},
    {"Baldwin", kBaldwinReadingAges},
    {"JRS2014", Jrs2014Limits(kSexMale, Jrs2014Quantity::kRatio).age},
    {"JRS2014", Jrs2014Limits(kSexFemale, Jrs2014Quantity::kRatio).age},
    // For the label only ("3～95歳"): GLI's own limits (GliSetResults::
    // ageOutOfRange) decide, 95 included and 95.5 not.
    {kGliGlobalEquation, {kGliMinAge, true, kGliMaxAge + 1}},
};

// "対象外（JRS2001は18～95歳）" and "not applicable (JRS2001: 18 to 95 years)",
// made once for each basis; the labels view them.
struct OutOfRangeTexts {
  std::string ja;
  std::string en;
};

ReadingLabel OutOfRangeLabel(ItemBasis basis) {
  static const auto kTexts = [] {
    std::array<OutOfRangeTexts, std::size(kItemAges)> all;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const ItemAges& item = kItemAges[i];
      all[i].ja = std::string(texts::kOutOfRangeOpenUtf8)
                      .append(item.equation)
                      .append(texts::kOutOfRangeTopicUtf8)
                      .append(AgeRangeJa(item.ages))
                      .append(texts::kRangeCloseUtf8);
      all[i].en = std::string("not applicable (").append(item.equation).append(": ");
      all[i].en.append(AgeRangeEn(item.ages)).append(")");
    }
    return all;
  }();
  const OutOfRangeTexts& t = kTexts[static_cast<std::size_t>(basis)];
  return {"outOfRange", t.ja, t.en};
}

// The label when the result is computed and its age lies outside the basis's,
// else an empty one (the item is then read, or not read for want of another
// input).
ReadingLabel OutOfRangeOf(const PanelResult& r, ItemBasis basis) {
  if (!r.computed || kItemAges[static_cast<std::size_t>(basis)].ages.Hold(r.inputs.age)) return {};
  return OutOfRangeLabel(basis);
}

ItemBasis Jrs2014Basis(const PanelResult& r) {
  return r.inputs.sexCode == kSexMale ? ItemBasis::kJrs2014Male : ItemBasis::kJrs2014Female;
}

// The measured FEV1/FVC as shown, when FVC and FEV1 are both measured.
bool HasMeasuredRatio(const PanelResult& r) {
  return r.panel.measuredRatio.shown && r.inputs.fvc > 0 && r.inputs.fev1 > 0;
}

bool Obstructive(const PanelResult& r) { return r.panel.measuredRatio.value < kObstructiveRatio; }

// Half up on a non-negative value with one decimal (50.5 → 51).
int WholeYearsHalfUp(double value) { return static_cast<int>(std::floor(value + 0.5)); }

ReadingLabel VentilatoryLabel(VentilatoryClass type) {
  switch (type) {
    case VentilatoryClass::kRestrictive:
      return {"restrictive", texts::kPatternRestrictiveUtf8, "restrictive"};
    case VentilatoryClass::kObstructive:
      return {"obstructive", texts::kPatternObstructiveUtf8, "obstructive"};
    case VentilatoryClass::kMixed:
      return {"mixed", texts::kPatternMixedUtf8, "mixed"};
    case VentilatoryClass::kNormal:
      break;
  }
  return {"normal", texts::kPatternNormalUtf8, "normal"};
}

// Each reader below fills its item in place, resetting first every member
// it may set, so a reading reused patient after patient keeps its strings'
// storage and nothing of the previous patient.

void ReadVentilatory(const PanelResult& r, ResultId vcRow, VentilatoryReading& out) {
  out.computed = false;
  out.equation = FieldOf(vcRow).label;
  out.percentVc = {};
  out.measuredRatio = {};
  out.percentVcNumber = ShownNumber{.decimals = 1};
  out.type = VentilatoryClass::kNormal;
  out.label = {};
  out.outOfRange = OutOfRangeOf(r, vcRow == ResultId::kVcBaldwin ? ItemBasis::kBaldwin : ItemBasis::kJrs2001);
  const PercentCell& cell = Row(r, vcRow).cell;
  if (!out.outOfRange.key.empty() || cell.percent.empty() || !(r.inputs.vc > 0) || !HasMeasuredRatio(r))
    return;
  out.computed = true;
  out.percentVc = cell.percent;
  out.percentVcNumber = cell.number;
  out.measuredRatio = r.panel.measuredRatio.text;
  const bool restrictive = cell.value < 80;
  const bool obstructive = Obstructive(r);
  // The class is the two findings as bits (mixed = both), without a branch on
  // the patient's values.
  out.type =
      static_cast<VentilatoryClass>(static_cast<int>(restrictive) | (static_cast<int>(obstructive) << 1));
  out.label = VentilatoryLabel(out.type);
}

ReadingLabel LlnLabel(LlnPattern pattern) {
  switch (pattern) {
    case LlnPattern::kObstruction:
      return {"obstruction", texts::kLlnObstructionUtf8, "obstruction"};
    case LlnPattern::kPossibleRestriction:
      return {"possibleRestriction", texts::kLlnPossibleRestrictionUtf8,
              "low FVC, possible restriction (TLC needed)"};
    case LlnPattern::kPrism:
      return {"prism", texts::kLlnPrismUtf8, "PRISm (preserved ratio, impaired FEV1)"};
    case LlnPattern::kPossibleMixed:
      return {"possibleMixed", texts::kLlnPossibleMixedUtf8,
              "obstruction with low FVC (TLC needed to tell a mixed defect)"};
    case LlnPattern::kNormal:
      break;
  }
  return {"normal", texts::kLlnNormalUtf8, "normal"};
}

// The grade of the FEV1 z as printed: its 2-decimal value against -2.50 and -4.00.
Severity SeverityOf(double printedZ) {
  if (printedZ >= -2.5) return Severity::kMild;
  if (printedZ >= -4) return Severity::kModerate;
  return Severity::kSevere;
}

ReadingLabel SeverityLabel(Severity severity) {
  switch (severity) {
    case Severity::kMild:
      return {"mild", texts::kSeverityMildUtf8, "mild"};
    case Severity::kModerate:
      return {"moderate", texts::kSeverityModerateUtf8, "moderate"};
    case Severity::kSevere:
      return {"severe", texts::kSeveritySevereUtf8, "severe"};
    case Severity::kNone:
      break;
  }
  return {};
}

// Below the lower limit of normal by the z-score itself, unrounded: the LLN
// is the value at z = -1.645. (The red cell compares with the LLN rounded to
// 2 decimals, which can move the limit across the measured value.)
bool BelowLln(double z) { return z < -kLlnZ; }

// What the ERS/ATS 2022 rule reads: the three z-scores, and FEV1's as printed.
struct LlnScores {
  double fev1Fvc;
  double fvc;
  double fev1;
  std::string_view fev1ZText;
  const ShownNumber& fev1ZShown;
};

// Every member that depends on the patient, as not read.
void ResetLln(LlnReading& out) {
  out.computed = false;
  out.fev1FvcBelowLln = out.fvcBelowLln = out.fev1BelowLln = false;
  out.pattern = LlnPattern::kNormal;
  out.label = {};
  out.fev1Z = {};
  out.fev1ZNumber = ShownNumber{.decimals = 2};
  out.severity = Severity::kNone;
  out.severityLabel = {};
  out.note = {};
  out.outOfRange = {};
}

// The one rule of the reading by z-scores, whichever equations gave them.
void ClassifyLln(const LlnScores& z, LlnReading& out) {
  out.computed = true;
  out.fev1FvcBelowLln = BelowLln(z.fev1Fvc);
  out.fvcBelowLln = BelowLln(z.fvc);
  out.fev1BelowLln = BelowLln(z.fev1);
  out.fev1Z = z.fev1ZText;
  out.fev1ZNumber = z.fev1ZShown;
  if (out.fev1FvcBelowLln) {
    out.pattern = out.fvcBelowLln ? LlnPattern::kPossibleMixed : LlnPattern::kObstruction;
  } else if (out.fev1BelowLln) {
    // PRISm is decided on FEV1 alone; a low FVC beside it may be restriction.
    out.pattern = LlnPattern::kPrism;
    if (out.fvcBelowLln) {
      out.note = {"measureTlc", texts::kLlnPrismLowFvcNoteUtf8, "possible restriction: measure TLC"};
    }
  } else if (out.fvcBelowLln) {
    out.pattern = LlnPattern::kPossibleRestriction;
  }
  out.label = LlnLabel(out.pattern);
  if (out.pattern == LlnPattern::kNormal) return;
  if (out.fev1BelowLln) {
    out.severity = SeverityOf(out.fev1ZNumber.value);
    out.severityLabel = SeverityLabel(out.severity);
  } else {
    out.severityLabel = {"fev1NotBelowLln", texts::kSeverityFev1NotBelowLlnUtf8,
                         "FEV1 not below its LLN (no severity grade)"};
  }
}

void ReadLln(const PanelResult& r, LlnReading& out) {
  ResetLln(out);
  out.outOfRange = OutOfRangeOf(r, Jrs2014Basis(r));
  // A z needs the quantity's JRS2014 parameters and its measured value; the
  // ratio's is the measured FEV1/FVC as shown.
  const StandingView& ratio = Standing(r, Jrs2014Quantity::kRatio);
  const StandingView& fvc = Standing(r, Jrs2014Quantity::kFvc);
  const StandingView& fev1 = Standing(r, Jrs2014Quantity::kFev1);
  if (!out.outOfRange.key.empty() || !HasMeasuredRatio(r) || !ratio.hasZ || !fvc.hasZ || !fev1.hasZ) return;
  ClassifyLln({ratio.z, fvc.z, fev1.z, fev1.zText, fev1.zShown}, out);
}

ReadingLabel CopdLabel(CopdStage stage) {
  switch (stage) {
    case CopdStage::kI:
      return {"I", texts::kCopdStage1Utf8, "stage I (mild airflow limitation)"};
    case CopdStage::kII:
      return {"II", texts::kCopdStage2Utf8, "stage II (moderate airflow limitation)"};
    case CopdStage::kIII:
      return {"III", texts::kCopdStage3Utf8, "stage III (severe airflow limitation)"};
    case CopdStage::kIV:
      return {"IV", texts::kCopdStage4Utf8, "stage IV (very severe airflow limitation)"};
    case CopdStage::kNotStaged:
      break;
  }
  return {"", texts::kCopdNotStagedUtf8, "FEV1/FVC not below 70%: not staged"};
}

CopdStage StageOf(double percentFev1) {
  if (percentFev1 >= 80) return CopdStage::kI;
  if (percentFev1 >= 50) return CopdStage::kII;
  if (percentFev1 >= 30) return CopdStage::kIII;
  return CopdStage::kIV;
}

void ReadCopd(const PanelResult& r, CopdReading& out) {
  out.computed = false;
  out.percentFev1 = {};
  out.measuredRatio = {};
  out.percentFev1Number = ShownNumber{.decimals = 1};
  out.stage = CopdStage::kNotStaged;
  out.label = {};
  out.note = {};
  out.outOfRange = OutOfRangeOf(r, ItemBasis::kJrs2001);
  const PercentCell& cell = Row(r, ResultId::kFev1Jrs2001).cell;
  if (!out.outOfRange.key.empty() || cell.percent.empty() || !HasMeasuredRatio(r)) return;
  out.computed = true;
  out.percentFev1 = cell.percent;
  out.percentFev1Number = cell.number;
  out.measuredRatio = r.panel.measuredRatio.text;
  if (Obstructive(r)) out.stage = StageOf(cell.value);
  out.label = CopdLabel(out.stage);
  out.note = {"postBronchodilator", texts::kCopdNoteUtf8, "staging requires post-bronchodilator values"};
}

// The lung age is the age at which JRS2001 predicts the measured FEV1: its
// equation FEV1 = ((height × a) − (age × b)) − c solved for the age,
// (a × height − c − FEV1) / b (male (0.036 × height − 1.178 − FEV1) / 0.028),
// each product and sum rounded to double in the order written.
constexpr double LungAgeFormula(std::uint8_t sexCode, double height, double fev1) {
  const VolumeCoefficients& e = sexCode == kSexMale ? kJrs2001Fev1Male : kJrs2001Fev1Female;
  return (e.a * height - e.c - fev1) / e.b;
}

void SetYears(int years, LungAgeReading& out) {
  out.years = years;
  char digits[16];
  const std::string_view text(digits, std::to_chars(digits, digits + sizeof digits, years).ptr - digits);
  out.en.assign(text);
  out.ja.assign(text).append(texts::kYearsSuffixUtf8);
}

void ReadLungAge(const PanelResult& r, LungAgeReading& out) {
  out.computed = false;
  out.value.clear();
  out.valueNumber = ShownNumber{.decimals = 1};
  out.band = LungAgeBand::kYears;
  out.years = 0;
  out.corrected = false;
  out.ja.clear();
  out.en.clear();
  out.correction = {};
  out.outOfRange = OutOfRangeOf(r, ItemBasis::kJrs2001);
  if (!out.outOfRange.key.empty() || !Row(r, ResultId::kFev1Jrs2001).computed || !(r.inputs.fev1 > 0)) return;
  out.computed = true;
  const double shown = RoundThroughText(LungAgeFormula(r.inputs.sexCode, r.inputs.height, r.inputs.fev1), 1,
                                        out.value, {}, out.valueNumber);
  const PercentCell& fev1Cell = Row(r, ResultId::kFev1Jrs2001).cell;
  if (HasMeasuredRatio(r) && Obstructive(r) && !fev1Cell.percent.empty() && fev1Cell.value >= 100) {
    out.corrected = true;
    out.correction = {"ownAge", texts::kLungAgeCorrectedUtf8,
                      "FEV1/FVC below 70% with %FEV1 at least 100%: corrected to the patient's own age"};
    SetYears(WholeYearsHalfUp(r.inputs.age), out);
  } else if (shown < 18) {
    out.band = LungAgeBand::kUnder18;
    out.ja = texts::kLungAgeUnder18Utf8;
    out.en = "<18";
  } else if (shown > 95) {
    out.band = LungAgeBand::kOver95;
    out.ja = texts::kLungAgeOver95Utf8;
    out.en = ">95";
  } else {
    SetYears(WholeYearsHalfUp(shown), out);
  }
}

ReadingLabel GradeLabel(DisabilityGrade grade) {
  switch (grade) {
    case DisabilityGrade::kGrade1:
      return {"grade1", texts::kGrade1Utf8, "grade 1 equivalent"};
    case DisabilityGrade::kGrade3:
      return {"grade3", texts::kGrade3Utf8, "grade 3 equivalent"};
    case DisabilityGrade::kGrade4:
      return {"grade4", texts::kGrade4Utf8, "grade 4 equivalent"};
    case DisabilityGrade::kNone:
      break;
  }
  return {"none", texts::kGradeNoneUtf8, "not applicable"};
}

DisabilityGrade GradeOf(double index) {
  if (index <= 20) return DisabilityGrade::kGrade1;
  if (index <= 30) return DisabilityGrade::kGrade3;
  if (index <= 40) return DisabilityGrade::kGrade4;
  return DisabilityGrade::kNone;
}

void ReadDisability(const PanelResult& r, DisabilityReading& out) {
  out.computed = false;
  out.index.clear();
  out.indexNumber = ShownNumber{.decimals = 1};
  out.grade = DisabilityGrade::kNone;
  out.label = {};
  out.note = {};
  out.outOfRange = OutOfRangeOf(r, ItemBasis::kJrs2001);
  if (!out.outOfRange.key.empty() || !Row(r, ResultId::kVcJrs2001).computed || !(r.inputs.fev1 > 0) ||
      !(r.predictions.vcJrs2001 > 0))
    return;
  out.computed = true;
  out.grade = GradeOf(
      RoundThroughText(r.inputs.fev1 * 100 / r.predictions.vcJrs2001, 1, out.index, {}, out.indexNumber));
  out.label = GradeLabel(out.grade);
  out.note = {"certification", texts::kDisabilityNoteUtf8,
              "certification also weighs arterial blood gases and the physician's findings"};
}

// "17～93歳", "17 to 93 years": the whole years inside, in the words of the language.
std::string AgeRange(const AgeLimits& ages, std::string_view to, std::string_view years,
                     std::string_view andOver) {
  std::string out = std::to_string(ages.FirstYear());
  if (!ages.HasUpperLimit()) return out.append(andOver);
  return out.append(to).append(std::to_string(ages.LastYear())).append(years);
}

// "身長120～190cm", "身長110cm以上".
std::string HeightRangeJa(const HeightLimits& heights) {
  std::string out(texts::kReportNotInRangeHeightUtf8);
  out += FormatNumber(heights.from);
  if (!heights.HasUpperLimit()) return out.append(texts::kReportCmAndOverUtf8);
  return out.append(texts::kRangeToUtf8).append(FormatNumber(heights.to)).append("cm");
}

// The limits behind a prediction row, or none (LLN, Baldwin and Berglund rows).
const EquationLimits* LimitsOfRow(std::uint8_t sexCode, ResultId id) {
  switch (id) {
    case ResultId::kVcJrs2014:
      return &Jrs2014Limits(sexCode, Jrs2014Quantity::kVc);
    case ResultId::kFvcJrs2014:
      return &Jrs2014Limits(sexCode, Jrs2014Quantity::kFvc);
    case ResultId::kFev1Jrs2014:
      return &Jrs2014Limits(sexCode, Jrs2014Quantity::kFev1);
    case ResultId::kFev1RatioJrs2014:
      return &Jrs2014Limits(sexCode, Jrs2014Quantity::kRatio);
    case ResultId::kVcJrs2001:
    case ResultId::kFvcJrs2001:
    case ResultId::kFev1Jrs2001:
    case ResultId::kFev1RatioJrs2001T:
    case ResultId::kFev1RatioJrs2001G:
      return &kJrs2001Limits;
    default:
      return nullptr;
  }
}

}  // namespace

std::string AgeRangeJa(const AgeLimits& ages) {
  return AgeRange(ages, texts::kRangeToUtf8, texts::kYearsSuffixUtf8, texts::kYearsAndOverUtf8);
}

std::string AgeRangeEn(const AgeLimits& ages) { return AgeRange(ages, " to ", " years", " years and over"); }

std::string OutOfRangeNote(const PanelResult& result, ResultId id) {
  const EquationLimits* limits = LimitsOfRow(result.inputs.sexCode, id);
  if (!result.computed || limits == nullptr || Row(result, id).computed) return {};
  const bool age = !limits->age.Hold(result.inputs.age);
  const bool height = !limits->height.Hold(result.inputs.height);
  if (!age && !height) return {};
  std::string out(texts::kReportNotInRangeOpenUtf8);
  if (age) out += AgeRangeJa(limits->age);
  if (age && height) out += texts::kReportRangeSeparatorUtf8;
  if (height) out += HeightRangeJa(limits->height);
  return out.append(texts::kRangeCloseUtf8);
}

// A result that is not computed has no cells, lines or measured ratio, so
// every item below stays not computed.
void ReadResult(const PanelResult& result, Reading& out) {
  ReadVentilatory(result, ResultId::kVcJrs2001, out.ventilatory);
  ReadVentilatory(result, ResultId::kVcBaldwin, out.ventilatoryBaldwin);
  ReadLln(result, out.ersAts2022);
  ReadCopd(result, out.copd);
  ReadLungAge(result, out.lungAge);
  ReadDisability(result, out.disability);
}

void ReadErsAtsGli(const GliResults& gli, LlnReading& out) {
  ResetLln(out);
  out.equation = kGliGlobalEquation;
  const GliSetResults& set = gli.global;
  if (set.ageOutOfRange) out.outOfRange = OutOfRangeLabel(ItemBasis::kGliGlobal);
  const auto& [fev1, fvc, ratio] = set.quantities;
  if (!set.computed || !fev1.measured || !fvc.measured || !ratio.measured) return;
  ClassifyLln({ratio.score.z, fvc.score.z, fev1.score.z, fev1.zText, fev1.zShown}, out);
}

LlnReading ReadErsAtsGli(const GliResults& gli) {
  LlnReading out;
  ReadErsAtsGli(gli, out);
  return out;
}

Reading ReadResult(const PanelResult& result) {
  Reading out;
  ReadResult(result, out);
  return out;
}

}  // namespace kestrova

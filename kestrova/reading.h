// The clinical reading of a result: the ventilatory pattern (twice, with %VC by
// JRS2001 and by Baldwin), the reading by lower limits of normal and z-scores
// on JRS2014 (ERS/ATS 2022; also on GLI Global, below), the COPD stage, the
// lung age and the respiratory disability index.
//
// Every reading but one threshold is decided on the numbers as the program
// shows them, each text read back with ParseNumber, never on raw doubles:
// 2.03 / 2.90 is 0.69999… in doubles but shows as "0.700", which is not below
// 0.700.
//   %VC             the percentage in the row's cell, 1 decimal ("79.9");
//   FEV1/FVC        the measured ratio as shown, 3 decimals ("0.699");
//   FEV1 z          as printed, 2 decimals ("-2.51");
//   %FEV1           the JRS2001 FEV1 cell's percentage, 1 decimal.
// The exception is "below the LLN" of ERS/ATS 2022, which is the z-score's
// own test: the unrounded z < -1.645 (StandingView::z; for FEV1/FVC the z of
// the measured ratio as shown). The window's red cell compares the measured
// value with the LLN rounded to 2 (FEV1/FVC 3) decimals, and the two differ
// where that rounding moves the limit across the value: female, 43 years,
// 156.4 cm, FEV1 2.05 has z -1.66 (below) while its cell, 2.05 against the
// LLN shown as 2.05, is not red; at 150.6 cm FEV1 1.919 is red (LLN 1.92) with
// z -1.64 (not below).
//
// Rules (thresholds inclusive as written):
//   ventilatory     restrictive %VC < 80.0, obstructive FEV1/FVC < 0.700,
//                   mixed both, normal neither. Needs VC, FVC and FEV1.
//   ERS/ATS 2022    obstruction = FEV1/FVC below its LLN; with it and FVC below
//                   → possible mixed defect. Without it, FEV1 below → PRISm
//                   whatever FVC is (FVC below as well adds a note: possible
//                   restriction, measure TLC); else FVC below → possible
//                   restriction. Severity by the FEV1 z as printed:
//                   mild down to -2.50, moderate -2.51 to -4.00, severe -4.01
//                   and below; none when FEV1 is not below its LLN. Needs FVC,
//                   FEV1 and the JRS2014 predictions.
//   COPD stage      only when FEV1/FVC < 0.700: I %FEV1 ≥ 80.0, II ≥ 50.0,
//                   III ≥ 30.0, IV below. Needs FVC, FEV1 and JRS2001.
//   lung age        JRS2001's FEV1 equation solved for the age: male
//                   (0.036 × height − 1.178 − FEV1) / 0.028, female
//                   (0.022 × height − 0.005 − FEV1) / 0.022, to 1 decimal:
//                   below 18.0 "<18", above 95.0 ">95", else whole years half
//                   up (50.5 → 51). When FEV1/FVC < 0.700 and %FEV1 ≥ 100.0, the
//                   patient's own age (whole years, half up), marked corrected.
//                   Needs FEV1 and the JRS2001 FEV1 prediction.
//   disability      FEV1 × 100 / the JRS2001 VC prediction, 1 decimal: ≤ 20.0
//                   grade 1, ≤ 30.0 grade 3, ≤ 40.0 grade 4, else none.
//
// No item is read outside the ages of the equation it rests on
// (equations/equation_limits.h): the items on JRS2001 (the ventilatory
// pattern, COPD stage, lung age, disability index) from 18 to 95 years, the
// one on Baldwin from 18, ERS/ATS 2022 within JRS2014's ages (male 17 to 95,
// female 17 to 93). Such an item is not computed and its `outOfRange` says
// why: {"outOfRange", "対象外（JRS2001は18～95歳）", "not applicable (JRS2001:
// 18 to 95 years)"}. Only the age decides this; an item that lacks another
// input is not computed with `outOfRange` empty.
//
// Example: male, 60 years, 170 cm, VC 3.0, FVC 2.9, FEV1 1.6 → ventilatory
// "mixed" by JRS2001 (%VC 74.8, FEV1/FVC 0.552) and "obstructive" by Baldwin
// (%VC 84.5, for reference); ERS/ATS "possibleMixed", moderate (FEV1 z -3.96); COPD stage III
// (%FEV1 49.1); lung age ">95" (119.4); disability index 39.9, grade 4.
//
// Labels: `key` is ASCII (JSON and CSV values), `ja` UTF-8, `en` English.
#ifndef KESTROVA_KESTROVA_READING_H_
#define KESTROVA_KESTROVA_READING_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "equations/equation_limits.h"
#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"

namespace kestrova {

struct ReadingLabel {
  std::string_view key;  // "normal", "mild", "I", "grade1", …; empty when none
  std::string_view ja;   // UTF-8
  std::string_view en;
};

// Restrictive and obstructive are the low and high bits; mixed is both.
enum class VentilatoryClass : std::uint8_t { kNormal = 0, kRestrictive = 1, kObstructive = 2, kMixed = 3 };

struct VentilatoryReading {
  bool computed = false;
  ReadingLabel outOfRange;         // the age is outside the equation's: why; else empty
  std::string_view equation;       // "JRS2001" or "Baldwin": the %VC row used
  std::string_view percentVc;      // "79.9" (views the result's cell)
  std::string_view measuredRatio;  // "0.699" (views the result's measured ratio)
  ShownNumber percentVcNumber;     // percentVc as data; not shown when not computed
  VentilatoryClass type = VentilatoryClass::kNormal;
  ReadingLabel label;
};

enum class LlnPattern : std::uint8_t { kNormal, kObstruction, kPossibleRestriction, kPrism, kPossibleMixed };
enum class Severity : std::uint8_t { kNone, kMild, kModerate, kSevere };

struct LlnReading {
  bool computed = false;
  ReadingLabel outOfRange;  // the age is outside the equation's: why; else empty
  std::string_view equation = "JRS2014";
  bool fev1FvcBelowLln = false;
  bool fvcBelowLln = false;
  bool fev1BelowLln = false;
  LlnPattern pattern = LlnPattern::kNormal;
  ReadingLabel label;
  std::string_view fev1Z;   // "-2.51" (views the result's FEV1 z text)
  ShownNumber fev1ZNumber;  // fev1Z as data; not shown when not computed
  // kNone when nothing is below its LLN, or (with the note as label) when
  // FEV1 is not below its own.
  Severity severity = Severity::kNone;
  ReadingLabel severityLabel;
  ReadingLabel note;  // PRISm with FVC below its LLN too; empty otherwise
};

enum class CopdStage : std::uint8_t { kNotStaged, kI, kII, kIII, kIV };

struct CopdReading {
  bool computed = false;
  ReadingLabel outOfRange;  // the age is outside the equation's: why; else empty
  std::string_view equation = "JRS2001";
  std::string_view percentFev1;  // "79.9" (views the result's FEV1 cell)
  std::string_view measuredRatio;
  ShownNumber percentFev1Number;            // percentFev1 as data; not shown when not computed
  CopdStage stage = CopdStage::kNotStaged;  // kNotStaged: FEV1/FVC ≥ 0.700
  ReadingLabel label;
  ReadingLabel note;  // staging requires post-bronchodilator values
};

enum class LungAgeBand : std::uint8_t { kUnder18, kYears, kOver95 };

struct LungAgeReading {
  bool computed = false;
  ReadingLabel outOfRange;  // the age is outside the equation's: why; else empty
  std::string_view equation = "JRS";
  std::string value;        // the formula's value, 1 decimal ("62.4")
  ShownNumber valueNumber;  // value as data; not shown when not computed
  LungAgeBand band = LungAgeBand::kYears;
  int years = 0;  // whole years shown (kYears, or the corrected age)
  bool corrected = false;
  std::string ja;           // "62歳", "18歳未満", "95歳以上" (UTF-8)
  std::string en;           // "62", "<18", ">95"
  ReadingLabel correction;  // why the age was corrected; empty when not
};

enum class DisabilityGrade : std::uint8_t { kGrade1, kGrade3, kGrade4, kNone };

struct DisabilityReading {
  bool computed = false;
  ReadingLabel outOfRange;  // the age is outside the equation's: why; else empty
  std::string_view equation = "JRS2001";
  std::string index;        // "20.0"
  ShownNumber indexNumber;  // index as data; not shown when not computed
  DisabilityGrade grade = DisabilityGrade::kNone;
  ReadingLabel label;
  ReadingLabel note;  // certification also weighs blood gases and findings
};

struct Reading {
  VentilatoryReading ventilatory;         // %VC by JRS2001
  VentilatoryReading ventilatoryBaldwin;  // %VC by Baldwin
  LlnReading ersAts2022;
  CopdReading copd;
  LungAgeReading lungAge;
  DisabilityReading disability;
};

// An age range as the reading's labels and the reports' notes write it:
// "17～93歳" or "18歳以上" (UTF-8); "17 to 93 years" or "18 years and over".
std::string AgeRangeJa(const AgeLimits& ages);
std::string AgeRangeEn(const AgeLimits& ages);

// Why the JRS2014 or JRS2001 prediction in row `id` is a placeholder, as the
// reports print it beside the row (UTF-8): "適用範囲外（17～93歳）",
// "適用範囲外（身長110cm以上）", "適用範囲外（身長120～190cm）", the age and
// the height joined by "、" when both are outside. Empty when the row holds a
// number, is an LLN row (its prediction's note covers it), rests on Baldwin or
// Berglund, or the result is not computed.
std::string OutOfRangeNote(const PanelResult& result, ResultId id);

// The reading of a computed result; every item not computed when the result
// is not. The texts it shows as they stand in the result (%VC, %FEV1, the
// measured FEV1/FVC, the FEV1 z) view the result's own: the result must
// outlive the reading and not be computed again while it is read, so a
// temporary result does not compile.
Reading ReadResult(const PanelResult& result);
Reading ReadResult(const PanelResult&& result) = delete;
// The same into `out`: every member that depends on the result is written
// (the fixed equation names are never changed), so `out` ends equal to
// ReadResult(result) whatever it held. Reusing one Reading for many results
// keeps its strings' storage.
void ReadResult(const PanelResult& result, Reading& out);
void ReadResult(const PanelResult&& result, Reading& out) = delete;

// ERS/ATS 2022 read by the same rule on GLI Global's z-scores instead of
// JRS2014's: FEV1, FVC and the measured FEV1/FVC unrounded (fev1 / fvc), the
// severity by FEV1's z as printed. GLI reaches down to 3 years, so children
// get this reading where JRS2014's is out of range. Its equation is "GLI
// Global"; out of range (GLI Global: 3 to 95 years) by the age alone; not
// read when GLI Global was not asked for or FVC or FEV1 is not measured.
// fev1Z views `gli`'s text, which must outlive the reading.
inline constexpr std::string_view kGliGlobalEquation = "GLI Global";
LlnReading ReadErsAtsGli(const GliResults& gli);
LlnReading ReadErsAtsGli(const GliResults&& gli) = delete;
void ReadErsAtsGli(const GliResults& gli, LlnReading& out);
void ReadErsAtsGli(const GliResults&& gli, LlnReading& out) = delete;

}  // namespace kestrova

#endif  // KESTROVA_KESTROVA_READING_H_

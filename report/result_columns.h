// The result columns of the CSV output (one patient or a batch), in
// order:
//   for each of the fifteen results (vcJrs2014 … fev1RatioJrs2001G):
//     <name>       the number text as the window shows it ("4.48"), empty when
//                  not computed;
//     <name>Pct    the measured value as a percentage of it, FormatFixed with
//                  1 decimal ("71.4"), empty when the cell is blank; and
//     <name>Red    1 when the window shows that percentage in red, else 0
//                  (the two are left out for the four LLN rows, which have no
//                  percentage);
//   measuredRatio, measuredRatioRed   the measured FEV1/FVC ("0.667") and its flag;
//   for vc, fvc, fev1, fev1Ratio (JRS2014):
//     <q>Uln        upper limit of normal (z = +1.645), 2 or 3 decimals;
//     <q>Z          z-score of the measured value, 2 decimals;
//     <q>Percentile its percentile, 1 decimal;
//   the clinical reading (kestrova/reading.h) as ASCII keys, empty when not read:
//     ventilatoryClass, ventilatoryPercentVc, ventilatoryBaldwinClass,
//     ventilatoryBaldwinPercentVc   normal/restrictive/obstructive/mixed, %VC;
//     ersAtsPattern   normal/obstruction/possibleRestriction/prism/possibleMixed;
//     ersAtsSeverity  mild/moderate/severe, fev1NotBelowLln, or empty (normal);
//     ersAtsFev1FvcBelowLln, ersAtsFvcBelowLln, ersAtsFev1BelowLln  1 or 0
//                     (the unrounded z below -1.645, not the red cell);
//     ersAtsFev1Z, copdStage (I to IV, or notStaged), copdPercentFev1;
//     lungAge (1 decimal), lungAgeYears ("62", "<18", ">95"), lungAgeCorrected;
//     disabilityIndex, disabilityGrade (grade1/grade3/grade4/none);
//     an item outside the ages of its equation (kestrova/reading.h) holds
//     "outOfRange" in its key column (ventilatoryClass, ventilatoryBaldwinClass,
//     ersAtsPattern, copdStage, lungAgeYears, disabilityGrade), the rest empty;
//   warnings   the volumes' relation warnings (input/limits.h), their keys
//              joined by ";" in the window's order: vcBelowFvc or vcBelowFev1,
//              then fev1AboveFvc ("vcBelowFev1;fev1AboveFvc"); empty when none.
// With GLI results asked for (kestrova-cli --batch --gli; kestrova/gli_results.h)
// their columns follow `warnings`, so that every column above keeps its place:
//   for each set asked for, GLI Global first, then GLI-2012 (in the group
//   asked for), and for each of FEV1, FVC and FEV1/FVC (<Q> Fev1, Fvc, Fev1Fvc):
//     gli<Set><Q>Pred, gli<Set><Q>Lln, gli<Set><Q>Uln   predicted value, lower
//                     and upper limits of normal, 3 decimals (FEV1/FVC a fraction);
//     gli<Set><Q>Z    z-score of the measured value, 2 decimals (the text the
//                     GLI reading grades);
//     gli<Set><Q>Pctl, gli<Set><Q>Pct   its percentile and % predicted, 1 decimal;
//   (<Set> Global or 2012: gliGlobalFev1Pred … gli2012Fev1FvcPct), each
//   rounded half up through its text as every number here; a set's columns
//   empty when it is not computed (an age outside 3 to 95), Z, Pctl and Pct
//   when the value is not measured (FEV1/FVC: FVC or FEV1), a limit that
//   GLI leaves undefined (NaN) empty too;
//   with GLI Global, right after its columns, ERS/ATS 2022 read on its
//   z-scores (report/reading_items.h ErsAtsGliItem): ersAtsGliPattern,
//   ersAtsGliSeverity, ersAtsGliFev1FvcBelowLln, ersAtsGliFvcBelowLln,
//   ersAtsGliFev1BelowLln, ersAtsGliFev1Z, "outOfRange" in the first outside
//   3 to 95 years.
// Each column also has a Japanese name (ResultColumn::nameJa, below), for a
// Japanese header: "JRS2014 VC 予測値", "JRS2014 VC ％値", "JRS2014 VC 赤",
// "JRS2014 VC LLN", "1秒率 実測", "JRS2014 FEV1 zスコア", the reading's by
// its items' names ("換気障害区分", "COPD 病期 %FEV1"), "入力の確認"; GLI's
// "GLI Global FEV1 予測値", "… LLN", "… ULN", "… zスコア", "… パーセンタイル",
// "… ％予測", "GLI-2012 1秒率 予測値", "ERS/ATS 2022 GLI Global 重症度".
#ifndef KESTROVA_REPORT_RESULT_COLUMNS_H_
#define KESTROVA_REPORT_RESULT_COLUMNS_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/limits.h"
#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/reading_items.h"

namespace kestrova::report {

// The language of a sheet's header and of the texts it adds (kestrova-cli
// --lang): English keeps the ASCII names and keys above; Japanese names the
// columns as below and writes the reading and the warnings in the words of
// the Japanese report.
enum class Language : std::uint8_t { kEnglish, kJapanese };

// A result column: its name in the English header and in the Japanese one
// (UTF-8, each as unique as the English names).
struct ResultColumn {
  std::string name;    // "vcJrs2014Pct"
  std::string nameJa;  // "JRS2014 VC ％値"
  ColumnKind kind;
};

// The columns in order, with their kinds; ResultColumnNames() their names,
// ResultColumnNamesJa() their Japanese names.
const std::vector<ResultColumn>& ResultColumns();
const std::vector<std::string>& ResultColumnNames();
const std::vector<std::string>& ResultColumnNamesJa();
// The names of a header in `language`.
const std::vector<std::string>& ResultColumnNames(Language language);
// The same with the GLI columns of the sets `gli` asks for (its group names
// none); without a set, the columns above.
const std::vector<ResultColumn>& ResultColumns(const GliRequest& gli);
const std::vector<std::string>& ResultColumnNames(Language language, const GliRequest& gli);

// A column of a results sheet beside the results, named in both headers.
struct SheetColumn {
  std::string_view name;    // "error"
  std::string_view nameJa;  // "エラー" (UTF-8)
};
// The column a batch writes between its input's columns and the results.
const SheetColumn& ErrorColumn();
// The patient's columns a sheet made from one patient starts with, in
// PatientValue order, then ID, name and date: Japanese 性別, 年齢, 身長(cm),
// VC(L), FVC(L), FEV1(L), ID, 氏名, 検査日, each a name the batch reads back
// (batch/header_names.h); English sex … fev1, id, name, date.
inline constexpr std::size_t kInputColumnCount = kPatientValueCount + 3;
const std::array<SheetColumn, kInputColumnCount>& InputColumns();

// The texts of one row's result columns, one per name of
// ResultColumnNames(language, gli), in order. They are views into the
// PanelResult read and into the reading kept here, valid until the next
// ReadResultColumns into this object or a change of that result. Reused row
// after row, it allocates nothing once the first row has been read.
//
// With `withNumbers` set, `numbers` holds each column's value as data beside
// its text: a number column the number shown (ShownNumber::Nearest: "4.48" ->
// 4.48, NaN where the text is empty), a flag column 1 or 0, a text column NaN.
//
// With `language` Japanese, the reading's text columns hold its Japanese
// labels (ReadingColumn::valueJa) and `warnings` the window's texts joined by
// "、" ("入力：3 < FVC：3.5"), all UTF-8; every other column is the same.
//
// With a GLI set in `gli`, the GLI results are computed from the result's
// inputs (ComputeGliResults) and their columns follow.
struct ResultColumnTexts {
  std::vector<std::string_view> texts;
  bool withNumbers = false;
  std::vector<double> numbers;
  Language language = Language::kEnglish;
  GliRequest gli;          // the GLI columns read; none by default
  Reading reading;         // the reading's columns view its texts
  std::string warningsJa;  // the Japanese `warnings` column views it
  GliResults gliResults;   // the GLI z columns view its texts
  LlnReading gliReading;   // the GLI reading's columns view its texts
  // The other GLI columns' texts: per set, per quantity, Pred, Lln, Uln, Pctl, Pct.
  std::array<std::string, 2 * kGliQuantities.size() * 5> gliTexts;
};
void ReadResultColumns(const PanelResult& result, ResultColumnTexts& out);

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_RESULT_COLUMNS_H_

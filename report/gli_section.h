// The GLI results as the text report, the chart text and the HTML page show
// them (kestrova/gli_results.h): one table per set asked for, GLI Global
// first, then GLI-2012 with its group, each with the rows FEV1, FVC and
// FEV1/FVC and the columns predicted, LLN, ULN, measured, z, percentile and
// % predicted as texts (volumes and the ratio 3 decimals, z 2, the percentile
// and % predicted 1; "-" where there is no value: not measured, or a limit
// that the distribution leaves undefined), the set's citation, and with GLI
// Global the ERS/ATS 2022 reading on its z-scores:
//
//   GLI Global (2022), man of 40 years, 175 cm, FEV1 3.5 L:
//     FEV1  3.835  2.939  4.686  3.500  -0.63  26.5  91.3
//
// A set outside its ages (3 to 95) is not computed, and a format shows why
// (GliOutOfRange()) in place of its rows. Each format chooses its own words and
// layout around these texts; the numbers are the same everywhere.
#ifndef KESTROVA_REPORT_GLI_SECTION_H_
#define KESTROVA_REPORT_GLI_SECTION_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "kestrova/gli_results.h"
#include "kestrova/reading.h"
#include "report/reading_items.h"

namespace kestrova::report {

enum GliColumn : std::size_t {
  kGliPredicted,
  kGliLln,
  kGliUln,
  kGliMeasured,
  kGliZ,
  kGliPercentile,
  kGliPercentPredicted,
  kGliColumnCount
};

struct GliRowTexts {
  std::string_view quantity;  // "FEV1", "FVC", "FEV1/FVC"
  std::array<std::string, kGliColumnCount> cells;
  bool measured = false;
  double z = 0;  // the z as its text shows it, where the HTML chart puts its marker
};

struct GliTable {
  GliSet set = GliSet::kGlobal2022;
  std::string title;          // "GLI Global (2022)", "GLI-2012 (North East Asian)"
  std::string_view citation;  // "Bowerman C et al. Am J Respir Crit Care Med 2023;207:768–774"
  bool computed = false;      // false: no rows, and why in notComputed
  ReadingLabel notComputed;   // GliOutOfRange(), or (a height GLI cannot use) that it is not computed
  std::array<GliRowTexts, kGliQuantities.size()> rows;
};

struct GliSection {
  std::vector<GliTable> tables;  // none when no set was asked for
  bool hasReading = false;       // GLI Global asked for and computed
  Reading reading;               // its ersAts2022 is read on GLI Global (ReadErsAtsGli)
};

// The heading of the reading on GLI Global's z-scores in every format.
inline constexpr std::string_view kGliReadingName = "ERS/ATS 2022 (GLI Global)";

// The section views the texts of `gli` (the FEV1 z of its reading), which must
// outlive it.
GliSection GliSectionOf(const GliResults& gli);
GliSection GliSectionOf(const GliResults&& gli) = delete;

// The reading item of a section with hasReading.
ReadingItem GliReadingItem(const GliSection& section);

// Why a set has no rows: "対象外（GLIは3～95歳）" (UTF-8) and
// "not applicable (GLI: 3 to 95 years)".
ReadingLabel GliOutOfRange();

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_GLI_SECTION_H_

#include "report/gli_section.h"

#include <cmath>

#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace kestrova::report {
namespace {

// Literals stay ASCII (the build writes plain literals as CP932); the en
// dashes of the page ranges are spelled as their UTF-8 bytes.
constexpr std::string_view kGlobalCitation =
    "Bowerman C et al. Am J Respir Crit Care Med 2023;207:768\xE2\x80\x93"
    "774";
constexpr std::string_view k2012Citation =
    "Quanjer PH et al. Eur Respir J 2012;40:1324\xE2\x80\x93"
    "1343";

constexpr std::array<std::string_view, kGliQuantities.size()> kQuantityLabels = {"FEV1", "FVC", "FEV1/FVC"};

// GLI-2012's groups as the paper names them, in GliGroup order.
constexpr std::string_view kGroupTitles[] = {"Caucasian", "African American", "North East Asian",
                                             "South East Asian", "Other/mixed"};

// "-" for a value that is not there: a limit GliPredict leaves NaN.
std::string Fixed(double value, std::uint8_t decimals) {
  return std::isfinite(value) ? FormatFixed(value, decimals) : std::string("-");
}

GliTable TableOf(GliSet set, const GliSetResults& results) {
  GliTable table;
  table.set = set;
  if (set == GliSet::kGlobal2022) {
    table.title = "GLI Global (2022)";
    table.citation = kGlobalCitation;
  } else {
    const auto group = static_cast<std::size_t>(results.group);
    table.title.append("GLI-2012 (")
        .append(group < std::size(kGroupTitles) ? kGroupTitles[group] : "")
        .append(")");
    table.citation = k2012Citation;
  }
  table.computed = results.computed;
  if (!results.computed) {
    table.notComputed = results.ageOutOfRange ? GliOutOfRange()
                                              : ReadingLabel{"notComputed", texts::kRowNotComputedUtf8,
                                                             "not computed for these values"};
    return table;
  }
  for (std::size_t q = 0; q < kGliQuantities.size(); ++q) {
    const GliQuantityResult& r = results.quantities[q];
    GliRowTexts& row = table.rows[q];
    row.quantity = kQuantityLabels[q];
    row.cells[kGliPredicted] = Fixed(r.prediction.predicted, 3);
    row.cells[kGliLln] = Fixed(r.prediction.lln, 3);
    row.cells[kGliUln] = Fixed(r.prediction.uln, 3);
    row.measured = r.measured;
    if (!r.measured) {
      for (const GliColumn c : {kGliMeasured, kGliZ, kGliPercentile, kGliPercentPredicted})
        row.cells[c].assign(1, '-');
      continue;
    }
    row.cells[kGliMeasured] = Fixed(r.value, 3);
    row.cells[kGliZ] = r.zText;
    row.z = r.zShown.value;
    row.cells[kGliPercentile] = Fixed(r.score.percentile, 1);
    row.cells[kGliPercentPredicted] = Fixed(r.score.percentPredicted, 1);
  }
  return table;
}

}  // namespace

GliSection GliSectionOf(const GliResults& gli) {
  GliSection section;
  if (gli.global.requested) section.tables.push_back(TableOf(GliSet::kGlobal2022, gli.global));
  if (gli.gli2012.requested) section.tables.push_back(TableOf(GliSet::k2012, gli.gli2012));
  section.hasReading = gli.global.computed;
  if (section.hasReading) ReadErsAtsGli(gli, section.reading.ersAts2022);
  return section;
}

ReadingItem GliReadingItem(const GliSection& section) {
  return ReadingItems(section.reading)[kErsAts2022Item];
}

ReadingLabel GliOutOfRange() {
  static const std::string ja = std::string(texts::kOutOfRangeOpenUtf8)
                                    .append("GLI")
                                    .append(texts::kOutOfRangeTopicUtf8)
                                    .append(AgeRangeJa({kGliMinAge, true, kGliMaxAge + 1}))
                                    .append(texts::kRangeCloseUtf8);
  static const std::string en =
      std::string("not applicable (GLI: ").append(AgeRangeEn({kGliMinAge, true, kGliMaxAge + 1})).append(")");
  return {"outOfRange", ja, en};
}

}  // namespace kestrova::report

// The fifteen results of one calculation, each held twice: as the rounded number
// and as the line the result panel paints (number text + " :" + label, or a
// placeholder when the equation set does not apply).
#ifndef KESTROVA_EQUATIONS_PREDICTION_SET_H_
#define KESTROVA_EQUATIONS_PREDICTION_SET_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "numtext/number_text.h"

namespace kestrova {

using ResultLine = std::string;

// The unrounded parameters of one JRS2014 quantity's distribution (jrs2014.h).
struct LmsParameters {
  double m = 0;  // median
  double s = 0;  // coefficient of variation
  double l = 0;  // power
};

// JRS2014 quantities, in the order of PredictionSet::jrs2014Lms.
inline constexpr std::size_t kJrs2014QuantityCount = 4;

inline constexpr std::size_t kResultCount = 15;

// Fields in display order: the panel's VC, FVC, FEV1 and "FEV1.0 %" groups.
// Ratios are fractions (0.823, not 82.3). Before the first calculation every
// value is 0 and every line empty; each calculation writes all fifteen: the
// rounded result where its equation applies, else the placeholder.
struct PredictionSet {
  double vcJrs2014 = 0;
  ResultLine vcJrs2014Line;
  double vcLln = 0;
  ResultLine vcLlnLine;
  double vcJrs2001 = 0;
  ResultLine vcJrs2001Line;
  double vcBaldwin = 0;
  ResultLine vcBaldwinLine;
  double fvcJrs2014 = 0;
  ResultLine fvcJrs2014Line;
  double fvcLln = 0;
  ResultLine fvcLlnLine;
  double fvcJrs2001 = 0;
  ResultLine fvcJrs2001Line;
  double fev1Jrs2014 = 0;
  ResultLine fev1Jrs2014Line;
  double fev1Lln = 0;
  ResultLine fev1LlnLine;
  double fev1Jrs2001 = 0;
  ResultLine fev1Jrs2001Line;
  double fev1Berglund = 0;
  ResultLine fev1BerglundLine;
  double fev1RatioJrs2014 = 0;
  ResultLine fev1RatioJrs2014Line;
  double fev1RatioLln = 0;
  ResultLine fev1RatioLlnLine;
  double fev1RatioJrs2001T = 0;
  ResultLine fev1RatioJrs2001TLine;
  double fev1RatioJrs2001G = 0;
  ResultLine fev1RatioJrs2001GLine;
  // Each result's number as data, in ResultFields() order: shown where its
  // line holds a number, not shown where it holds the placeholder (and before
  // the first calculation).
  std::array<ShownNumber, kResultCount> shown{};
  // The unrounded JRS2014 parameters the medians and LLNs above were computed
  // from, for VC, FVC, FEV1 and FEV1/FVC; hasJrs2014Lms is false where the
  // limits did not hold. Kept so that z-scores and upper limits use the very
  // same parameters without evaluating the splines and logarithms again.
  std::array<bool, kJrs2014QuantityCount> hasJrs2014Lms{};
  std::array<LmsParameters, kJrs2014QuantityCount> jrs2014Lms{};
};

// Index of each result in ResultFields(), in display order.
enum class ResultId : std::uint8_t {
  kVcJrs2014,
  kVcLln,
  kVcJrs2001,
  kVcBaldwin,
  kFvcJrs2014,
  kFvcLln,
  kFvcJrs2001,
  kFev1Jrs2014,
  kFev1Lln,
  kFev1Jrs2001,
  kFev1Berglund,
  kFev1RatioJrs2014,
  kFev1RatioLln,
  kFev1RatioJrs2001T,
  kFev1RatioJrs2001G,
};

// Describes one of the fifteen results as the calculation needs it; where it
// stands on the panel is display/panel_layout.h.
struct ResultField {
  std::string_view name;  // the value field's name, e.g. "vcJrs2014"
  double PredictionSet::*value;
  ResultLine PredictionSet::*line;
  std::string_view label;        // "JRS2014", "LLN", "JRS2001(T)", …
  std::string_view placeholder;  // "  *.** :JRS2014", …
  std::string_view lineSuffix;   // " :" + label, what follows the number text
  std::uint8_t decimals;         // 2 for litres, 3 for fractions
  std::string_view mask;         // "*.**" or "**.*": what the placeholder shows for the number
};

// The fifteen results in display order. The table is a constant in this
// header, so that a caller naming a constant result (PublishResult below)
// compiles to that field's own decimals, member and label.
#define KESTROVA_FIELD(name, label, mask, decimals)                                                   \
  ResultField {                                                                                       \
#name, &PredictionSet::name, &PredictionSet::name##Line, label, "  " mask " :" label, " :" label, \
        decimals, mask                                                                                \
  }

inline constexpr std::array<ResultField, kResultCount> kResultFields = {
    KESTROVA_FIELD(vcJrs2014, "JRS2014", "*.**", 2),
    KESTROVA_FIELD(vcLln, "LLN", "*.**", 2),
    KESTROVA_FIELD(vcJrs2001, "JRS2001", "*.**", 2),
    KESTROVA_FIELD(vcBaldwin, "Baldwin", "*.**", 2),
    KESTROVA_FIELD(fvcJrs2014, "JRS2014", "*.**", 2),
    KESTROVA_FIELD(fvcLln, "LLN", "*.**", 2),
    KESTROVA_FIELD(fvcJrs2001, "JRS2001", "*.**", 2),
    KESTROVA_FIELD(fev1Jrs2014, "JRS2014", "*.**", 2),
    KESTROVA_FIELD(fev1Lln, "LLN", "*.**", 2),
    KESTROVA_FIELD(fev1Jrs2001, "JRS2001", "*.**", 2),
    KESTROVA_FIELD(fev1Berglund, "Berglund", "*.**", 2),
    // The two JRS2014 ratio placeholders carry the mask "**.*".
    KESTROVA_FIELD(fev1RatioJrs2014, "JRS2014", "**.*", 3),
    KESTROVA_FIELD(fev1RatioLln, "LLN", "**.*", 3),
    KESTROVA_FIELD(fev1RatioJrs2001T, "JRS2001(T)", "*.**", 3),
    KESTROVA_FIELD(fev1RatioJrs2001G, "JRS2001(G)", "*.**", 3),
};

#undef KESTROVA_FIELD

constexpr const std::array<ResultField, kResultCount>& ResultFields() { return kResultFields; }
constexpr const ResultField& FieldOf(ResultId id) { return kResultFields[static_cast<std::size_t>(id)]; }

// Sets every result to "not computed": value 0 and its placeholder line, and
// no JRS2014 parameters.
void ResetToPlaceholders(PredictionSet& set);

// Sets one result to "not computed": value 0 and its placeholder line.
void ResetToPlaceholder(PredictionSet& set, ResultId id);

// Rounds `raw` through text with the field's decimals and stores both:
// text = FormatFixed(raw, d); value = ParseNumber(text); line = text + " :" + label;
// shown = the number as data.
// Number text and suffix are written in one go into the line's own storage.
inline void PublishResult(PredictionSet& set, ResultId id, double raw) {
  const ResultField& field = FieldOf(id);
  set.*field.value = RoundThroughText(raw, field.decimals, set.*field.line, field.lineSuffix,
                                      set.shown[static_cast<std::size_t>(id)]);
}

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_PREDICTION_SET_H_

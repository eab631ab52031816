// Kestrova as a library: one call turns a patient's inputs into everything the
// calculator's window shows for them, plus where each measured JRS2014 value
// stands (z-score, percentile) and the upper limit of normal.
//
//   #include "kestrova/kestrova.h"
//
//   kestrova::PatientInputs in;
//   in.sexCode = kestrova::kSexMale;  // 1 male, 2 female
//   in.age = 40; in.height = 170;     // years, cm
//   in.vc = 3.2; in.fvc = 3.9; in.fev1 = 2.6;  // litres, 0 = not measured
//   const kestrova::FullResult r = kestrova::ComputeFullResult(in);
//   r.rows[0].line      // "4.48 :JRS2014"  the panel's line
//   r.rows[0].percent   // "71.4"           measured VC as % of predicted
//   r.rows[0].red       // true             VC below its LLN
//   r.jrs2014[0].zText  // "-2.88"          VC z-score
//
// (The test suite compiles this example and checks each value shown.)
//
// Values, texts and colours are exactly the window's: the same calculation and
// the same panel contents (display/panel_contents.h) the window draws. All
// texts are ASCII. Link with the `kestrova` CMake target.
#ifndef KESTROVA_KESTROVA_KESTROVA_H_
#define KESTROVA_KESTROVA_KESTROVA_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "display/panel_contents.h"
#include "equations/jrs2014.h"
#include "equations/prediction_set.h"
#include "equations/z_scores.h"
#include "records/patient_inputs.h"

namespace kestrova {

// One of the fifteen results, as the panel shows it.
struct ResultView {
  std::string_view name;      // "vcJrs2014", … (ResultFields() order)
  std::string_view label;     // "JRS2014", "LLN", …
  std::string_view group;     // "VC", "FVC", "FEV1", "FEV1.0 %"
  bool computed = false;      // false: value 0, text empty, line = placeholder
  double value = 0;           // the stored (rounded) value
  std::string text;           // number text as shown ("4.48"), empty when not computed
  std::string line;           // the panel line ("4.48 :JRS2014" or "  *.** :JRS2014")
  bool hasPercent = false;    // the row has a percentage cell (not the LLN rows)
  std::string cell;           // the cell exactly as drawn (10 characters, or 11 blanks)
  std::string percent;        // FormatFixed(percentage, 1), empty when the cell is blank
  ShownNumber number;         // `text` as data (not shown when not computed)
  ShownNumber percentNumber;  // `percent` as data (not shown when the cell is blank)
  bool red = false;           // the cell shows its percentage in red
};

// JRS2014 quantities in the order of FullResult::jrs2014.
inline constexpr std::array<Jrs2014Quantity, 4> kJrs2014Quantities = {
    Jrs2014Quantity::kVc, Jrs2014Quantity::kFvc, Jrs2014Quantity::kFev1, Jrs2014Quantity::kRatio};
// Their names, as StandingView::name and the output columns give them.
inline constexpr std::array<std::string_view, 4> kJrs2014QuantityNames = {"vc", "fvc", "fev1", "fev1Ratio"};

struct StandingView : Jrs2014Standing {
  std::string_view name;  // "vc", "fvc", "fev1", "fev1Ratio"
  LmsParameters lms;      // unrounded M, S, L (when computed)
};

// The calculation, the panel's contents and the standings: everything behind a
// FullResult except its per-row copies. A caller that only writes the texts out
// (kestrova-cli --batch) reads them in place from `panel`.
struct PanelResult {
  // False when the window's panel stays empty: age, height or sex code 0, or a
  // sex code other than 1 and 2. `panel` then holds no texts and nothing red.
  bool computed = false;
  PatientInputs inputs;  // what was computed (the measured values of the cells)
  PredictionSet predictions;
  // As a window just started with these inputs shows it: lines, cells, colours
  // and the measured FEV1/FVC (panel.measuredRatio).
  PanelContents panel;
  // VC, FVC and FEV1 use the measured volume; FEV1/FVC uses the measured ratio as
  // shown (3 decimals), the value the window compares with its LLN.
  std::array<StandingView, 4> jrs2014;
  // The volumes' relation warnings (input/limits.h), as the window's VC, FVC and
  // FEV1 checks would give them: a mask of RelationWarning, 0 when none.
  std::uint8_t warnings = 0;
};

struct FullResult : PanelResult {
  std::array<ResultView, kResultCount> rows;
};

// Fills `out` completely (all but FullResult's rows); reuses its strings, so
// calling it again allocates nothing once they have their sizes.
void ComputePanelResult(const PatientInputs& inputs, PanelResult& out);

// Takes the measured values (VC, FVC, FEV1) of `measured` into a result
// computed before and fills its panel, standings and warnings again for them;
// the predictions, and the sex, age and height they were computed from, stay.
// The panel shows those predictions whatever `computed` says: placeholder
// lines, blank cells and the measured FEV1/FVC after a calculation that
// rejected the sex code. What the window runs when new volumes are compared
// with its last calculation.
void RemeasurePanelResult(const PatientInputs& measured, PanelResult& out);

// Fills `out` completely; reuses its strings, so calling it again with the same
// FullResult allocates little.
void ComputeFullResult(const PatientInputs& inputs, FullResult& out);
FullResult ComputeFullResult(const PatientInputs& inputs);

}  // namespace kestrova

#endif  // KESTROVA_KESTROVA_KESTROVA_H_

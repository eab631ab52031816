// The outputs for one patient as text: the report and JSON.
//
// Report (default): what the window's panel shows, grouped VC / FVC / FEV1 /
// FEV1.0 %. Each result row is a mark column, the percentage cell exactly as
// the window draws it (padded to 11 characters), a blank and the result line:
//   "*" + " 71.4 %   " + " " + " " + "4.48 :JRS2014"
// In colour (a terminal, no --no-color) red cells are printed in red and the
// mark column stays blank; otherwise "*" marks them. The "FEV1.0 %" heading
// carries the measured FEV1/FVC, followed by " *" when it is red in plain mode.
// A JRS2014 or JRS2001 prediction that the age or the height leaves empty is
// followed by a line saying why, indented as the lines are:
//   "             " + "  *.** :JRS2014"
//   "             " + "  適用範囲外（17～93歳）"
// The reading follows, an item a line (kestrova/reading.h): its label, or why
// it is not read ("対象外（JRS2001は18～95歳） / not applicable (…)" or
// "判定なし / not read").
//
// With GLI results asked for (kestrova/gli_results.h), the GLI section
// follows (report/gli_section.h): "GLI reference values / GLI 予測値", then
// for each set its title, a table with English column headings, with GLI
// Global its reading ("ERS/ATS 2022 (GLI Global) (FEV1 z -0.63): 正常 /
// normal"), and its citation; outside 3 to 95 years the title and
// "対象外（GLIは3～95歳） / not applicable (GLI: 3 to 95 years)".
//
// JSON and CSV carry the same results with the JRS2014 ULN, z-scores and
// percentiles (report/result_columns.h names the CSV columns).
//
// JSON with GLI results asked for (kestrova/gli_results.h) adds, after its
// other members, "gli": {"global": …, "2012": …}, each set asked for (in that
// order) an object of "fev1", "fvc" and "fev1Fvc" ("2012" first its "group"),
// each {"predicted", "lln", "uln", "z", "percentile", "percentPredicted"} in
// full double precision, the last three null when not measured; a set is null
// when not computed (an age outside 3 to 95). With GLI Global, the reading
// gets "ersAts2022Gli" after "ersAts2022": the same item read on GLI Global's
// z-scores, its equation "GLI Global". Without GLI nothing changes.
#ifndef KESTROVA_REPORT_TEXT_REPORT_H_
#define KESTROVA_REPORT_TEXT_REPORT_H_

#include <string>

#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"
#include "report/given_inputs.h"

namespace kestrova::report {

std::string FormatReport(const GivenInputs& given, const FullResult& result, bool colour,
                         const GliResults& gli = {});
std::string FormatJson(const PatientInputs& inputs, const FullResult& result, const GliResults& gli = {});

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_TEXT_REPORT_H_

// The outputs for one patient as text: the report and JSON.
//
// Report (default): what the window's panel shows, grouped VC / FVC / FEV1 /
// FEV1.0 %. Each result row is a mark column, the percentage cell exactly as
// the window draws it (padded to 11 characters), a blank and the result line:
//   "*" + " 71.4 %   " + " " + " " + "4.48 :JRS2014"
// In colour (a terminal, no --no-color) red cells are printed in red and the
// mark column stays blank; otherwise "*" marks them. The "FEV1.0 %" heading
// carries the measured FEV1/FVC, followed by " *" when it is red in plain mode.
//
// JSON and CSV carry the same results with the JRS2014 ULN, z-scores and
// percentiles (report/result_columns.h names the CSV columns).
#ifndef KESTROVA_REPORT_TEXT_REPORT_H_
#define KESTROVA_REPORT_TEXT_REPORT_H_

#include <string>

#include "kestrova/kestrova.h"
#include "report/given_inputs.h"

namespace kestrova::report {

std::string FormatReport(const GivenInputs& given, const FullResult& result, bool colour);
std::string FormatJson(const PatientInputs& inputs, const FullResult& result);

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_TEXT_REPORT_H_

// The texts that leave the window through its system menu, built from what the
// window applied: the result it keeps for the inputs (g_app.result) and the
// text each input was applied from (g_app.appliedTexts), never the fields'
// current texts. They are the same bytes kestrova-cli writes for the same values.
#ifndef KESTROVA_APP_RESULT_TEXTS_H_
#define KESTROVA_APP_RESULT_TEXTS_H_

#include <string>
#include <string_view>

#include "records/patient_inputs.h"
#include "report/given_inputs.h"

namespace kestrova::app {

// True when `inputs` give the panel results (age, height and a known sex set).
bool PanelShowsResults(const PatientInputs& inputs);

// ANSI (CP932) bytes as UTF-8; ASCII as it is.
std::string Utf8OfAnsi(std::string_view ansi);

// The inputs the window computed, as the reports show them: each number's
// applied text and the sex as given (the command line's text while the buttons
// still show that sex, else its code "1" or "2"). ID, name and date are empty:
// the window has no such fields.
report::GivenInputs WindowGivenInputs();

// UTF-8, LF line ends.
std::string ChartText();   // as `kestrova-cli --format chart`
std::string ReportPage();  // as `kestrova-cli --format html`

// One TAB-separated row for a spreadsheet, "\n" after it: the patient's sex
// (男性/女性), age, height, VC, FVC and FEV1 as applied, ID, name and date,
// each empty when unknown, then the values of `--format csv`. Every patient's
// row has the same columns, so rows pasted one under another stay aligned.
std::string TableRow();
// The names of TableRow's columns in Japanese, TAB-separated, "\n" after them.
std::string TableHeader();

}  // namespace kestrova::app

#endif  // KESTROVA_APP_RESULT_TEXTS_H_

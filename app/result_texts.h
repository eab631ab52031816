// The texts that leave the window through its system menu, built from what the
// window applied: the result it keeps for the inputs (g_app.result) and the
// text each input was applied from (g_app.appliedTexts), never the fields'
// current texts. They are the same bytes kestrova-cli writes for the same values.
#ifndef KESTROVA_APP_RESULT_TEXTS_H_
#define KESTROVA_APP_RESULT_TEXTS_H_

#include <string>
#include <string_view>

#include "records/patient_inputs.h"

namespace kestrova::app {

// True when `inputs` give the panel results (age, height and a known sex set).
bool PanelShowsResults(const PatientInputs& inputs);

// ANSI (CP932) bytes as UTF-8; ASCII as it is.
std::string Utf8OfAnsi(std::string_view ansi);

// UTF-8, LF line ends.
std::string ChartText();   // as `kestrova-cli --format chart`
std::string TableText();   // header and values of `--format csv`, TAB-separated, "\n" after each
std::string ReportPage();  // as `kestrova-cli --format html`

}  // namespace kestrova::app

#endif  // KESTROVA_APP_RESULT_TEXTS_H_

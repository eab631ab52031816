// The texts that leave the window through its system menu, built from what the
// window holds right now: the inputs it computed (g_app.inputs) and the text of
// each field. They are the same bytes kestrova-cli writes for the same values.
#ifndef KESTROVA_APP_RESULT_TEXTS_H_
#define KESTROVA_APP_RESULT_TEXTS_H_

#include <string>

namespace kestrova::app {

// True while the panel shows results (age, height and a known sex are set).
bool PanelShowsResults();

// UTF-8, LF line ends.
std::string ChartText();   // as `kestrova-cli --format chart`
std::string TableText();   // header and values of `--format csv`, TAB-separated, "\n" after each
std::string ReportPage();  // as `kestrova-cli --format html`

}  // namespace kestrova::app

#endif  // KESTROVA_APP_RESULT_TEXTS_H_

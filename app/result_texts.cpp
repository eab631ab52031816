#include "app/result_texts.h"

#include "app/app_state.h"
#include "kestrova/kestrova.h"

namespace kestrova::app {

bool PanelShowsResults() {
  PanelResult result;
  ComputePanelResult(g_app.inputs, result);
  return result.computed;
}

std::string ChartText() { return {}; }
std::string TableText() { return {}; }
std::string ReportPage() { return {}; }

}  // namespace kestrova::app

// The fourteen child controls of the main window: ids, classes, texts, styles
// and positions (client coordinates). The layout is fixed; the window is never
// resized, so nothing here moves after creation.
#ifndef KESTROVA_APP_CONTROLS_H_
#define KESTROVA_APP_CONTROLS_H_

#include <array>
#include <string_view>

#include "app/win.h"

namespace kestrova::app {

enum ControlId : int {
  kVcLabelId = 1000,
  kHeightLabelId = 1001,
  kHeaderButtonId = 1002,
  kFvcFieldId = 1003,
  kFvcLabelId = 1004,
  kFev1FieldId = 1005,
  kFev1LabelId = 1006,
  kMaleButtonId = 1007,
  kFemaleButtonId = 1008,
  kAgeFieldId = 1009,
  kHeightFieldId = 1010,
  kRatioLabelId = 1011,
  kVcFieldId = 1013,
  kAgeLabelId = 1014,
};

struct ControlSpec {
  int id;
  const char* className;
  std::string_view text;  // CP932 bytes
  DWORD style;
  DWORD exStyle;
  int x, y, width, height;
};

inline constexpr std::size_t kControlCount = 14;

// In creation order (ascending id).
const std::array<ControlSpec, kControlCount>& ControlSpecs();

// Creates every control of ControlSpecs() as a child of `parent` and gives it
// the control font (WM_SETFONT, no redraw).
void BuildControls(HWND parent, HINSTANCE instance, HFONT font);

}  // namespace kestrova::app

#endif  // KESTROVA_APP_CONTROLS_H_

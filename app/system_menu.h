// The items kestrova.exe adds to its window's system menu (the title-bar icon's
// menu, also opened with Alt+Space): copy the chart text, the results as a
// spreadsheet row or that row's Japanese header, show or save the one-page
// report, and the version box. Nothing here
// runs before an item is chosen, and nothing but the check of the field being
// typed in (which an item applies first) touches the client area.
#ifndef KESTROVA_APP_SYSTEM_MENU_H_
#define KESTROVA_APP_SYSTEM_MENU_H_

#include "app/win.h"

namespace kestrova::app {

// Command ids of the added items, below 0xF000 and with the low four bits
// clear, as WM_SYSCOMMAND requires of an application's own items. The menu
// shows them in this order, which is not the order of the ids.
enum SystemMenuCommand : UINT {
  kCopyChartCommand = 0x0010,
  kCopyTableCommand = 0x0020,
  kCopyTableHeaderCommand = 0x0060,
  kShowReportCommand = 0x0030,
  kSaveReportCommand = 0x0040,
  kVersionCommand = 0x0050,
};

// Appends a separator and the six items to `window`'s system menu.
void AddSystemMenuItems(HWND window);

// Greys the four items that carry results while the panel shows none, counting
// the value typed into the field with the focus as applied, and enables them
// otherwise.
void UpdateSystemMenuItems(HMENU systemMenu);

// Runs the item `command` (wParam & 0xFFF0 of WM_SYSCOMMAND); false when it is
// not one of the added items. The four items that carry results first apply
// the field with the focus (ApplyFocusedField), its message box included, and
// then carry the applied values, or do nothing when these give no results.
bool RunSystemMenuItem(UINT command);

}  // namespace kestrova::app

#endif  // KESTROVA_APP_SYSTEM_MENU_H_

// Every piece of program-wide state of kestrova.exe, in one place. Everything
// here is created once (at start-up or in the window set-up) and lives until the
// process ends, except the control font and the button-face brush, which
// WM_DESTROY deletes.
#ifndef KESTROVA_APP_APP_STATE_H_
#define KESTROVA_APP_APP_STATE_H_

#include <array>
#include <cstdint>
#include <string>

#include "app/win.h"
#include "display/result_panel.h"
#include "input/limits.h"
#include "kestrova/kestrova.h"
#include "records/patient_inputs.h"

namespace kestrova::app {

struct AppState {
  HINSTANCE instance = nullptr;  // this program's module: instance of both classes and every control
  HWND mainWindow = nullptr;  // the one top-level window, stored first in WM_CREATE; owner of message boxes
  HDC keptDc = nullptr;       // main window's DC from GetDC, never released; every result is painted into it
  HFONT controlFont = nullptr;  // "ＭＳ Ｐゴシック" 12 px, sent to each control; deleted at WM_DESTROY
  HBRUSH buttonFaceBrush = nullptr;  // COLOR_BTNFACE brush, background of both classes; deleted at WM_DESTROY
  HBRUSH panelBrush = nullptr;       // RGB(245, 245, 245), fills the panel rectangle
  RECT panelRect{};                  // (0, 0, 380, 630): the area the panel brush fills
  LOGFONTA panelFontDescription{};   // height 14, DEFAULT_CHARSET, all else zero
  HFONT panelFont = nullptr;         // made from panelFontDescription, selected into keptDc
  int panelLineHeight = 0;           // tmHeight of panelFont on keptDc: the height of a text's row
  HANDLE instanceBlock = nullptr;    // shared block "AppName" holding mainWindow; open until the process ends
  bool handOverRefused = false;      // another instance runs and this one was handed a patient: tell, exit 3

  HWND ageField = nullptr;      // edit 1009
  HWND heightField = nullptr;   // edit 1010
  HWND vcField = nullptr;       // edit 1013
  HWND fvcField = nullptr;      // edit 1003
  HWND fev1Field = nullptr;     // edit 1005
  HWND maleButton = nullptr;    // radio button 1007 "男性"
  HWND femaleButton = nullptr;  // radio button 1008 "女性"

  PatientInputs inputs;  // what the user (or the command line) entered
  // The result the panel shows: computed (ComputePanelResult) by the last
  // calculation the window ran, its volumes and panel taken anew at each
  // percentage repaint (RemeasurePanelResult). Kept while no calculation can
  // run, so later percentages still compare with it (window_panel.h).
  PanelResult result;
  PanelState panelState;          // pending text colour
  std::string givenSex;           // the command line's sex text ("F"), for the reports; empty when none
  std::uint8_t givenSexCode = 0;  // the sex code it gave; a radio button choosing another drops the text

  // The text each number input was applied from, in PatientValue order (the
  // sex's slot unused: givenSex and the code stand for it), ANSI bytes as the
  // field or the command line held them. Set with the input by the field checks
  // (the cleaned text) and the command line; empty while the input is not given
  // (never entered, emptied or refused). The outputs quote these, never the
  // fields, whose text may be typed but not yet applied.
  std::array<std::string, kPatientValueCount> appliedTexts;
  // The field whose check a system-menu item ran while it kept the focus, and
  // its text right after: leaving it later with that text unchanged applies
  // nothing new, so the check (and its message) does not run again.
  HWND appliedField = nullptr;
  std::string appliedFieldText;
  // The field whose check a system-menu item is running: its message box takes
  // the focus, and the field's EN_KILLFOCUS then is this same leaving.
  HWND checkingField = nullptr;
  // Set by WM_CLOSE: the field with the focus loses it while the window is
  // destroyed, and no check (nor its message box) runs for that.
  bool closing = false;

  // The folder of the last report saved this session (ANSI, with its final
  // backslash, so that a drive's root stays "C:\"), where the next Save As
  // dialog starts; empty until then, when it starts in the user's Documents.
  std::string saveFolder;
};

// The program's state; the only global of kestrova.exe.
extern AppState g_app;

}  // namespace kestrova::app

#endif  // KESTROVA_APP_APP_STATE_H_

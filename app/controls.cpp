#include "app/controls.h"

#include <string>

#include "texts/japanese_texts.h"

namespace kestrova::app {
namespace {

constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT;                                       // 0x50000000
constexpr DWORD kCentredLabel = WS_CHILD | WS_VISIBLE | SS_CENTER;                              // 0x50000001
constexpr DWORD kPushButton = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_CENTER;                // 0x50000300
constexpr DWORD kRadio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_LEFTTEXT | BS_NOTIFY;  // 0x50004029
constexpr DWORD kVolumeField = WS_CHILD | WS_VISIBLE | ES_CENTER | ES_NOHIDESEL;                // 0x50000101
constexpr DWORD kAgeField = WS_CHILD | WS_VISIBLE | ES_CENTER | ES_MULTILINE;                   // 0x50000005
constexpr DWORD kPlainField = WS_CHILD | WS_VISIBLE | ES_CENTER;                                // 0x50000001

constexpr std::array<ControlSpec, kControlCount> kSpecs{{
    {kVcLabelId, "STATIC", texts::kVcLabel, kLabel, 0, 31, 170, 52, 18},
    {kHeightLabelId, "STATIC", texts::kHeightLabel, kCentredLabel, 0, 252, 51, 50, 18},
    {kHeaderButtonId, "BUTTON", texts::kHeaderButton, kPushButton, 0, 155, 127, 170, 24},
    {kFvcFieldId, "EDIT", "*.**", kVolumeField, WS_EX_CLIENTEDGE, 85, 283, 50, 26},
    {kFvcLabelId, "STATIC", texts::kFvcLabel, kLabel, 0, 31, 286, 53, 18},
    {kFev1FieldId, "EDIT", "*.**", kVolumeField, WS_EX_CLIENTEDGE, 85, 373, 50, 26},
    {kFev1LabelId, "STATIC", "FEV1(L)", kLabel, 0, 31, 376, 56, 18},
    {kMaleButtonId, "BUTTON", texts::kMale, kRadio, 0, 75, 58, 50, 18},
    {kFemaleButtonId, "BUTTON", texts::kFemale, kRadio, 0, 75, 84, 50, 16},
    {kAgeFieldId, "EDIT", "**", kAgeField, WS_EX_CLIENTEDGE, 163, 71, 50, 26},
    {kHeightFieldId, "EDIT", "***", kPlainField, WS_EX_CLIENTEDGE, 251, 71, 49, 25},
    {kRatioLabelId, "STATIC", "FEV1.0 %", kLabel, 0, 31, 493, 56, 18},
    {kVcFieldId, "EDIT", "*.**", kPlainField, WS_EX_CLIENTEDGE, 85, 170, 55, 23},
    {kAgeLabelId, "STATIC", texts::kAgeLabel, kLabel, 0, 175, 51, 33, 18},
}};

}  // namespace

const std::array<ControlSpec, kControlCount>& ControlSpecs() { return kSpecs; }

void BuildControls(HWND parent, HINSTANCE instance, HFONT font) {
  for (const ControlSpec& spec : kSpecs) {
    const std::string text(spec.text);
    // The menu argument of a child window carries its control id.
    HWND control = CreateWindowExA(spec.exStyle, spec.className, text.c_str(), spec.style, spec.x, spec.y,
                                   spec.width, spec.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  }
}

}  // namespace kestrova::app

// The input fields' decisions: cleaning what was typed, reading it as a number,
// and the checks that run when a field loses the focus. Pure code on records;
// the window side reads and writes the controls, shows the messages and runs
// the follow-ups, in the order the outcome records below give.
//
// CleanNumberText(text)
//   Reduces a typed text (CP932 bytes) to digits and at most one point, byte by
//   byte, over the whole text whatever its length:
//   0. Full-width digits "０"-"９" and the full-width point "．" (what the IME
//      types) become ASCII first, as the batch reads them (AsciiDigits of the
//      input model), so "１．８" -> "1.8" and "３．５Ｌ" -> "3.5".
//   1. The first "*." is cut out when it does not open the text, so a field
//      still showing the placeholder behind a typed digit reads as that digit:
//        "2*.**" -> "2"      "12*.**5" -> "125"
//   2. Digits are kept; the first point is kept when a digit has been kept
//      before it; every other byte is dropped (letters, signs, blanks, commas,
//      later points, and both bytes of any other double-byte character: no
//      CP932 trail byte is a digit, "*" or ".", so such a character goes whole):
//        "  2.5 L" -> "2.5"  "3,5" -> "35"  "1.2.3" -> "1.23"  "5." -> "5."
//        "*.**" -> ""        "***" -> ""    "入力2" -> "2"
//   3. A point before any digit is the user's decimal point when a digit follows
//      it directly: it is kept, completed to "0.", so ".5" -> "0.5" and
//      "x.75" -> "0.75" (read as a half litre, not as five litres). A point
//      not followed by a digit ("*.**", ".", ". 5") is dropped as before.
//
// ReadFieldText(fieldText)
//   What reading a field decides: the cleaned text, whether the field must be
//   given that text (the two differ byte for byte), and the value
//   (ParseNumber of the cleaned text, 0 when it is empty). The field's text is
//   compared byte for byte. CompareStringA with the default locale and no flags
//   gives the same answer for these texts, except that it may call equal two
//   texts that differ only by characters its sort ignores (control characters):
//   the window side should use `textChanged`, so the field always shows exactly
//   the text that was read.
//
// The checks store the value read into PatientInputs and return a
// FieldCheckOutcome. The caller carries it out in this order:
//   1. newCleanedText: if set, the field gets this text (WM_SETTEXT).
//   2. (done by the check) the value read is stored in its input.
//   3. message: if set, shown in a modal box owned by the main window, MB_OK.
//      While it waits, a paint may run: the input still holds the value the
//      message quotes.
//   4. FinishFieldCheck(outcome, inputs): when the value was rejected
//      (placeholderText set) the input becomes 0; then the field gets
//      placeholderText.
//   5. recalculate: the panel is computed and drawn again; then
//      paintPercentages: its percentage cells are drawn again.
//      clearPanel: every text of the panel is erased (set when the
//      check stored an age or height that the calculation cannot run with, so
//      no result of earlier values stays beside the field).
//
// The ranges and the relation rules are those of input/limits.h (the window's
// own ranges kWindow…, VcRelation, FvcAboveVc, Fev1AboveFvc).
// Volume checks (VC, FVC, FEV1): 0 (empty) is not checked; outside 1 to 15 the
// range message quotes FormatNumber(value), the input becomes 0 and the field
// shows "*.**"; otherwise the first relation that holds gives a warning under
// "確認 !!" and the value stays:
//   VC:   vc < fvc, else vc < fev1    "入力：3 < FVC：3.5" / "入力：3 < FEV1：3.2"
//   FVC:  fvc > vc and vc != 0        "入力：4 > VC：3"
//   FEV1: fev1 > fvc and fvc != 0     "入力：3.5 > FVC：3"
//   Range: VC "入力：35" under "1.0-15 です"; FVC and FEV1 "入力： 35" under
//   "1.0 - 15 です". Every volume check ends with the percentage repaint only.
// Age: stored whatever it is; 17 to 95 inclusive recalculates, else (0, 16,
//   96, …) no message and the panel is cleared.
// Height: below 1 the panel is cleared; 100 to 272 inclusive recalculates;
//   else "100-272cmです" under "身長", height becomes 0, the field shows "***"
//   and the panel is cleared.
// Sex choice: sexCode is stored, then recalculate, then the percentage repaint.
#ifndef KESTROVA_INPUT_INPUT_FIELDS_H_
#define KESTROVA_INPUT_INPUT_FIELDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/patient_inputs.h"
#include "records/user_message.h"

namespace kestrova {

// The texts a field shows while its value is not entered.
inline constexpr std::string_view kAgePlaceholder = "**";
inline constexpr std::string_view kHeightPlaceholder = "***";
inline constexpr std::string_view kVolumePlaceholder = "*.**";

// The inputs the window writes; kSex for the radio buttons.
enum class InputField : std::uint8_t { kSex, kAge, kHeight, kVc, kFvc, kFev1 };

enum class VolumeField : std::uint8_t { kVc, kFvc, kFev1 };

std::string CleanNumberText(std::string_view text);

struct FieldRead {
  std::string cleanedText;
  bool textChanged = false;  // cleanedText differs from the field's text
  double value = 0;          // ParseNumber(cleanedText); 0 when it is empty
};

FieldRead ReadFieldText(std::string_view fieldText);

// One check's decisions, in the order the caller carries them out (see above).
struct FieldCheckOutcome {
  InputField field = InputField::kSex;
  // 1. The field's new text after cleaning; unset when the field keeps its text.
  std::optional<std::string> newCleanedText;
  // 2. The value the check stored in its input (the sex code for kSex).
  double storedValue = 0;
  // 3. The message to show, CP932 text and caption, MB_OK, no icon.
  std::optional<UserMessage> message;
  // 4. Set when the value was rejected: after the message, FinishFieldCheck
  //    sets the input to 0, then the field shows this placeholder.
  std::optional<std::string> placeholderText;
  // 5. Follow-ups, the recalculation first.
  bool recalculate = false;
  bool paintPercentages = false;
  bool clearPanel = false;  // never together with recalculate
};

// EN_SETFOCUS of a volume field: stores the value read, nothing else (so a
// field showing "*.**" becomes empty and its input 0).
FieldCheckOutcome ReadVolumeField(VolumeField which, std::string_view fieldText, PatientInputs& inputs);

// EN_KILLFOCUS of the VC, FVC and FEV1 fields.
FieldCheckOutcome CheckVolumeField(VolumeField which, std::string_view fieldText, PatientInputs& inputs);

// EN_KILLFOCUS of the age field.
FieldCheckOutcome CheckAgeField(std::string_view fieldText, PatientInputs& inputs);

// EN_KILLFOCUS of the height field.
FieldCheckOutcome CheckHeightField(std::string_view fieldText, PatientInputs& inputs);

// BN_CLICKED of "男性" (kSexMale) or "女性" (kSexFemale).
FieldCheckOutcome ChooseSex(std::uint8_t sexCode, PatientInputs& inputs);

// The message shown when the calculation rejects a sex code other than 1 and 2:
// FormatNumber(code) + "性別のチェックを！" under "性別".
UserMessage SexCheckMessage(std::uint8_t sexCode);

// Step 4: sets the rejected input to 0; does nothing when nothing was rejected.
void FinishFieldCheck(const FieldCheckOutcome& outcome, PatientInputs& inputs);

}  // namespace kestrova

#endif  // KESTROVA_INPUT_INPUT_FIELDS_H_

// The values another program hands over on the command line.
//
// Keys are matched byte for byte (case-sensitive), each on its own, in the order
// /Sex= /Age= /Setake= /VC= /FVC= /FEV1= /DLCO=. A key counts when its first
// occurrence at 1-based character 10 or later begins at character 11 or later:
// the first ten characters (the program path) are never read as a key, and a key
// that begins exactly at character 10 hides any later repetition. Its value runs
// to the first space after the key; a key followed directly by a space takes the
// whole rest of the line (that space included) as its value. Positions are full
// size, so keys are found anywhere in a command line of any length.
//
// "/Sex=": only the first character counts, "M" is male, anything else female.
// Numbers are read with ParseNumber, unchecked; their fields show the value text
// exactly as given (FVC "3.0" stays "3.0"). "/DLCO=" is recognised and ignored.
#ifndef KESTROVA_INPUT_COMMAND_LINE_H_
#define KESTROVA_INPUT_COMMAND_LINE_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/patient_inputs.h"

namespace kestrova {

enum class CommandLineKey : std::uint8_t { kSex, kAge, kHeight, kVc, kFvc, kFev1, kDlco };
inline constexpr std::size_t kCommandLineKeyCount = 7;

// "/Sex=", "/Age=", "/Setake=", "/VC=", "/FVC=", "/FEV1=", "/DLCO=".
std::string_view KeyText(CommandLineKey key);

struct CommandLineValue {
  bool found = false;
  std::string text;   // the value text as it stands on the command line
  double number = 0;  // ParseNumber(text), for the numeric keys
};

struct CommandLineValues {
  std::array<CommandLineValue, kCommandLineKeyCount> values{};
  std::optional<std::uint8_t> sexCode;  // set when "/Sex=" was found

  const CommandLineValue& operator[](CommandLineKey key) const {
    return values[static_cast<std::size_t>(key)];
  }
};

// `commandLine` is the whole line as the system gives it, program path first,
// with the one space the caller appends.
CommandLineValues ParseCommandLine(std::string_view commandLine);

// Stores what was found into the inputs; keys not found leave their input as is.
void ApplyCommandLine(const CommandLineValues& values, PatientInputs& inputs);

// True when at least one key that ApplyCommandLine stores was found (/Sex=,
// /Age=, /Setake=, /VC=, /FVC=, /FEV1=, an empty value included): the line
// hands over a patient. "/DLCO=" alone does not; it is never stored.
bool HandsOverPatient(const CommandLineValues& values);

}  // namespace kestrova

#endif  // KESTROVA_INPUT_COMMAND_LINE_H_

#include "input/command_line.h"

#include "numtext/number_text.h"

namespace kestrova {
namespace {

constexpr std::array<std::string_view, kCommandLineKeyCount> kKeyTexts = {
    "/Sex=", "/Age=", "/Setake=", "/VC=", "/FVC=", "/FEV1=", "/DLCO="};

// 0-based index of the first character a key may begin at (1-based character 11).
constexpr std::size_t kFirstKeyIndex = 10;

// Index just past the key, or npos when the key is absent.
std::size_t FindValueStart(std::string_view line, std::string_view key) {
  const std::size_t at = line.find(key, kFirstKeyIndex - 1);
  if (at == std::string_view::npos || at < kFirstKeyIndex) return std::string_view::npos;
  return at + key.size();
}

std::string_view ValueText(std::string_view line, std::size_t start) {
  const std::size_t space = line.find(' ', start);
  if (space == start) return line.substr(start);  // empty value: the whole rest
  return line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start);
}

}  // namespace

std::string_view KeyText(CommandLineKey key) { return kKeyTexts[static_cast<std::size_t>(key)]; }

CommandLineValues ParseCommandLine(std::string_view commandLine) {
  CommandLineValues result;
  for (std::size_t i = 0; i < kCommandLineKeyCount; ++i) {
    const auto key = static_cast<CommandLineKey>(i);
    const std::size_t start = FindValueStart(commandLine, KeyText(key));
    if (start == std::string_view::npos) continue;
    CommandLineValue& value = result.values[i];
    value.found = true;
    value.text = std::string(ValueText(commandLine, start));
    if (key == CommandLineKey::kSex) {
      const bool male = start < commandLine.size() && commandLine[start] == 'M';
      result.sexCode = male ? kSexMale : kSexFemale;
    } else if (key != CommandLineKey::kDlco) {
      value.number = ParseNumber(value.text);
    }
  }
  return result;
}

void ApplyCommandLine(const CommandLineValues& values, PatientInputs& inputs) {
  if (values.sexCode) inputs.sexCode = *values.sexCode;
  const std::pair<CommandLineKey, double PatientInputs::*> targets[] = {
      {CommandLineKey::kAge, &PatientInputs::age},   {CommandLineKey::kHeight, &PatientInputs::height},
      {CommandLineKey::kVc, &PatientInputs::vc},     {CommandLineKey::kFvc, &PatientInputs::fvc},
      {CommandLineKey::kFev1, &PatientInputs::fev1},
  };
  for (const auto& [key, field] : targets) {
    if (values[key].found) inputs.*field = values[key].number;
  }
}

bool HandsOverPatient(const CommandLineValues& values) {
  for (std::size_t i = 0; i < kCommandLineKeyCount; ++i) {
    if (static_cast<CommandLineKey>(i) != CommandLineKey::kDlco && values.values[i].found) return true;
  }
  return false;
}

}  // namespace kestrova

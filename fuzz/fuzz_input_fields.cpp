// The field cleaning and checks on arbitrary pasted texts.
// Input: 1 byte choosing the field, then the field's text.
// Properties: CleanNumberText returns only digits and at most one point; after
// a check (and its reset) a volume is 0 or within 1 to 15 and a height is below
// 1 or within 100 to 272; the field's new text is what was read.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "input/input_fields.h"

namespace {

using namespace kestrova;

using kestrova::fuzz::Require;

void CheckCleaned(std::string_view text) {
  const std::string cleaned = CleanNumberText(text);
  int points = 0;
  for (char c : cleaned) {
    if (c == '.') {
      ++points;
    } else {
      Require(c >= '0' && c <= '9', "cleaned text holds only digits and points");
    }
  }
  Require(points <= 1, "at most one point");
  Require(cleaned.empty() || cleaned[0] != '.', "never begins with a point");
  Require(CleanNumberText(cleaned) == cleaned, "cleaning is idempotent");
}

bool VolumeInvariant(double v) { return v == 0 || (v >= 1 && v <= 15); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckCleaned(text);

  PatientInputs inputs{1, 40, 170, 3, 3, 2};
  FieldCheckOutcome outcome;
  switch (data[0] % 6) {
    case 0:
      outcome = CheckVolumeField(VolumeField::kVc, text, inputs);
      break;
    case 1:
      outcome = CheckVolumeField(VolumeField::kFvc, text, inputs);
      break;
    case 2:
      outcome = CheckVolumeField(VolumeField::kFev1, text, inputs);
      break;
    case 3:
      outcome = CheckAgeField(text, inputs);
      break;
    case 4:
      outcome = CheckHeightField(text, inputs);
      break;
    default:
      outcome = ReadVolumeField(VolumeField::kVc, text, inputs);
      break;
  }
  if (outcome.newCleanedText)
    Require(*outcome.newCleanedText == CleanNumberText(text), "field shows what was read");
  FinishFieldCheck(outcome, inputs);
  if (data[0] % 6 < 3) {
    Require(VolumeInvariant(inputs.vc) && VolumeInvariant(inputs.fvc) && VolumeInvariant(inputs.fev1),
            "volumes are 0 or within 1 to 15 after a check");
  }
  if (data[0] % 6 == 4) {
    Require(inputs.height < 1 || (inputs.height >= 100 && inputs.height <= 272), "height invariant");
  }
  return 0;
}

// The command line on arbitrary bytes and lengths, and everything it can feed:
// the unchecked values go through the calculation and the result panel.
// Properties: each found value text stands in the command line right after its
// key; a value holds no space unless it is the whole rest; every result line
// is non-empty after a calculation.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "display/result_panel.h"
#include "fuzz/fuzz_support.h"
#include "input/command_line.h"
#include "kestrova/kestrova.h"

namespace {

using namespace kestrova;

using kestrova::fuzz::Require;

class NullDevice : public PanelDevice {
 public:
  void FillPanel() override {}
  void SetOpaqueBackground() override {}
  void DrawText(std::uint16_t, std::uint16_t, std::string_view text, Rgb) override { drawn += text.size(); }
  std::size_t drawn = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line = std::string(reinterpret_cast<const char*>(data), size) + " ";
  const CommandLineValues values = ParseCommandLine(line);
  for (std::size_t i = 0; i < kCommandLineKeyCount; ++i) {
    const CommandLineValue& value = values.values[i];
    if (!value.found) continue;
    const std::string key(KeyText(static_cast<CommandLineKey>(i)));
    const std::size_t at = line.find(key, 9);
    Require(at != std::string::npos && at >= 10, "a found key begins after the program path");
    Require(line.compare(at + key.size(), value.text.size(), value.text) == 0, "value follows its key");
    Require(value.text.find(' ') == std::string::npos || at + key.size() + value.text.size() == line.size(),
            "a value with a space is the whole rest");
  }
  PatientInputs inputs;
  ApplyCommandLine(values, inputs);
  PanelResult result;
  ComputePanelResult(inputs, result);
  PanelState state;
  NullDevice device;
  PaintResultLines({state, device}, result.panel);
  PaintPercentages({state, device}, result.panel);
  if ((inputs.height * inputs.age) * inputs.sexCode != 0) {
    for (const PanelRow& row : result.panel.rows) Require(!row.line.empty(), "line written");
  }
  return 0;
}

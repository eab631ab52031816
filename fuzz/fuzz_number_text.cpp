// ParseNumber, FormatNumber and FormatFixed on arbitrary bytes and doubles.
//
// Input: 8 bytes of a double, 1 byte of decimal count, then a text.
// Properties:
//  - FormatFixed and RoundThroughText (with the text's first bytes as suffix)
//    write byte for byte the text of the documented rule, written out plainly
//    in tests/numtext/fixed_reference.h, and RoundThroughText returns
//    ParseNumber of that text; inside the rule ParseNumber reads it back within
//    one unit of the last place, and writing that again gives the same text;
//  - FormatNumber writes at most 15 significant digits and reads back within
//    its precision in the fixed form;
//  - ParseNumber of any text is a number (NaN never comes out of text).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "numtext/number_text.h"
#include "tests/numtext/fixed_reference.h"

namespace {

using kestrova::FormatFixed;
using kestrova::FormatNumber;
using kestrova::ParseNumber;
using kestrova::RoundThroughText;

using kestrova::fuzz::Require;

void CheckFixed(double value, std::uint8_t decimals, std::string_view suffix) {
  const std::string expected = kestrova::reference::FormatFixed(value, decimals);
  const std::string text = FormatFixed(value, decimals);
  Require(text == expected, "FormatFixed writes the reference's text");
  std::string line = "an earlier line";
  const double read = RoundThroughText(value, decimals, line, suffix);
  Require(line == expected + std::string(suffix), "RoundThroughText writes the text and the suffix");
  const double back = ParseNumber(text);
  Require(std::memcmp(&read, &back, sizeof read) == 0, "RoundThroughText returns ParseNumber of the text");
  const int n = decimals < 1 ? 1 : decimals > 4 ? 4 : decimals;
  if (!(std::fabs(value * std::pow(10.0, n + 1)) < 2147483648.0)) return;  // outside the rule
  Require(std::fabs(back - value) <= std::pow(10.0, -n) * 1.000001,
          "read back within one unit of the last place");
  Require(FormatFixed(back, decimals) == text, "the text is a fixed point of the rounding");
}

void CheckNumber(double value) {
  const std::string text = FormatNumber(value);
  Require(!text.empty() && text.size() <= 24, "general form is short");
  if (std::isnan(value)) Require(text == "0", "NaN is written 0");
  if (!std::isfinite(value) || text.find('e') != std::string::npos) return;
  const double back = ParseNumber(text);
  Require(std::fabs(back - value) <= std::fabs(value) * 1e-14 + 1e-300, "general form reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 9) return 0;
  double value;
  std::memcpy(&value, data, sizeof value);
  const std::uint8_t decimals = data[8];
  const std::string_view text(reinterpret_cast<const char*>(data + 9), size - 9);
  const std::string_view suffix = text.substr(0, text.size() % 16);
  CheckFixed(value, decimals, suffix);
  CheckNumber(value);
  // Values of the size the program really formats, from the same bytes.
  const double scaled = std::fmod(value, 2e5);
  if (std::isfinite(scaled)) CheckFixed(scaled, static_cast<std::uint8_t>(1 + decimals % 4), suffix);

  const double parsed = ParseNumber(text);
  Require(!std::isnan(parsed), "text never reads as NaN");
  CheckNumber(parsed);
  return 0;
}

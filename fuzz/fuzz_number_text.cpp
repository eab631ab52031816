// ParseNumber, FormatNumber and FormatFixed on arbitrary bytes and doubles.
//
// Input: 8 bytes of a double, 1 byte of decimal count, then a text.
// Properties:
//  - FormatFixed writes only digits, one point, a leading minus, or the general
//    form outside its rule; inside the rule exactly n decimals, no exponent, no
//    "-0…", and ParseNumber reads it back within one unit of the last place;
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

namespace {

using kestrova::FormatFixed;
using kestrova::FormatNumber;
using kestrova::ParseNumber;

using kestrova::fuzz::Require;

bool OnlyFixedCharacters(std::string_view text) {
  int points = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      ++points;
    } else if (c == '-') {
      if (i != 0) return false;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return points == 1;
}

void CheckFixed(double value, std::uint8_t decimals) {
  const std::string text = FormatFixed(value, decimals);
  const int n = decimals < 1 ? 1 : decimals > 4 ? 4 : decimals;
  const double unit = std::pow(10.0, -n);
  const bool insideRule = std::isfinite(value) && std::fabs(value * std::pow(10.0, n + 1)) < 2147483648.0;
  if (!insideRule) {
    Require(!text.empty(), "text outside the rule is not empty");
    return;
  }
  Require(OnlyFixedCharacters(text), "fixed text has only digits, one point and a leading minus");
  Require(text.size() - text.find('.') - 1 == static_cast<std::size_t>(n), "exactly n decimals");
  Require(text.rfind("-0.", 0) != 0 || text.find_first_not_of("-0.") != std::string::npos,
          "no minus sign on a zero result");
  const double back = ParseNumber(text);
  Require(std::fabs(back - value) <= unit * 1.000001, "read back within one unit of the last place");
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
  CheckFixed(value, decimals);
  CheckNumber(value);
  // Values of the size the program really formats, from the same bytes.
  const double scaled = std::fmod(value, 2e5);
  if (std::isfinite(scaled)) CheckFixed(scaled, static_cast<std::uint8_t>(1 + decimals % 4));

  const std::string_view text(reinterpret_cast<const char*>(data + 9), size - 9);
  const double parsed = ParseNumber(text);
  Require(!std::isnan(parsed), "text never reads as NaN");
  CheckNumber(parsed);
  return 0;
}

// FormatFixed as numtext/number_text.h states its rule, written out plainly
// (floor, FormatNumber, snprintf): what the fast writer must match byte for
// byte, in the tests and in fuzz/fuzz_number_text.cpp.
#ifndef KESTROVA_TESTS_NUMTEXT_FIXED_REFERENCE_H_
#define KESTROVA_TESTS_NUMTEXT_FIXED_REFERENCE_H_

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "numtext/number_text.h"

namespace kestrova::reference {

inline std::string FormatFixed(double value, int decimals) {
  const int n = std::clamp(decimals, 1, 4);
  const double p = std::pow(10.0, n);
  const double q = std::pow(10.0, n + 1);
  if (std::isnan(value)) value = 0;
  if (!(std::fabs(value) < 1e11)) return FormatNumber(value);
  auto f = static_cast<long long>(std::floor(value * p));
  const auto d = static_cast<long long>(std::floor(value * q));
  if (d - 10 * f >= 5) f += 1;
  if (std::fabs(value * q) < 2147483648.0) {  // the rule: FormatNumber(f / p), padded and cut
    std::string text = FormatNumber(static_cast<double>(f) / p);
    if (text.find('.') == std::string::npos) text += '.';
    text += std::string(static_cast<std::size_t>(n), '0');
    return text.substr(0, text.find('.') + 1 + static_cast<std::size_t>(n));
  }
  const long long magnitude = f < 0 ? -f : f;  // beyond it, below 1e11: f in full fixed notation
  const auto scale = static_cast<long long>(p);
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld.%0*lld", f < 0 ? "-" : "", magnitude / scale, n,
                magnitude % scale);
  return text;
}

}  // namespace kestrova::reference

#endif  // KESTROVA_TESTS_NUMTEXT_FIXED_REFERENCE_H_

#include "numtext/number_text.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kestrova {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Index of the first byte at or after `from` that is not a decimal digit.
std::size_t EndOfDigits(std::string_view text, std::size_t from) {
  while (from < text.size() && IsDigit(text[from])) ++from;
  return from;
}

// Value of an octal or hexadecimal digit (letters already upper-cased), or -1.
int RadixDigit(char c, int radix) {
  int digit = -1;
  if (c >= '0' && c <= '9') digit = c - '0';
  if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
  return digit < radix ? digit : -1;
}

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// "&H…" / "&O…", `text` starting at the "&". Summed from the last digit to the
// first; place values are powers of two, exact in a double, so the product
// equals the exact integer product converted to double.
double ParseRadixForm(std::string_view text) {
  if (text.size() < 2) return 0;
  const char kind = ToUpperAscii(text[1]);
  const int radix = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
  if (radix == 0) return 0;
  std::size_t end = 2;
  while (end < text.size() && RadixDigit(ToUpperAscii(text[end]), radix) >= 0) ++end;
  double value = 0;
  double place = 1;
  for (std::size_t i = end; i > 2; --i) {
    const int digit = RadixDigit(ToUpperAscii(text[i - 1]), radix);
    if (digit != 0) value += static_cast<double>(digit) * place;
    place *= radix;
  }
  return value;
}

// Whole part summed right to left. A zero digit adds nothing: that is exact for
// finite place values and keeps an overflowed place (inf) from making 0 * inf.
double SumWholeDigits(std::string_view digits) {
  double value = 0;
  double place = 1;
  for (std::size_t i = digits.size(); i > 0; --i) {
    const int digit = digits[i - 1] - '0';
    if (digit != 0) value += digit * place;
    place *= 10;
  }
  return value;
}

double AddFractionDigits(double value, std::string_view digits) {
  double divisor = 10;
  for (char c : digits) {
    value += (c - '0') / divisor;
    divisor *= 10;
  }
  return value;
}

double ParseDecimalForm(std::string_view text) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && text[pos] == '-') {
    negative = true;
    ++pos;
  } else if (pos < text.size() && text[pos] == '+') {
    ++pos;
  }
  const std::size_t wholeEnd = EndOfDigits(text, pos);
  double value = SumWholeDigits(text.substr(pos, wholeEnd - pos));
  if (wholeEnd < text.size() && text[wholeEnd] == '.') {
    const std::size_t fractionEnd = EndOfDigits(text, wholeEnd + 1);
    value = AddFractionDigits(value, text.substr(wholeEnd + 1, fractionEnd - wholeEnd - 1));
  }
  if (negative) value = value * -1;
  return value;
}

// Normalisation thresholds: the doubles nearest to 0.999999999999999 and
// 9.99999999999999, both just below 1 and 10.
constexpr double kLowThreshold = 0.999999999999999;
constexpr double kHighThreshold = 9.99999999999999;

// Adds one to the last digit and carries leftwards. Returns true when the carry
// ran out of the first digit (cannot happen for normalised finite values).
bool RoundUpLastDigit(std::string& digits) {
  for (std::size_t i = digits.size(); i > 0; --i) {
    if (digits[i - 1] != '9') {
      ++digits[i - 1];
      return false;
    }
    digits[i - 1] = '0';
  }
  return true;
}

std::string ExponentText(int exponent, bool forceSign) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, forceSign ? "%+04d" : "%03d", exponent);
  return buffer;
}

// Fixed form of the 15 digits for -3 <= E <= 15, trailing zeros and point removed.
std::string FixedForm(const DigitString& d) {
  std::string text;
  if (d.exponent >= 1) {
    text.append(d.digits, 0, static_cast<std::size_t>(d.exponent));
    text += '.';
    text.append(d.digits, static_cast<std::size_t>(d.exponent), std::string::npos);
  } else {
    text += "0.";
    text.append(static_cast<std::size_t>(-d.exponent), '0');
    text += d.digits;
  }
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

std::string ExponentForm(const DigitString& d) {
  std::string text(1, d.digits[0]);
  text += '.';
  text.append(d.digits, 1, std::string::npos);
  text += 'e';
  text += ExponentText(d.exponent - 1, d.exponent > 15);
  return text;
}

// Powers of ten for 1 to 5 are exact doubles.
double PowerOfTen(int n) {
  double p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// The integer f (already rounded) written with n decimals: exact decimal text of
// f / 10^n, used where f/p would no longer fit the 15-digit general form.
std::string WriteScaledInteger(std::int64_t f, int n) {
  const bool negative = f < 0;
  std::string digits = std::to_string(negative ? -f : f);
  if (digits.size() <= static_cast<std::size_t>(n)) {
    digits.insert(0, static_cast<std::size_t>(n) + 1 - digits.size(), '0');
  }
  digits.insert(digits.size() - static_cast<std::size_t>(n), 1, '.');
  return (negative ? "-" : "") + digits;
}

}  // namespace

double ParseNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  text.remove_prefix(pos);
  if (!text.empty() && text[0] == '&') return ParseRadixForm(text);
  return ParseDecimalForm(text);
}

DigitString DecimalDigits(double value, int count) {
  DigitString result;
  if (count < 1) return result;
  const std::size_t size = static_cast<std::size_t>(count);
  if (value == 0 || std::isnan(value)) {
    result.digits.assign(size, '0');
    return result;
  }
  if (value < 0) {
    result.negative = true;
    value = value * -1;
  }
  if (std::isinf(value)) {
    result.digits.assign(size, '9');
    result.exponent = 309;
    return result;
  }
  int exponent = 1;
  while (value < kLowThreshold) {
    value = value * 10;
    exponent -= 1;
  }
  while (value >= kHighThreshold) {
    value = value / 10;
    exponent += 1;
  }
  result.digits.resize(size);
  for (std::size_t i = 0; i < size; ++i) {
    // 0 <= value < 10 here, so the floor is a single digit.
    const int digit = static_cast<int>(std::floor(value));
    result.digits[i] = static_cast<char>('0' + digit);
    value = (value - digit) * 10;
  }
  if (value >= 5 && RoundUpLastDigit(result.digits)) {
    result.digits[0] = '1';
    exponent += 1;
  }
  result.exponent = exponent;
  return result;
}

std::string FormatNumber(double value) {
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  const DigitString d = DecimalDigits(value, 15);
  std::string text = d.negative ? "-" : "";
  if (d.exponent > 15 || d.exponent < -3) return text + ExponentForm(d);
  return text + FixedForm(d);
}

std::string FormatFixed(double value, std::uint8_t decimals) {
  const int n = decimals < 1 ? 1 : decimals > 4 ? 4 : decimals;
  const double p = PowerOfTen(n);
  const double q = PowerOfTen(n + 1);
  if (std::isnan(value)) value = 0;
  const double scaledByP = value * p;
  const double scaledByQ = value * q;
  const bool insideRule = std::fabs(scaledByQ) < 2147483648.0;
  if (!insideRule && !(std::fabs(value) < 1e11)) return FormatNumber(value);

  // Inside the rule both floors fit 32 bits; below 1e11 they fit 64 bits.
  std::int64_t f = static_cast<std::int64_t>(std::floor(scaledByP));
  const std::int64_t d = static_cast<std::int64_t>(std::floor(scaledByQ));
  const std::int64_t roundingDigit = d - 10 * f;  // normally 0..9, may be -1 or 10
  if (roundingDigit >= 5) f += 1;
  if (!insideRule) return WriteScaledInteger(f, n);

  std::string s = FormatNumber(static_cast<double>(f) / p);
  const std::size_t point = s.find('.');
  s += point == std::string::npos ? ".0000" : "000";
  return s.substr(0, s.find('.') + 1 + static_cast<std::size_t>(n));
}

}  // namespace kestrova

#include "numtext/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>
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

// A zero digit adds +0, which leaves the (non-negative) sum as it is, so its
// division is skipped.
double AddFractionDigits(double value, std::string_view digits) {
  double divisor = 10;
  for (char c : digits) {
    if (c != '0') value += (c - '0') / divisor;
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

// Digits are produced into fixed buffers: the formatting runs for every result
// of every calculation, so it avoids allocating until the final text.
constexpr int kNumberDigits = 15;

struct RawDigits {
  char digits[kNumberDigits];
  int exponent;
  bool negative;
};

// Adds one to the last of `count` digits and carries leftwards. Returns true when
// the carry ran out of the first digit (cannot happen for normalised finite values).
bool RoundUpLastDigit(char* digits, int count) {
  for (int i = count; i > 0; --i) {
    if (digits[i - 1] != '9') {
      ++digits[i - 1];
      return false;
    }
    digits[i - 1] = '0';
  }
  return true;
}

// `count` digits D and the exponent E with value ~ 0.D × 10^E, for a finite,
// non-zero magnitude: normalised against the thresholds 0.999999999999999 and
// 9.99999999999999 and rounded half up on the remainder (2.35 -> "235…", E = 1).
// Invariant of the digit loop: 0 <= value < 10, so truncation is the floor.
int GenerateDigits(double value, char* digits, int count) {
  int exponent = 1;
  while (value < kLowThreshold) {
    value = value * 10;
    exponent -= 1;
  }
  while (value >= kHighThreshold) {
    value = value / 10;
    exponent += 1;
  }
  for (int i = 0; i < count; ++i) {
    const int digit = static_cast<int>(value);
    digits[i] = static_cast<char>('0' + digit);
    value = (value - digit) * 10;
  }
  if (value >= 5 && RoundUpLastDigit(digits, count)) {
    digits[0] = '1';
    exponent += 1;
  }
  return exponent;
}

// GenerateDigits with count 15, into a fixed buffer. Infinity is handled by the caller.
RawDigits FifteenDigits(double value) {
  RawDigits d{};
  if (value == 0 || std::isnan(value)) {
    std::memset(d.digits, '0', kNumberDigits);
    return d;
  }
  if (value < 0) {
    d.negative = true;
    value = value * -1;
  }
  d.exponent = GenerateDigits(value, d.digits, kNumberDigits);
  return d;
}

// Writes the general form into `out` (at least 32 bytes); returns the length.
int WriteNumber(double value, char* out) {
  if (std::isinf(value)) {
    const char* text = value > 0 ? "inf" : "-inf";
    std::memcpy(out, text, std::strlen(text));
    return static_cast<int>(std::strlen(text));
  }
  const RawDigits d = FifteenDigits(value);
  char* p = out;
  if (d.negative) *p++ = '-';
  if (d.exponent > 15 || d.exponent < -3) {
    *p++ = d.digits[0];
    *p++ = '.';
    std::memcpy(p, d.digits + 1, kNumberDigits - 1);
    p += kNumberDigits - 1;
    // "+%03d" above, "%03d" below: the sign is always shown only for large values.
    p += std::snprintf(p, 16, d.exponent > 15 ? "e%+04d" : "e%03d", d.exponent - 1);
    return static_cast<int>(p - out);
  }
  if (d.exponent >= 1) {
    std::memcpy(p, d.digits, static_cast<std::size_t>(d.exponent));
    p += d.exponent;
    *p++ = '.';
    std::memcpy(p, d.digits + d.exponent, static_cast<std::size_t>(kNumberDigits - d.exponent));
    p += kNumberDigits - d.exponent;
  } else {
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -d.exponent; ++i) *p++ = '0';
    std::memcpy(p, d.digits, kNumberDigits);
    p += kNumberDigits;
  }
  while (p > out && p[-1] == '0') --p;
  if (p > out && p[-1] == '.') --p;
  return static_cast<int>(p - out);
}

// Powers of ten for 1 to 5 are exact doubles.
double PowerOfTen(int n) {
  constexpr double kPowers[] = {1, 10, 100, 1000, 10000, 100000};
  return kPowers[n];
}

// Floor of a double known to lie well inside the 64-bit range.
std::int64_t FloorToInt(double x) {
  auto t = static_cast<std::int64_t>(x);
  if (static_cast<double>(t) > x) t -= 1;
  return t;
}

// The integer f written with n decimals: the exact decimal text of f / 10^n.
void WriteScaledInteger(std::int64_t f, int n, std::string& out) {
  char buffer[32];
  char* const end = buffer + sizeof buffer;
  char* p = end;
  std::uint64_t magnitude = f < 0 ? 0 - static_cast<std::uint64_t>(f) : static_cast<std::uint64_t>(f);
  // Inside the rule the magnitude fits 32 bits, where dividing by ten is cheaper.
  if (magnitude <= 0xFFFFFFFFu) {
    auto small = static_cast<std::uint32_t>(magnitude);
    for (int i = 0; i < n; ++i) {
      *--p = static_cast<char>('0' + small % 10);
      small /= 10;
    }
    *--p = '.';
    do {
      *--p = static_cast<char>('0' + small % 10);
      small /= 10;
    } while (small != 0);
  } else {
    for (int i = 0; i < n; ++i) {
      *--p = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    }
    *--p = '.';
    do {
      *--p = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
  }
  if (f < 0) *--p = '-';
  out.assign(p, end);
}

}  // namespace

double ParseNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  text.remove_prefix(pos);
  if (!text.empty() && text[0] == '&') return ParseRadixForm(text);
  return ParseDecimalForm(text);
}

std::string FormatNumber(double value) {
  char buffer[48];
  return std::string(buffer, static_cast<std::size_t>(WriteNumber(value, buffer)));
}

std::string FormatFixed(double value, std::uint8_t decimals) {
  std::string text;
  FormatFixedTo(value, decimals, text);
  return text;
}

namespace {

// FormatFixed's rounding: true with the scaled integer f and the decimal count
// n when the text is f written with n decimals, false when it is
// FormatNumber(value) instead.
bool ScaledInteger(double value, std::uint8_t decimals, std::int64_t& f, int& n) {
  n = decimals < 1 ? 1 : decimals > 4 ? 4 : decimals;
  const double p = PowerOfTen(n);
  const double q = PowerOfTen(n + 1);
  const double scaledByP = value * p;
  const double scaledByQ = value * q;
  const bool insideRule = std::fabs(scaledByQ) < 2147483648.0;
  if (!insideRule && !(std::fabs(value) < 1e11)) return false;

  // Inside the rule both floors fit 32 bits; below 1e11 they fit 64 bits.
  f = FloorToInt(scaledByP);
  const std::int64_t d = FloorToInt(scaledByQ);
  const std::int64_t roundingDigit = d - 10 * f;  // normally 0..9, may be -1 or 10
  if (roundingDigit >= 5) f += 1;
  // The text is FormatNumber(f / p), padded with zeros and cut n places after
  // the point. Inside the rule |f| < 2^31 / 10 + 1 has at most 9 digits, which
  // the 15-digit general form writes back exactly, so that text is f written
  // with n decimals; this was checked for every such f and n = 1 to 4, and the
  // tests compare both routes on a sample. Outside the rule (below 1e11) the
  // same writing is the documented extension.
  return true;
}

// What ParseNumber reads from `text`, which WriteScaledInteger wrote for f and
// n: the whole part is below 2^53, so the right-to-left sum of its digits is the
// integer itself; then each non-zero fraction digit (the text's last n bytes)
// over its power of ten, left to right; then the sign.
double ReadScaledInteger(std::int64_t f, int n, const std::string& text) {
  const std::uint64_t magnitude = f < 0 ? 0 - static_cast<std::uint64_t>(f) : static_cast<std::uint64_t>(f);
  // Constant divisors: no division by a variable on this path.
  const std::uint64_t whole = n == 1   ? magnitude / 10
                              : n == 2 ? magnitude / 100
                              : n == 3 ? magnitude / 1000
                                       : magnitude / 10000;
  double value = static_cast<double>(whole);
  const char* const fraction = text.data() + text.size() - n;
  double divisor = 10;
  for (int i = 0; i < n; ++i) {
    const int digit = fraction[i] - '0';
    if (digit != 0) value += digit / divisor;
    divisor *= 10;
  }
  if (f < 0) value = value * -1;
  return value;
}

}  // namespace

namespace {

// FormatFixed's text into `out`; true, with f and n, when it is the scaled
// integer f written with n decimals (false: FormatNumber's text).
bool WriteFixed(double value, std::uint8_t decimals, std::string& out, std::int64_t& f, int& n) {
  if (std::isnan(value)) value = 0;
  if (!ScaledInteger(value, decimals, f, n)) {
    out = FormatNumber(value);
    return false;
  }
  WriteScaledInteger(f, n, out);
  return true;
}

}  // namespace

void FormatFixedTo(double value, std::uint8_t decimals, std::string& out) {
  std::int64_t f = 0;
  int n = 0;
  WriteFixed(value, decimals, out, f, n);
}

double RoundThroughText(double value, std::uint8_t decimals, std::string& out) {
  std::int64_t f = 0;
  int n = 0;
  return WriteFixed(value, decimals, out, f, n) ? ReadScaledInteger(f, n, out) : ParseNumber(out);
}

}  // namespace kestrova

#include "numtext/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace kestrova {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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

// The double nearest to digit / 10^(k+1) for the fraction's k-th digit (k from
// 0): the quotient of two exact doubles, so the constant equals the division the
// summation rule performs. Eight places cover every text the program writes.
constexpr int kTabulatedPlaces = 8;

struct FractionDigitTable {
  double value[kTabulatedPlaces][10];
  double nextDivisor;  // the divisor of the first place past the table
};

constexpr FractionDigitTable MakeFractionDigitTable() {
  FractionDigitTable table{};
  double divisor = 10;
  for (int place = 0; place < kTabulatedPlaces; ++place) {
    for (int digit = 0; digit < 10; ++digit) table.value[place][digit] = digit / divisor;
    divisor *= 10;
  }
  table.nextDivisor = divisor;
  return table;
}

constexpr FractionDigitTable kFractionDigits = MakeFractionDigitTable();

// Whole parts of up to this many digits are summed as integers: every partial
// sum of the right-to-left rule is then an integer below 10^15 < 2^53, hence
// exact, and the result is the integer itself.
constexpr std::ptrdiff_t kExactWholeDigits = 15;

// Whole part summed right to left, for runs longer than kExactWholeDigits. A
// zero digit adds nothing: that is exact for finite place values and keeps an
// overflowed place (inf) from making 0 * inf.
double SumLongWholeDigits(const char* first, const char* last) {
  double value = 0;
  double place = 1;
  for (const char* p = last; p != first; --p) {
    const int digit = p[-1] - '0';
    if (digit != 0) value += digit * place;
    place *= 10;
  }
  return value;
}

// Reads the whole part's digits from `p` on, leaving `p` after them. Short runs
// are read left to right as an integer in the same pass as the scan (an
// integer that wraps past 64 bits belongs to a long run and is not used).
double ReadWholeDigits(const char*& p, const char* const end) {
  const char* const first = p;
  std::uint64_t whole = 0;
  for (; p != end && IsDigit(*p); ++p) whole = whole * 10 + static_cast<std::uint64_t>(*p - '0');
  if (p - first <= kExactWholeDigits) return static_cast<double>(whole);
  return SumLongWholeDigits(first, p);
}

// Reads the fraction's digits from `p` on, adding them to `value` left to
// right and leaving `p` after them: digit / divisor with divisor 10, 100, …
// (the tabulated places hold those very quotients). A zero digit adds +0,
// which leaves the (non-negative) sum as it is, so it is skipped.
double ReadFractionDigits(double value, const char*& p, const char* const end) {
  const char* const first = p;
  for (; p != end && IsDigit(*p) && p - first < kTabulatedPlaces; ++p) {
    const int digit = *p - '0';
    if (digit != 0) value += kFractionDigits.value[p - first][digit];
  }
  double divisor = kFractionDigits.nextDivisor;
  for (; p != end && IsDigit(*p); ++p) {
    if (*p != '0') value += (*p - '0') / divisor;
    divisor *= 10;
  }
  return value;
}

// digits[.digits], from `p` on.
double ParseUnsignedDecimal(const char* p, const char* const end) {
  double value = ReadWholeDigits(p, end);
  if (p != end && *p == '.') {
    ++p;
    value = ReadFractionDigits(value, p, end);
  }
  return value;
}

double ParseDecimalForm(const char* p, const char* const end) {
  bool negative = false;
  if (p != end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  double value = ParseUnsignedDecimal(p, end);
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

// Floor of a double known to lie well inside the 64-bit range.
std::int64_t FloorToInt(double x) {
  auto t = static_cast<std::int64_t>(x);
  if (static_cast<double>(t) > x) t -= 1;
  return t;
}

// The fixed texts are written for N = 1 to 4 decimals as separate instances,
// so that every division, loop and table index on N is by a constant.
constexpr std::uint64_t PowerOfTen(int n) { return n == 0 ? 1 : 10 * PowerOfTen(n - 1); }

template <int N>
constexpr std::uint64_t kScale = PowerOfTen(N);

// FormatFixed's rounding with N decimals inside the rule (|value| * q < 2^31):
// the scaled integer f, or false outside the rule (NaN included).
//   f = floor(value * p); f += 1 when floor(value * q) - 10f >= 5.
// As 10f + 5 is an integer, floor(value * q) >= 10f + 5 exactly when
// value * q >= 10f + 5, and that bound (below 2^32 in magnitude) is an exact
// double: one comparison stands for the second floor and the integer product.
template <int N>
bool RoundInsideRule(double value, std::int64_t& f) {
  // 10^N and 10^(N+1) are exact doubles.
  const double scaledByP = value * static_cast<double>(kScale<N>);
  const double scaledByQ = value * static_cast<double>(kScale<N> * 10);
  if (!(std::fabs(scaledByQ) < 2147483648.0)) return false;
  // floor(scaledByP) from its truncation, one less where that went up (below
  // zero); |scaledByP| < 2^31, so the floor is exact as integer and as double.
  // The floor is converted back rather than selected between two doubles,
  // which compiles to a branch that mispredicts on values of either sign.
  const auto truncated = static_cast<std::int64_t>(scaledByP);
  const std::int64_t floored = truncated - (static_cast<double>(truncated) > scaledByP ? 1 : 0);
  f = floored + (scaledByQ >= static_cast<double>(floored) * 10 + 5 ? 1 : 0);
  return true;
}

// The same rounding outside the rule, for |value| < 1e11 (false otherwise, the
// text then being FormatNumber(value)); both floors fit 64 bits there.
template <int N>
bool RoundOutsideRule(double value, std::int64_t& f) {
  if (!(std::fabs(value) < 1e11)) return false;
  f = FloorToInt(value * static_cast<double>(kScale<N>));
  const std::int64_t d = FloorToInt(value * static_cast<double>(kScale<N> * 10));
  const std::int64_t roundingDigit = d - 10 * f;  // normally 0..9, may be -1 or 10
  if (roundingDigit >= 5) f += 1;
  return true;
}

// The text is FormatNumber(f / p), padded with zeros and cut N places after
// the point. Inside the rule |f| < 2^31 / 10 + 1 has at most 9 digits, which
// the 15-digit general form writes back exactly, so that text is f written
// with N decimals; this was checked for every such f and N = 1 to 4, and the
// tests and fuzz/fuzz_number_text.cpp hold the writer to the rule written out
// plainly (tests/numtext/fixed_reference.h). Outside the rule (below 1e11) the
// same writing is the documented extension. f is written from its parts
// |f| = whole × 10^N + fraction; a result rounded to zero has no sign.
template <typename UInt>
struct ScaledParts {
  UInt whole;  // below 10^11
  std::uint32_t fraction;
  bool negative;
};

template <int N, typename UInt>
ScaledParts<UInt> SplitScaled(std::int64_t f) {
  const std::uint64_t magnitude = f < 0 ? 0 - static_cast<std::uint64_t>(f) : static_cast<std::uint64_t>(f);
  constexpr auto kDivisor = static_cast<UInt>(kScale<N>);
  const auto narrowed = static_cast<UInt>(magnitude);
  return {narrowed / kDivisor, static_cast<std::uint32_t>(narrowed % kDivisor), f < 0};
}

// "00", "01", … "99": the digits of a number below 100, two per lookup.
struct DigitPairTable {
  char pairs[200];
};

constexpr DigitPairTable MakeDigitPairTable() {
  DigitPairTable table{};
  for (int i = 0; i < 100; ++i) {
    table.pairs[2 * i] = static_cast<char>('0' + i / 10);
    table.pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return table;
}

constexpr DigitPairTable kDigitPairs = MakeDigitPairTable();

// Count of decimal digits of v, 1 for 0 (v below 10^19).
int DigitCount(std::uint64_t v) {
  int count = 1;
  for (std::uint64_t limit = 10; v >= limit && count < 19; limit *= 10) ++count;
  return count;
}

// Writes the last `count` decimal digits of v so that they end just before
// `end`, leading zeros included; right to left, two digits at a time.
template <typename UInt>
void WriteDigits(UInt v, int count, char* end) {
  for (; count >= 2; count -= 2) {
    end -= 2;
    std::memcpy(end, &kDigitPairs.pairs[2 * (v % 100)], 2);
    v /= 100;
  }
  if (count == 1) end[-1] = static_cast<char>('0' + v % 10);
}

// `out` resized to `length` bytes that the caller then overwrites all of. The
// library is called only when the length changes: a string reused for one
// field mostly keeps its length from one text to the next.
char* ResizeForOverwrite(std::string& out, std::size_t length) {
  if (out.size() != length) out.resize(length);
  return out.data();
}

// The parts written with N decimals and followed by `suffix`, into `out`, as
// ["-"] whole "." fraction with exactly N fraction digits; any whole part.
template <int N, typename UInt>
void WriteScaledText(const ScaledParts<UInt>& parts, std::string_view suffix, std::string& out) {
  const int wholeDigits = DigitCount(parts.whole);
  const std::size_t numberLength = (parts.negative ? 1 : 0) + static_cast<std::size_t>(wholeDigits) + 1 + N;
  char* p = ResizeForOverwrite(out, numberLength + suffix.size());
  if (parts.negative) *p++ = '-';
  p += wholeDigits;
  WriteDigits(parts.whole, wholeDigits, p);
  *p++ = '.';
  p += N;
  WriteDigits(parts.fraction, N, p);
  std::copy(suffix.begin(), suffix.end(), p);
}

// value + digit 0 + digit 1 + … of the N-digit integer `fraction` (its digits
// being the text's digits after the point), left to right, each sum rounded;
// the digits' places unrolled as template arguments, so that every division
// is by a constant.
template <int N, int... places>
double AddDigitsOfScaledFraction(double value, std::uint32_t fraction,
                                 std::integer_sequence<int, places...>) {
  ((value += kFractionDigits.value[places][fraction / kScale<N - 1 - places> % 10]), ...);
  return value;
}

// What ParseNumber reads from the text of the parts: the whole part is below
// 10^11, far below 10^15, so the right-to-left sum of its digits is the
// integer itself; then each fraction digit over its power of ten, left to
// right (digit i is fraction / 10^(N-1-i) mod 10); then the sign. The reader
// skips a zero digit; this adds the table's +0.0 instead, which leaves the sum
// as it is: the sum starts at +0.0 or above and stays there, and x + (+0.0) is
// x for every x but -0.0.
template <int N, typename UInt>
double ReadScaledText(const ScaledParts<UInt>& parts) {
  const double whole = static_cast<double>(static_cast<std::int64_t>(parts.whole));
  const double value =
      AddDigitsOfScaledFraction<N>(whole, parts.fraction, std::make_integer_sequence<int, N>{});
  return parts.negative ? value * -1 : value;
}

// FormatNumber's text followed by `suffix`, into `out`.
void WriteGeneralForm(double value, std::string_view suffix, std::string& out) {
  char buffer[48];
  out.assign(buffer, static_cast<std::size_t>(WriteNumber(value, buffer)));
  out.append(suffix);
}

template <int N, bool readBack>
inline double WriteFixed(double value, std::string_view suffix, std::string& out, ShownNumber* shown);

// The shown number as data: f units of the N-th decimal, or the general form's value.
template <int N>
void KeepShown(ShownNumber* shown, bool fixed, std::int64_t f, double value) {
  if (shown == nullptr) return;
  shown->shown = true;
  shown->fixed = fixed;
  shown->scaled = fixed ? f : 0;
  shown->decimals = N;
  shown->value = value;
}

// WriteFixed for a value outside the rule: NaN as zero, then the 64-bit
// extension or the general form.
template <int N, bool readBack>
[[gnu::noinline]] double WriteFixedOutsideRule(double value, std::string_view suffix, std::string& out,
                                               ShownNumber* shown) {
  if (std::isnan(value)) return WriteFixed<N, readBack>(0, suffix, out, shown);
  std::int64_t f = 0;
  if (!RoundOutsideRule<N>(value, f)) {
    WriteGeneralForm(value, suffix, out);
    const double read =
        readBack || shown ? ParseNumber(std::string_view(out).substr(0, out.size() - suffix.size())) : 0;
    KeepShown<N>(shown, false, 0, read);
    return read;
  }
  const auto parts = SplitScaled<N, std::uint64_t>(f);
  WriteScaledText<N>(parts, suffix, out);
  const double read = readBack || shown ? ReadScaledText<N>(parts) : 0;
  KeepShown<N>(shown, true, f, read);
  return read;
}

// FormatFixed's text with N decimals and then `suffix`, into `out`; returns
// the value ParseNumber reads from the number text when `readBack` (else 0).
// Inlined into each public instance, so that a constant empty suffix costs
// nothing and the other instances' suffixes do not share its branches.
template <int N, bool readBack>
[[gnu::always_inline]] inline double WriteFixed(double value, std::string_view suffix, std::string& out,
                                                ShownNumber* shown) {
  std::int64_t f = 0;
  if (!RoundInsideRule<N>(value, f)) [[unlikely]] {
    return WriteFixedOutsideRule<N, readBack>(value, suffix, out, shown);
  }
  // Inside the rule |f| fits 32 bits, where dividing by constants is cheaper.
  const auto parts = SplitScaled<N, std::uint32_t>(f);
  WriteScaledText<N>(parts, suffix, out);
  const double read = readBack || shown ? ReadScaledText<N>(parts) : 0;
  KeepShown<N>(shown, true, f, read);
  return read;
}

}  // namespace

double ParseNumber(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  // Most texts start with a digit: no blank, radix prefix or sign to look for.
  if (p != end && IsDigit(*p)) return ParseUnsignedDecimal(p, end);
  while (p != end && (*p == ' ' || *p == '\t')) ++p;
  if (p != end && *p == '&') return ParseRadixForm(std::string_view(p, static_cast<std::size_t>(end - p)));
  return ParseDecimalForm(p, end);
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

template <int Decimals>
void FormatFixedTo(double value, std::string& out) {
  WriteFixed<Decimals, false>(value, {}, out, nullptr);
}

template <int Decimals>
double RoundThroughText(double value, std::string& out) {
  return WriteFixed<Decimals, true>(value, {}, out, nullptr);
}

template <int Decimals>
double RoundThroughText(double value, std::string& out, std::string_view suffix) {
  return WriteFixed<Decimals, true>(value, suffix, out, nullptr);
}

template <int Decimals>
double RoundThroughText(double value, std::string& out, std::string_view suffix, ShownNumber& shown) {
  return WriteFixed<Decimals, true>(value, suffix, out, &shown);
}

double ShownNumber::Nearest() const {
  constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4};
  if (!shown) return std::numeric_limits<double>::quiet_NaN();
  return fixed ? static_cast<double>(scaled) / kPowers[decimals] : value;
}

#define KESTROVA_FIXED_INSTANCES(N)                                            \
  template void FormatFixedTo<N>(double, std::string&);                        \
  template double RoundThroughText<N>(double, std::string&);                   \
  template double RoundThroughText<N>(double, std::string&, std::string_view); \
  template double RoundThroughText<N>(double, std::string&, std::string_view, ShownNumber&);
KESTROVA_FIXED_INSTANCES(1)
KESTROVA_FIXED_INSTANCES(2)
KESTROVA_FIXED_INSTANCES(3)
KESTROVA_FIXED_INSTANCES(4)
#undef KESTROVA_FIXED_INSTANCES

}  // namespace kestrova

// Number <-> text conversion with the exact digits the calculator shows.
//
// Every value the program computes is rounded through text: FormatFixed writes it
// with a fixed count of decimals, ParseNumber reads that text back, and the text
// and the double are kept together. Both directions therefore follow fixed rules,
// not the C library's, because those rules decide every displayed digit.
//
// ParseNumber(text)
//   Skips leading blanks and tabs, then reads either a decimal form
//   [+|-]digits[.digits] or a radix form "&H..." / "&O..." (case-insensitive).
//   The whole part is summed from its last digit to its first (value += digit *
//   place, place *= 10), the fraction from its first digit on (value += digit /
//   divisor, divisor *= 10), each step rounded to double. So "2.35" reads as
//   2.3499999999999996, not as the double nearest to 2.35. Reading stops at the
//   first byte that does not fit; there is no exponent and no error:
//     "2.35" -> 2.3499999999999996     "  -12.5abc" -> -12.5    "1,234" -> 1
//     "&H1F" -> 31    "&o78" -> 7      "&X1" -> 0              "" -> 0
//   Outside the rules: a zero digit adds nothing (so a run of several hundred
//   digits reads as infinity, never as 0 * inf = NaN), and radix place values
//   are powers of two held in a double (exact), so radix texts past 2^63 read
//   as the nearest sum, or infinity, with no integer overflow.
//
// FormatNumber(value)
//   Up to 15 significant digits, trailing zeros removed, fixed form for
//   -3 <= E <= 15, else d.dddddddddddddde+NNN / d.dddddddddddddde-NN:
//     0.5 -> "0.5"   1/3 -> "0.333333333333333"   1234567890123456 ->
//     "1.23456789012346e+015"   0.0000999 -> "9.99000000000000e-05"
//   NaN is written "0"; infinities as "inf" and "-inf".
//
// FormatFixed(value, decimals)
//   Exactly `decimals` digits after the point (1 to 4; other counts are clamped
//   into that range). With p = 10^n, q = 10^(n+1): f = floor(value*p),
//   d = floor(value*q), r = d - 10f; f += 1 when r >= 5; the text is
//   FormatNumber(f/p) padded with zeros and cut n places after the point.
//   This is half up on the separately rounded scaled products, so:
//     2.345,2 -> "2.35"   1.005,2 -> "1.00"   -2.345,2 -> "-2.34"
//     -0.004,2 -> "0.00"  267.46,2 -> "267.46" (r = 10)   7,3 -> "7.000"
//   The rule holds for |value| * q < 2^31. Outside it, deterministically:
//   - NaN is written as zero ("0.00");
//   - a finite value with |value| < 1e11 follows the same half-up rule on
//     64-bit integers and is written in full fixed notation ("99999999999.00");
//   - anything larger, and the infinities, are written as FormatNumber(value).
//   FormatFixedTo writes the same text into `out`, reusing its storage (the
//   form for code that formats many values into the same strings).
//
// RoundThroughText(value, decimals, out)
//   FormatFixedTo, returning ParseNumber(out): the value rounded through its
//   text, computed from the digits just written instead of reading them again.
//     2.345,2 -> "2.35" and 2.35   -2.345,2 -> "-2.34" and -2.34
//   With a `suffix`, `out` holds the text followed by the suffix, written in one
//   go (for lines that put a label after the number); the value is still that
//   of the number text alone:
//     2.345,2," :LLN" -> "2.35 :LLN" and 2.35
//
// FormatFixedTo<N> and RoundThroughText<N> are the same with the decimal count
// N (1 to 4) fixed by the caller. The forms taking `decimals` clamp it and
// call one of them; they are inline, so that each caller branches on its own
// counts (a branch shared by every caller mixes them all and mispredicts).
#ifndef KESTROVA_NUMTEXT_NUMBER_TEXT_H_
#define KESTROVA_NUMTEXT_NUMBER_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace kestrova {

double ParseNumber(std::string_view text);

// A number as shown, kept as data beside its text so that nothing reads the
// text back: the text's value as a whole count of units of its last decimal
// place. RoundThroughText fills it as it writes the text:
//   "4.48"  (2 decimals) -> shown, fixed, scaled 448, decimals 2
//   "-0.25" (2 decimals) -> shown, fixed, scaled -25
//   "0.00" from -0.004   -> scaled 0 (a number rounded to zero has no sign)
// A value beyond the fixed form (|value| >= 1e11, the infinities) is written in
// the general form: fixed is false and only `value` holds it. A default
// ShownNumber is no number at all (a placeholder, a blank cell).
struct ShownNumber {
  bool shown = false;
  bool fixed = false;
  std::int64_t scaled = 0;
  std::uint8_t decimals = 0;
  double value = 0;  // what ParseNumber reads from the text: the value the program compares
  // The double nearest to the number shown ("2.35" -> 2.35, where ParseNumber
  // gives 2.3499999999999996): scaled / 10^decimals, both exact doubles, so the
  // one division rounds correctly; `value` for the general form; NaN when
  // nothing is shown. What outputs that hand numbers on (Python) give.
  double Nearest() const;
};

std::string FormatNumber(double value);

std::string FormatFixed(double value, std::uint8_t decimals);

// Defined for N = 1 to 4.
template <int N>
void FormatFixedTo(double value, std::string& out);
template <int N>
double RoundThroughText(double value, std::string& out);
template <int N>
double RoundThroughText(double value, std::string& out, std::string_view suffix);
// The same, keeping the number shown in `shown` as well.
template <int N>
double RoundThroughText(double value, std::string& out, std::string_view suffix, ShownNumber& shown);

namespace number_text_internal {

// write(std::integral_constant<int, N>{}) for `decimals` clamped into 1 to 4.
template <typename Write>
auto WithClampedDecimals(std::uint8_t decimals, Write write) {
  switch (decimals) {
    case 0:
    case 1:
      return write(std::integral_constant<int, 1>{});
    case 2:
      return write(std::integral_constant<int, 2>{});
    case 3:
      return write(std::integral_constant<int, 3>{});
    default:
      return write(std::integral_constant<int, 4>{});
  }
}

}  // namespace number_text_internal

inline void FormatFixedTo(double value, std::uint8_t decimals, std::string& out) {
  number_text_internal::WithClampedDecimals(decimals,
                                            [&](auto n) { FormatFixedTo<decltype(n)::value>(value, out); });
}

inline double RoundThroughText(double value, std::uint8_t decimals, std::string& out) {
  return number_text_internal::WithClampedDecimals(
      decimals, [&](auto n) { return RoundThroughText<decltype(n)::value>(value, out); });
}

inline double RoundThroughText(double value, std::uint8_t decimals, std::string& out,
                               std::string_view suffix) {
  return number_text_internal::WithClampedDecimals(
      decimals, [&](auto n) { return RoundThroughText<decltype(n)::value>(value, out, suffix); });
}

inline double RoundThroughText(double value, std::uint8_t decimals, std::string& out, std::string_view suffix,
                               ShownNumber& shown) {
  return number_text_internal::WithClampedDecimals(
      decimals, [&](auto n) { return RoundThroughText<decltype(n)::value>(value, out, suffix, shown); });
}

}  // namespace kestrova

#endif  // KESTROVA_NUMTEXT_NUMBER_TEXT_H_

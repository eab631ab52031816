// Except for Exp's (see there), the methods, polynomial coefficients and
// thresholds below are fdlibm's (e_log.c, s_log1p.c, s_expm1.c and erfc of
// s_erf.c), rewritten here; log1p takes the corrected bound of FreeBSD's msun
// for its k = 0 case. fdlibm carries this notice:
//
//   Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
//   Developed at SunPro, a Sun Microsystems, Inc. business. Permission to use,
//   copy, modify, and distribute this software is freely granted, provided that
//   this notice is preserved.
//
// Every step is one rounded IEEE-754 double operation in a fixed order or an
// exact bit operation on the high (sign, exponent, 20 fraction bits) and low
// (32 fraction bits) words of a double, so the result depends on the argument
// alone (Exp works on the whole 64 bits instead). Comparisons of a high word
// against a hexadecimal constant stand for comparisons of the value against the
// double with that high word.
#include "gli/portable_math.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace kestrova::portable_math {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// std::bit_cast; the compiler's builtin under a standard library without it
// (emscripten's libc++ of the web build).
template <typename To, typename From>
constexpr To BitCast(const From& from) {
#ifdef __cpp_lib_bit_cast
  return std::bit_cast<To>(from);
#else
  return __builtin_bit_cast(To, from);
#endif
}

constexpr std::uint32_t HighWord(double x) {
  return static_cast<std::uint32_t>(BitCast<std::uint64_t>(x) >> 32);
}
constexpr std::uint32_t LowWord(double x) { return static_cast<std::uint32_t>(BitCast<std::uint64_t>(x)); }
// The high word as fdlibm's signed comparisons read it: negative for x < 0.
constexpr std::int32_t SignedHighWord(double x) { return static_cast<std::int32_t>(HighWord(x)); }
constexpr double FromWords(std::uint32_t high, std::uint32_t low) {
  return BitCast<double>(static_cast<std::uint64_t>(high) << 32 | low);
}
constexpr double WithHighWord(double x, std::uint32_t high) { return FromWords(high, LowWord(x)); }
constexpr double WithLowWord(double x, std::uint32_t low) { return FromWords(HighWord(x), low); }
constexpr bool IsNaN(double x) { return x != x; }
constexpr double Abs(double x) { return BitCast<double>(BitCast<std::uint64_t>(x) & ~(1ull << 63)); }
// 2^k, exactly, for a normal power: −1022 ≤ k ≤ 1023.
constexpr double TwoToThe(int k) { return BitCast<double>(static_cast<std::uint64_t>(1023 + k) << 52); }

// ln 2 = kLn2Hi + kLn2Lo, kLn2Hi with its low 21 bits zero so that k·kLn2Hi is
// exact for |k| < 2000.
constexpr double kLn2Hi = 6.93147180369123816490e-01;   // 0x3fe62e42 fee00000
constexpr double kLn2Lo = 1.90821492927058770002e-10;   // 0x3dea39ef 35793c76
constexpr double kInvLn2 = 1.44269504088896338700e+00;  // 0x3ff71547 652b82fe
constexpr double kTwo54 = 1.80143985094819840000e+16;   // 0x43500000 00000000
// Beyond these e^x is above DBL_MAX or below half the least subnormal.
constexpr double kExpOverflow = 7.09782712893383973096e+02;    // 0x40862e42 fefa39ef
constexpr double kExpUnderflow = -7.45133219101941108420e+02;  // 0xc0874910 d52d3051

// The common argument reduction of Exp and Expm1, for 0.5·ln2 < |x| < 709.8:
// x ≈ k·ln2 + (hi − lo), |hi − lo| ≤ 0.5·ln2 (about), hi = x − k·kLn2Hi exactly
// and lo = k·kLn2Lo rounded once.
struct Reduced {
  int k;
  double hi, lo;
};
Reduced ReduceByLn2(double x, bool negative) {
  if ((HighWord(x) & 0x7fffffff) < 0x3ff0a2b2) {  // |x| < 1.5·ln2: k is ±1
    return negative ? Reduced{-1, x + kLn2Hi, -kLn2Lo} : Reduced{1, x - kLn2Hi, kLn2Lo};
  }
  const int k = static_cast<int>(kInvLn2 * x + (negative ? -0.5 : 0.5));
  const double dk = k;
  return {k, x - dk * kLn2Hi, dk * kLn2Lo};
}

// log(1 + f) = log(1 + s) − log(1 − s) = 2s + s·R(s²) with s = f/(2 + f),
// s ∈ [0, 0.1716] for 1 + f ∈ [√2/2, √2]; |R − Remez polynomial| ≤ 2^−58.45.
// e_log.c's Lg1..Lg7 and s_log1p.c's Lp1..Lp7 are the same numbers.
constexpr double kLg1 = 6.666666666666735130e-01;  // 0x3fe55555 55555593
constexpr double kLg2 = 3.999999999940941908e-01;  // 0x3fd99999 9997fa04
constexpr double kLg3 = 2.857142874366239149e-01;  // 0x3fd24924 94229359
constexpr double kLg4 = 2.222219843214978396e-01;  // 0x3fcc71c5 1d8e78af
constexpr double kLg5 = 1.818357216161805012e-01;  // 0x3fc74664 96cb03de
constexpr double kLg6 = 1.531383769920937332e-01;  // 0x3fc39a09 d078c69f
constexpr double kLg7 = 1.479819860511658591e-01;  // 0x3fc2f112 df3e5244

}  // namespace

// Exp is the table-driven method of Arm's optimized-routines (MIT licence; also
// glibc's since 2.28 and musl's), rewritten here; its table and reduction
// constants come from gli/make_exp_table.py and its polynomial is
// optimized-routines' own. x = k·ln2/N + r with |r| ≤ ln2/(2N) (slightly more
// from rounding), N = 128, and e^x = 2^(k/N)·e^r where 2^(k/N) = s·(1 + tail),
// s built from the table's bits and k's, so e^x ≈ s + s·(tail + (e^r − 1)).
// Error under 0.52 ulp where the result is normal.
namespace {

#include "gli/exp_table.inc"

// z + kExpShift, for |z| < 2^51, is z rounded to the nearest integer k (ties to
// even), held two's complement in the low bits of the double's fraction.
constexpr double kExpShift = 0x1.8p52;
// e^r − 1 ≈ r + C2·r² + C3·r³ + C4·r⁴ + C5·r⁵ within 1.56·2^−66 for |r| ≤ ln2/256
// (optimized-routines' minimax fit).
constexpr double kExpC2 = 0x1.ffffffffffdbdp-2;
constexpr double kExpC3 = 0x1.555555555543cp-3;
constexpr double kExpC4 = 0x1.55555cf172b91p-5;
constexpr double kExpC5 = 0x1.1111167a4d017p-7;
// Exponent fields (biased) of 2^−54 and 512.
constexpr std::uint32_t kExpTinyField = 0x3c9;
constexpr std::uint32_t kExpLargeField = 0x408;

// s + s·p for 512 ≤ |x|, where the exponent field of scaleBits may have
// wrapped: s = 2^(k/N) lies beyond the normal doubles for x near the ends of
// the finite range. The scale is moved by 2^∓1009 or 2^±1022 into range and
// the product moved back by an exact power of two.
double ExpOfLargeMagnitude(double p, std::uint64_t scaleBits, bool negative) {
  if (!negative) {  // 2^(k/N) < 2^1025, so s·2^−1009 is normal
    const double scale = BitCast<double>(scaleBits - (1009ull << 52));
    return (scale + scale * p) * 0x1p1009;
  }
  // 2^(k/N) > 2^−1076, so s·2^1022 is normal.
  const double scale = BitCast<double>(scaleBits + (1022ull << 52));
  const double y = scale + scale * p;
  if (y >= 1.0) return y * 0x1p-1022;
  // A subnormal result: rounding y first and then again as it is scaled down
  // could miss the nearest subnormal by more than half its spacing. 1 + y has
  // the subnormal spacing (2^−52 before the scaling), so round the near-exact
  // 1 + s + s·p once there; the −1 and the scaling are exact.
  const double yError = (scale - y) + scale * p;
  const double onePlusY = 1.0 + y;
  const double onePlusYError = ((1.0 - onePlusY) + y) + yError;
  return ((onePlusY + onePlusYError) - 1.0) * 0x1p-1022;
}

}  // namespace

double Exp(double x) noexcept {
  const auto field = static_cast<std::uint32_t>(BitCast<std::uint64_t>(x) >> 52) & 0x7ff;
  // Unsigned: fields below 2^−54's wrap round to above the range too.
  if (field - kExpTinyField >= kExpLargeField - kExpTinyField) {  // |x| < 2^−54 or |x| ≥ 512
    if (field < kExpTinyField) return 1.0 + x;                    // the terms past x vanish
    if (IsNaN(x)) return x;
    if (x > kExpOverflow) return kInfinity;  // +inf included
    if (x < kExpUnderflow) return 0.0;       // −inf included
  }
  const double shifted = kExpInvLn2N * x + kExpShift;
  const std::uint64_t kBits = BitCast<std::uint64_t>(shifted);
  const double k = shifted - kExpShift;
  // |k| ≤ 137,600 and kExpLn2HiN has 36 significant bits, their product fewer
  // than 53: k·kExpLn2HiN is exact, and so is x − k·kExpLn2HiN, x being that close.
  const double r = x - k * kExpLn2HiN - k * kExpLn2LoN;
  const std::size_t i = 2 * static_cast<std::size_t>(kBits % (1u << kExpTableBits));
  const double tail = BitCast<double>(kExpTable[i]);
  // kBits << (52 − kExpTableBits) is k·2^(52 − kExpTableBits) modulo 2^64; with
  // the entry's bits that adds ⌊k/N⌋ to the exponent field, which wraps for |x| ≥ 708.4.
  const std::uint64_t scaleBits = kExpTable[i + 1] + (kBits << (52 - kExpTableBits));
  const double r2 = r * r;
  const double p = tail + r + r2 * (kExpC2 + r * kExpC3) + r2 * r2 * (kExpC4 + r * kExpC5);
  if (field >= kExpLargeField) return ExpOfLargeMagnitude(p, scaleBits, x < 0);
  const double scale = BitCast<double>(scaleBits);
  return scale + scale * p;
}

// x = 2^k·(1 + f) with 1 + f ∈ [√2/2, √2), then log x = k·ln2 + log(1 + f),
// log(1 + f) = f − (f²/2 − s·(f²/2 + R)) (f − s·(f − R) where that is as good);
// for |f| < 2^−20 a short series.
double Log(double x) noexcept {
  std::int32_t high = SignedHighWord(x);
  int k = 0;
  if (high < 0x00100000) {  // x < 2^−1022: zero, subnormal or negative
    if (((high & 0x7fffffff) | LowWord(x)) == 0) return -kInfinity;
    if (high < 0) return IsNaN(x) ? x : kNaN;
    k -= 54;  // subnormal: scale into the normal range
    x *= kTwo54;
    high = SignedHighWord(x);
  }
  if (high >= 0x7ff00000) return x;  // +inf or NaN
  k += (high >> 20) - 1023;
  high &= 0x000fffff;
  // i is 0x100000 when the fraction is at least √2's: halve x, count one more 2.
  const std::int32_t i = (high + 0x95f64) & 0x100000;
  x = WithHighWord(x, static_cast<std::uint32_t>(high | (i ^ 0x3ff00000)));
  k += i >> 20;
  const double f = x - 1.0;
  const double dk = k;

  if ((0x000fffff & (2 + high)) < 3) {  // −2^−20 ≤ f < 2^−20
    if (f == 0) return k == 0 ? 0.0 : dk * kLn2Hi + dk * kLn2Lo;
    const double r = f * f * (0.5 - 0.33333333333333333 * f);
    return k == 0 ? f - r : dk * kLn2Hi - ((r - dk * kLn2Lo) - f);
  }
  const double s = f / (2.0 + f);
  const double z = s * s;
  const double w = z * z;
  const double oddTerms = w * (kLg2 + w * (kLg4 + w * kLg6));
  const double evenTerms = z * (kLg1 + w * (kLg3 + w * (kLg5 + w * kLg7)));
  const double r = evenTerms + oddTerms;
  if (((high - 0x6147a) | (0x6b851 - high)) > 0) {  // mantissa 1.38 to 1.42, |f| near its largest
    const double halfSquare = 0.5 * f * f;
    return k == 0 ? f - (halfSquare - s * (halfSquare + r))
                  : dk * kLn2Hi - ((halfSquare - (s * (halfSquare + r) + dk * kLn2Lo)) - f);
  }
  return k == 0 ? f - s * (f - r) : dk * kLn2Hi - ((s * (f - r) - dk * kLn2Lo) - f);
}

// As Log with 1 + x = 2^k·(1 + f). When 1 + x rounds (k ≠ 0), c = ((1 + x) − u)/u
// restores what u = fl(1 + x) lost: log(1 + x) ≈ log u + c. Where 1 + x is
// already in [√2/2, √2), f = x exactly and k = 0.
double Log1p(double x) noexcept {
  if (IsNaN(x)) return x;
  const std::int32_t high = SignedHighWord(x);
  const std::int32_t highAbs = high & 0x7fffffff;
  int k = 1;
  double f = 0;
  double c = 0;
  std::int32_t hu = 0;      // the high fraction bits of 1 + f; 0 when |f| < 2^−20
  if (high < 0x3fda827a) {  // 1 + x < √2 (slightly above)
    if (highAbs >= 0x3ff00000) return x == -1.0 ? -kInfinity : kNaN;  // x ≤ −1
    if (highAbs < 0x3e200000) {                                       // |x| < 2^−29
      return highAbs < 0x3c900000 ? x : x - x * x * 0.5;              // x exactly below 2^−54
    }
    if (high > 0 || high <= static_cast<std::int32_t>(0xbfd2bec4)) {  // √2/2 (slightly below) ≤ 1 + x
      k = 0;
      f = x;
      hu = 1;
    }
  }
  if (high >= 0x7ff00000) return x;  // +inf
  if (k != 0) {
    double u;
    if (high < 0x43400000) {  // x < 2^53
      u = 1.0 + x;
      hu = SignedHighWord(u);
      k = (hu >> 20) - 1023;
      c = (k > 0 ? 1.0 - (u - x) : x - (u - 1.0)) / u;
    } else {  // 1 + x rounds to x: no correction
      u = x;
      hu = SignedHighWord(u);
      k = (hu >> 20) - 1023;
    }
    hu &= 0x000fffff;
    if (hu < 0x6a09e) {  // u's fraction below √2's: 1 + f = u/2^k
      u = WithHighWord(u, static_cast<std::uint32_t>(hu | 0x3ff00000));
    } else {  // 1 + f = u/2^(k+1)
      k += 1;
      u = WithHighWord(u, static_cast<std::uint32_t>(hu | 0x3fe00000));
      hu = (0x00100000 - hu) >> 2;
    }
    f = u - 1.0;
  }
  const double halfSquare = 0.5 * f * f;
  const double dk = k;
  if (hu == 0) {  // |f| < 2^−20
    if (f == 0) return k == 0 ? 0.0 : dk * kLn2Hi + (c + dk * kLn2Lo);
    const double r = halfSquare * (1.0 - 0.66666666666666666 * f);
    return k == 0 ? f - r : dk * kLn2Hi - ((r - (dk * kLn2Lo + c)) - f);
  }
  const double s = f / (2.0 + f);
  const double z = s * s;
  const double r = z * (kLg1 + z * (kLg2 + z * (kLg3 + z * (kLg4 + z * (kLg5 + z * (kLg6 + z * kLg7))))));
  return k == 0 ? f - (halfSquare - s * (halfSquare + r))
                : dk * kLn2Hi - ((halfSquare - (s * (halfSquare + r) + (dk * kLn2Lo + c))) - f);
}

// x = k·ln2 + r + c (c the rounding error of r), |r| ≤ 0.5·ln2.
// r·(e^r + 1)/(e^r − 1) = 2 + r²/6·R1(r²), R1 a Remez polynomial within 2^−61
// (its coefficients scaled by 2^i for z = r²/2), gives
//   expm1(r) = r + r²/2 + r³/2·(3 − (R1 + R1·r/2))/(6 − r·(3 − R1·r/2)) = r − E,
// corrected to expm1(r + c) ≈ expm1(r) + c + r·c; then
// expm1(x) = 2^k·(expm1(r) + 1) − 1, arranged per k to keep the last bit.
double Expm1(double x) noexcept {
  constexpr double kQ1 = -3.33333333333331316428e-02;  // 0xbfa11111 111110f4
  constexpr double kQ2 = 1.58730158725481460165e-03;   // 0x3f5a01a0 19fe5585
  constexpr double kQ3 = -7.93650757867487942473e-05;  // 0xbf14ce19 9eaadbb7
  constexpr double kQ4 = 4.00821782732936239552e-06;   // 0x3ed0cfca 86e65239
  constexpr double kQ5 = -2.01099218183624371326e-07;  // 0xbe8afdb7 6e09c32d

  const std::uint32_t highAbs = HighWord(x) & 0x7fffffff;
  const bool negative = (HighWord(x) >> 31) != 0;
  if (highAbs >= 0x4043687a) {  // |x| ≥ 56·ln2, inf and NaN included
    if (IsNaN(x)) return x;
    if (highAbs >= 0x7ff00000) return negative ? -1.0 : x;
    if (x > kExpOverflow) return kInfinity;
    if (negative) return -1.0;  // e^x below 2^−56: −1 after rounding
  }
  int k = 0;
  double c = 0;
  if (highAbs > 0x3fd62e42) {  // |x| > 0.5·ln2
    const Reduced reduced = ReduceByLn2(x, negative);
    k = reduced.k;
    x = reduced.hi - reduced.lo;
    c = (reduced.hi - x) - reduced.lo;
  } else if (highAbs < 0x3c900000) {  // |x| < 2^−54: x itself
    return x;
  }

  const double halfX = 0.5 * x;
  const double z = x * halfX;  // r²/2
  const double r1 = 1.0 + z * (kQ1 + z * (kQ2 + z * (kQ3 + z * (kQ4 + z * kQ5))));
  const double t = 3.0 - r1 * halfX;
  double e = z * ((r1 - t) / (6.0 - x * t));
  if (k == 0) return x - (x * e - z);
  e = x * (e - c) - c;
  e -= z;
  if (k == -1) return 0.5 * (x - e) - 0.5;
  if (k == 1) return x < -0.25 ? -2.0 * (e - (x + 0.5)) : 1.0 + 2.0 * (x - e);
  if (k <= -2 || k > 56) {  // the final −1 is below the last bit or a plain subtraction
    const double y = 1.0 - (e - x);
    return (k == 1024 ? y * 2.0 * 0x1p1023 : y * TwoToThe(k)) - 1.0;
  }
  if (k < 20) return ((1.0 - TwoToThe(-k)) - (e - x)) * TwoToThe(k);
  double y = x - (e + TwoToThe(-k));
  y += 1.0;
  return y * TwoToThe(k);
}

// By |x|: below 0.84375 erfc = 1 − (x + x·P/Q(x²)); below 1.25 a rational fit of
// erf(1 + s) − erx about 1 (erx = erf(1) rounded to 24 bits); below 28
// erfc(|x|) = e^(−z² − 0.5625)·e^((z − |x|)(z + |x|) + R/S)/|x|, R/S(1/x²) a fit of
// log(x·erfc(x)) + x² − 0.5625 in two pieces split at 1/0.35, z = |x| with its low
// word cleared so that z² is exact; and erfc(−x) = 2 − erfc(x). Past 28 erfc
// underflows to 0, and below −6 it rounds to 2.
double Erfc(double x) noexcept {
  // [0, 0.84375]: erf(x) = x + x·P(x²)/Q(x²), within 2^−57.90.
  constexpr double kPp0 = 1.28379167095512558561e-01;   // 0x3fc06eba 8214db68
  constexpr double kPp1 = -3.25042107247001499370e-01;  // 0xbfd4cd7d 691cb913
  constexpr double kPp2 = -2.84817495755985104766e-02;  // 0xbf9d2a51 dbd7194f
  constexpr double kPp3 = -5.77027029648944159157e-03;  // 0xbf77a291 236668e4
  constexpr double kPp4 = -2.37630166566501626084e-05;  // 0xbef8ead6 120016ac
  constexpr double kQq1 = 3.97917223959155352819e-01;   // 0x3fd97779 cddadc09
  constexpr double kQq2 = 6.50222499887672944485e-02;   // 0x3fb0a54c 5536ceba
  constexpr double kQq3 = 5.08130628187576562776e-03;   // 0x3f74d022 c4d36b0f
  constexpr double kQq4 = 1.32494738004321644526e-04;   // 0x3f215dc9 221c1a10
  constexpr double kQq5 = -3.96022827877536812320e-06;  // 0xbed09c43 42a26120
  // [0.84375, 1.25]: erf(1 + s) − erx = P(s)/Q(s), within 2^−59.06.
  constexpr double kErx = 8.45062911510467529297e-01;   // 0x3feb0ac1 60000000
  constexpr double kPa0 = -2.36211856075265944077e-03;  // 0xbf6359b8 bef77538
  constexpr double kPa1 = 4.14856118683748331666e-01;   // 0x3fda8d00 ad92b34d
  constexpr double kPa2 = -3.72207876035701323847e-01;  // 0xbfd7d240 fbb8c3f1
  constexpr double kPa3 = 3.18346619901161753674e-01;   // 0x3fd45fca 805120e4
  constexpr double kPa4 = -1.10894694282396677476e-01;  // 0xbfbc6398 3d3e28ec
  constexpr double kPa5 = 3.54783043256182359371e-02;   // 0x3fa22a36 599795eb
  constexpr double kPa6 = -2.16637559486879084300e-03;  // 0xbf61bf38 0a96073f
  constexpr double kQa1 = 1.06420880400844228286e-01;   // 0x3fbb3e66 18eee323
  constexpr double kQa2 = 5.40397917702171048937e-01;   // 0x3fe14af0 92eb6f33
  constexpr double kQa3 = 7.18286544141962662868e-02;   // 0x3fb2635c d99fe9a7
  constexpr double kQa4 = 1.26171219808761642112e-01;   // 0x3fc02660 e763351f
  constexpr double kQa5 = 1.36370839120290507362e-02;   // 0x3f8bedc2 6b51dd1c
  constexpr double kQa6 = 1.19844998467991074170e-02;   // 0x3f888b54 5735151d
  // [1.25, 1/0.35]: R/S within 2^−62.57.
  constexpr double kRa0 = -9.86494403484714822705e-03;  // 0xbf843412 600d6435
  constexpr double kRa1 = -6.93858572707181764372e-01;  // 0xbfe63416 e4ba7360
  constexpr double kRa2 = -1.05586262253232909814e+01;  // 0xc0251e04 41b0e726
  constexpr double kRa3 = -6.23753324503260060396e+01;  // 0xc04f300a e4cba38d
  constexpr double kRa4 = -1.62396669462573470355e+02;  // 0xc0644cb1 84282266
  constexpr double kRa5 = -1.84605092906711035994e+02;  // 0xc067135c ebccabb2
  constexpr double kRa6 = -8.12874355063065934246e+01;  // 0xc0545265 57e4d2f2
  constexpr double kRa7 = -9.81432934416914548592e+00;  // 0xc023a0ef c69ac25c
  constexpr double kSa1 = 1.96512716674392571292e+01;   // 0x4033a6b9 bd707687
  constexpr double kSa2 = 1.37657754143519042600e+02;   // 0x4061350c 526ae721
  constexpr double kSa3 = 4.34565877475229228821e+02;   // 0x407b290d d58a1a71
  constexpr double kSa4 = 6.45387271733267880336e+02;   // 0x40842b19 21ec2868
  constexpr double kSa5 = 4.29008140027567833386e+02;   // 0x407ad021 57700314
  constexpr double kSa6 = 1.08635005541779435134e+02;   // 0x405b28a3 ee48ae2c
  constexpr double kSa7 = 6.57024977031928170135e+00;   // 0x401a47ef 8e484a93
  constexpr double kSa8 = -6.04244152148580987438e-02;  // 0xbfaeeff2 ee749a62
  // [1/0.35, 28]: R/S within 2^−61.52.
  constexpr double kRb0 = -9.86494292470009928597e-03;  // 0xbf843412 39e86f4a
  constexpr double kRb1 = -7.99283237680523006574e-01;  // 0xbfe993ba 70c285de
  constexpr double kRb2 = -1.77579549177547519889e+01;  // 0xc031c209 555f995a
  constexpr double kRb3 = -1.60636384855821916062e+02;  // 0xc064145d 43c5ed98
  constexpr double kRb4 = -6.37566443368389627722e+02;  // 0xc083ec88 1375f228
  constexpr double kRb5 = -1.02509513161107724954e+03;  // 0xc0900461 6a2e5992
  constexpr double kRb6 = -4.83519191608651397019e+02;  // 0xc07e384e 9bdc383f
  constexpr double kSb1 = 3.03380607434824582924e+01;   // 0x403e568b 261d5190
  constexpr double kSb2 = 3.25792512996573918826e+02;   // 0x40745cae 221b9f0a
  constexpr double kSb3 = 1.53672958608443695994e+03;   // 0x409802eb 189d5118
  constexpr double kSb4 = 3.19985821950859553908e+03;   // 0x40a8ffb7 688c246a
  constexpr double kSb5 = 2.55305040643316442583e+03;   // 0x40a3f219 cedf3be6
  constexpr double kSb6 = 4.74528541206955367215e+02;   // 0x407da874 e79fe763
  constexpr double kSb7 = -2.24409524465858183362e+01;  // 0xc03670e2 42712d62

  const std::int32_t high = SignedHighWord(x);
  const std::int32_t highAbs = high & 0x7fffffff;
  if (highAbs >= 0x7ff00000) {
    if (IsNaN(x)) return x;
    return high < 0 ? 2.0 : 0.0;
  }
  if (highAbs < 0x3feb0000) {                  // |x| < 0.84375
    if (highAbs < 0x3c700000) return 1.0 - x;  // |x| < 2^−56
    const double z = x * x;
    const double p = kPp0 + z * (kPp1 + z * (kPp2 + z * (kPp3 + z * kPp4)));
    const double q = 1.0 + z * (kQq1 + z * (kQq2 + z * (kQq3 + z * (kQq4 + z * kQq5))));
    const double y = p / q;
    if (high < 0x3fd00000) return 1.0 - (x + x * y);  // x < 1/4
    double r = x * y;
    r += x - 0.5;
    return 0.5 - r;
  }
  if (highAbs < 0x3ff40000) {  // |x| < 1.25
    const double s = Abs(x) - 1.0;
    const double p = kPa0 + s * (kPa1 + s * (kPa2 + s * (kPa3 + s * (kPa4 + s * (kPa5 + s * kPa6)))));
    const double q = 1.0 + s * (kQa1 + s * (kQa2 + s * (kQa3 + s * (kQa4 + s * (kQa5 + s * kQa6)))));
    if (high >= 0) return (1.0 - kErx) - p / q;
    return 1.0 + (kErx + p / q);
  }
  if (highAbs >= 0x403c0000) return high > 0 ? 0.0 : 2.0;  // |x| ≥ 28
  if (high < 0 && highAbs >= 0x40180000) return 2.0;       // x ≤ −6

  const double ax = Abs(x);
  const double s = 1.0 / (ax * ax);
  double r;
  double q;
  if (highAbs < 0x4006db6e) {  // |x| < 1/0.35
    r = kRa0 + s * (kRa1 + s * (kRa2 + s * (kRa3 + s * (kRa4 + s * (kRa5 + s * (kRa6 + s * kRa7))))));
    q = 1.0 +
        s * (kSa1 + s * (kSa2 + s * (kSa3 + s * (kSa4 + s * (kSa5 + s * (kSa6 + s * (kSa7 + s * kSa8)))))));
  } else {
    r = kRb0 + s * (kRb1 + s * (kRb2 + s * (kRb3 + s * (kRb4 + s * (kRb5 + s * kRb6)))));
    q = 1.0 + s * (kSb1 + s * (kSb2 + s * (kSb3 + s * (kSb4 + s * (kSb5 + s * (kSb6 + s * kSb7))))));
  }
  const double z = WithLowWord(ax, 0);
  const double e = Exp(-z * z - 0.5625) * Exp((z - ax) * (z + ax) + r / q);
  return high > 0 ? e / ax : 2.0 - e / ax;
}

}  // namespace kestrova::portable_math

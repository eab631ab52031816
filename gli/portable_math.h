// exp, log, log1p, expm1 and erfc in plain IEEE-754 double arithmetic: the
// same argument gives the same bits on every build (glibc, MinGW-w64, and
// emscripten's musl in the browser), where the C library's functions may differ
// in the last bit and so move a GLI percentile or limit between builds.
//
// Exp is the table-driven method of Arm's optimized-routines, within 0.52 ulp of
// the exact value where the result is normal (its error analysis) and within
// 1 ulp among subnormals. The other methods and coefficients are fdlibm's: Log,
// Log1p and Expm1 within 1 ulp (not always the nearest double), Erfc within
// about 2.5 ulp. Exact where the function is (Exp(0) = 1, Log(1) = 0). The
// code uses +, −, ×, ÷, exact bit handling and nothing else, so it needs a build
// without contraction into FMA and without fast-math (the project sets
// -ffp-contract=off).
//
// Special arguments as in C: NaN gives that same NaN back, untouched; Log and
// Log1p of an argument below their domain give NaN; Log(±0) and Log1p(−1) give
// −inf; results beyond the range of double give ±inf or 0 (subnormal in
// between). Floating-point exception flags are not a part of the contract.
//
// Worked examples:
//   Exp(1) = 2.718281828459045      Exp(710) = inf       Exp(-746) = 0
//   Log(2) = 0.6931471805599453     Log(1) = 0           Log(-1) = NaN
//   Log1p(1e-20) = 1e-20            Log1p(-1) = -inf     Expm1(-inf) = -1
//   Expm1(1e-10) = 1.00000000005e-10
//   Erfc(0) = 1   Erfc(1) = 0.15729920705028513   Erfc(-inf) = 2   Erfc(28) = 0
//
// Pure functions of their argument; safe from any number of threads.
#ifndef KESTROVA_GLI_PORTABLE_MATH_H_
#define KESTROVA_GLI_PORTABLE_MATH_H_

namespace kestrova::portable_math {

// e^x.
double Exp(double x) noexcept;
// The natural logarithm of x.
double Log(double x) noexcept;
// ln(1 + x), accurate for x near 0.
double Log1p(double x) noexcept;
// e^x − 1, accurate for x near 0.
double Expm1(double x) noexcept;
// The complementary error function, 1 − erf(x), accurate for large x.
double Erfc(double x) noexcept;

}  // namespace kestrova::portable_math

#endif  // KESTROVA_GLI_PORTABLE_MATH_H_

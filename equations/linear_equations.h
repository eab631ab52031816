// The reference equations that are linear in age and height: JRS2001 (VC, FVC,
// FEV1 and the ratios (T) and (G)), Baldwin (VC) and Berglund (FEV1).
//
// Each formula is evaluated in double precision in exactly the bracketing shown,
// the height term before the age term, each operation rounded before the next:
// the driver rounds on the decimal digits of the raw double, so the order decides
// digits (Berglund, male, 175 cm, 25 years: 4.194999999999999, shown 4.19).
// Sex codes: 1 male, anything else female (the driver passes only 1 or 2).
#ifndef KESTROVA_EQUATIONS_LINEAR_EQUATIONS_H_
#define KESTROVA_EQUATIONS_LINEAR_EQUATIONS_H_

#include <cstdint>

namespace kestrova {

struct Jrs2001Result {
  double vc = 0;  // litres: ((height × a) − (age × b)) − c
  double fvc = 0;
  double fev1 = 0;
  double ratioT = 0;  // fraction: (k + ((height × a) − (age × b))) / 100
  double ratioG = 0;
};

Jrs2001Result ComputeJrs2001(std::uint8_t sexCode, double age, double height);

// The coefficients of a volume ((height × a) − (age × b)) − c, litres.
struct VolumeCoefficients {
  double a;  // per cm
  double b;  // per year
  double c;
};

// JRS2001's FEV1, male and female (the lung age solves it for the age).
inline constexpr VolumeCoefficients kJrs2001Fev1Male = {0.036, 0.028, 1.178};
inline constexpr VolumeCoefficients kJrs2001Fev1Female = {0.022, 0.022, 0.005};

// ((k − (age × b)) × height) / 1000, litres.
double ComputeBaldwinVc(std::uint8_t sexCode, double age, double height);

// ((height × a) − (age × b)) − c, litres.
double ComputeBerglundFev1(std::uint8_t sexCode, double age, double height);

}  // namespace kestrova

#endif  // KESTROVA_EQUATIONS_LINEAR_EQUATIONS_H_

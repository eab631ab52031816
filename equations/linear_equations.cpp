#include "equations/linear_equations.h"

namespace kestrova {
namespace {

struct RatioCoefficients {
  double k;
  double a;  // per cm
  double b;  // per year
};

double Volume(const VolumeCoefficients& e, double age, double height) {
  return ((height * e.a) - (age * e.b)) - e.c;
}

double Ratio(const RatioCoefficients& e, double age, double height) {
  return (e.k + ((height * e.a) - (age * e.b))) / 100;
}

struct Jrs2001Coefficients {
  VolumeCoefficients vc, fvc, fev1;
  RatioCoefficients ratioT, ratioG;
};

// The male (T) height coefficient is 0: the term is evaluated and adds nothing.
// The negative female height coefficients are the positive constants times -1.
constexpr Jrs2001Coefficients kJrs2001Male = {{0.045, 0.023, 2.258},
                                              {0.042, 0.024, 1.785},
                                              kJrs2001Fev1Male,
                                              {93.216, 0, 0.215},
                                              {89.313, 0.028, 0.19}};
constexpr Jrs2001Coefficients kJrs2001Female = {{0.032, 0.018, 1.178},
                                                {0.031, 0.019, 1.105},
                                                kJrs2001Fev1Female,
                                                {106.223, 0.063 * -1, 0.283},
                                                {111.052, 0.09 * -1, 0.249}};

constexpr VolumeCoefficients kBerglundMale = {0.0344, 0.033, 1.0};
constexpr VolumeCoefficients kBerglundFemale = {0.0267, 0.027, 0.54};

}  // namespace

Jrs2001Result ComputeJrs2001(std::uint8_t sexCode, double age, double height) {
  const Jrs2001Coefficients& e = sexCode == 1 ? kJrs2001Male : kJrs2001Female;
  return {Volume(e.vc, age, height), Volume(e.fvc, age, height), Volume(e.fev1, age, height),
          Ratio(e.ratioT, age, height), Ratio(e.ratioG, age, height)};
}

double ComputeBaldwinVc(std::uint8_t sexCode, double age, double height) {
  const double k = sexCode == 1 ? 27.63 : 21.78;
  const double b = sexCode == 1 ? 0.112 : 0.101;
  return ((k - (age * b)) * height) / 1000;
}

double ComputeBerglundFev1(std::uint8_t sexCode, double age, double height) {
  return Volume(sexCode == 1 ? kBerglundMale : kBerglundFemale, age, height);
}

}  // namespace kestrova

// The patient's data as entered: the one record through which the inputs reach
// the calculation and the result panel.
#ifndef KESTROVA_RECORDS_PATIENT_INPUTS_H_
#define KESTROVA_RECORDS_PATIENT_INPUTS_H_

#include <cstdint>

namespace kestrova {

inline constexpr std::uint8_t kSexMale = 1;
inline constexpr std::uint8_t kSexFemale = 2;

// The calculation takes only these two codes; any other is rejected (and the
// window says so).
constexpr bool IsKnownSexCode(std::uint8_t code) { return code == kSexMale || code == kSexFemale; }

// A value of 0 means "not entered". The command line and the read of a volume
// field on gaining the focus store values unchecked, so any double may appear.
struct PatientInputs {
  std::uint8_t sexCode = kSexMale;  // 1 = male "男性", 2 = female "女性"
  double age = 0;                   // years
  double height = 0;                // cm
  double vc = 0;                    // litres, measured
  double fvc = 0;                   // litres, measured
  double fev1 = 0;                  // litres, measured
};

}  // namespace kestrova

#endif  // KESTROVA_RECORDS_PATIENT_INPUTS_H_

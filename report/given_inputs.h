// The patient's inputs as the user gave them, for the reports that show them:
// the text of each value exactly as typed ("3.0" stays "3.0"), or nothing when
// the value was not given.
#ifndef KESTROVA_REPORT_GIVEN_INPUTS_H_
#define KESTROVA_REPORT_GIVEN_INPUTS_H_

#include <optional>
#include <string>

#include "input/patient_record.h"

namespace kestrova::report {

struct GivenInputs {
  std::optional<std::string> sex;  // as given ("M", "F", "男" …)
  std::optional<std::string> age;
  std::optional<std::string> height;
  std::optional<std::string> vc;
  std::optional<std::string> fvc;
  std::optional<std::string> fev1;
  // Whose results: the patient's ID, name and examination date, UTF-8; empty
  // when unknown (the window has no such fields).
  std::string id;
  std::string name;
  std::string date;
};

// The inputs of a patient read by the input model: each value's text as read;
// a volume that was not given stays unset.
inline GivenInputs GivenFromRecord(const PatientRecord& record) {
  GivenInputs given;
  std::optional<std::string>* const fields[] = {&given.sex, &given.age, &given.height,
                                                &given.vc,  &given.fvc, &given.fev1};
  for (std::size_t v = 0; v < kPatientValueCount; ++v) {
    if (!record.texts[v].empty()) *fields[v] = record.texts[v];
  }
  return given;
}

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_GIVEN_INPUTS_H_

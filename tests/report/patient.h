// One patient for the report tests, read by the input model as every surface
// reads one: the texts of sex, age, height, VC, FVC and FEV1 in that order
// ("" not given), UTF-8.
#ifndef KESTROVA_TESTS_REPORT_PATIENT_H_
#define KESTROVA_TESTS_REPORT_PATIENT_H_

#include <gtest/gtest.h>

#include "input/patient_record.h"
#include "kestrova/kestrova.h"
#include "report/given_inputs.h"

namespace kestrova::testing {

struct Patient {
  report::GivenInputs given;  // the texts as read
  FullResult result;
};

inline Patient ReadPatient(const PatientTexts& texts) {
  PatientRecord record;
  InputProblem problem;
  EXPECT_TRUE(ReadPatientRecord(texts, TextEncoding::kUtf8, record, problem));
  return {report::GivenFromRecord(record), ComputeFullResult(record.inputs)};
}

}  // namespace kestrova::testing

#endif  // KESTROVA_TESTS_REPORT_PATIENT_H_

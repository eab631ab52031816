#include <cstdio>

#include "kestrova/kestrova.h"

int main() {
  kestrova::PatientInputs patient;
  patient.sexCode = kestrova::kSexFemale;  // kSexMale = 1, kSexFemale = 2
  patient.age = 45;                        // years
  patient.height = 160;                    // cm
  patient.vc = 3.1;                        // litres; 0 = not measured
  patient.fvc = 3.0;
  patient.fev1 = 2.4;

  const kestrova::FullResult result = kestrova::ComputeFullResult(patient);
  for (const kestrova::ResultView& row : result.rows) {
    // "vcJrs2014  3.24 :JRS2014  95.7 % red=0", …
    std::printf("%-17.*s %-18s %5s %% red=%d\n", static_cast<int>(row.name.size()), row.name.data(),
                row.line.c_str(), row.percent.c_str(), row.red);
  }
  for (const kestrova::StandingView& q : result.jrs2014) {
    std::printf("%.*s ULN %s z %s percentile %s\n", static_cast<int>(q.name.size()), q.name.data(),
                q.ulnText.c_str(), q.zText.c_str(), q.percentileText.c_str());
  }
  return result.rows[0].text == "3.24" ? 0 : 1;
}

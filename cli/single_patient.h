// kestrova-cli's outputs for one patient given on the command line: the
// reports of report/ from the inputs as given, and the CSV (a header line and
// one row of the result columns).
#ifndef KESTROVA_CLI_SINGLE_PATIENT_H_
#define KESTROVA_CLI_SINGLE_PATIENT_H_

#include <string>

#include "input/command_line.h"
#include "kestrova/kestrova.h"
#include "report/given_inputs.h"

namespace kestrova::cli {

// The keys found on the command line, with their texts as given.
report::GivenInputs GivenFromCommandLine(const CommandLineValues& values);

std::string FormatCsv(const FullResult& result);

}  // namespace kestrova::cli

#endif  // KESTROVA_CLI_SINGLE_PATIENT_H_

#include "cli/single_patient.h"

#include "batch/csv.h"
#include "report/result_columns.h"

namespace kestrova::cli {

report::GivenInputs GivenFromCommandLine(const CommandLineValues& values) {
  const auto text = [&](CommandLineKey key) {
    return values[key].found ? std::optional<std::string>(values[key].text) : std::nullopt;
  };
  return {text(CommandLineKey::kSex), text(CommandLineKey::kAge), text(CommandLineKey::kHeight),
          text(CommandLineKey::kVc),  text(CommandLineKey::kFvc), text(CommandLineKey::kFev1)};
}

std::string FormatCsv(const FullResult& result) {
  std::string out;
  batch::CsvWriter writer(out);
  for (const std::string& name : report::ResultColumnNames()) writer.Field(name);
  writer.EndRow();
  batch::WriteResultColumns(result, writer);
  writer.EndRow();
  writer.Flush();
  return out;
}

}  // namespace kestrova::cli

#include "cli/single_patient.h"

#include "batch/csv.h"
#include "report/result_columns.h"

namespace kestrova::cli {

report::GivenInputs GivenFromCommandLine(const CommandLineValues& values) {
  const auto text = [&](CommandLineKey key) {
    return values[key].found ? std::optional<std::string>(values[key].text) : std::nullopt;
  };
  report::GivenInputs given;
  given.sex = text(CommandLineKey::kSex);
  given.age = text(CommandLineKey::kAge);
  given.height = text(CommandLineKey::kHeight);
  given.vc = text(CommandLineKey::kVc);
  given.fvc = text(CommandLineKey::kFvc);
  given.fev1 = text(CommandLineKey::kFev1);
  return given;
}

std::string FormatCsv(const FullResult& result) {
  std::string out;
  batch::StringSink sink(out);
  batch::CsvWriter writer(sink, 4096);
  for (const std::string& name : report::ResultColumnNames()) writer.Field(name);
  writer.EndRow();
  report::ResultColumnTexts row;
  report::ReadResultColumns(result, row);
  writer.PlainFields(row.texts);
  writer.EndRow();
  writer.Flush();
  return out;
}

}  // namespace kestrova::cli

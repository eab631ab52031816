// kestrova-cli: the calculator's equations on the command line.
//
//   kestrova-cli [--format lines|tsv] /Sex=M /Age=40 /Setake=170 [/VC=… /FVC=… /FEV1=…]
//
// The keys are read exactly as the window reads its command line. The default
// output is the fifteen result lines in display order; --format tsv prints
// name<TAB>value<TAB>text for the six inputs and then the fifteen results.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "equations/calculation.h"
#include "input/command_line.h"
#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace {

using namespace kestrova;

constexpr std::string_view kUsage =
    "usage: kestrova-cli [--format lines|tsv] /Sex=M|F /Age=YEARS /Setake=CM [/VC=L] [/FVC=L] [/FEV1=L]\n";

enum class Format { kLines, kTsv };

struct Options {
  Format format = Format::kLines;
  std::string commandLine;  // as the window would receive it
};

// Returns false (after printing why) when the arguments cannot be used.
bool ParseArguments(const std::vector<std::string_view>& args, Options& options) {
  // The program path comes first, so no key can begin within the first ten characters.
  options.commandLine = "kestrova-cli";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format") {
      if (i + 1 >= args.size()) {
        std::fputs("kestrova-cli: --format needs a value (lines or tsv)\n", stderr);
        return false;
      }
      const std::string_view format = args[++i];
      if (format == "lines") {
        options.format = Format::kLines;
      } else if (format == "tsv") {
        options.format = Format::kTsv;
      } else {
        std::fprintf(stderr, "kestrova-cli: unknown format '%.*s' (lines or tsv)\n",
                     static_cast<int>(format.size()), format.data());
        return false;
      }
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::fputs(kUsage.data(), stdout);
      std::exit(0);
    } else {
      options.commandLine += ' ';
      options.commandLine += args[i];
    }
  }
  options.commandLine += ' ';
  return true;
}

std::string Exact(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

void PrintTsv(const CommandLineValues& given, const PatientInputs& inputs, const PredictionSet& results) {
  const CommandLineValue& sex = given[CommandLineKey::kSex];
  std::printf("sexCode\t%s\t%s\n", Exact(inputs.sexCode).c_str(), sex.text.c_str());
  const std::pair<const char*, CommandLineKey> rows[] = {
      {"age", CommandLineKey::kAge}, {"height", CommandLineKey::kHeight}, {"vc", CommandLineKey::kVc},
      {"fvc", CommandLineKey::kFvc}, {"fev1", CommandLineKey::kFev1}};
  const double values[] = {inputs.age, inputs.height, inputs.vc, inputs.fvc, inputs.fev1};
  for (std::size_t i = 0; i < 5; ++i) {
    std::printf("%s\t%s\t%s\n", rows[i].first, Exact(values[i]).c_str(), given[rows[i].second].text.c_str());
  }
  for (const ResultField& field : ResultFields()) {
    std::printf("%.*s\t%s\t%s\n", static_cast<int>(field.name.size()), field.name.data(),
                Exact(results.*field.value).c_str(), (results.*field.line).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  Options options;
  if (!ParseArguments(args, options)) {
    std::fputs(kUsage.data(), stderr);
    return 2;
  }
  const CommandLineValues given = ParseCommandLine(options.commandLine);
  PatientInputs inputs;
  ApplyCommandLine(given, inputs);

  PredictionSet results;
  UserMessage message;
  if (!CalculatePredictions(inputs, LoadedSplineTable(), results, &message)) {
    std::fprintf(stderr, "%s%s\n", FormatNumber(inputs.sexCode).c_str(), std::string(texts::kSexCheckTextUtf8).c_str());
    return 1;
  }
  if (options.format == Format::kTsv) {
    PrintTsv(given, inputs, results);
  } else {
    for (const ResultField& field : ResultFields()) std::printf("%s\n", (results.*field.line).c_str());
  }
  return 0;
}

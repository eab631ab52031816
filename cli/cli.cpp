#include "cli/cli.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "cli/batch.h"
#include "cli/html_batch.h"
#include "cli/html_report.h"
#include "cli/options.h"
#include "cli/output_file.h"
#include "cli/single_patient.h"
#include "equations/calculation.h"
#include "input/command_line.h"
#include "kestrova/kestrova.h"
#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace kestrova::cli {
namespace {

std::string Exact(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

void PrintTsv(const CommandLineValues& given, const PatientInputs& inputs, const PredictionSet& results,
              std::FILE* out) {
  const CommandLineValue& sex = given[CommandLineKey::kSex];
  std::fprintf(out, "sexCode\t%s\t%s\n", Exact(inputs.sexCode).c_str(), sex.text.c_str());
  const std::pair<const char*, CommandLineKey> rows[] = {{"age", CommandLineKey::kAge},
                                                         {"height", CommandLineKey::kHeight},
                                                         {"vc", CommandLineKey::kVc},
                                                         {"fvc", CommandLineKey::kFvc},
                                                         {"fev1", CommandLineKey::kFev1}};
  const double values[] = {inputs.age, inputs.height, inputs.vc, inputs.fvc, inputs.fev1};
  for (std::size_t i = 0; i < 5; ++i) {
    std::fprintf(out, "%s\t%s\t%s\n", rows[i].first, Exact(values[i]).c_str(),
                 given[rows[i].second].text.c_str());
  }
  for (const ResultField& field : ResultFields()) {
    std::fprintf(out, "%.*s\t%s\t%s\n", static_cast<int>(field.name.size()), field.name.data(),
                 Exact(results.*field.value).c_str(), (results.*field.line).c_str());
  }
}

// The old outputs: the calculation alone, as the first kestrova-cli printed it.
int RunCalculationOnly(const Options& options, const CommandLineValues& given, const PatientInputs& inputs,
                       std::FILE* out, std::FILE* err) {
  PredictionSet results;
  if (!CalculatePredictions(inputs, LoadedSplineTable(), results)) {
    std::fprintf(err, "%s%s\n", FormatNumber(inputs.sexCode).c_str(),
                 std::string(texts::kSexCheckTextUtf8).c_str());
    return 1;
  }
  if (options.format == Format::kTsv) {
    PrintTsv(given, inputs, results, out);
  } else {
    for (const ResultField& field : ResultFields()) std::fprintf(out, "%s\n", (results.*field.line).c_str());
  }
  return 0;
}

int RunSinglePatient(const Options& options, std::FILE* out, std::FILE* err, Terminal terminal) {
  const CommandLineValues given = ParseCommandLine(options.commandLine);
  PatientInputs inputs;
  ApplyCommandLine(given, inputs);
  const FullResult result = ComputeFullResult(inputs);
  if (!result.computed) {
    // Every format says so; JSON still gives its object, "computed": false.
    if (options.format == Format::kJson) {
      const std::string json = FormatJson(inputs, result);
      std::fwrite(json.data(), 1, json.size(), out);
      std::fflush(out);
    }
    std::fputs("kestrova-cli: the panel stays empty: give /Age= and /Setake= (above 0)\n", err);
    return kExitBadInput;
  }
  if (options.format == Format::kLines || options.format == Format::kTsv) {
    return RunCalculationOnly(options, given, inputs, out, err);
  }
  std::string text;
  if (options.format == Format::kJson) {
    text = FormatJson(inputs, result);
  } else if (options.format == Format::kCsv) {
    text = FormatCsv(result);
  } else if (options.format == Format::kHtml) {
    text = FormatHtml(given, result);
  } else {
    text = FormatReport(given, result, options.colour && terminal.stdoutIsTerminal);
  }
  std::fwrite(text.data(), 1, text.size(), out);
  return std::fflush(out) == 0 ? kExitOk : kExitIoError;
}

int RunBatchMode(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err, Terminal terminal) {
  const bool inputIsStdin = options.batchInput == "-";
  const bool outputIsStdout = options.batchOutput == "-";
#ifdef _WIN32
  // CSV bytes pass unchanged: no CRLF translation and no end at Ctrl-Z.
  if (inputIsStdin) _setmode(_fileno(in), _O_BINARY);
  if (outputIsStdout) _setmode(_fileno(out), _O_BINARY);
#endif
  std::FILE* input = inputIsStdin ? in : std::fopen(options.batchInput.c_str(), "rb");
  if (input == nullptr) {
    std::fprintf(err, "kestrova-cli: %s: cannot be opened\n", options.batchInput.c_str());
    return kExitIoError;
  }
  const auto closeInput = [&] {
    if (!inputIsStdin) std::fclose(input);
  };
  // --html-dir: the reports and their index, written as the rows come; the
  // folder is made before the output file is opened.
  HtmlBatchWriter html(options.htmlDir, options.batchInput, err);
  if (!options.htmlDir.empty() && !html.Open()) {
    closeInput();
    return kExitIoError;
  }
  OutputFile file;
  if (!outputIsStdout) {
    if (IsSameFile(input, options.batchOutput)) {
      std::fprintf(err, "kestrova-cli: -o %s is the input file; choose another output file\n",
                   options.batchOutput.c_str());
      closeInput();
      return kExitUsage;
    }
    std::string error;
    if (!file.Open(options.batchOutput, error)) {
      std::fprintf(err, "kestrova-cli: %s: cannot be written (%s)\n", options.batchOutput.c_str(),
                   error.c_str());
      closeInput();
      return kExitIoError;
    }
  }
  BatchStreams streams{
      input, outputIsStdout ? out : file.stream(), err, options.batchInput, terminal.stderrIsTerminal, 0};
  streams.encoding = options.encoding;
  streams.jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  struct stat st {};
  if (fstat(fileno(input), &st) == 0 && S_ISREG(st.st_mode))
    streams.inputSize = static_cast<std::uint64_t>(st.st_size);
  if (!options.htmlDir.empty()) streams.observer = &html;
  int status = RunBatch(streams);
  if (!options.htmlDir.empty() && !html.Finish()) status = kExitIoError;
  closeInput();
  if (!outputIsStdout) {
    // Nothing written (the header was refused) or an I/O error: the file named stays as it was.
    std::string error;
    if (status == kExitIoError || file.Written() <= 0) {
      file.Discard();
    } else if (!file.Commit(error)) {
      std::fprintf(err, "kestrova-cli: %s: cannot be written (%s)\n", options.batchOutput.c_str(),
                   error.c_str());
      status = kExitIoError;
    }
  }
  return status;
}

}  // namespace

int RunCli(const std::vector<std::string_view>& args, std::FILE* in, std::FILE* out, std::FILE* err,
           Terminal terminal) {
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    std::fprintf(err, "kestrova-cli: %s\n", error.c_str());
    std::fwrite(kUsage.data(), 1, kUsage.size(), err);
    return kExitUsage;
  }
  if (options.help || options.version) {
    const std::string text = options.help ? std::string(kUsage) + std::string(kHelp) : VersionText() + "\n";
    std::fwrite(text.data(), 1, text.size(), out);
    return std::fflush(out) == 0 ? kExitOk : kExitIoError;
  }
  if (options.batch) return RunBatchMode(options, in, out, err, terminal);
  return RunSinglePatient(options, out, err, terminal);
}

}  // namespace kestrova::cli

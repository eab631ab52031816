#include "cli/cli.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <cstdlib>
#include <string>

#include "cli/batch.h"
#include "cli/html_batch.h"
#include "cli/html_report.h"
#include "cli/single_patient.h"
#include "equations/calculation.h"
#include "input/command_line.h"
#include "kestrova/kestrova.h"
#include "numtext/number_text.h"
#include "texts/japanese_texts.h"

namespace kestrova::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: kestrova-cli [--format report|lines|tsv|json|csv|html] [--no-color]\n"
    "                    /Sex=M|F /Age=YEARS /Setake=CM [/VC=L] [/FVC=L] [/FEV1=L]\n"
    "       kestrova-cli --batch FILE|- [-o FILE|-] [--html-dir DIR]\n";

enum class Format { kReport, kLines, kTsv, kJson, kCsv, kHtml };

struct Options {
  Format format = Format::kReport;
  bool colour = true;
  bool help = false;
  std::string commandLine;  // as the window would receive it
  bool batch = false;
  std::string batchInput;
  std::string batchOutput = "-";
  bool hasKeys = false;
  std::string htmlDir;  // --html-dir: a report per batch row
};

bool ParseFormat(std::string_view text, Format& format) {
  const std::pair<std::string_view, Format> formats[] = {{"report", Format::kReport},
                                                         {"lines", Format::kLines},
                                                         {"tsv", Format::kTsv},
                                                         {"json", Format::kJson},
                                                         {"csv", Format::kCsv},
                                                         {"html", Format::kHtml}};
  for (const auto& [name, value] : formats) {
    if (text == name) {
      format = value;
      return true;
    }
  }
  return false;
}

// Returns false (after printing why) when the arguments cannot be used.
bool ParseArguments(const std::vector<std::string_view>& args, Options& options, std::FILE* err) {
  // The program path comes first, so no key can begin within the first ten characters.
  options.commandLine = "kestrova-cli";
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool takesValue = arg == "--format" || arg == "--batch" || arg == "-o" || arg == "--html-dir";
    if (takesValue && i + 1 >= args.size()) {
      std::fprintf(err, "kestrova-cli: %s needs a value\n", std::string(arg).c_str());
      return false;
    }
    if (arg == "--format") {
      const std::string_view format = args[++i];
      if (!ParseFormat(format, options.format)) {
        std::fprintf(err, "kestrova-cli: unknown format '%s' (report, lines, tsv, json, csv or html)\n",
                     std::string(format).c_str());
        return false;
      }
    } else if (arg == "--no-color") {
      options.colour = false;
    } else if (arg == "--batch") {
      options.batch = true;
      options.batchInput = std::string(args[++i]);
    } else if (arg == "-o") {
      options.batchOutput = std::string(args[++i]);
    } else if (arg == "--html-dir") {
      options.htmlDir = std::string(args[++i]);
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else {
      options.commandLine += ' ';
      options.commandLine += arg;
      options.hasKeys = true;
    }
  }
  options.commandLine += ' ';
  if (options.batch && options.hasKeys) {
    std::fputs("kestrova-cli: --batch reads its patients from the file, not from /Key= values\n", err);
    return false;
  }
  if (!options.htmlDir.empty() && !options.batch) {
    std::fputs("kestrova-cli: --html-dir goes with --batch (one patient: --format html)\n", err);
    return false;
  }
  return true;
}

std::string Exact(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

void PrintTsv(const CommandLineValues& given, const PatientInputs& inputs, const PredictionSet& results,
              std::FILE* out) {
  const CommandLineValue& sex = given[CommandLineKey::kSex];
  std::fprintf(out, "sexCode\t%s\t%s\n", Exact(inputs.sexCode).c_str(), sex.text.c_str());
  const std::pair<const char*, CommandLineKey> rows[] = {
      {"age", CommandLineKey::kAge}, {"height", CommandLineKey::kHeight}, {"vc", CommandLineKey::kVc},
      {"fvc", CommandLineKey::kFvc}, {"fev1", CommandLineKey::kFev1}};
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
  if (options.format == Format::kLines || options.format == Format::kTsv) {
    return RunCalculationOnly(options, given, inputs, out, err);
  }
  const FullResult result = ComputeFullResult(inputs);
  if (!result.computed) {
    std::fputs("kestrova-cli: the panel stays empty: give /Age= and /Setake= (above 0)\n", err);
    return kExitBadInput;
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

bool SameFile(std::FILE* a, std::FILE* b) {
#ifdef _WIN32
  // No inode numbers there; the check is left to the user.
  (void)a;
  (void)b;
  return false;
#else
  struct stat sa {};
  struct stat sb {};
  if (fstat(fileno(a), &sa) != 0 || fstat(fileno(b), &sb) != 0) return false;
  return S_ISREG(sa.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
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
  // Opening the output would empty it; refuse when it is the input itself.
  if (!outputIsStdout) {
    if (std::FILE* existing = std::fopen(options.batchOutput.c_str(), "rb")) {
      const bool same = SameFile(existing, input);
      std::fclose(existing);
      if (same) {
        std::fprintf(err, "kestrova-cli: %s is the input; choose another output file\n",
                     options.batchOutput.c_str());
        if (!inputIsStdin) std::fclose(input);
        return kExitBadInput;
      }
    }
  }
  // --html-dir: the reports and their index, written as the rows come; the
  // directory is made before the output file is opened (and emptied).
  HtmlBatchWriter html(options.htmlDir, options.batchInput, err);
  if (!options.htmlDir.empty() && !html.Open()) {
    if (!inputIsStdin) std::fclose(input);
    return kExitIoError;
  }
  std::FILE* output = outputIsStdout ? out : std::fopen(options.batchOutput.c_str(), "wb");
  if (output == nullptr) {
    std::fprintf(err, "kestrova-cli: %s: cannot be written\n", options.batchOutput.c_str());
    if (!inputIsStdin) std::fclose(input);
    return kExitIoError;
  }
  BatchStreams streams{input, output, err, options.batchInput, terminal.stderrIsTerminal, 0};
  struct stat st {};
  if (fstat(fileno(input), &st) == 0 && S_ISREG(st.st_mode)) streams.inputSize = static_cast<std::uint64_t>(st.st_size);
  if (!options.htmlDir.empty()) streams.observer = &html;
  int status = RunBatch(streams);
  if (!options.htmlDir.empty() && !html.Finish()) status = kExitIoError;
  if (!inputIsStdin) std::fclose(input);
  if (!outputIsStdout && std::fclose(output) != 0) {
    std::fprintf(err, "kestrova-cli: %s: cannot be written\n", options.batchOutput.c_str());
    status = kExitIoError;
  }
  return status;
}

}  // namespace

int RunCli(const std::vector<std::string_view>& args, std::FILE* in, std::FILE* out, std::FILE* err,
           Terminal terminal) {
  Options options;
  if (!ParseArguments(args, options, err)) {
    std::fputs(kUsage.data(), err);
    return kExitBadInput;
  }
  if (options.help) {
    std::fputs(kUsage.data(), out);
    return kExitOk;
  }
  if (options.batch) return RunBatchMode(options, in, out, err, terminal);
  return RunSinglePatient(options, out, err, terminal);
}

}  // namespace kestrova::cli

#include "cli/cli.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>

#include "batch/batch.h"
#include "batch/html_batch.h"
#include "cli/options.h"
#include "cli/single_patient.h"
#include "equations/calculation.h"
#include "input/command_line.h"
#include "input/patient_record.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/chart_text.h"
#include "report/html_report.h"
#include "report/text_report.h"

namespace kestrova::cli {

using namespace kestrova::batch;   // NOLINT: the batch, files and report layers
using namespace kestrova::io;      // NOLINT: are what this dispatch drives
using namespace kestrova::report;  // NOLINT

namespace {

std::string Exact(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

void AppendTsvRow(std::string_view name, double value, std::string_view text, std::string& out) {
  out += name;
  out += '\t';
  out += Exact(value);
  out += '\t';
  out += text;
  out += '\n';
}

// `texts`: each input's text as given, in the input model's order.
std::string FormatTsv(const std::array<std::string, kPatientValueCount>& texts, const PatientInputs& inputs,
                      const PredictionSet& results) {
  std::string out;
  AppendTsvRow("sexCode", inputs.sexCode, texts[0], out);
  const std::pair<const char*, double> rows[] = {{"age", inputs.age},
                                                 {"height", inputs.height},
                                                 {"vc", inputs.vc},
                                                 {"fvc", inputs.fvc},
                                                 {"fev1", inputs.fev1}};
  for (std::size_t i = 0; i < 5; ++i) AppendTsvRow(rows[i].first, rows[i].second, texts[i + 1], out);
  for (const ResultField& field : ResultFields()) {
    AppendTsvRow(field.name, results.*field.value, results.*field.line, out);
  }
  return out;
}

// Writes `text` to standard output and flushes it. Any failure (a full disk, a
// closed descriptor, a pipe without reader, a file-size limit) is said on `err`
// with the system's reason and gives kExitIoError.
int WriteStandardOutput(std::string_view text, std::FILE* out, std::FILE* err) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0 &&
      std::ferror(out) == 0) {
    return kExitOk;
  }
  const int reason = errno;
  std::fprintf(err, "kestrova-cli: standard output: cannot be written (%s)\n",
               reason != 0 ? std::strerror(reason) : "write error");
  return kExitIoError;
}

// The old outputs: the calculation alone, as the first kestrova-cli printed it,
// from the predictions of a computed result.
int RunCalculationOnly(const Options& options, const std::array<std::string, kPatientValueCount>& texts,
                       const FullResult& result, std::FILE* out, std::FILE* err) {
  std::string text;
  if (options.format == Format::kTsv) {
    text = FormatTsv(texts, result.inputs, result.predictions);
  } else {
    for (const ResultField& field : ResultFields()) (text += result.predictions.*field.line) += '\n';
  }
  return WriteStandardOutput(text, out, err);
}

// One patient's outputs from the inputs and the texts they were given as.
int WritePatient(const Options& options, const PatientInputs& inputs, GivenInputs given,
                 const std::array<std::string, kPatientValueCount>& texts, std::FILE* out, std::FILE* err,
                 Terminal terminal) {
  const FullResult result = ComputeFullResult(inputs);
  const GliResults gli = ComputeGliResults(inputs, options.gli);
  const auto json = [&] { return FormatJson(inputs, result, gli); };
  if (!result.computed) {
    // Every format says so; JSON still gives its object, "computed": false.
    const std::string text = options.format == Format::kJson ? json() : std::string();
    if (WriteStandardOutput(text, out, err) != kExitOk) return kExitIoError;
    std::fputs("kestrova-cli: the panel stays empty: give /Age= and /Setake= (above 0)\n", err);
    return kExitBadInput;
  }
  if (options.format == Format::kLines || options.format == Format::kTsv) {
    return RunCalculationOnly(options, texts, result, out, err);
  }
  std::string text;
  if (options.format == Format::kJson) {
    text = json();
  } else if (options.format == Format::kCsv) {
    text = FormatCsv(result);
  } else if (options.format == Format::kHtml || options.format == Format::kChart) {
    given.id = options.patientId;
    given.name = options.patientName;
    given.date = options.examDate;
    text = options.format == Format::kHtml ? FormatHtml(given, result, gli)
                                           : FormatChartText(given, result, ReadResult(result), gli);
  } else {
    text = FormatReport(given, result, options.colour && terminal.stdoutIsTerminal, gli);
  }
  return WriteStandardOutput(text, out, err);
}

// --window-rules: the words as kestrova.exe reads its command line, unchecked.
int RunWindowRules(const Options& options, std::FILE* out, std::FILE* err, Terminal terminal) {
  const CommandLineValues given = ParseCommandLine(options.commandLine);
  PatientInputs inputs;
  ApplyCommandLine(given, inputs);
  std::array<std::string, kPatientValueCount> texts;
  for (std::size_t v = 0; v < kPatientValueCount; ++v) texts[v] = given[static_cast<CommandLineKey>(v)].text;
  return WritePatient(options, inputs, GivenFromCommandLine(given), texts, out, err, terminal);
}

// The words read by the input model, as a batch row is: a refused value is
// said (with the batch's words) and nothing is computed.
int RunSinglePatient(const Options& options, std::FILE* out, std::FILE* err, Terminal terminal) {
  if (options.windowRules) return RunWindowRules(options, out, err, terminal);
  PatientTexts texts;
  for (std::size_t v = 0; v < kPatientValueCount; ++v) {
    if (options.patientValues[v]) texts[v] = *options.patientValues[v];
  }
  PatientRecord record;
  InputProblem problem;
  if (!ReadPatientRecord(texts, TextEncoding::kUtf8, record, problem)) {
    const std::size_t v = IndexOf(problem.value);
    const std::string message = problem.error == InputError::kEmpty && !options.patientValues[v]
                                    ? std::string(KeyText(static_cast<CommandLineKey>(v))) +
                                          " is not given (" + std::string(kPatientValueNames[v]) +
                                          " is required)"
                                    : EnglishMessage(problem);
    std::fprintf(err, "kestrova-cli: %s\n", MessageText(message, TextEncoding::kUtf8).c_str());
    return kExitBadInput;
  }
  return WritePatient(options, record.inputs, GivenFromRecord(record), record.texts, out, err, terminal);
}

int RunBatchMode(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err, Terminal terminal) {
  const bool inputIsStdin = options.batchInput == "-";
  const bool outputIsStdout = options.batchOutput == "-";
#ifdef _WIN32
  // CSV bytes pass unchanged: no CRLF translation and no end at Ctrl-Z.
  if (inputIsStdin) _setmode(_fileno(in), _O_BINARY);
  if (outputIsStdout) _setmode(_fileno(out), _O_BINARY);
#endif
  if (inputIsStdin && terminal.stdinClosed) {
    std::fputs("kestrova-cli: -: cannot be read (standard input is closed)\n", err);
    return kExitIoError;
  }
  std::FILE* input = inputIsStdin ? in : OpenFile(options.batchInput, "rb");
  if (input == nullptr) {
    std::fprintf(err, "kestrova-cli: %s: cannot be opened (%s)\n", options.batchInput.c_str(),
                 SystemErrorText().c_str());
    return kExitIoError;
  }
  const auto closeInput = [&] {
    if (!inputIsStdin) std::fclose(input);
  };
  // Neither output may be the input: writing it while reading it loses rows or never ends.
  const FileIdentity inputId = IdentityOf(input);
  const Sameness sameAsInput =
      Compare(inputId, outputIsStdout ? IdentityOf(out) : IdentityOf(options.batchOutput));
  if (sameAsInput != Sameness::kDifferent) {
    const std::string output = outputIsStdout ? "standard output" : "-o " + options.batchOutput;
    if (sameAsInput == Sameness::kSame) {
      std::fprintf(err, "kestrova-cli: %s is the input file; choose another output file\n", output.c_str());
    } else {
      std::fprintf(err,
                   "kestrova-cli: %s: cannot tell whether it is the input file (the system does not identify "
                   "one of them); choose another output file\n",
                   output.c_str());
    }
    closeInput();
    return kExitUsage;
  }
  // --html-dir: the reports and their index, written as the rows come. Every
  // check comes before the folder is made, and the folder before the output
  // file is opened (which may be in it).
  if (!options.htmlDir.empty()) {
    const BatchFiles files{options.batchInput, inputId, options.batchOutput,
                           outputIsStdout ? IdentityOf(out) : IdentityOf(options.batchOutput)};
    if (const std::string conflict = HtmlDirConflict(options.htmlDir, files); !conflict.empty()) {
      std::fprintf(err, "kestrova-cli: %s\n", conflict.c_str());
      closeInput();
      return kExitUsage;
    }
  }
  HtmlBatchWriter html(options.htmlDir, options.batchInput, err);
  html.ShowGli(options.gli);
  if (!options.htmlDir.empty() && !html.Open()) {
    closeInput();
    return kExitIoError;
  }
  OutputFile file;
  if (!outputIsStdout) {
    std::string error;
    if (!file.Open(options.batchOutput, error)) {
      std::fprintf(err, "kestrova-cli: %s: cannot be written (%s)\n", options.batchOutput.c_str(),
                   error.c_str());
      closeInput();
      return kExitIoError;
    }
  }
  BatchStreams streams{input, out, err, options.batchInput, terminal.stderrIsTerminal, 0};
  if (!outputIsStdout) streams.file = &file;
  streams.encoding = options.encoding;
  streams.language = options.language;
  streams.gli = options.gli;
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
    if (status == kExitIoError || file.Written() == 0) {
      file.Discard();
    } else if (!file.Commit(error)) {
      std::fprintf(err, "kestrova-cli: %s: cannot be written (%s)\n", file.target().c_str(), error.c_str());
      status = kExitIoError;
    }
  }
  // The index last: a run that failed keeps the old one.
  if (!options.htmlDir.empty() && status != kExitIoError && !html.CommitIndex()) status = kExitIoError;
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
    return WriteStandardOutput(text, out, err);
  }
  try {
    if (options.batch) return RunBatchMode(options, in, out, err, terminal);
    return RunSinglePatient(options, out, err, terminal);
  } catch (const std::bad_alloc&) {
    // Memory ran out (a memory limit, --jobs far above the cores): the files
    // being written are removed as the run unwinds, and the run is a failure.
    std::fputs("kestrova-cli: out of memory\n", err);
    return kExitIoError;
  }
}

}  // namespace kestrova::cli

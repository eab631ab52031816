// kestrova-cli's command line, read with getopt_long:
//
//   kestrova-cli [--format report|lines|tsv|json|csv|html|chart] [--no-color]
//                [--id ID] [--name NAME] [--date DATE] [--window-rules]
//                [--gli global|2012|global,2012 [--gli-group GROUP]]
//                /Sex=M|F /Age=… /Setake=… [/VC=…] [/FVC=…] [/FEV1=…]
//   kestrova-cli --batch FILE|- [-o FILE|-] [--encoding utf-8|sjis]
//                [--html-dir DIR] [--jobs N] [--lang en|ja]
//                [--gli global|2012|global,2012 [--gli-group GROUP]]
//   kestrova-cli --help | --version
//
// Options may stand anywhere among the /Key=value words, which are the only
// other arguments. Each word is one value: "/Age=45 /VC=9" as one argument is
// an age of "45 /VC=9" (refused as not a number), and a key may be given once.
// With --window-rules the words are instead joined into the command line that
// kestrova.exe would get and read by its rules (input/command_line.h): "/Sex="
// by its first character, numbers by ParseNumber, nothing checked, the first of
// a repeated key counting.
//
// Anything else is refused with a one-line reason: an unknown option or value,
// a missing value, an option given twice, an option that does not go with the
// others (-o, --encoding, --html-dir, --jobs or --lang without --batch, --format,
// --window-rules or /Key= words with it), a word that is not a /Key=value, a
// key given twice, or no patient at all. --gli (GLI results) goes with
// --format report, json, html or chart, or --batch (its GLI columns), not with
// lines, tsv or csv; --gli-group needs 2012 in --gli.
#ifndef KESTROVA_CLI_OPTIONS_H_
#define KESTROVA_CLI_OPTIONS_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/limits.h"
#include "io/text_encoding.h"
#include "kestrova/gli_results.h"
#include "report/result_columns.h"

namespace kestrova::cli {

inline constexpr int kExitUsage = 64;  // the command line cannot be used (EX_USAGE)

enum class Format { kReport, kLines, kTsv, kJson, kCsv, kHtml, kChart };

struct Options {
  Format format = Format::kReport;
  bool colour = true;
  bool help = false;
  bool version = false;
  // The /Key=value words' values by the input model's values ("/Setake=" is the
  // height); unset for a key not given. "/DLCO=" is recognised and ignored.
  std::array<std::optional<std::string>, kPatientValueCount> patientValues;
  bool windowRules = false;  // --window-rules: read the words as kestrova.exe does
  std::string commandLine;   // the /Key=value words as the window would receive them
  bool batch = false;
  std::string batchInput;
  std::string batchOutput = "-";
  std::optional<TextEncoding> encoding;
  std::string htmlDir;  // --html-dir: a report per batch row, and their index
  // --id, --name, --date: whose results (one patient only); empty when not given.
  std::string patientId;
  std::string patientName;
  std::string examDate;
  unsigned jobs = 0;  // --jobs: threads for the batch; 0 = one per core
  // --lang: the batch's added header and texts in English (ASCII) or Japanese.
  report::Language language = report::Language::kEnglish;
  // --gli, --gli-group: the GLI sets in the JSON or the batch, GLI-2012's group.
  GliRequest gli;
};

inline constexpr unsigned kMaxJobs = 256;

// Reads `args` (without the program name) into `options`; false with `error`
// (one line, no program name) when they cannot be used.
bool ParseOptions(const std::vector<std::string_view>& args, Options& options, std::string& error);

// The synopsis printed after an error, and the whole help (--help).
extern const std::string_view kUsage;
extern const std::string_view kHelp;
// "kestrova-cli <version>".
std::string VersionText();

}  // namespace kestrova::cli

#endif  // KESTROVA_CLI_OPTIONS_H_

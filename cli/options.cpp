#include "cli/options.h"

#include <getopt.h>

#include <array>
#include <cstring>
#include <optional>

#include "input/command_line.h"
#include "io/paths.h"
#include "version/version.h"

namespace kestrova::cli {

const std::string_view kUsage =
    "usage: kestrova-cli [--format report|lines|tsv|json|csv|html|chart] [--no-color]\n"
    "                    [--id ID] [--name NAME] [--date DATE] [--window-rules]\n"
    "                    [--gli global|2012|global,2012 [--gli-group GROUP]]\n"
    "                    /Sex=M|F /Age=YEARS /Setake=CM [/VC=L] [/FVC=L] [/FEV1=L]\n"
    "       kestrova-cli --batch FILE|- [-o FILE|-] [--encoding utf-8|sjis] [--html-dir DIR] [--jobs N]\n"
    "                    [--lang en|ja] [--gli global|2012|global,2012 [--gli-group GROUP]]\n"
    "       kestrova-cli --help | --version\n";

// UTF-8 on every system (a Windows console is switched to UTF-8 before it is
// written): the literal is u8 text, untouched by the build's CP932 exec charset.
constexpr std::u8string_view kHelpText =
    u8"One patient, its values as /Key=value words, each read as a batch row's\n"
    "value is (sex M/F, 1/2, 男性/女性; age in years and height in cm required;\n"
    "VC, FVC and FEV1 in litres if measured); results to standard output:\n"
    "  --format F      report (the default), lines, tsv, json, csv, html (a\n"
    "                  one-page report with a z-score chart), or chart (Japanese\n"
    "                  text for an electronic chart, 80 columns)\n"
    "  --id, --name, --date  the patient's ID, name and examination date, shown\n"
    "                  by html and chart (left blank on the page when not given)\n"
    "  --no-color      mark red results with * also on a terminal\n"
    "  --window-rules  read the words exactly as kestrova.exe reads its command\n"
    "                  line (/Sex= by its first letter, M male, else female; no\n"
    "                  checks): what the window will show for them\n"
    "  --gli SETS      with --format report, json, html or chart, or --batch: GLI\n"
    "                  results too, global (GLI Global 2022), 2012 (GLI-2012) or\n"
    "                  both (global,2012), ages 3-95; in the batch, columns after\n"
    "                  the others\n"
    "  --gli-group G   GLI-2012's group: caucasian, african-american, ne-asian\n"
    "                  (the default), se-asian or other\n"
    "Many patients, one CSV row of results for each CSV row of patients:\n"
    "  --batch FILE    the patients' CSV file (- : standard input)\n"
    "  -o FILE         the results (- or none: standard output); the file is\n"
    "                  replaced only when complete, and may not be the input\n"
    "  --encoding E    the input's encoding, utf-8 or sjis (default: decided from\n"
    "                  its bytes); the output is in the same encoding\n"
    "  --html-dir DIR  also an HTML report per row, and index.html, in DIR\n"
    "  --jobs N        compute on N threads (default: one per core); the output\n"
    "                  is the same for any N\n"
    "  --lang L        en (the default) or ja: the added columns' names, the\n"
    "                  reading, the warnings and the row errors in Japanese\n"
    "                  (the header's own errors stay English)\n"
    "  Columns: sex (M/F, 1/2), age and height (cm); vc, fvc and fev1 (L) if\n"
    "  measured; or their Japanese names (see README). All pass through. The\n"
    "  reports show the id, name and date columns (or 患者ID, 氏名, 検査日, ...).\n"
    "  -h, --help      this help\n"
    "  --version       the program's name and version\n"
    "Exit status: 0 done; 1 a file could not be read or written; 2 bad input\n"
    "(a refused value, a row, the header, or values that leave the panel empty);\n"
    "64 a command line that cannot be used.\n";
const std::string_view kHelp(reinterpret_cast<const char*>(kHelpText.data()), kHelpText.size());

std::string VersionText() { return "kestrova-cli " KESTROVA_VERSION; }

namespace {

// getopt_long's codes of the options; the long-only ones lie above any character.
enum OptionId : int {
  kHelpOption = 'h',
  kOutputOption = 'o',
  kFormatOption = 256,
  kNoColorOption,
  kBatchOption,
  kEncodingOption,
  kVersionOption,
  kHtmlDirOption,
  kIdOption,
  kNameOption,
  kDateOption,
  kJobsOption,
  kWindowRulesOption,
  kLangOption,
  kGliOption,
  kGliGroupOption,
};

constexpr option kLongOptions[] = {
    {"format", required_argument, nullptr, kFormatOption},
    {"no-color", no_argument, nullptr, kNoColorOption},
    {"batch", required_argument, nullptr, kBatchOption},
    {"encoding", required_argument, nullptr, kEncodingOption},
    {"help", no_argument, nullptr, kHelpOption},
    {"version", no_argument, nullptr, kVersionOption},
    {"html-dir", required_argument, nullptr, kHtmlDirOption},
    {"id", required_argument, nullptr, kIdOption},
    {"name", required_argument, nullptr, kNameOption},
    {"date", required_argument, nullptr, kDateOption},
    {"jobs", required_argument, nullptr, kJobsOption},
    {"window-rules", no_argument, nullptr, kWindowRulesOption},
    {"lang", required_argument, nullptr, kLangOption},
    {"gli", required_argument, nullptr, kGliOption},
    {"gli-group", required_argument, nullptr, kGliGroupOption},
    {nullptr, 0, nullptr, 0},
};
// '-': every argument in order (keys come back as 1), whatever POSIXLY_CORRECT
// says; ':': a missing value comes back as ':'.
constexpr const char* kShortOptions = "-:ho:";

// "--format", "-o", …: the option as the user would write it.
std::string OptionName(int id) {
  if (id < 256) return std::string("-") + static_cast<char>(id);
  for (const option& o : kLongOptions) {
    if (o.name != nullptr && o.val == id) return std::string("--") + o.name;
  }
  return "?";
}

bool TakesValue(int id) {
  for (const option& o : kLongOptions) {
    if (o.name != nullptr && o.val == id) return o.has_arg == required_argument;
  }
  return id == kOutputOption;
}

bool ParseFormat(std::string_view text, Format& format) {
  const std::pair<std::string_view, Format> formats[] = {
      {"report", Format::kReport}, {"lines", Format::kLines}, {"tsv", Format::kTsv},
      {"json", Format::kJson},     {"csv", Format::kCsv},     {"html", Format::kHtml},
      {"chart", Format::kChart}};
  for (const auto& [name, value] : formats) {
    if (text == name) {
      format = value;
      return true;
    }
  }
  return false;
}

// The key a /Key=value word begins with (keys are matched byte for byte).
std::optional<CommandLineKey> KeyOfWord(std::string_view word) {
  for (std::size_t k = 0; k < kCommandLineKeyCount; ++k) {
    const auto key = static_cast<CommandLineKey>(k);
    if (word.substr(0, KeyText(key).size()) == KeyText(key)) return key;
  }
  return std::nullopt;
}

static_assert(static_cast<std::size_t>(CommandLineKey::kFev1) == IndexOf(PatientValue::kFev1) &&
              static_cast<std::size_t>(CommandLineKey::kHeight) == IndexOf(PatientValue::kHeight));

// The words' values by the input model's values, each key given once.
bool ReadKeyWords(const std::vector<std::string>& keyWords, Options& options, std::string& error) {
  for (const std::string& word : keyWords) {
    const CommandLineKey key = *KeyOfWord(word);
    if (key == CommandLineKey::kDlco) continue;  // recognised, and no value depends on it
    // The keys /Sex= … /FEV1= stand in the order of the input model's values.
    std::optional<std::string>& value = options.patientValues[static_cast<std::size_t>(key)];
    if (value) {
      error = std::string(KeyText(key)) + " is given twice";
      return false;
    }
    value = word.substr(KeyText(key).size());
  }
  return true;
}

// The word getopt_long just refused, without any "=value".
std::string RefusedWord(const char* word) {
  std::string text = word != nullptr ? word : "?";
  if (text.rfind("--", 0) == 0) text = text.substr(0, text.find('='));
  return text;
}

// "global", "2012", "global,2012" or "2012,global": each set once.
bool ParseGliSets(std::string_view text, GliRequest& request) {
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::optional<GliSet> set = ParseGliSet(text.substr(0, comma));
    if (!set) return false;
    bool& asked = *set == GliSet::kGlobal2022 ? request.global : request.gli2012;
    if (asked) return false;
    asked = true;
    if (comma == text.npos) return true;
    text.remove_prefix(comma + 1);
  }
}

bool ParseJobs(std::string_view text, unsigned& jobs) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != text.npos) return false;
  jobs = static_cast<unsigned>(std::stoul(std::string(text)));
  return jobs >= 1 && jobs <= kMaxJobs;
}

// Why `path`, given as `option`, names a device on Windows rather than a file
// ("-o aux.csv" would write to a serial port and end with status 0); empty when
// it does not. A bare NUL stays allowed for -o: it is how Windows discards.
std::string DeviceNameRefusal(std::string_view option, const std::string& path, bool bareNulAllowed) {
  if (!io::IsWindowsDeviceName(path)) return "";
  if (bareNulAllowed && path.size() == 3 && (path[0] == 'N' || path[0] == 'n')) return "";  // NUL, nul, …
  return std::string(option) + " '" + RefusedWord(path.c_str()) +
         "': a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with any "
         "extension); "
         "choose another name";
}

}  // namespace

bool ParseOptions(const std::vector<std::string_view>& args, Options& options, std::string& error) {
  std::vector<std::string> words{"kestrova-cli"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  // The program path comes first, so no key can begin within the first ten characters.
  options.commandLine = "kestrova-cli";
  bool hasKeys = false;
  std::vector<std::string> keyWords;
  const auto addKey = [&](const char* word) {
    if (!KeyOfWord(word)) {
      error = "unknown argument '" + std::string(word) +
              "' (the patient's values are /Sex= /Age= /Setake= /VC= /FVC= /FEV1=)";
      return false;
    }
    options.commandLine += ' ';
    options.commandLine += word;
    keyWords.emplace_back(word);
    hasKeys = true;
    return true;
  };

  std::array<int, 512> given{};
  optind = 0;  // start afresh (glibc and MinGW alike)
  opterr = 0;  // the messages are ours
  for (;;) {
    const int id = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
    if (id == -1) break;
    if (id == 1) {
      if (!addKey(optarg)) return false;
      continue;
    }
    if (id == '?' || id == ':') {
      const bool known = optopt >= 256 || optopt == kHelpOption || optopt == kOutputOption;
      if (!known) {
        error = "unknown option '" +
                (optopt > 0 && optopt < 256 ? "-" + std::string(1, static_cast<char>(optopt))
                                            : RefusedWord(argv[optind - 1])) +
                "'";
      } else if (TakesValue(optopt)) {
        error = OptionName(optopt) + " needs a value";
      } else {
        error = OptionName(optopt) + " takes no value";
      }
      return false;
    }
    if (given[static_cast<std::size_t>(id)]++ > 0) {
      error = OptionName(id) + " is given twice";
      return false;
    }
    const std::string_view value = optarg != nullptr ? std::string_view(optarg) : std::string_view();
    // "-o --batch x": the next option is not a value.
    if (TakesValue(id) && (value.empty() || (value[0] == '-' && value != "-"))) {
      error = OptionName(id) + " needs a value";
      return false;
    }
    switch (id) {
      case kFormatOption:
        if (!ParseFormat(value, options.format)) {
          error =
              "unknown format '" + std::string(value) + "' (report, lines, tsv, json, csv, html or chart)";
          return false;
        }
        break;
      case kEncodingOption:
        options.encoding = io::ParseEncodingName(value);
        if (!options.encoding) {
          error = "unknown encoding '" + std::string(value) + "' (utf-8 or sjis)";
          return false;
        }
        break;
      case kNoColorOption:
        options.colour = false;
        break;
      case kBatchOption:
        options.batch = true;
        options.batchInput = std::string(value);
        break;
      case kOutputOption:
        options.batchOutput = std::string(value);
        break;
      case kHelpOption:
        options.help = true;
        break;
      case kVersionOption:
        options.version = true;
        break;
      case kHtmlDirOption:
        options.htmlDir = std::string(value);
        break;
      case kIdOption:
        options.patientId = std::string(value);
        break;
      case kNameOption:
        options.patientName = std::string(value);
        break;
      case kDateOption:
        options.examDate = std::string(value);
        break;
      case kWindowRulesOption:
        options.windowRules = true;
        break;
      case kLangOption:
        if (value != "en" && value != "ja") {
          error = "unknown language '" + std::string(value) + "' (en or ja)";
          return false;
        }
        options.language = value == "ja" ? report::Language::kJapanese : report::Language::kEnglish;
        break;
      case kGliOption:
        if (!ParseGliSets(value, options.gli)) {
          error = "unknown GLI sets '" + std::string(value) + "' (global, 2012 or global,2012)";
          return false;
        }
        break;
      case kGliGroupOption:
        if (const std::optional<GliGroup> group = ParseGliGroup(value)) {
          options.gli.group = *group;
        } else {
          error = "unknown GLI-2012 group '" + std::string(value) +
                  "' (caucasian, african-american, ne-asian, se-asian or other)";
          return false;
        }
        break;
      case kJobsOption:
        if (!ParseJobs(value, options.jobs)) {
          error = "--jobs takes a whole number from 1 to " + std::to_string(kMaxJobs) + ", not '" +
                  std::string(value) + "'";
          return false;
        }
        break;
      default:
        error = "unknown option '" + RefusedWord(argv[optind - 1]) + "'";
        return false;
    }
  }
  // After "--" every word is a key.
  for (int i = optind; i < argc; ++i) {
    if (!addKey(argv[static_cast<std::size_t>(i)])) return false;
  }
  options.commandLine += ' ';
  if (options.help || options.version) return true;

  if (options.batch) {
    if (hasKeys) {
      error = "--batch reads the patients from the file, not from /Key= values";
    } else if (given[kIdOption] > 0 || given[kNameOption] > 0 || given[kDateOption] > 0) {
      const int option = given[kIdOption] > 0     ? kIdOption
                         : given[kNameOption] > 0 ? kNameOption
                                                  : kDateOption;
      error = OptionName(option) + " does not go with --batch (its id, name and date columns give them)";
    } else if (given[kFormatOption] > 0 || given[kNoColorOption] > 0) {
      error = OptionName(given[kFormatOption] > 0 ? kFormatOption : kNoColorOption) +
              " does not go with --batch (its output is CSV)";
    } else if (given[kWindowRulesOption] > 0) {
      error = "--window-rules does not go with --batch (a batch row is read by the batch's rules)";
    } else if (given[kGliGroupOption] > 0 && !options.gli.gli2012) {
      error = "--gli-group goes with --gli 2012 only (GLI Global has no groups)";
    } else if (error = DeviceNameRefusal("-o", options.batchOutput, true); error.empty()) {
      error = DeviceNameRefusal("--html-dir", options.htmlDir, false);
    }
  } else if (given[kOutputOption] > 0 || given[kEncodingOption] > 0 || given[kHtmlDirOption] > 0) {
    const int option = given[kOutputOption] > 0     ? kOutputOption
                       : given[kEncodingOption] > 0 ? kEncodingOption
                                                    : kHtmlDirOption;
    error = OptionName(option) + " goes with --batch only (one patient's results go to standard output";
    error += option == kHtmlDirOption ? "; --format html writes one report)" : ")";
  } else if (given[kJobsOption] > 0) {
    error = "--jobs goes with --batch only (one patient is one computation)";
  } else if (given[kLangOption] > 0) {
    error = "--lang goes with --batch only";
  } else if (given[kGliGroupOption] > 0 && !options.gli.gli2012) {
    error = "--gli-group goes with --gli 2012 only (GLI Global has no groups)";
  } else if (given[kGliOption] > 0 && (options.format == Format::kLines || options.format == Format::kTsv ||
                                       options.format == Format::kCsv)) {
    error = "--gli goes with --format report, json, html or chart (lines, tsv and csv show no GLI results)";
  } else if (!hasKeys) {
    error = "no patient given: /Sex=, /Age=, /Setake=, ... or --batch FILE";
  } else if (!options.windowRules) {
    ReadKeyWords(keyWords, options, error);
  }
  return error.empty();
}

}  // namespace kestrova::cli

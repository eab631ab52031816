// kestrova-cli's command line and output file, run in process through RunCli.
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "cli/options.h"
#include "io/paths.h"
#include "numtext/utf8.h"
#include "tests/support/captured_stream.h"
#include "tests/support/files.h"

namespace kestrova::cli {

using namespace kestrova::batch;  // NOLINT
using namespace kestrova::io;     // NOLINT
namespace {

namespace fs = std::filesystem;
using testing::CapturedStream;
using testing::ReadFile;
using testing::WriteFile;

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunTool(const std::vector<std::string>& words, Terminal terminal = {}) {
  const std::vector<std::string_view> args(words.begin(), words.end());
  CapturedStream out;
  CapturedStream err;
  CliRun run;
  run.status = RunCli(args, stdin, out.file(), err.file(), terminal);
  run.out = out.Take();
  run.err = err.Take();
  return run;
}

struct UsageCase {
  std::vector<std::string> args;
  std::string message;  // the first line of the error stream, after "kestrova-cli: "
};

TEST(Arguments, WrongInvocationsGiveTheReasonAndUsage) {
  const std::string keys = "/Sex=M";
  const UsageCase cases[] = {
      {{"--formt", "json", keys}, "unknown option '--formt'"},
      {{"--no-colour", keys}, "unknown option '--no-colour'"},
      {{"--versoin"}, "unknown option '--versoin'"},
      {{"-x", keys}, "unknown option '-x'"},
      {{"--format", "yaml", keys}, "unknown format 'yaml' (report, lines, tsv, json, csv, html or chart)"},
      {{"--batch", "-", "--encoding", "latin1"}, "unknown encoding 'latin1' (utf-8 or sjis)"},
      {{keys, "--format"}, "--format needs a value"},
      {{"--batch"}, "--batch needs a value"},
      {{"--batch", "in.csv", "-o", "--encoding", "sjis"}, "-o needs a value"},
      {{"--no-color=yes", keys}, "--no-color takes no value"},
      {{"-o", "out.csv", keys}, "-o goes with --batch only (one patient's results go to standard output)"},
      {{"--encoding", "sjis", keys},
       "--encoding goes with --batch only (one patient's results go to standard output)"},
      {{"--html-dir", "d", keys},
       "--html-dir goes with --batch only (one patient's results go to standard output; --format html writes "
       "one "
       "report)"},
      {{"--jobs", "2", keys}, "--jobs goes with --batch only (one patient is one computation)"},
      {{"--batch", "-", "--jobs", "0"}, "--jobs takes a whole number from 1 to 256, not '0'"},
      {{"--batch", "-", "--jobs", "257"}, "--jobs takes a whole number from 1 to 256, not '257'"},
      {{"--batch", "-", "--jobs", "2x"}, "--jobs takes a whole number from 1 to 256, not '2x'"},
      {{"--lang", "ja", keys}, "--lang goes with --batch only"},
      {{"--batch", "-", "--lang", "jp"}, "unknown language 'jp' (en or ja)"},
      {{"--format", "json", "--format", "json", keys}, "--format is given twice"},
      {{"--no-color", "--no-color", keys}, "--no-color is given twice"},
      {{"--batch", "a.csv", "--batch", "b.csv"}, "--batch is given twice"},
      {{"--batch", "a.csv", "-o", "x.csv", "-o", "y.csv"}, "-o is given twice"},
      {{"--batch", "-", keys}, "--batch reads the patients from the file, not from /Key= values"},
      {{"--batch", "-", "--format", "csv"}, "--format does not go with --batch (its output is CSV)"},
      {{"--batch", "-", "--name", "x"},
       "--name does not go with --batch (its id, name and date columns give them)"},
      {{"--date", "d", "--date", "d", keys}, "--date is given twice"},
      {{"json", keys},
       "unknown argument 'json' (the patient's values are /Sex= /Age= /Setake= /VC= /FVC= /FEV1=)"},
      {{"/sex=M"},
       "unknown argument '/sex=M' (the patient's values are /Sex= /Age= /Setake= /VC= /FVC= /FEV1=)"},
      {{}, "no patient given: /Sex=, /Age=, /Setake=, ... or --batch FILE"},
      {{"/Age=40", keys, "/Age=41"}, "/Age= is given twice"},
      {{"--batch", "-", "--window-rules"},
       "--window-rules does not go with --batch (a batch row is read by the batch's rules)"},
      {{"--format", "json", "--gli", "global,global", keys},
       "unknown GLI sets 'global,global' (global, 2012 or global,2012)"},
      {{"--format", "json", "--gli", "2012,", keys},
       "unknown GLI sets '2012,' (global, 2012 or global,2012)"},
      {{"--format", "json", "--gli", "2012", "--gli-group", "nea", keys},
       "unknown GLI-2012 group 'nea' (caucasian, african-american, ne-asian, se-asian or other)"},
      {{"--format", "json", "--gli", "global", "--gli-group", "other", keys},
       "--gli-group goes with --gli 2012 only (GLI Global has no groups)"},
      {{"--format", "csv", "--gli", "2012", keys},
       "--gli goes with --format report, json, html or chart (lines, tsv and csv show no GLI results)"},
      {{"--batch", "-", "--gli", "global", "--gli-group", "other"},
       "--gli-group goes with --gli 2012 only (GLI Global has no groups)"},
      // Windows would write these to a device and report success.
      {{"--batch", "-", "-o", "aux.csv"},
       "-o 'aux.csv': a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with any "
       "extension); choose another name"},
      {{"--batch", "-", "-o", "out/Nul.csv"},
       "-o 'out/Nul.csv': a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with "
       "any extension); choose another name"},
      {{"--batch", "-", "--html-dir", "nul"},
       "--html-dir 'nul': a name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with "
       "any extension); choose another name"},
  };
  for (const UsageCase& c : cases) {
    const CliRun run = RunTool(c.args);
    const std::string where = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status, kExitUsage) << where;
    EXPECT_EQ(run.err, "kestrova-cli: " + c.message + "\n" + std::string(kUsage)) << where;
    EXPECT_EQ(run.out, "") << where;
  }
}

TEST(Arguments, HelpAndVersion) {
  const CliRun help = RunTool({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  for (const char* option : {"--format", "--no-color", "--batch", "-o FILE", "--encoding", "--help",
                             "--version", "sex", "age", "height", "vc, fvc and fev1"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(RunTool({"-h"}).out, help.out);
  EXPECT_NE(help.out.find(Utf8(u8"患者ID")), std::string::npos);  // UTF-8, as every message is
  EXPECT_TRUE(IsValidUtf8(help.out));
  const CliRun version = RunTool({"--version"});
  EXPECT_EQ(version.status, kExitOk);
  EXPECT_EQ(version.out, "kestrova-cli " KESTROVA_VERSION "\n");
}

struct EmptyPanelCase {
  std::string format;
  std::string out;  // standard output, or for JSON what it starts with
};

struct RefusedCase {
  std::vector<std::string> keys;
  std::string message;  // the error stream, after "kestrova-cli: "
};

// The words are read as a batch row is: a value the batch refuses is refused
// here, with the batch's words, and nothing is written.
TEST(Arguments, ValuesAreReadByTheBatchsRules) {
  const RefusedCase cases[] = {
      {{"/Age=40", "/Setake=170"}, "/Sex= is not given (sex is required)"},
      {{"/Sex=", "/Age=40", "/Setake=170"}, "sex is empty"},
      {{"/Sex=W", "/Age=40", "/Setake=170"}, "sex 'W' is neither M/F, 1/2 nor " + Utf8(u8"男性/女性")},
      {{"/Sex=M", "/Setake=170"}, "/Age= is not given (age is required)"},
      {{"/Sex=M", "/Age=45 /VC=9", "/Setake=170"}, "age '45 /VC=9' is not a number"},
      {{"/Sex=M", "/Age=40", "/Setake=300"}, "height '300' is above 272"},
      {{"/Sex=M", "/Age=40", "/Setake=170", "/VC=3,1"},
       "vc '3,1' is not a number (the decimal mark is '.', not ',')"},
      {{"/Sex=M", "/Age=40", "/Setake=170", "/VC=3100"}, "vc '3100' is above 15"},
      {{"/Sex=M", "/Age=40", "/Setake=170", "/FEV1=-2"}, "fev1 '-2' is negative"},
  };
  for (const RefusedCase& c : cases) {
    const CliRun run = RunTool(c.keys);
    const std::string where = ::testing::PrintToString(c.keys);
    EXPECT_EQ(run.status, kExitBadInput) << where;
    EXPECT_EQ(run.err, "kestrova-cli: " + c.message + "\n") << where;
    EXPECT_EQ(run.out, "") << where;
  }
  // Every spelling of a sex the batch takes, full-width digits, /DLCO= ignored.
  const std::string male = RunTool({"--format", "csv", "/Sex=M", "/Age=40", "/Setake=170"}).out;
  for (const std::string& sex : {std::string("/Sex=m"), std::string("/Sex=1"), Utf8(u8"/Sex=男"),
                                 Utf8(u8"/Sex=男性"), Utf8(u8"/Sex=Ｍ")}) {
    EXPECT_EQ(RunTool({"--format", "csv", sex, Utf8(u8"/Age=４０"), "/Setake=170", "/DLCO=9"}).out, male)
        << sex;
  }
}

// --window-rules reads the words as kestrova.exe reads its command line: the
// sex by its first character, numbers by ParseNumber, nothing refused.
TEST(Arguments, WindowRulesReadAsTheProgramsCommandLine) {
  const CliRun run =
      RunTool({"--window-rules", "--format", "tsv", "/Sex=m", "/Age=40", "/Setake=170", "/VC=3,1"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find("height")), "sexCode\t2\tm\nage\t40\t40\n");
  EXPECT_NE(run.out.find("vc\t3\t3,1\n"), std::string::npos);
}

// With the window's rules an age missing leaves the window's panel empty: every format says so and exits 2.
TEST(Arguments, EmptyPanelIsAnErrorInEveryFormat) {
  const EmptyPanelCase cases[] = {
      {"report", ""},
      {"lines", ""},
      {"tsv", ""},
      {"csv", ""},
      {"json",
       "{\n  \"inputs\": {\"sexCode\": 1, \"age\": 0, \"height\": 170, \"vc\": 0, \"fvc\": 0, \"fev1\": 0},\n"
       "  \"computed\": false,"},
  };
  for (const EmptyPanelCase& c : cases) {
    const CliRun run = RunTool({"--window-rules", "--format", c.format, "/Sex=M", "/Setake=170"});
    EXPECT_EQ(run.status, kExitBadInput) << c.format;
    EXPECT_EQ(run.err, "kestrova-cli: the panel stays empty: give /Age= and /Setake= (above 0)\n")
        << c.format;
    EXPECT_EQ(c.out.empty() ? run.out : run.out.substr(0, c.out.size()), c.out) << c.format;
  }
}

struct OutputCase {
  std::vector<std::string> args;
  bool terminal;      // standard output is a terminal
  std::string start;  // what standard output starts with
  std::string part;   // and holds
};

// Each format reaches its output: the CSV's header and row, the old plain
// lines, and red in colour only on a terminal and without --no-color.
TEST(Arguments, FormatsAndColour) {
  const std::vector<std::string> male = {"/Sex=M",  "/Age=40",  "/Setake=170",
                                         "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"};
  std::vector<std::string> noColour = male;
  noColour.insert(noColour.begin(), "--no-color");
  const OutputCase cases[] = {
      {{"--format", "csv", "/Sex=F", "/Age=45", "/Setake=160", "/VC=3.1", "/FVC=3.0", "/FEV1=2.4"},
       false,
       "vcJrs2014,vcJrs2014Pct,vcJrs2014Red,vcLln,",
       "\n3.24,95.7,0,2.69,3.13,99.0,0,2.76,112.3,0,"},
      {{"--format", "lines", "/Sex=F", "/Age=40", "/Setake=158"}, false, "3.20 :JRS2014\n2.66 :LLN\n", ""},
      {male, true, "", " \x1b[31m 71.4 %    \x1b[0m 4.48 :JRS2014\n"},
      {noColour, true, "", "* 71.4 %     4.48 :JRS2014\n"},
  };
  for (const OutputCase& c : cases) {
    const CliRun run = RunTool(c.args, Terminal{c.terminal});
    const std::string where = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status, kExitOk) << where << run.err;
    EXPECT_TRUE(run.out.starts_with(c.start)) << where << run.out;
    EXPECT_NE(run.out.find(c.part), std::string::npos) << where << run.out;
  }
}

using OutputFileTest = testing::TempFolderTest;

const std::string kPatients = "id,sex,age,height,vc\nA-1,M,40,170,3.2\n";

// --lang ja: the added header, the reading, the warnings and the row errors in
// Japanese, in the input's encoding; the error stream in UTF-8 as always.
TEST_F(OutputFileTest, JapaneseBatchIsInTheInputsEncoding) {
  const std::pair<TextEncoding, std::string> cases[] = {
      {TextEncoding::kUtf8, Utf8(u8"氏名,性別,年齢,身長,VC,FVC,FEV1\n山田,男性,40,170,3.2,3.9,2.6\n"
                                 u8"佐藤,女性,forty,160,,,\n")},
      // A plain literal is Shift-JIS: the build's exec charset is CP932.
      {TextEncoding::kShiftJis,
       "氏名,性別,年齢,身長,VC,FVC,FEV1\n山田,男性,40,170,3.2,3.9,2.6\n佐藤,女性,forty,160,,,\n"},
  };
  const std::string input = (dir_ / "in.csv").string();
  for (const auto& [encoding, patients] : cases) {
    const auto in = [encoding](std::u8string_view text) { return Utf8AsText(Utf8(text), encoding); };
    WriteFile(input, patients);
    const CliRun run = RunTool({"--batch", input, "--lang", "ja", "--jobs", "2"});
    EXPECT_EQ(run.status, kExitBadInput);
    EXPECT_TRUE(run.out.starts_with(in(u8"氏名,性別,年齢,身長,VC,FVC,FEV1,エラー,JRS2014 VC 予測値,")));
    EXPECT_NE(
        run.out.find(in(u8",混合性換気障害,71.6,閉塞性換気障害,81.2,閉塞性換気障害,軽度,1,0,1,-2.48,"
                        u8"II期（中等度の気流閉塞）,68.1,83.6,84歳,0,58.2,非該当,入力：3.2 < FVC：3.9\n")),
        std::string::npos);
    EXPECT_NE(run.out.find(
                  in(u8"\n佐藤,女性,forty,160,,,,年齢「forty」：数値で入力してください（例 45、160.5）,,")),
              std::string::npos);
    EXPECT_EQ(run.err, "kestrova-cli: " + input +
                           Utf8(u8":3: 年齢「forty」：数値で入力してください（例 45、160.5）\n"
                                u8"kestrova-cli: 2 行のうち 1 行を読めませんでした\n"));
  }
}

struct SpellingCase {
  std::string name;
  std::string output;  // -o, as spelled, for the input dir/sub/patients.csv
};

TEST_F(OutputFileTest, OutputNamingTheInputIsRefused) {
  fs::create_directories(dir_ / "sub");
  const fs::path input = dir_ / "sub" / "patients.csv";
  WriteFile(input, kPatients);
  fs::create_symlink("sub/patients.csv", dir_ / "link.csv");
  fs::create_hard_link(input, dir_ / "hard.csv");
  const std::string d = dir_.string();
  const SpellingCase cases[] = {
      {"the same", input.string()},
      {"relative", fs::relative(input, fs::current_path()).string()},
      {"with . and ..", d + "/sub/./../sub/patients.csv"},
      {"a symbolic link", d + "/link.csv"},
      {"a hard link", d + "/hard.csv"},
  };
  for (const SpellingCase& c : cases) {
    const CliRun run = RunTool({"--batch", input.string(), "-o", c.output});
    EXPECT_EQ(run.status, kExitUsage) << c.name;
    EXPECT_EQ(run.err, "kestrova-cli: -o " + c.output + " is the input file; choose another output file\n")
        << c.name;
    EXPECT_EQ(ReadFile(input), kPatients) << c.name;
  }
  EXPECT_EQ(Tree(), (std::vector<std::string>{"hard.csv", "link.csv -> sub/patients.csv", "sub",
                                              "sub/patients.csv"}));
}

struct FailureCase {
  std::string name;
  std::string input;  // written to in.csv; "<dir>" makes in.csv a folder
  int status;
};

// A run that fails leaves the file named by -o as it was, and no temporary file.
TEST_F(OutputFileTest, FailingRunLeavesTheTargetUnchanged) {
  const FailureCase cases[] = {
      {"empty input", "", kExitBadInput},
      {"only empty lines", "\n\r\n", kExitBadInput},
      {"no height column", "sex,age\nM,40\n", kExitBadInput},
      {"unreadable input", "<dir>", kExitIoError},
  };
  const fs::path input = dir_ / "in.csv";
  const fs::path target = dir_ / "out.csv";
  for (const FailureCase& c : cases) {
    fs::remove_all(input);
    if (c.input == "<dir>") {
      fs::create_directory(input);
    } else {
      WriteFile(input, c.input);
    }
    WriteFile(target, "earlier results\n");
    const CliRun run = RunTool({"--batch", input.string(), "-o", target.string()});
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
    EXPECT_EQ(ReadFile(target), "earlier results\n") << c.name;
    EXPECT_EQ(Tree(), (std::vector<std::string>{"in.csv", "out.csv"})) << c.name;
  }
  // The control: a run that completes replaces the target, keeping its permissions.
  fs::remove_all(input);
  WriteFile(input, kPatients);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(RunTool({"--batch", input.string(), "-o", target.string()}).status, kExitOk);
  EXPECT_EQ(ReadFile(target).rfind("id,sex,age,height,vc,error,vcJrs2014,", 0), 0u);
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"in.csv", "out.csv"}));
}

struct TargetCase {
  std::string name;
  std::string output;                            // -o, in the test's folder unless absolute
  std::function<void(const fs::path&)> prepare;  // given the folder
  int status;
  std::string error;  // the message after "kestrova-cli: <-o>: cannot be written (", or ""
  std::vector<std::string> names;
  std::string written;  // the file the results must be in (the -o, or where its link points)
};

// How -o is replaced: never a file the user could not write, links kept even
// when dangling, long names, temporary files of killed runs swept, and a
// write error named with its reason.
TEST_F(OutputFileTest, TargetsAreReplacedOrRefusedAsTheUserExpects) {
  const std::string longName = std::string(250, 'n') + ".csv";  // 254 bytes, the most most systems take
  const TargetCase cases[] = {
      // A run killed by SIGKILL leaves its temporary file: the next run removes it (first: a
      // process sweeps a folder once).
      {"stale temporary file",
       "out.csv",
       [](const fs::path& d) { WriteFile(d / ".kestrova-2147483646-0.tmp", "half a run"); },
       kExitOk,
       "",
       {"in.csv", "out.csv"},
       "out.csv"},
      {"read-only",
       "out.csv",
       [](const fs::path& d) {
         WriteFile(d / "out.csv", "earlier results\n");
         fs::permissions(d / "out.csv",
                         fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
       },
       kExitIoError,
       "the file is read-only",
       {"in.csv", "out.csv"},
       ""},
      {"dangling link",
       "link.csv",
       [](const fs::path& d) {
         fs::create_directory(d / "sub");
         fs::create_symlink("sub/new.csv", d / "link.csv");
       },
       kExitOk,
       "",
       {"in.csv", "link.csv -> sub/new.csv", "sub", "sub/new.csv"},
       "sub/new.csv"},
      {"254-byte name", longName, [](const fs::path&) {}, kExitOk, "", {"in.csv", longName}, longName},
      {"full disk",
       "/dev/full",
       [](const fs::path&) {},
       kExitIoError,
       "No space left on device",
       {"in.csv"},
       ""},
  };
  for (const TargetCase& c : cases) {
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    WriteFile(dir_ / "in.csv", kPatients);
    c.prepare(dir_);
    const std::string output = c.output.starts_with('/') ? c.output : (dir_ / c.output).string();
    const CliRun run = RunTool({"--batch", (dir_ / "in.csv").string(), "-o", output});
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
    EXPECT_EQ(run.err,
              c.error.empty() ? "" : "kestrova-cli: " + output + ": cannot be written (" + c.error + ")\n")
        << c.name;
    EXPECT_EQ(Tree(), c.names) << c.name;
    const std::string results = c.written.empty() ? "" : ReadFile(dir_ / c.written).substr(0, 9);
    EXPECT_EQ(results, c.written.empty() ? "" : "id,sex,ag") << c.name;
    EXPECT_TRUE(c.name != "read-only" || ReadFile(dir_ / "out.csv") == "earlier results\n");
    EXPECT_TRUE(c.name != "dangling link" || fs::is_symlink(dir_ / "link.csv"));
  }
}

// A replaced file keeps its mode, and its owner and group where the process may set them.
TEST_F(OutputFileTest, ReplacedFileKeepsModeAndOwner) {
  const fs::path target = dir_ / "out.csv";
  WriteFile(dir_ / "in.csv", kPatients);
  WriteFile(target, "earlier results\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(target.c_str(), 4321, 4322), 0);
  }
  struct stat before {};
  ASSERT_EQ(stat(target.c_str(), &before), 0);
  EXPECT_EQ(RunTool({"--batch", (dir_ / "in.csv").string(), "-o", target.string()}).status, kExitOk);
  struct stat after {};
  ASSERT_EQ(stat(target.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);  // replaced, not written over
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
}

struct StandardStreamCase {
  std::string name;
  std::vector<std::string> args;  // "IN" is the input file's path
  bool inFromFile;                // standard input reads the input file
  bool outToFile;                 // standard output appends to the input file
  int status;
};

// Standard output (or -o with standard input) that is the input file: the run
// would read what it writes, without end.
TEST_F(OutputFileTest, StandardStreamsNamingTheInputAreRefused) {
  const fs::path input = dir_ / "in.csv";
  const StandardStreamCase cases[] = {
      {"--batch FILE >> FILE", {"--batch", "IN"}, false, true, kExitUsage},
      {"--batch - < FILE >> FILE", {"--batch", "-"}, true, true, kExitUsage},
      {"--batch - -o FILE < FILE", {"--batch", "-", "-o", "IN"}, true, false, kExitUsage},
      {"control: --batch - < FILE", {"--batch", "-"}, true, false, kExitOk},
  };
  for (const StandardStreamCase& c : cases) {
    WriteFile(input, kPatients);
    std::vector<std::string> words = c.args;
    for (std::string& word : words) word = word == "IN" ? input.string() : word;
    const std::vector<std::string_view> args(words.begin(), words.end());
    std::FILE* in = c.inFromFile ? std::fopen(input.c_str(), "rb") : stdin;
    CapturedStream captured;
    std::FILE* out = c.outToFile ? std::fopen(input.c_str(), "ab") : captured.file();
    CapturedStream err;
    EXPECT_EQ(RunCli(args, in, out, err.file(), Terminal{}), c.status) << c.name << ": " << err.Take();
    if (c.inFromFile) std::fclose(in);
    if (c.outToFile) std::fclose(out);
    EXPECT_EQ(ReadFile(input), kPatients) << c.name;
  }
}

struct HtmlDirCase {
  std::string name;
  std::string output;   // -o, in the test's folder unless absolute
  std::string folder;   // --html-dir, in the test's folder
  std::string blocked;  // a folder made at this name in d/ ("" none)
  int status;
  std::string message;  // on the error stream
};

// --html-dir: a refused run makes no folder, and a run that fails (the folder,
// a report or the CSV output) keeps the old index and the old results.
TEST_F(OutputFileTest, HtmlDirRunsThatFailKeepTheOldFiles) {
  const HtmlDirCase cases[] = {
      {"-o is the index of a folder still to make", "new/index.html", "new", "", kExitUsage,
       "/new/index.html, a file --html-dir "},
      {"the folder cannot be made", "out.csv", "in.csv/d", "", kExitIoError,
       "the report directory cannot be made"},
      {"a report cannot be written", "out.csv", "d", "A-1.html", kExitIoError,
       "/d/A-1.html: cannot be written (Is a directory)"},
      {"the output cannot be written", "/dev/full", "d", "", kExitIoError,
       "/dev/full: cannot be written (No space left on device)"},
  };
  for (const HtmlDirCase& c : cases) {
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    WriteFile(dir_ / "in.csv", kPatients);
    WriteFile(dir_ / "out.csv", "old results");
    fs::create_directory(dir_ / "d");
    WriteFile(dir_ / "d" / "index.html", "old index");
    if (!c.blocked.empty()) fs::create_directory(dir_ / "d" / c.blocked);
    const std::string output = c.output.starts_with('/') ? c.output : (dir_ / c.output).string();
    const CliRun run = RunTool(
        {"--batch", (dir_ / "in.csv").string(), "-o", output, "--html-dir", (dir_ / c.folder).string()});
    EXPECT_EQ(run.status, c.status) << c.name;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
    EXPECT_EQ(ReadFile(dir_ / "d" / "index.html"), "old index") << c.name;
    EXPECT_EQ(ReadFile(dir_ / "out.csv"), "old results") << c.name;
    EXPECT_FALSE(fs::exists(dir_ / "new")) << c.name;
  }
}

struct SamenessCase {
  std::string name;
  FileIdentity a;
  FileIdentity b;
  Sameness expected;
};

// What the output is compared with the input by: an identity the system will
// not give (Wine's standard handles) against an existing file is "unknown",
// which the run refuses.
TEST(Paths, IdentitiesCompare) {
  const FileIdentity file{FileKind::kRegular, 7, 1, true};
  const SamenessCase cases[] = {
      {"the same file", file, file, Sameness::kSame},
      {"another file", file, {FileKind::kRegular, 8, 1, true}, Sameness::kDifferent},
      {"another volume", file, {FileKind::kRegular, 7, 2, true}, Sameness::kDifferent},
      {"index without volume", file, {FileKind::kRegular, 7, 0, false}, Sameness::kSame},
      {"not identified, a file", {FileKind::kUnknown}, file, Sameness::kUnknown},
      {"not identified, no file", {FileKind::kUnknown}, {FileKind::kMissing}, Sameness::kDifferent},
      {"a pipe", {FileKind::kOther, 7, 1, true}, file, Sameness::kDifferent},
      {"a folder", {FileKind::kDirectory, 7, 1, true}, file, Sameness::kDifferent},
  };
  for (const SamenessCase& c : cases) {
    EXPECT_EQ(Compare(c.a, c.b), c.expected) << c.name;
    EXPECT_EQ(Compare(c.b, c.a), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace kestrova::cli

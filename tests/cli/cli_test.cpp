// kestrova-cli's command line and output file, run in process through RunCli.
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/options.h"
#include "tests/cli/captured_stream.h"

namespace kestrova::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunTool(const std::vector<std::string>& words) {
  const std::vector<std::string_view> args(words.begin(), words.end());
  CapturedStream out;
  CapturedStream err;
  CliRun run;
  run.status = RunCli(args, stdin, out.file(), err.file(), Terminal{});
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
      {{"--format", "yaml", keys}, "unknown format 'yaml' (report, lines, tsv, json, csv or html)"},
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
      {{"--format", "json", "--format", "json", keys}, "--format is given twice"},
      {{"--no-color", "--no-color", keys}, "--no-color is given twice"},
      {{"--batch", "a.csv", "--batch", "b.csv"}, "--batch is given twice"},
      {{"--batch", "a.csv", "-o", "x.csv", "-o", "y.csv"}, "-o is given twice"},
      {{"--batch", "-", keys}, "--batch reads the patients from the file, not from /Key= values"},
      {{"--batch", "-", "--format", "csv"}, "--format does not go with --batch (its output is CSV)"},
      {{"json", keys},
       "unknown argument 'json' (the patient's values are /Sex= /Age= /Setake= /VC= /FVC= /FEV1=)"},
      {{"/sex=M"},
       "unknown argument '/sex=M' (the patient's values are /Sex= /Age= /Setake= /VC= /FVC= /FEV1=)"},
      {{}, "no patient given: /Sex=, /Age=, /Setake=, ... or --batch FILE"},
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
  const CliRun version = RunTool({"--version"});
  EXPECT_EQ(version.status, kExitOk);
  EXPECT_EQ(version.out, "kestrova-cli " KESTROVA_VERSION "\n");
}

struct EmptyPanelCase {
  std::string format;
  std::string out;  // standard output, or for JSON what it starts with
};

// Without an age the window's panel stays empty: every format says so and exits 2.
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
    const CliRun run = RunTool({"--format", c.format, "/Sex=M", "/Setake=170"});
    EXPECT_EQ(run.status, kExitBadInput) << c.format;
    EXPECT_EQ(run.err, "kestrova-cli: the panel stays empty: give /Age= and /Setake= (above 0)\n")
        << c.format;
    EXPECT_EQ(c.out.empty() ? run.out : run.out.substr(0, c.out.size()), c.out) << c.format;
  }
}

// A folder of its own for each test, removed afterwards.
class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kestrova-cli-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

const std::string kPatients = "id,sex,age,height\nA-1,M,40,170\n";

struct SpellingCase {
  std::string name;
  std::string output;  // -o, as spelled, for the input dir/sub/patients.csv
};

TEST_F(OutputFileTest, OutputNamingTheInputIsRefused) {
  fs::create_directories(dir_ / "sub");
  const fs::path input = dir_ / "sub" / "patients.csv";
  Write(input, kPatients);
  fs::create_symlink(input, dir_ / "link.csv");
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
    EXPECT_EQ(Read(input), kPatients) << c.name;
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"hard.csv", "link.csv", "sub"}));
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
      Write(input, c.input);
    }
    Write(target, "earlier results\n");
    const CliRun run = RunTool({"--batch", input.string(), "-o", target.string()});
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
    EXPECT_EQ(Read(target), "earlier results\n") << c.name;
    EXPECT_EQ(Names(), (std::vector<std::string>{"in.csv", "out.csv"})) << c.name;
  }
  // The control: a run that completes replaces the target, keeping its permissions.
  fs::remove_all(input);
  Write(input, kPatients);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(RunTool({"--batch", input.string(), "-o", target.string()}).status, kExitOk);
  EXPECT_EQ(Read(target).rfind("id,error,vcJrs2014,", 0), 0u);
  EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Names(), (std::vector<std::string>{"in.csv", "out.csv"}));
}

}  // namespace
}  // namespace kestrova::cli

#include "cli/single_patient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cli.h"
#include "tests/cli/captured_stream.h"

namespace kestrova::cli {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunTool(const std::vector<std::string_view>& args, bool terminal = false) {
  CapturedStream out;
  CapturedStream err;
  CliRun run;
  run.status = RunCli(args, stdin, out.file(), err.file(), Terminal{terminal, false});
  run.out = out.Take();
  run.err = err.Take();
  return run;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::vector<std::string_view> kFemaleExample = {"/Sex=F",  "/Age=45",  "/Setake=160",
                                                      "/VC=3.1", "/FVC=3.0", "/FEV1=2.4"};

// Percentages worked by hand: 3.1/3.24 = 95.68…, 3.0/3.00 = 100.0, the measured
// FEV1/FVC 2.4/3.0 = 0.800 against 0.825 = 96.96… (red: below its prediction).
TEST(Report, FemaleExampleAsTheWindowShowsIt) {
  const CliRun run = RunTool(kFemaleExample);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, ReadFile(KESTROVA_TEST_DATA "/female_45_160_report.txt"));
  EXPECT_NE(run.out.find("  95.7 %     3.24 :JRS2014\n"), std::string::npos);
  EXPECT_NE(run.out.find(" 100.0 %     3.00 :JRS2001\n"), std::string::npos);
  EXPECT_NE(run.out.find("FEV1.0 %   0.800\n"), std::string::npos);
  EXPECT_NE(run.out.find("* 97.0 %     0.825 :JRS2014\n"), std::string::npos);
}

// Every result row of the report is the mark, the panel's cell and its line.
TEST(Report, RowsCarryThePanelTextsUnchanged) {
  PatientInputs inputs{1, 40, 170, 3.2, 3.9, 2.6};
  const FullResult result = ComputeFullResult(inputs);
  const std::string report = FormatReport(CommandLineValues{}, result, false);
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const PercentCell& cell = result.panel.rows[i].cell;
    std::string padded = cell.text;
    padded.resize(11, ' ');
    const std::string row =
        std::string(cell.red ? "*" : " ") + padded + " " + result.panel.rows[i].line + "\n";
    EXPECT_NE(report.find(row), std::string::npos) << row;
  }
}

TEST(Report, RedInColourOnATerminal) {
  const CliRun plain = RunTool({"/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"});
  const CliRun coloured =
      RunTool({"/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"}, true);
  const CliRun noColour =
      RunTool({"--no-color", "/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2", "/FVC=3.9", "/FEV1=2.6"}, true);
  EXPECT_EQ(plain.out.find('\x1b'), std::string::npos);
  EXPECT_NE(plain.out.find("* 71.4 %     4.48 :JRS2014\n"), std::string::npos);
  EXPECT_NE(plain.out.find("FEV1.0 %   0.667 *\n"), std::string::npos);
  EXPECT_NE(coloured.out.find(" \x1b[31m 71.4 %    \x1b[0m 4.48 :JRS2014\n"), std::string::npos);
  EXPECT_NE(coloured.out.find("FEV1.0 %   \x1b[31m0.667\x1b[0m\n"), std::string::npos);
  EXPECT_EQ(coloured.out.find('*'), std::string::npos);
  EXPECT_EQ(noColour.out, plain.out);
}

TEST(Json, CarriesTextsPercentagesFlagsAndZScores) {
  const CliRun run = RunTool({"--format", "json", "/Sex=M", "/Age=40", "/Setake=170", "/VC=3.2"});
  EXPECT_EQ(run.status, 0);
  const std::string& j = run.out;
  EXPECT_NE(
      j.find(
          "\"inputs\": {\"sexCode\": 1, \"age\": 40, \"height\": 170, \"vc\": 3.2, \"fvc\": 0, \"fev1\": 0}"),
      std::string::npos)
      << j;
  EXPECT_NE(
      j.find("{\"name\": \"vcJrs2014\", \"group\": \"VC\", \"label\": \"JRS2014\", \"value\": 4.48, "
             "\"text\": \"4.48\", \"line\": \"4.48 :JRS2014\", \"percent\": 71.4, \"cell\": \" 71.4 %   \", "
             "\"red\": true}"),
      std::string::npos)
      << j;
  EXPECT_NE(j.find("{\"name\": \"fvcLln\", \"group\": \"FVC\", \"label\": \"LLN\", \"value\": 3.57, "
                   "\"text\": \"3.57\", "
                   "\"line\": \"3.57 :LLN\"}"),
            std::string::npos);
  // No FVC: a blank cell, no percentage, no flag.
  EXPECT_NE(j.find("\"percent\": null, \"cell\": \"           \", \"red\": false}"), std::string::npos);
  EXPECT_NE(j.find("\"measuredRatio\": null"), std::string::npos);
  EXPECT_NE(j.find("{\"quantity\": \"vc\", \"uln\": 5.35, \"z\": -2.88, \"percentile\": 0.2}"),
            std::string::npos)
      << j;
  EXPECT_NE(j.find("{\"quantity\": \"fvc\", \"uln\": 5.11, \"z\": null, \"percentile\": null}"),
            std::string::npos);
}

// Outside the JRS2014 limits (male, 105 cm) the texts are null and the values 0.
TEST(Json, NotComputedResultsAreNull) {
  const CliRun run = RunTool({"--format", "json", "/Sex=M", "/Age=40", "/Setake=105"});
  EXPECT_NE(run.out.find("\"value\": 0, \"text\": null, \"line\": \"  *.** :JRS2014\""), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("{\"quantity\": \"vc\", \"uln\": null, \"z\": null, \"percentile\": null}"),
            std::string::npos);
}

TEST(Csv, OnePatientHeaderAndRow) {
  const CliRun run =
      RunTool({"--format", "csv", "/Sex=F", "/Age=45", "/Setake=160", "/VC=3.1", "/FVC=3.0", "/FEV1=2.4"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("vcJrs2014,vcJrs2014Pct,vcJrs2014Red,vcLln,", 0), 0u);
  EXPECT_NE(run.out.find("\n3.24,95.7,0,2.69,3.13,99.0,0,2.76,112.3,0,"), std::string::npos) << run.out;
}

// The old plain list stays available.
TEST(Arguments, LinesFormatIsTheFifteenLines) {
  const CliRun run = RunTool({"--format", "lines", "/Sex=F", "/Age=40", "/Setake=158"});
  EXPECT_EQ(run.out.rfind("3.20 :JRS2014\n2.66 :LLN\n", 0), 0u) << run.out;
}

}  // namespace
}  // namespace kestrova::cli

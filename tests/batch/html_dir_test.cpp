// The per-row pages of a batch (batch/html_batch.h), run as kestrova-cli
// --html-dir runs them: safe and unique names, the index, patient columns in
// Shift-JIS; links in the folder replaced, never followed; the run's own input
// or output refused; a page that cannot be written named, and the old index
// kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "batch/html_batch.h"
#include "tests/report/well_formed_html.h"
#include "tests/support/captured_stream.h"
#include "tests/support/files.h"
#include "texts/japanese_texts.h"

namespace kestrova::batch {
namespace {

namespace fs = std::filesystem;
using testing::HtmlDocument;
using testing::ParseStrictHtml;
using testing::ReadFile;
using testing::WriteFile;

struct NameCase {
  std::string id;
  std::string name;
};

TEST(HtmlBatch, ReportNamesAreSafeEverywhere) {
  const NameCase cases[] = {
      {"A-1", "A-1"},
      {"../../etc/passwd", "_etc_passwd"},
      {"<b>&\"x\"", "_b_x_"},
      {"a b\\c:d*e?f|g", "a_b_c_d_e_f_g"},
      {"-rf", "_rf"},
      {"CON", "CON_"},
      {"lpt1", "lpt1_"},
      {" aux ", "aux_"},
      {"Com1.x", "Com1_x"},  // its '.' is gone: no device name
      {"", "row.7"},
      {"...", "row.7"},
      {std::string(texts::kMaleUtf8), "row.7"},
      {"row.7", "row_7"},
      {std::string(100, 'x'), std::string(64, 'x')},
  };
  for (const NameCase& c : cases) EXPECT_EQ(SafeReportName(c.id, 7), c.name) << c.id;

  ReportNames names;
  EXPECT_EQ(names.Next("A-1", 1), "A-1");
  EXPECT_EQ(names.Next("a-1", 2), "a-1-2");  // case-insensitive file systems
  EXPECT_EQ(names.Next("A-1", 3), "A-1-3");
  EXPECT_EQ(names.Next("Index", 4), "Index-2");
  EXPECT_EQ(names.Next("row", 5), "row");
  EXPECT_EQ(names.Next("row", 6), "row-2");
  EXPECT_EQ(names.Next("", 2), "row.2");  // no id takes a row's name
}

const std::string kPatients = "sex,age,height\nM,40,170\nF,45,160\n";

// In a folder of the test's own, which is the working folder (the names are
// relative); in.csv holds two patients.
class HtmlDirTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    before_ = fs::current_path();
    fs::current_path(dir_);
    WriteFile("in.csv", kPatients);
  }
  void TearDown() override {
    fs::current_path(before_);
    TempFolderTest::TearDown();
  }

  // The batch of `input` with its pages in `folder`, the steps in kestrova-cli's
  // order (the CSV goes to memory): the exit status, the error stream in `err`
  // and the CSV in `csv`.
  static int Run(const std::string& input, const std::string& folder, std::string& err,
                 std::string* csv = nullptr, const GliRequest& gli = {}) {
    testing::CapturedStream out;
    testing::CapturedStream errors;
    int status = kExitIoError;
    {
      HtmlBatchWriter html(folder, input, errors.file());
      html.ShowGli(gli);
      if (html.Open()) {
        std::FILE* in = std::fopen(input.c_str(), "rb");
        BatchStreams streams{in, out.file(), errors.file(), input};
        streams.observer = &html;
        status = RunBatch(streams);
        std::fclose(in);
        if (!html.Finish()) status = kExitIoError;
        if (status != kExitIoError && !html.CommitIndex()) status = kExitIoError;
      }
    }
    const std::string output = out.Take();
    if (csv != nullptr) *csv = output;
    err = errors.Take();
    return status;
  }

  fs::path before_;
};

// A batch with a hostile id, a duplicate id and a bad row: a report per good
// row, none for the bad one, and an index listing all three in order.
TEST_F(HtmlDirTest, ReportsAndIndex) {
  WriteFile("in.csv",
            "id,sex,age,height,vc,fvc,fev1\n"
            "\"<x>&'\",M,40,170,3.2,3.9,2.6\n"
            "P,F,forty,160,3.1,3.0,2.4\n"
            "p,F,45,160,3.1,3.0,2.4\n");
  std::string err;
  EXPECT_EQ(Run("in.csv", "d", err), kExitBadInput) << err;
  EXPECT_EQ(Tree(), (std::vector<std::string>{"d", "d/_x_.html", "d/index.html", "d/p.html", "in.csv"}));

  const HtmlDocument doc = ParseStrictHtml(ReadFile("d/index.html"));
  ASSERT_TRUE(doc.ok) << doc.error;
  std::vector<std::string> rows;  // each <tr>'s cell texts
  for (std::size_t i = 0; i < doc.elements.size(); ++i) {
    if (doc.elements[i].name != "tr" || doc.elements[doc.elements[i].parent].name != "tbody") continue;
    std::string cells;
    for (std::size_t k = i + 1; k < doc.elements.size(); ++k) {
      if (doc.elements[k].parent == i) cells += doc.elements[k].text + "|";
      if (doc.elements[k].name == "a" && doc.elements[doc.elements[k].parent].parent == i) {
        cells += doc.elements[k].text + "|";
      }
    }
    rows.push_back(cells);
  }
  const std::string error = std::string(texts::kIndexErrorUtf8) + ": age 'forty' is not a number";
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[0].starts_with("1|<x>&'|||_x_.html|")) << rows[0];
  EXPECT_NE(rows[0].find("VC JRS2014"), std::string::npos) << rows[0];
  EXPECT_EQ(rows[1], "2|P|||" + error + "|");
  EXPECT_TRUE(rows[2].starts_with("3|p|||p.html|")) << rows[2];

  const std::string report = ReadFile("d/_x_.html");
  EXPECT_TRUE(ParseStrictHtml(report).ok);
  EXPECT_NE(report.find("<h1>&lt;x&gt;&amp;&#39; "), std::string::npos);
  // No name or date column: blank lines to write on.
  EXPECT_NE(report.find(std::string(texts::kReportNameUtf8) + "</dt><dd class=\"blank\"></dd>"),
            std::string::npos);
}

// A Shift-JIS batch whose patients are named in Japanese (ソ and 表 end in a
// backslash byte, 髙 is an extension character; \xFF is no character at all):
// reports named by the カルテ番号 column that show the name and the date in UTF-8.
TEST_F(HtmlDirTest, ShiftJisPatientColumns) {
  // カルテ番号,氏名,検査日,性別,年齢,身長
  WriteFile("in.csv",
            "\x83\x4A\x83\x8B\x83\x65\x94\xD4\x8D\x86,\x8E\x81\x96\xBC,\x8C\x9F\x8D\xB8\x93\xFA,"
            "\x90\xAB\x95\xCA,\x94\x4E\x97\xEE,\x90\x67\x92\xB7\n"
            "1001,\xFB\xFC\x8B\xB4 \x83\x5C\x95\x5C\xFF,2026-12-07,M,40,170\n");
  std::string err;
  EXPECT_EQ(Run("in.csv", "d", err), kExitOk) << err;
  const std::string report = ReadFile("d/1001.html");
  const std::string name = reinterpret_cast<const char*>(u8"髙橋 ソ表\uFFFD");
  EXPECT_NE(report.find("<dd>" + name + "</dd>"), std::string::npos) << report;
  EXPECT_NE(report.find("<dd>2026-12-07</dd>"), std::string::npos);
  EXPECT_NE(ReadFile("d/index.html").find("<td>" + name + "</td>"), std::string::npos);
}

// Pages show the GLI sets asked for (a child of 8, whom JRS2014 does not
// cover), and none without.
TEST_F(HtmlDirTest, GliSectionsWhenAsked) {
  WriteFile("in.csv", "id,sex,age,height,fvc,fev1\nc,F,8,128,1.6,1.4\n");
  std::string err;
  ASSERT_EQ(Run("in.csv", "plain", err), kExitOk) << err;
  EXPECT_EQ(ReadFile("plain/c.html").find("GLI"), std::string::npos);
  ASSERT_EQ(Run("in.csv", "gli", err, nullptr, {.global = true, .gli2012 = true}), kExitOk) << err;
  const std::string page = ReadFile("gli/c.html");
  EXPECT_NE(page.find("ERS/ATS 2022 (GLI Global)"), std::string::npos) << page;
  EXPECT_NE(page.find("GLI-2012"), std::string::npos);
}

// A clinic's sheet saved by Excel as CSV: Shift-JIS (plain literals are code
// page 932), CR LF, a Japanese header, full-width digits, units, empty rows.
// An error quotes the file's bytes in the CSV and shows them decoded in the index.
TEST_F(HtmlDirTest, ExcelShiftJisSheet) {
  WriteFile("in.csv",
            "ID,性別,年齢,身長,肺活量,努力肺活量,1秒量\r\n"
            "A-1,男性,４０,１７０ｃｍ,3.2L,3.9 L,２．６\r\n,,,,,,\r\n"
            ",女性,45歳,160 cm,3.1,3.0ｌ,2.4\r\n"
            "A-3,男,四十,170,3.2,3.9,2.6\r\n , ,,,,,\r\n");
  std::string err;
  std::string csv;
  EXPECT_EQ(Run("in.csv", "d", err, &csv), kExitBadInput) << err;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4) << csv;
  EXPECT_NE(csv.find("\r\nA-1,男性,４０,１７０ｃｍ,3.2L,3.9 L,２．６,,4.48,71.4,1,"), std::string::npos);
  EXPECT_NE(csv.find("\r\n,女性,45歳,160 cm,3.1,3.0ｌ,2.4,,3.24,95.7,0,"), std::string::npos);
  EXPECT_NE(csv.find("\r\nA-3,男,四十,170,3.2,3.9,2.6,age '四十' is not a number,"), std::string::npos);
  EXPECT_EQ(Tree(), (std::vector<std::string>{"d", "d/A-1.html", "d/index.html", "d/row.2.html", "in.csv"}));
  const std::string error = reinterpret_cast<const char*>(u8": age &#39;四十&#39; is not a number</td>");
  EXPECT_NE(ReadFile("d/index.html").find(error), std::string::npos);
}

struct LinkCase {
  std::string link;    // in d/
  std::string target;  // relative to d/
};

// A link at the name of a report or of the index is replaced by the page; the
// file it points to stays as it was, and a dangling link creates nothing.
TEST_F(HtmlDirTest, LinksInTheFolderAreReplacedNotFollowed) {
  const LinkCase cases[] = {
      {"row.1.html", "../elsewhere.txt"},
      {"index.html", "../elsewhere.txt"},
      {"row.2.html", "../created.txt"},
      {"index.html", "/proc/self/cwd/created.txt"},
  };
  for (const LinkCase& c : cases) {
    fs::remove_all("d");
    fs::create_directory("d");
    WriteFile("elsewhere.txt", "kept");
    fs::create_symlink(c.target, "d/" + c.link);
    std::string err;
    EXPECT_EQ(Run("in.csv", "d", err), kExitOk) << c.link << ": " << err;
    EXPECT_EQ(ReadFile("elsewhere.txt"), "kept") << c.link;
    EXPECT_EQ(Tree(), (std::vector<std::string>{"d", "d/index.html", "d/row.1.html", "d/row.2.html",
                                                "elsewhere.txt", "in.csv"}))
        << c.link << " -> " << c.target;
    EXPECT_TRUE(ReadFile("d/" + c.link).starts_with("<!DOCTYPE html>")) << c.link;
  }
}

struct RefusalCase {
  std::string name;
  std::string input;
  std::string output;
  std::string folder;
  std::string message;
};

// A run whose input or output is (or could be) a file the run writes in the
// folder, found by identity whatever the spelling, or by name when it does not
// exist yet.
TEST_F(HtmlDirTest, OwnFilesAsInputOrOutputAreRefused) {
  fs::create_directory("d");
  WriteFile("d/index.html", kPatients);
  WriteFile("d/P0.HTML", kPatients);
  fs::create_symlink("d/P0.HTML", "link.csv");
  fs::create_symlink("new/index.html", "dangling.csv");
  const RefusalCase cases[] = {
      {"input is the index", "d/index.html", "-", "d",
       "the input d/index.html is d/index.html, a file --html-dir d replaces; choose another folder"},
      {"input could be a report", "d/P0.HTML", "-", "./d/",
       "the input d/P0.HTML is ./d/P0.HTML, a file --html-dir ./d/ replaces; choose another folder"},
      {"input links to a report", "link.csv", "-", "d",
       "the input link.csv is d/P0.HTML, a file --html-dir d replaces; choose another folder"},
      {"-o is the index of a folder still to make", "in.csv", "new/index.html", "new",
       "-o new/index.html is new/index.html, a file --html-dir new replaces; choose another output file"},
      {"-o could be a report", "in.csv", "d/../d/results.html", "d",
       "-o d/../d/results.html is d/results.html, a file --html-dir d replaces; choose another output file"},
      {"-o is a dangling link to the index", "in.csv", "dangling.csv", "new",
       "-o dangling.csv is new/index.html, a file --html-dir new replaces; choose another output file"},
      {"control: another folder", "in.csv", "out.csv", "d", ""},
  };
  for (const RefusalCase& c : cases) {
    const BatchFiles files{c.input, io::IdentityOf(c.input), c.output, io::IdentityOf(c.output)};
    EXPECT_EQ(HtmlDirConflict(c.folder, files), c.message) << c.name;
  }
}

struct WriteFailureCase {
  std::string name;
  std::string folder;
  std::string blocked;  // a folder made at this name in d/
  std::string message;
};

// A folder or page that cannot be written is named with the reason and fails
// the run; the old index stays, and no temporary file is left.
TEST_F(HtmlDirTest, WriteFailuresNameTheFileAndKeepTheOldIndex) {
  const WriteFailureCase cases[] = {
      {"a report", "d", "row.2.html", "d/row.2.html: cannot be written (Is a directory)"},
      {"the folder", "in.csv/d", "", "in.csv/d: the report directory cannot be made (Not a directory)"},
  };
  for (const WriteFailureCase& c : cases) {
    fs::remove_all("d");
    fs::create_directory("d");
    WriteFile("d/index.html", "old index");
    if (!c.blocked.empty()) fs::create_directory("d/" + c.blocked);
    std::string err;
    EXPECT_EQ(Run("in.csv", c.folder, err), kExitIoError) << c.name;
    EXPECT_NE(err.find("kestrova-cli: " + c.message + "\n"), std::string::npos) << c.name << ": " << err;
    EXPECT_EQ(ReadFile("d/index.html"), "old index") << c.name;
    for (const std::string& name : Tree()) EXPECT_FALSE(name.ends_with(".tmp")) << c.name << ": " << name;
  }
}

}  // namespace
}  // namespace kestrova::batch

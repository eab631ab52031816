#include "report/html_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/html_batch.h"
#include "cli/cli.h"
#include "numtext/number_text.h"
#include "tests/cli/captured_stream.h"
#include "tests/report/well_formed_html.h"
#include "texts/japanese_texts.h"

namespace kestrova::cli {

using namespace kestrova::batch;   // NOLINT
using namespace kestrova::report;  // NOLINT
namespace {

using testing::HtmlDocument;
using testing::HtmlElement;
using testing::ParseStrictHtml;

std::size_t Count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

double Number(const HtmlElement& e, std::string_view attribute) {
  const std::string* value = e.Attribute(attribute);
  return value == nullptr ? -1e9 : std::strtod(value->c_str(), nullptr);
}

struct ChartCase {
  std::string name;
  PatientInputs inputs;
  // Per track (vc, fvc, fev1, fev1Ratio): 0 a dot on the axis, -1/+1 a dot at
  // the left/right edge with an arrow, 2 an empty track.
  int tracks[4];
};

// The chart read back from the page: the axis from its tick marks, then each
// track's dot against the z it prints, which must be JSON's z text.
TEST(HtmlReport, EachDotStandsAtItsZOnTheAxis) {
  const ChartCase cases[] = {
      {"female example", {2, 45, 160, 3.1, 3.0, 2.4}, {0, 0, 0, 0}},
      {"male with red cells", {1, 40, 170, 3.2, 3.9, 2.6}, {0, 0, 0, 0}},
      {"beyond both ends", {1, 60, 170, 1.2, 7.0, 0.5}, {-1, 1, -1, -1}},
      {"no FEV1", {1, 40, 170, 3.2, 3.9, 0}, {0, 0, 2, 2}},
  };
  for (const ChartCase& c : cases) {
    SCOPED_TRACE(c.name);
    const FullResult result = ComputeFullResult(c.inputs);
    const std::string page = FormatHtml(HtmlHeader{}, result);
    const HtmlDocument doc = ParseStrictHtml(page);
    ASSERT_TRUE(doc.ok) << doc.error;
    // Ticks at every whole z from -5 to +3, evenly spaced.
    std::vector<std::pair<double, double>> ticks;  // z, x
    for (const HtmlElement& e : doc.elements) {
      if (e.HasClass("tick")) ticks.emplace_back(Number(e, "data-z"), Number(e, "x1"));
    }
    ASSERT_EQ(ticks.size(), 9u);
    const double x0 = ticks.front().second;
    const double unit = (ticks.back().second - x0) / 8;
    ASSERT_GT(unit, 10);
    for (std::size_t k = 0; k < ticks.size(); ++k) {
      EXPECT_EQ(ticks[k].first, -5.0 + static_cast<double>(k));
      EXPECT_NEAR(ticks[k].second, x0 + unit * static_cast<double>(k), 0.01);
    }
    for (std::size_t q = 0; q < 4; ++q) {
      const StandingView& s = result.jrs2014[q];
      const HtmlElement* dot = nullptr;
      const HtmlElement* zText = nullptr;
      const HtmlElement* note = nullptr;
      std::size_t arrows = 0;
      for (std::size_t i = 0; i < doc.elements.size(); ++i) {
        const HtmlElement& e = doc.elements[i];
        if (e.parent == static_cast<std::size_t>(-1)) continue;
        const HtmlElement& track = doc.elements[e.parent];
        if (!track.HasClass("track") || *track.Attribute("data-quantity") != s.name) continue;
        if (e.HasClass("dot")) dot = &e;
        if (e.HasClass("z")) zText = &e;
        if (e.HasClass("empty")) note = &e;
        if (e.HasClass("arrow")) ++arrows;
      }
      if (c.tracks[q] == 2) {
        EXPECT_EQ(dot, nullptr) << s.name;
        ASSERT_NE(note, nullptr) << s.name;
        EXPECT_EQ(note->text, texts::kReportNoMeasuredUtf8);
        continue;
      }
      ASSERT_NE(dot, nullptr) << s.name;
      ASSERT_NE(zText, nullptr) << s.name;
      EXPECT_EQ(zText->text, s.zText) << s.name;
      EXPECT_EQ(*dot->Attribute("data-z"), s.zText) << s.name;
      const double z = ParseNumber(s.zText);
      const double shown = std::clamp(z, -5.0, 3.0);
      EXPECT_EQ(shown != z, c.tracks[q] != 0) << s.name << " z " << z;
      EXPECT_NEAR(Number(*dot, "cx"), x0 + unit * (shown + 5), 0.01) << s.name;
      EXPECT_EQ(arrows, c.tracks[q] == 0 ? 0u : 1u) << s.name;
    }
  }
}

// Red cells are red and marked, so a black-and-white print keeps the flag.
TEST(HtmlReport, RedCellsAreMarked) {
  const FullResult result = ComputeFullResult({1, 40, 170, 3.2, 3.9, 2.6});
  const std::string page = FormatHtml(HtmlHeader{}, result);
  std::size_t red = 0;
  for (const PanelRow& row : result.panel.rows) red += row.cell.red ? 1 : 0;
  ASSERT_GT(red, 0u);
  EXPECT_EQ(Count(page, "<td class=\"num pct red\"><span class=\"mark\">*</span>"), red);
  EXPECT_EQ(Count(page, "<span class=\"mark\">*</span>"), red);
  EXPECT_NE(page.find("0.667 *</span>"), std::string::npos);  // the measured FEV1/FVC
}

struct EscapeCase {
  std::string name;
  std::string input;
  std::string escaped;
};

TEST(HtmlReport, EscapesEverythingFromInput) {
  const EscapeCase cases[] = {
      {"markup", "<b a=\"1\">x</b>", "&lt;b a=&quot;1&quot;&gt;x&lt;/b&gt;"},
      {"ampersand and apostrophe", "R&D's", "R&amp;D&#39;s"},
      {"UTF-8 kept", std::string(texts::kFemaleUtf8), std::string(texts::kFemaleUtf8)},
      {"Shift-JIS bytes", "\x8F\x97", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"control characters", std::string("a\0b\x1b\x7f", 5),
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate and U+FFFE", "\xED\xA0\x80\xEF\xBF\xBE",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"cut sequence", "\xE5\xA5", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const EscapeCase& c : cases) EXPECT_EQ(HtmlEscape(c.input), c.escaped) << c.name;

  // A hostile id and column on a whole page: still one well-formed page.
  HtmlHeader header;
  header.name = "</title><script>alert('x')</script>";
  for (const EscapeCase& c : cases) header.fields.push_back({c.input, c.input});
  const std::string page = FormatHtml(header, ComputeFullResult({2, 45, 160, 3.1, 3.0, 2.4}));
  const HtmlDocument doc = ParseStrictHtml(page);
  EXPECT_TRUE(doc.ok) << doc.error;
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_NE(page.find("&lt;/title&gt;&lt;script&gt;alert(&#39;x&#39;)"), std::string::npos);
}

// Nothing to fetch: no script, source, link, import or url(); the one address
// is the SVG namespace.
TEST(HtmlReport, SelfContained) {
  CapturedStream out;
  CapturedStream err;
  const int status =
      RunCli({"--format", "html", "/Sex=F", "/Age=45", "/Setake=160", "/VC=3.1", "/FVC=3.0", "/FEV1=2.4"},
             stdin, out.file(), err.file(), Terminal{});
  const std::string page = out.Take();
  EXPECT_EQ(status, 0) << err.Take();
  EXPECT_TRUE(ParseStrictHtml(page).ok);
  EXPECT_NE(page.find("<html lang=\"ja\">"), std::string::npos);
  EXPECT_NE(page.find("<meta charset=\"utf-8\"/>"), std::string::npos);
  for (std::string_view word : {"<script", "src=", "href=", "url(", "@import", "<link", "<img"}) {
    EXPECT_EQ(page.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(Count(page, "http"), Count(page, "xmlns=\"http://www.w3.org/2000/svg\""));
}

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
      {"", "row-7"},
      {"...", "row-7"},
      {std::string(texts::kMaleUtf8), "row-7"},
      {std::string(100, 'x'), std::string(64, 'x')},
  };
  for (const NameCase& c : cases) EXPECT_EQ(SafeReportName(c.id, 7), c.name) << c.id;

  ReportNames names;
  EXPECT_EQ(names.Next("A-1", 1), "A-1");
  EXPECT_EQ(names.Next("a-1", 2), "a-1-2");  // case-insensitive file systems
  EXPECT_EQ(names.Next("A-1", 3), "A-1-3");
  EXPECT_EQ(names.Next("Index", 4), "Index-2");
  EXPECT_EQ(names.Next("", 5), "row-5");
}

// A batch with a hostile id, a duplicate id and a bad row: a report per good
// row, none for the bad one, and an index listing all three in order.
TEST(HtmlBatch, ReportsAndIndex) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "kestrova_html_batch";
  std::filesystem::remove_all(dir);
  const std::filesystem::path input = std::filesystem::path(::testing::TempDir()) / "kestrova_html_batch.csv";
  std::ofstream(input, std::ios::binary) << "id,sex,age,height,vc,fvc,fev1\n"
                                            "\"<x>&'\",M,40,170,3.2,3.9,2.6\n"
                                            "P,F,forty,160,3.1,3.0,2.4\n"
                                            "p,F,45,160,3.1,3.0,2.4\n";
  CapturedStream out;
  CapturedStream err;
  const std::string in = input.string();
  const std::string htmlDir = dir.string();
  const int status =
      RunCli({"--batch", in, "--html-dir", htmlDir}, stdin, out.file(), err.file(), Terminal{});
  out.Take();
  EXPECT_EQ(status, kExitBadInput) << err.Take();

  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"_x_.html", "index.html", "p.html"}));

  const std::string index = ReadFile(dir / "index.html");
  const HtmlDocument doc = ParseStrictHtml(index);
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

  const std::string report = ReadFile(dir / "_x_.html");
  EXPECT_TRUE(ParseStrictHtml(report).ok);
  EXPECT_NE(report.find("<h1>&lt;x&gt;&amp;&#39; "), std::string::npos);
  // No name or date column: blank lines to write on.
  EXPECT_NE(report.find(std::string(texts::kReportNameUtf8) + "</dt><dd class=\"blank\"></dd>"),
            std::string::npos);
}

// A Shift-JIS batch whose patients are named in Japanese (ソ and 表 end in a
// backslash byte, 髙 is an extension character; \xFF is no character at all):
// reports named by the カルテ番号 column that show the name and the date in UTF-8.
TEST(HtmlBatch, ShiftJisPatientColumns) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "kestrova_html_sjis";
  std::filesystem::remove_all(dir);
  const std::filesystem::path input = std::filesystem::path(::testing::TempDir()) / "kestrova_html_sjis.csv";
  // カルテ番号,氏名,検査日,性別,年齢,身長
  std::ofstream(input, std::ios::binary)
      << "\x83\x4A\x83\x8B\x83\x65\x94\xD4\x8D\x86,\x8E\x81\x96\xBC,\x8C\x9F\x8D\xB8\x93\xFA,"
         "\x90\xAB\x95\xCA,\x94\x4E\x97\xEE,\x90\x67\x92\xB7\n"
         "1001,\xFB\xFC\x8B\xB4 \x83\x5C\x95\x5C\xFF,2026-12-07,M,40,170\n";
  CapturedStream out;
  CapturedStream err;
  EXPECT_EQ(RunCli({"--batch", input.string(), "--html-dir", dir.string()}, stdin, out.file(), err.file(),
                   Terminal{}),
            0)
      << err.Take();
  const std::string report = ReadFile(dir / "1001.html");
  const std::string name = reinterpret_cast<const char*>(u8"髙橋 ソ表\uFFFD");
  EXPECT_NE(report.find("<dd>" + name + "</dd>"), std::string::npos) << report;
  EXPECT_NE(report.find("<dd>2026-12-07</dd>"), std::string::npos);
  EXPECT_NE(ReadFile(dir / "index.html").find("<td>" + name + "</td>"), std::string::npos);
}

// A directory that cannot be made stops the run before the output is touched.
TEST(HtmlBatch, DirectoryThatCannotBeMadeLosesNothing) {
  const std::filesystem::path temp(::testing::TempDir());
  const std::string input = (temp / "kestrova_html_nodir.csv").string();
  const std::string output = (temp / "kestrova_html_nodir_out.csv").string();
  std::ofstream(input, std::ios::binary) << "sex,age,height\nM,40,170\n";
  std::ofstream(output, std::ios::binary) << "kept";
  CapturedStream out;
  CapturedStream err;
  const std::string dir = input + "/reports";  // under a file
  const int status =
      RunCli({"--batch", input, "-o", output, "--html-dir", dir}, stdin, out.file(), err.file(), Terminal{});
  out.Take();
  EXPECT_EQ(status, kExitIoError);
  EXPECT_NE(err.Take().find("the report directory cannot be made"), std::string::npos);
  EXPECT_EQ(ReadFile(output), "kept");
}

}  // namespace
}  // namespace kestrova::cli

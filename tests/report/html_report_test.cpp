#include "report/html_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "numtext/number_text.h"
#include "tests/report/patient.h"
#include "tests/report/well_formed_html.h"
#include "texts/japanese_texts.h"

namespace kestrova::report {
namespace {

using testing::HtmlDocument;
using testing::HtmlElement;
using testing::ParseStrictHtml;

std::size_t Count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
  return n;
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
  const testing::Patient patient = testing::ReadPatient({"F", "45", "160", "3.1", "3.0", "2.4"});
  const std::string page = FormatHtml(patient.given, patient.result);
  EXPECT_TRUE(ParseStrictHtml(page).ok);
  EXPECT_NE(page.find("<html lang=\"ja\">"), std::string::npos);
  EXPECT_NE(page.find("<meta charset=\"utf-8\"/>"), std::string::npos);
  for (std::string_view word : {"<script", "src=", "href=", "url(", "@import", "<link", "<img"}) {
    EXPECT_EQ(page.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(Count(page, "http"), Count(page, "xmlns=\"http://www.w3.org/2000/svg\""));
}

}  // namespace
}  // namespace kestrova::report

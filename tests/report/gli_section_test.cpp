// The GLI section of the text report, the chart text and the HTML page: each
// set's row holds gli.h's own values rounded as the section rounds them, the
// reading on GLI Global and both citations are there, and outside GLI's ages
// each set says why it has no rows. Without GLI the golden outputs of
// tests/cli stay as they are.
#include "report/gli_section.h"

#include <gtest/gtest.h>

#include <string>

#include "numtext/number_text.h"
#include "report/chart_text.h"
#include "report/html_report.h"
#include "report/text_report.h"
#include "tests/report/patient.h"
#include "tests/report/well_formed_html.h"

namespace kestrova::report {
namespace {

using testing::Patient;
using testing::ReadPatient;

struct GliFormatCase {
  const char* name;
  std::string (*format)(const Patient&, const GliResults&);
};

const GliFormatCase kFormats[] = {
    {"report",
     [](const Patient& p, const GliResults& g) { return FormatReport(p.given, p.result, false, g); }},
    {"chart",
     [](const Patient& p, const GliResults& g) {
       return FormatChartText(p.given, p.result, ReadResult(p.result), g);
     }},
    {"html", [](const Patient& p, const GliResults& g) { return FormatHtml(p.given, p.result, g); }},
};

const GliRequest kBoth{.global = true, .gli2012 = true, .group = GliGroup::kCaucasian};

// `parts` in this order in `text`, from `from` on; where the next one is missing otherwise.
std::size_t FindInOrder(std::string_view text, std::size_t from, std::initializer_list<std::string> parts) {
  for (const std::string& part : parts) {
    from = text.find(part, from);
    if (from == std::string_view::npos) {
      ADD_FAILURE() << "missing, in order: " << part;
      return 0;
    }
  }
  return from;
}

TEST(GliSection, RowsHoldGlisValuesRounded) {
  const Patient patient = ReadPatient({"M", "40", "175", "", "4.4", "3.5"});
  const GliResults gli = ComputeGliResults(patient.result.inputs, kBoth);
  for (const GliFormatCase& c : kFormats) {
    SCOPED_TRACE(c.name);
    const std::string out = c.format(patient, gli);
    for (const auto& [set, title] : {std::pair{GliSet::kGlobal2022, "GLI Global (2022)"},
                                     std::pair{GliSet::k2012, "GLI-2012 (Caucasian)"}}) {
      const GliLms lms = *GliLmsOf(set, GliGroup::kCaucasian, GliQuantity::kFev1, 1, 40, 175);
      const GliPrediction p = GliPredict(lms);
      const GliScore s = GliScoreOf(lms, 3.5);
      FindInOrder(out, 0,
                  {title, "FEV1", FormatFixed(p.predicted, 3), FormatFixed(p.lln, 3), FormatFixed(p.uln, 3),
                   "3.500", FormatFixed(s.z, 2), FormatFixed(s.percentile, 1),
                   FormatFixed(s.percentPredicted, 1), "FVC", "FEV1/FVC"});
      // Where each format puts them: the section, the reading, the footer.
      if (set == GliSet::kGlobal2022)
        FindInOrder(out, 0, {"ERS/ATS 2022 (GLI Global)", "FEV1 z " + FormatFixed(s.z, 2)});
      FindInOrder(out, 0,
                  {"Bowerman C et al. Am J Respir Crit Care Med 2023;207:768\xE2\x80\x93"
                   "774"});
      FindInOrder(out, 0,
                  {"Quanjer PH et al. Eur Respir J 2012;40:1324\xE2\x80\x93"
                   "1343"});
      if (std::string(c.name) != "html") continue;
      const testing::HtmlDocument doc = testing::ParseStrictHtml(out);
      ASSERT_TRUE(doc.ok) << doc.error;
      std::size_t markers = 0;  // on the FVC, FEV1 and FEV1/FVC tracks, each set its own
      bool fev1Marker = false;
      for (const testing::HtmlElement& e : doc.elements) {
        const std::string* z = e.Attribute("data-z");
        if (z == nullptr || !e.HasClass(set == GliSet::kGlobal2022 ? "gli-global" : "gli-2012")) continue;
        ++markers;
        fev1Marker = fev1Marker || *z == FormatFixed(s.z, 2);
      }
      EXPECT_EQ(markers, 3u) << title;
      EXPECT_TRUE(fev1Marker) << title;
    }
  }
}

TEST(GliSection, OutsideGlisAgesEachSetSaysSo) {
  for (const char* age : {"2.5", "96"}) {
    const Patient patient = ReadPatient({"F", age, "150", "", "2.0", "1.6"});
    const GliResults gli = ComputeGliResults(patient.result.inputs, kBoth);
    for (const GliFormatCase& c : kFormats) {
      SCOPED_TRACE(std::string(c.name) + " age " + age);
      const std::string out = c.format(patient, gli);
      const std::string note =
          "\xE5\xAF\xBE\xE8\xB1\xA1\xE5\xA4\x96\xEF\xBC\x88GLI\xE3\x81\xAF"
          "3\xEF\xBD\x9E"
          "95\xE6\xAD\xB3\xEF\xBC\x89";  // 対象外（GLIは3～95歳）
      FindInOrder(out, 0, {"GLI Global (2022)", note, "GLI-2012 (Caucasian)", note});
      EXPECT_EQ(out.find("ERS/ATS 2022 (GLI Global)"), std::string::npos);
      EXPECT_EQ(out.find("gli-marker"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace kestrova::report

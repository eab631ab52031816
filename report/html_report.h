// The one-page report as a self-contained HTML page (--format html,
// and one page per row of a batch with --html-dir).
//
// The page is UTF-8 with lang="ja", its CSS and the chart inline, and nothing
// else: no script, no font, image, style sheet or link to fetch. It holds
//   a header   the patient's inputs as they were given (label: value);
//   results    the fifteen results grouped VC / FVC / FEV1 / FEV1.0 % as the
//              window groups them, each percentage with its red flag: red,
//              bold and marked "*", so the flag survives a black-and-white
//              printer; the FEV1.0 % heading carries the measured FEV1/FVC;
//              a JRS2014 or JRS2001 prediction that the age or the height
//              leaves empty says why in its percentage cell ("適用範囲外
//              （17～93歳）", class "range");
//   reading    the clinical reading of kestrova/reading.h, an item out of
//              its equation's ages with the reason ("対象外（…）");
//   chart      an inline SVG, one horizontal track per JRS2014 quantity (VC,
//              FVC, FEV1, FEV1/FVC) on a shared z axis from -5 to +3 with a
//              tick at every whole number; the region below z = -1.645 is
//              shaded and its edge marked LLN. The measured value's z is a dot
//              (class "dot", data-z) with the z text beside it, the text JSON
//              prints; a z beyond the axis is drawn at the edge with an arrow
//              pointing out; a track without a measured value (or without a
//              prediction) stays empty and says so.
// With GLI results asked for (report/gli_section.h): a table for each set
// (class "gli-set", its title the caption, or why it has none) with its
// citation, below the reading in the column beside the results; the reading
// on GLI Global as a row of the reading ("ERS/ATS 2022 (GLI Global)") after
// the one on JRS2014; on the chart, below each FVC, FEV1 and FEV1/FVC dot, a
// marker per set (class "gli-marker" and "gli-global", a blue diamond, or
// "gli-2012", a green triangle, data-z the z text of its table; at the axis's
// edge with class "beyond" when outside) and a legend under the axis. The
// style they need is added only then, so a page without GLI stays byte for
// byte as it was.
// A print style sheet sets A4 and keeps the report on one page.
//
// The markup is also well-formed XML (every element closed, void elements
// written "<meta … />", attributes quoted), and every text from input passes
// through HtmlEscape, so hostile ids and names cannot break the page.
#ifndef KESTROVA_REPORT_HTML_REPORT_H_
#define KESTROVA_REPORT_HTML_REPORT_H_

#include <string>
#include <string_view>
#include <vector>

#include "equations/z_scores.h"
#include "kestrova/gli_results.h"
#include "kestrova/kestrova.h"
#include "report/given_inputs.h"

namespace kestrova::report {

// One line of the page's header: a label and its value, both as given.
struct HtmlField {
  std::string label;
  std::string value;
};

struct HtmlHeader {
  std::string name;               // shown before the title (a batch row's id); may be empty
  std::vector<HtmlField> fields;  // the inputs
  // The patient block, each as given (UTF-8); empty when unknown.
  std::string id;
  std::string patientName;
  std::string date;
};

// The chart's z axis, in the SVG's user units.
inline constexpr double kChartZMin = -5;
inline constexpr double kChartZMax = 3;
inline constexpr double kChartLlnZ = -kLlnZ;

// `text` for HTML text and attribute values: & < > " ' as references; bytes that
// are not valid UTF-8, control characters other than tab, LF and CR, and the
// noncharacters U+FFFE and U+FFFF each as U+FFFD.
std::string HtmlEscape(std::string_view text);
void AppendHtmlEscaped(std::string_view text, std::string& out);

// The page for a computed result (result.computed), with the GLI results
// asked for, if any.
std::string FormatHtml(const HtmlHeader& header, const PanelResult& result, const GliResults& gli = {});

// The header for one patient: the inputs given with their texts, and the
// patient block.
HtmlHeader HeaderOf(const GivenInputs& given, const PanelResult& result);
// The page for one patient (with HeaderOf's header).
std::string FormatHtml(const GivenInputs& given, const PanelResult& result, const GliResults& gli = {});

// The style sheet every page of kestrova-cli shares (the report and the index).
std::string_view HtmlStyleSheet();

}  // namespace kestrova::report

#endif  // KESTROVA_REPORT_HTML_REPORT_H_

#include "report/html_report.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "kestrova/reading.h"
#include "numtext/number_text.h"
#include "numtext/utf8.h"
#include "report/gli_section.h"
#include "report/reading_items.h"
#include "report/result_groups.h"
#include "texts/japanese_texts.h"
#include "version/version.h"

namespace kestrova::report {
namespace {

// Every literal here is ASCII: the build writes plain literals as CP932, so
// Japanese texts come from texts/japanese_texts.h as their UTF-8 twins.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// A4 portrait with 12 mm margins leaves 186 x 273 mm; the report is laid out
// to fit that at 100 % (results beside the reading, the chart below).
constexpr std::string_view kStyle =
    "@page{size:A4 portrait;margin:12mm}\n"
    "*{box-sizing:border-box}\n"
    "html{-webkit-print-color-adjust:exact;print-color-adjust:exact}\n"
    "body{margin:0;color:#000;background:#fff;font:10pt/1.35 \"IPAPGothic\",\"IPAexGothic\",\"IPAGothic\","
    "\"Noto Sans CJK JP\",\"Hiragino Sans\",\"Yu Gothic\",\"Meiryo\",sans-serif}\n"
    ".page{width:186mm;margin:0 auto;padding:4mm 0}\n"
    "h1{font-size:14pt;margin:0 0 2mm;overflow-wrap:anywhere}\n"
    "h2{font-size:11pt;margin:0 0 1.5mm;border-bottom:0.4mm solid #000}\n"
    ".en{font-size:8pt;font-weight:normal;color:#444}\n"
    ".inputs{display:flex;flex-wrap:wrap;gap:1mm 5mm;margin:0 0 3mm;padding:1.5mm 2mm;"
    "border:0.3mm solid #000}\n"
    ".inputs div{display:flex;gap:1.5mm}\n"
    ".inputs dt{font-weight:bold}\n"
    ".inputs dd{margin:0;overflow-wrap:anywhere}\n"
    ".patient{display:flex;gap:6mm;margin:0 0 2mm}\n"
    ".patient div{display:flex;gap:1.5mm;align-items:baseline;flex:0 1 auto;min-width:0}\n"
    ".patient div:nth-child(2){flex:1 1 auto}\n"
    ".patient dt{font-weight:bold;white-space:nowrap}\n"
    ".patient dd{margin:0;min-width:35mm;border-bottom:0.3mm solid #000;overflow-wrap:anywhere}\n"
    ".patient dd.blank{height:6mm}\n"
    "footer{margin-top:3mm;font-size:8pt;color:#333}\n"
    ".columns{display:flex;gap:5mm;align-items:flex-start}\n"
    ".results{flex:0 0 78mm}\n"
    ".reading{flex:1 1 auto}\n"
    "table{border-collapse:collapse;width:100%}\n"
    "th,td{padding:0.4mm 1.5mm;text-align:left;vertical-align:top}\n"
    ".results td,.results thead th{border-bottom:0.2mm solid #bbb}\n"
    ".results thead th{font-size:8.5pt}\n"
    ".results .group th{padding-top:1.2mm;border-bottom:0.3mm solid #000}\n"
    ".num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}\n"
    ".mark{display:inline-block;width:3mm;text-align:left;font-size:1.3em;line-height:0}\n"
    ".red{color:#c00000;font-weight:bold}\n"
    ".legend{font-size:8pt;margin:1mm 0 0}\n"
    ".range{display:block;white-space:normal;text-align:left;font-size:8pt;color:#333}\n"
    ".reading th{width:30mm;font-weight:bold;border-bottom:0.2mm solid #bbb}\n"
    ".reading td{border-bottom:0.2mm solid #bbb}\n"
    ".reading .label{font-weight:bold}\n"
    ".reading .numbers,.reading .note{display:block;font-size:8.5pt;color:#333}\n"
    ".chart{margin-top:4mm}\n"
    ".chart svg{display:block;width:100%;height:auto}\n"
    "svg text{font-size:11px;fill:#000}\n"
    "svg .quantity{font-weight:bold;font-size:12px}\n"
    "svg .measured,svg .note,svg .axis-label{font-size:10px;fill:#333}\n"
    "svg .z{font-weight:bold}\n"
    ".index td,.index th{border-bottom:0.2mm solid #bbb;white-space:nowrap}\n"
    ".index td.red,.index td.error{white-space:normal}\n"
    ".index .error{color:#c00000}\n"
    "@media print{.page{padding:0}.columns,.chart,table{break-inside:avoid}}\n";

// Added to the style sheet of a page that shows GLI results, so that a page
// without them stays as it was. The set tables are set small and tight: they
// share the column beside the results with the reading, and a long reading
// (PRISm with its notes, on JRS2014 and on GLI Global) must still leave the
// page one A4 page.
constexpr std::string_view kGliStyle =
    ".side{flex:1 1 auto;min-width:0}\n"
    ".gli-set{margin-top:1.5mm;line-height:1.2}\n"
    ".gli caption,.gli .title{text-align:left;font-weight:bold;font-size:8.5pt;margin:0;padding:0}\n"
    ".gli td,.gli thead th{border-bottom:0.2mm solid #bbb;font-size:7.5pt;padding:0 0.6mm}\n"
    ".gli .range,.gli .cite{font-size:7pt;color:#333;margin:0}\n"
    "svg .legend{font-size:10px}\n";

// Chart geometry (SVG user units).
constexpr double kChartWidth = 720;
constexpr double kAxisLeft = 150;
constexpr double kAxisRight = 690;
constexpr double kTracksTop = 32;
constexpr double kTrackHeight = 40;
constexpr double kGliMarkerSize = 3.2;  // half the width of a GLI marker
// A GLI set's row of markers below the track's line (set k of those asked
// for): clear of the dot above and of the next track's z text below.
constexpr double kGliMarkerRow = 9.5;
constexpr double kGliMarkerRowStep = 6.5;
constexpr double kDotRadius = 5.5;
constexpr double kArrowLength = 10;

double ChartX(double z) {
  return kAxisLeft + (z - kChartZMin) * (kAxisRight - kAxisLeft) / (kChartZMax - kChartZMin);
}

std::string Coordinate(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return buffer;
}

void Append(std::string& out, std::initializer_list<std::string_view> parts) {
  for (std::string_view p : parts) out += p;
}

void AppendEscaped(std::string& out, std::string_view text) { AppendHtmlEscaped(text, out); }

// Controls but tab, LF and CR, and the noncharacters: shown as U+FFFD.
bool Unwanted(std::uint32_t c) {
  const CharKind kind = KindOfChar(c);
  return kind == CharKind::kControl || kind == CharKind::kNoncharacter;
}

// ---- the results ----

void AppendMark(bool red, std::string& out) {
  Append(out, {"<span class=\"mark\">", red ? "*" : "", "</span>"});
}

void AppendResults(const PanelResult& result, std::string& out) {
  Append(out, {"<section class=\"results\">\n<h2>", texts::kReportResultsUtf8,
               " <span class=\"en\" lang=\"en\">Predicted values</span></h2>\n<table>\n<thead><tr><th>",
               texts::kReportEquationUtf8, "</th><th class=\"num\">", texts::kReportPredictedUtf8,
               "</th><th class=\"num\">", texts::kReportPercentUtf8, "</th></tr></thead>\n<tbody>\n"});
  const auto onGroup = [&out](std::string_view group, const MeasuredRatioText* ratio) {
    out += "<tr class=\"group\"><th colspan=\"3\">";
    AppendEscaped(out, group);
    if (ratio != nullptr) {
      Append(out, {" <span class=\"num", ratio->red ? " red" : "", "\">", texts::kReportMeasuredUtf8, " "});
      AppendEscaped(out, ratio->text);
      if (ratio->red) out += " *";
      out += "</span>";
    }
    out += "</th></tr>\n";
  };
  ForEachGroupedRow(result, onGroup, [&](std::size_t i) {
    const ResultField& field = ResultFields()[i];
    const PanelRow& row = result.panel.rows[i];
    const bool red = row.cell.red;
    Append(out, {"<tr data-name=\"", field.name, "\"><td>"});
    AppendEscaped(out, field.label);
    out += "</td><td class=\"num\">";
    AppendEscaped(out, NumberOrMask(row, static_cast<ResultId>(i)));
    out += "</td><td class=\"num pct";
    if (red) out += " red";
    out += "\">";
    if (!row.cell.percent.empty()) {
      AppendMark(red, out);
      AppendEscaped(out, row.cell.percent);
      out += " %";
    }
    const std::string note = OutOfRangeNote(result, static_cast<ResultId>(i));
    if (!note.empty()) {
      out += "<span class=\"range\">";
      AppendEscaped(out, note);
      out += "</span>";
    }
    out += "</td></tr>\n";
  });
  Append(out,
         {"</tbody>\n</table>\n<p class=\"legend\">", texts::kReportRedLegendUtf8, "</p>\n</section>\n"});
}

// ---- the reading ----

// One row an item: its name and equation, then the label (with its condition
// or grade), the details and the note.
void AppendReadingRow(const ReadingItem& item, std::string& out) {
  out += "<tr><th>";
  AppendEscaped(out, item.name + " (" + std::string(item.equation) + ")");
  out += "</th><td>";
  if (item.outOfRange) {
    AppendEscaped(out, item.label.ja);
    out += " <span class=\"en\" lang=\"en\">";
    AppendEscaped(out, item.label.en);
    out += "</span></td></tr>\n";
    return;
  }
  if (!item.computed) {
    Append(out, {texts::kNotReadUtf8, " <span class=\"en\" lang=\"en\">not read</span></td></tr>\n"});
    return;
  }
  out += "<span class=\"label\">";
  AppendEscaped(out, item.label.ja);
  out += "</span>";
  const std::string_view extra = !item.condition.ja.empty() ? item.condition.ja
                                 : item.graded              ? item.severity.ja
                                                            : std::string_view();
  if (!extra.empty()) {
    out += " ";
    AppendEscaped(out, extra);
  }
  if (!item.label.en.empty() && !item.labelEnRepeatsJa) {
    out += " <span class=\"en\" lang=\"en\">";
    AppendEscaped(out, item.label.en);
    out += "</span>";
  }
  if (!item.details.empty()) {
    out += "<span class=\"numbers\">";
    AppendEscaped(out, item.details);
    out += "</span>";
  }
  // Where nothing is graded, the reason stands as the note.
  const ReadingLabel& note = !item.note.ja.empty() || item.graded ? item.note : item.severity;
  if (!note.ja.empty()) {
    out += "<span class=\"note\">";
    AppendEscaped(out, note.ja);
    out += "</span>";
  }
  out += "</td></tr>\n";
}

// ---- GLI ----

// Each set's marker on the chart: GLI Global a blue diamond, GLI-2012 a green
// triangle, so that they differ from the JRS2014 dot and from each other in
// shape as well as colour (a black-and-white print keeps them apart).
std::string GliMarker(GliSet set, double x, double y) {
  const double r = kGliMarkerSize;
  if (set == GliSet::kGlobal2022) {
    return "points=\"" + Coordinate(x) + "," + Coordinate(y - r) + " " + Coordinate(x + r) + "," +
           Coordinate(y) + " " + Coordinate(x) + "," + Coordinate(y + r) + " " + Coordinate(x - r) + "," +
           Coordinate(y) + "\" fill=\"#1f5fbf\"";
  }
  return "points=\"" + Coordinate(x) + "," + Coordinate(y - r) + " " + Coordinate(x + r) + "," +
         Coordinate(y + r) + " " + Coordinate(x - r) + "," + Coordinate(y + r) + "\" fill=\"#2e8b57\"";
}

// Whether the chart shows GLI markers (and their legend): a set asked for is
// computed.
bool HasGliMarkers(const GliSection& gli) {
  return std::any_of(gli.tables.begin(), gli.tables.end(), [](const GliTable& t) { return t.computed; });
}

std::string_view GliMarkerClass(GliSet set) {
  return set == GliSet::kGlobal2022 ? "gli-marker gli-global" : "gli-marker gli-2012";
}

// A set's table (its title the caption), or why it has none; its citation.
void AppendGliTable(const GliTable& table, std::string& out) {
  out += "<div class=\"gli-set\">\n";
  if (!table.computed) {
    Append(out, {"<p class=\"title\">", table.title, "</p>\n<p class=\"range\">"});
    AppendEscaped(out, table.notComputed.ja);
    out += " <span class=\"en\" lang=\"en\">";
    AppendEscaped(out, table.notComputed.en);
    out += "</span></p>\n";
  } else {
    Append(out, {"<table>\n<caption>", table.title, "</caption>\n<thead><tr><th></th><th class=\"num\">",
                 texts::kReportPredictedUtf8, "</th><th class=\"num\">LLN</th><th class=\"num\">ULN</th>",
                 "<th class=\"num\">", texts::kReportMeasuredUtf8, "</th><th class=\"num\">z</th>",
                 "<th class=\"num\">", texts::kColumnPercentileUtf8, "</th><th class=\"num\">",
                 texts::kReportPercentUtf8, "</th></tr></thead>\n<tbody>\n"});
    for (const GliRowTexts& row : table.rows) {
      Append(out, {"<tr><td>", row.quantity, "</td>"});
      for (const std::string& cell : row.cells) Append(out, {"<td class=\"num\">", cell, "</td>"});
      out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n";
  }
  Append(out, {"<p class=\"cite\" lang=\"en\">", table.citation, "</p>\n</div>\n"});
}

// The tables one under the other below the reading, in the column beside the
// results, which is the shorter one (the more so for a child, whose results
// carry notes), their captions their only heading; the reading on GLI Global
// stands in the reading's table. So the page stays one A4 page.
void AppendGli(const GliSection& section, std::string& out) {
  out += "<section class=\"gli\">\n";
  for (const GliTable& table : section.tables) AppendGliTable(table, out);
  out += "</section>\n";
}

// The reading's table; with GLI Global, its ERS/ATS 2022 row follows the one
// on JRS2014, headed "ERS/ATS 2022 (GLI Global)".
void AppendReading(const Reading& r, const GliSection& gli, std::string& out) {
  Append(out, {"<section class=\"reading\">\n<h2>", texts::kReadingTitleUtf8,
               " <span class=\"en\" lang=\"en\">Reading</span></h2>\n<table>\n"});
  for (const ReadingItem& item : ReadingItems(r)) {
    AppendReadingRow(item, out);
    if (item.key == "ersAts2022" && gli.hasReading) AppendReadingRow(GliReadingItem(gli), out);
  }
  out += "</table>\n</section>\n";
}

// ---- the chart ----

void AppendText(std::string& out, std::string_view cls, double x, double y, std::string_view anchor,
                std::string_view text) {
  Append(out, {"<text class=\"", cls, "\" x=\"", Coordinate(x), "\" y=\"", Coordinate(y), "\" text-anchor=\"",
               anchor, "\">"});
  AppendEscaped(out, text);
  out += "</text>\n";
}

// Below the track's line, a row per GLI set asked for: its marker at the z
// as its table shows it, at the axis's edge when beyond it (class "beyond").
// VC has no GLI equation.
void AppendGliMarkers(const GliSection& gli, std::size_t q, double cy, std::string& out) {
  static constexpr std::size_t kGliRowOfTrack[] = {kGliQuantities.size(), 1, 0, 2};  // FVC, FEV1, FEV1/FVC
  const std::size_t row = kGliRowOfTrack[q];
  if (row >= kGliQuantities.size()) return;
  for (std::size_t k = 0; k < gli.tables.size(); ++k) {
    const GliTable& table = gli.tables[k];
    if (!table.computed || !table.rows[row].measured) continue;
    const double z = table.rows[row].z;
    const bool beyond = z < kChartZMin || z > kChartZMax;
    const double x = ChartX(std::clamp(z, kChartZMin, kChartZMax));
    const double y = cy + kGliMarkerRow + kGliMarkerRowStep * static_cast<double>(k);
    Append(out, {"<polygon class=\"", GliMarkerClass(table.set), beyond ? " beyond" : "", "\" data-z=\"",
                 table.rows[row].cells[kGliZ], "\" ", GliMarker(table.set, x, y), "><title>", table.title,
                 " z ", table.rows[row].cells[kGliZ], "</title></polygon>\n"});
  }
}

void AppendTrack(const PanelResult& result, const GliSection& gli, std::size_t q, std::string& out) {
  static constexpr std::string_view kNames[] = {"VC", "FVC", "FEV1", "FEV1/FVC"};
  const StandingView& s = result.jrs2014[q];
  const double cy = kTracksTop + kTrackHeight * (static_cast<double>(q) + 0.5);
  Append(out, {"<g class=\"track\" data-quantity=\"", s.name, "\">\n"});
  AppendText(out, "quantity", 8, cy - 2, "start", kNames[q]);
  const double measured[] = {result.inputs.vc, result.inputs.fvc, result.inputs.fev1};
  std::string measuredText;
  if (q < 3 && measured[q] > 0) measuredText = FormatFixed(measured[q], 2) + " L";
  if (q == 3 && result.panel.measuredRatio.shown) measuredText = result.panel.measuredRatio.text;
  if (!measuredText.empty()) AppendText(out, "measured", 8, cy + 11, "start", measuredText);
  AppendGliMarkers(gli, q, cy, out);
  const bool drawn = s.computed && s.hasZ && !s.zText.empty();
  Append(out, {"<line class=\"track-line\" x1=\"", Coordinate(kAxisLeft), "\" y1=\"", Coordinate(cy),
               "\" x2=\"", Coordinate(kAxisRight), "\" y2=\"", Coordinate(cy),
               "\" stroke=\"#666\" stroke-width=\"", drawn ? "1" : "1\" stroke-dasharray=\"3 3", "\"/>\n"});
  if (!drawn) {
    AppendText(out, "note empty", ChartX(-1), cy + 4, "middle",
               s.computed ? texts::kReportNoMeasuredUtf8 : texts::kReportNoPredictionUtf8);
    out += "</g>\n";
    return;
  }
  // The dot stands at the z as printed, so it agrees with its text.
  const double z = s.zShown.value;
  const bool below = z < kChartZMin;
  const bool above = z > kChartZMax;
  const double x = ChartX(below ? kChartZMin : above ? kChartZMax : z);
  if (below || above) {
    const double tip = below ? x - kDotRadius - kArrowLength : x + kDotRadius + kArrowLength;
    const double base = below ? x - kDotRadius - 1 : x + kDotRadius + 1;
    Append(out, {"<polygon class=\"arrow\" points=\"", Coordinate(tip), ",", Coordinate(cy), " ",
                 Coordinate(base), ",", Coordinate(cy - 5), " ", Coordinate(base), ",", Coordinate(cy + 5),
                 "\" fill=\"#000\"><title>", texts::kReportBeyondAxisUtf8, "</title></polygon>\n"});
  }
  Append(out, {"<circle class=\"dot", below || above ? " beyond" : "", "\" data-z=\""});
  AppendEscaped(out, s.zText);
  Append(out, {"\" cx=\"", Coordinate(x), "\" cy=\"", Coordinate(cy), "\" r=\"", Coordinate(kDotRadius),
               "\" fill=\"#000\"/>\n"});
  // The text goes right of the dot, or left of it near the right end.
  const bool left = z > kChartZMax - 1.5;
  const double offset = kDotRadius + 4;
  const double tx = left ? x - offset : x + offset;
  AppendText(out, "z", tx, cy - 7, left ? "end" : "start", s.zText);
  out += "</g>\n";
}

// Under the tick labels, left of the axis's "z", which mark is which: the
// JRS2014 dot and each GLI set's marker.
void AppendGliLegend(const GliSection& gli, double y, std::string& out) {
  double x = 12;
  Append(out, {"<g class=\"legend\">\n<circle cx=\"", Coordinate(x), "\" cy=\"", Coordinate(y - 4), "\" r=\"",
               Coordinate(kGliMarkerSize), "\" fill=\"#000\"/>\n"});
  AppendText(out, "legend", x + 8, y, "start", "JRS2014");
  x += 80;
  for (const GliTable& table : gli.tables) {
    if (!table.computed) continue;
    Append(out,
           {"<polygon class=\"", GliMarkerClass(table.set), "\" ", GliMarker(table.set, x, y - 4), "/>\n"});
    AppendText(out, "legend", x + 8, y, "start", table.title);
    x += 40 + 6.5 * static_cast<double>(table.title.size());
  }
  out += "</g>\n";
}

void AppendChart(const PanelResult& result, const GliSection& gli, std::string& out) {
  const double tracksBottom = kTracksTop + kTrackHeight * 4;
  const double height = tracksBottom + 34;
  Append(out, {"<section class=\"chart\">\n<h2>", texts::kReportChartUtf8,
               " <span class=\"en\" lang=\"en\">z-scores of the measured values</span></h2>\n",
               "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ", Coordinate(kChartWidth), " ",
               Coordinate(height), "\" role=\"img\" aria-label=\"JRS2014 z\">\n"});
  const double lln = ChartX(kChartLlnZ);
  // Below the LLN: shaded, its edge a dashed line.
  Append(out, {"<rect class=\"below-lln\" x=\"", Coordinate(kAxisLeft), "\" y=\"", Coordinate(kTracksTop),
               "\" width=\"", Coordinate(lln - kAxisLeft), "\" height=\"",
               Coordinate(tracksBottom - kTracksTop), "\" fill=\"#d9d9d9\"/>\n"});
  AppendText(out, "axis-label", (kAxisLeft + lln) / 2, kTracksTop - 8, "middle", texts::kReportBelowLlnUtf8);
  // Grid and ticks at whole numbers.
  for (int z = static_cast<int>(kChartZMin); z <= static_cast<int>(kChartZMax); ++z) {
    const std::string x = Coordinate(ChartX(z));
    Append(out,
           {"<line class=\"grid\" x1=\"", x, "\" y1=\"", Coordinate(kTracksTop), "\" x2=\"", x, "\" y2=\"",
            Coordinate(tracksBottom), "\" stroke=\"", z == 0 ? "#888" : "#ccc", "\" stroke-width=\"1\"/>\n"});
    Append(out, {"<line class=\"tick\" data-z=\"", std::to_string(z), "\" x1=\"", x, "\" y1=\"",
                 Coordinate(tracksBottom), "\" x2=\"", x, "\" y2=\"", Coordinate(tracksBottom + 5),
                 "\" stroke=\"#000\" stroke-width=\"1\"/>\n"});
    AppendText(out, "tick-label", ChartX(z), tracksBottom + 17, "middle", std::to_string(z));
  }
  Append(out, {"<line class=\"axis\" x1=\"", Coordinate(kAxisLeft), "\" y1=\"", Coordinate(tracksBottom),
               "\" x2=\"", Coordinate(kAxisRight), "\" y2=\"", Coordinate(tracksBottom),
               "\" stroke=\"#000\" stroke-width=\"1\"/>\n"});
  AppendText(out, "axis-label", kAxisRight, tracksBottom + 30, "end", "z");
  Append(out, {"<line class=\"lln\" x1=\"", Coordinate(lln), "\" y1=\"", Coordinate(kTracksTop - 4),
               "\" x2=\"", Coordinate(lln), "\" y2=\"", Coordinate(tracksBottom),
               "\" stroke=\"#000\" stroke-width=\"1.5\" "
               "stroke-dasharray=\"5 3\"/>\n"});
  AppendText(out, "axis-label", lln, kTracksTop - 20, "middle", "LLN (z = -1.645)");
  for (std::size_t q = 0; q < 4; ++q) AppendTrack(result, gli, q, out);
  if (HasGliMarkers(gli)) AppendGliLegend(gli, tracksBottom + 30, out);
  out += "</svg>\n</section>\n";
}

// Whose report it is: each of ID, name and date as given, or a blank line to
// write on.
void AppendPatient(const HtmlHeader& header, std::string& out) {
  const std::pair<std::string_view, const std::string*> items[] = {
      {"ID", &header.id},
      {texts::kReportNameUtf8, &header.patientName},
      {texts::kReportDateUtf8, &header.date}};
  out += "<dl class=\"patient\">\n";
  for (const auto& [label, value] : items) {
    Append(out, {"<div><dt>", label, "</dt><dd", value->empty() ? " class=\"blank\"" : "", ">"});
    AppendEscaped(out, *value);
    out += "</dd></div>\n";
  }
  out += "</dl>\n";
}

void AppendPageStart(std::string_view title, std::string_view extraStyle, std::string& out) {
  Append(out, {"<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n<title>"});
  AppendEscaped(out, title);
  Append(out,
         {"</title>\n<style>\n", kStyle, extraStyle, "</style>\n</head>\n<body>\n<main class=\"page\">\n"});
}

}  // namespace

std::string_view HtmlStyleSheet() { return kStyle; }

void AppendHtmlEscaped(std::string_view text, std::string& out) {
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char read = ReadUtf8Char(text, i);
    const std::size_t length = read.length;
    const std::uint32_t c = read.codePoint;
    if (length == 0 || Unwanted(c)) {
      out += kReplacement;
      i += length == 0 ? 1 : length;
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.append(text.substr(i, length));
    }
    i += length;
  }
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(text, out);
  return out;
}

std::string FormatHtml(const HtmlHeader& header, const PanelResult& result, const GliResults& gliResults) {
  const GliSection gli = GliSectionOf(gliResults);
  std::string out;
  out.reserve(24 * 1024);
  std::string title(texts::kReportTitleUtf8);
  if (!header.name.empty()) title = header.name + " - " + title;
  AppendPageStart(title, gli.tables.empty() ? std::string_view() : kGliStyle, out);
  out += "<header>\n<h1>";
  if (!header.name.empty()) {
    AppendEscaped(out, header.name);
    out += " ";
  }
  Append(out, {texts::kReportTitleUtf8, "</h1>\n"});
  AppendPatient(header, out);
  out += "<dl class=\"inputs\">\n";
  for (const HtmlField& field : header.fields) {
    out += "<div><dt>";
    AppendEscaped(out, field.label);
    out += "</dt><dd>";
    AppendEscaped(out, field.value);
    out += "</dd></div>\n";
  }
  out += "</dl>\n</header>\n<div class=\"columns\">\n";
  AppendResults(result, out);
  if (gli.tables.empty()) {
    AppendReading(ReadResult(result), gli, out);
  } else {
    out += "<div class=\"side\">\n";
    AppendReading(ReadResult(result), gli, out);
    AppendGli(gli, out);
    out += "</div>\n";
  }
  out += "</div>\n";
  AppendChart(result, gli, out);
  Append(out, {"<footer>Kestrova ver." KESTROVA_VERSION " \xE2\x80\x94 ", texts::kReportFooterUtf8,
               "</footer>\n</main>\n</body>\n</html>\n"});
  return out;
}

HtmlHeader HeaderOf(const GivenInputs& given, const PanelResult& result) {
  HtmlHeader header;
  const auto add = [&](std::string_view label, const std::optional<std::string>& text,
                       std::string_view unit) {
    if (!text) return;
    header.fields.push_back({std::string(label), *text + std::string(unit)});
  };
  if (given.sex) {
    const std::string_view sex = result.inputs.sexCode == kSexMale ? texts::kMaleUtf8 : texts::kFemaleUtf8;
    header.fields.push_back({std::string(texts::kReportSexUtf8), std::string(sex) + " (" + *given.sex + ")"});
  }
  add(texts::kReportAgeUtf8, given.age, texts::kYearsSuffixUtf8);
  add(texts::kReportHeightUtf8, given.height, " cm");
  add("VC", given.vc, " L");
  add("FVC", given.fvc, " L");
  add("FEV1", given.fev1, " L");
  header.id = given.id;
  header.patientName = given.name;
  header.date = given.date;
  return header;
}

std::string FormatHtml(const GivenInputs& given, const PanelResult& result, const GliResults& gli) {
  return FormatHtml(HeaderOf(given, result), result, gli);
}

}  // namespace kestrova::report

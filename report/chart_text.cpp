#include "report/chart_text.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "equations/prediction_set.h"
#include "numtext/utf8.h"
#include "report/gli_section.h"
#include "report/html_report.h"
#include "report/reading_items.h"
#include "report/result_groups.h"
#include "texts/japanese_texts.h"
#include "version/version.h"

namespace kestrova::report {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kIndent = "    ";               // a broken line goes on here

// As in Shift-JIS: ASCII and the half-width katakana take one column, the rest two.
std::size_t Columns(char32_t code) { return code < 0x80 || (code >= 0xFF61 && code <= 0xFF9F) ? 1 : 2; }

bool IsBlank(std::string_view ch) { return ch == " " || ch == "\xE3\x80\x80"; }  // U+3000 too

// `text` with control characters as blanks and bytes that are not UTF-8 as U+FFFD.
std::string Clean(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char ch = ReadUtf8Char(text, i);
    if (ch.length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    const CharKind kind = KindOfChar(ch.codePoint);
    if (kind != CharKind::kOrdinary && kind != CharKind::kNoncharacter) {
      out += ' ';
    } else {
      out.append(text.substr(i, ch.length));
    }
    i += ch.length;
  }
  return out;
}

void TrimEnd(std::string& line) {
  while (!line.empty()) {
    if (line.back() == ' ') {
      line.pop_back();
    } else if (line.size() >= 3 && IsBlank(std::string_view(line).substr(line.size() - 3))) {
      line.resize(line.size() - 3);
    } else {
      break;
    }
  }
}

// Appends `line` (clean UTF-8) to `out` as lines of at most kChartColumns
// columns, each without trailing blanks, broken at the last blank that fits
// (or between characters) and continued after kIndent.
void AppendWrapped(std::string_view line, std::string& out) {
  std::string rest(line);
  bool first = true;
  for (;;) {
    std::string piece = first ? std::string() : std::string(kIndent);
    const std::size_t start = piece.size();
    std::size_t columns = piece.size();
    std::size_t i = 0;
    std::size_t lastBlank = std::string::npos;  // in `rest`
    while (i < rest.size()) {
      const Utf8Char ch = ReadUtf8Char(rest, i);
      const std::size_t width = Columns(ch.codePoint);
      if (columns + width > kChartColumns) break;
      if (IsBlank(std::string_view(rest).substr(i, ch.length)) && i > 0) lastBlank = i;
      columns += width;
      i += ch.length;
    }
    if (i < rest.size() && lastBlank != std::string::npos) i = lastBlank;
    piece.append(rest, 0, i);
    rest.erase(0, i);
    while (!rest.empty() && IsBlank(std::string_view(rest).substr(0, rest[0] == ' ' ? 1 : 3))) {
      rest.erase(0, rest[0] == ' ' ? 1 : 3);
    }
    TrimEnd(piece);
    if (piece.size() > start || first) {
      out += piece;
      out += '\n';
    }
    first = false;
    if (rest.empty()) return;
  }
}

std::string Pad(std::string_view text, std::size_t columns) {
  std::string out(text);
  for (std::size_t n = DisplayColumns(text); n < columns; ++n) out += ' ';
  return out;
}

std::string PadLeft(std::string_view text, std::size_t columns) {
  std::string out;
  for (std::size_t n = DisplayColumns(text); n < columns; ++n) out += ' ';
  return out += text;
}

std::string JoinFields(const std::vector<HtmlField>& fields, std::string_view separator) {
  std::string out;
  for (const HtmlField& field : fields) {
    if (field.value.empty()) continue;
    if (!out.empty()) out += "  ";
    out += field.label;
    out += separator;
    out += field.value;
  }
  return out;
}

// "<name>: <label> <severity> (<context>)" (with its note, if any, on the
// next line), or the name and why the item is not read.
void AppendReadingItem(const ReadingItem& item, std::string_view name, std::string_view context,
                       std::vector<std::string>& lines) {
  std::string line = std::string(name) + ": ";
  if (!item.computed) {
    lines.push_back(line.append(item.outOfRange ? item.label.ja : texts::kNotReadUtf8));
    return;
  }
  (line += item.label.ja) += item.condition.ja;
  if (!item.severity.ja.empty()) (line += ' ') += item.severity.ja;
  if (!context.empty()) ((line += " (") += context) += ')';
  lines.push_back(std::move(line));
  if (!item.note.ja.empty()) lines.push_back(std::string(2, ' ').append(item.note.ja));
}

// The reading, one item a line, as the text report writes it.
void AppendReading(const Reading& r, std::vector<std::string>& lines) {
  lines.emplace_back(texts::kReadingTitleUtf8);
  for (const ReadingItem& item : ReadingItems(r)) {
    AppendReadingItem(item, item.name, EquationAndDetails(item), lines);
  }
}

// The GLI section after the reading, in the results' layout: a table a set
// under Japanese headings (the numbers right-aligned), or why the set is not
// computed; then (GLI Global) its reading and the set's citation.
void AppendGli(const GliSection& section, std::vector<std::string>& lines) {
  if (section.tables.empty()) return;
  const std::array<std::string_view, kGliColumnCount> heads = {texts::kReportPredictedUtf8,
                                                               "LLN",
                                                               "ULN",
                                                               texts::kReportMeasuredUtf8,
                                                               texts::kColumnZUtf8,
                                                               texts::kColumnPercentileUtf8,
                                                               texts::kReportPercentUtf8};
  static constexpr std::array<std::size_t, kGliColumnCount> kWidths = {8, 7, 7, 7, 9, 15, 7};
  lines.push_back("GLI " + std::string(texts::kReportPredictedUtf8));
  for (const GliTable& table : section.tables) {
    if (!table.computed) {
      lines.push_back(table.title + ": " + std::string(table.notComputed.ja));
      continue;
    }
    lines.push_back(table.title);
    std::string head(12, ' ');
    for (std::size_t c = 0; c < kGliColumnCount; ++c) head += PadLeft(heads[c], kWidths[c]);
    lines.push_back(std::move(head));
    for (const GliRowTexts& row : table.rows) {
      std::string line = "  " + Pad(row.quantity, 10);
      for (std::size_t c = 0; c < kGliColumnCount; ++c) line += PadLeft(row.cells[c], kWidths[c]);
      lines.push_back(std::move(line));
    }
    if (table.set == GliSet::kGlobal2022 && section.hasReading) {
      const ReadingItem item = GliReadingItem(section);
      AppendReadingItem(item, kGliReadingName, item.details, lines);
    }
    lines.emplace_back(table.citation);
  }
}

}  // namespace

std::size_t DisplayColumns(std::string_view text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char ch = ReadUtf8Char(text, i);
    columns += ch.length == 0 ? 2 : Columns(ch.codePoint);
    i += ch.length == 0 ? 1 : ch.length;
  }
  return columns;
}

std::string FormatChartText(const GivenInputs& inputs, const PanelResult& result, const Reading& reading,
                            const GliResults& gli) {
  const HtmlHeader given = HeaderOf(inputs, result);  // the inputs as the page lists them
  std::vector<std::string> lines;
  const std::string patient = JoinFields({{"ID", given.id},
                                          {std::string(texts::kReportNameUtf8), given.patientName},
                                          {std::string(texts::kReportDateUtf8), given.date}},
                                         ": ");
  if (!patient.empty()) lines.push_back(patient);
  lines.push_back(std::string(texts::kChartInputsUtf8) + ": " + JoinFields(given.fields, " "));
  const auto onGroup = [&lines](std::string_view group, const MeasuredRatioText* ratio) {
    std::string heading(group);
    if (ratio != nullptr) {
      (((heading += "  ") += texts::kReportMeasuredUtf8) += ' ') += ratio->text;
      if (ratio->red) heading += texts::kChartMarkUtf8;
    }
    lines.push_back(std::move(heading));
  };
  ForEachGroupedRow(result, onGroup, [&](std::size_t i) {
    const ResultField& field = ResultFields()[i];
    const PanelRow& row = result.panel.rows[i];
    std::string line = "  " + Pad(field.label, 11) + PadLeft(NumberOrMask(row, static_cast<ResultId>(i)), 6);
    if (!row.cell.percent.empty()) {
      line += "  " + PadLeft(row.cell.percent, 5) + " %";
      if (row.cell.red) line += texts::kChartMarkUtf8;
    }
    const std::string note = OutOfRangeNote(result, static_cast<ResultId>(i));
    if (!note.empty()) (line += "  ") += note;
    lines.push_back(std::move(line));
  });
  lines.emplace_back(texts::kReportRedLegendUtf8);
  AppendReading(reading, lines);
  const GliSection section = GliSectionOf(gli);
  AppendGli(section, lines);
  std::string equations = std::string(texts::kReportEquationUtf8) + ": JRS2014, JRS2001, Baldwin, Berglund";
  for (const GliTable& table : section.tables) {
    equations += table.set == GliSet::kGlobal2022 ? ", GLI Global" : ", GLI-2012";
  }
  lines.push_back(equations + "  Kestrova ver." KESTROVA_VERSION);
  std::string out;
  for (const std::string& line : lines) AppendWrapped(Clean(line), out);
  return out;
}

}  // namespace kestrova::report

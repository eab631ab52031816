#include "report/chart_text.h"

#include <cstdint>
#include <string>
#include <vector>

#include "equations/prediction_set.h"
#include "report/html_report.h"
#include "report/reading_items.h"
#include "texts/japanese_texts.h"
#include "version/version.h"

namespace kestrova::report {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kIndent = "    ";               // a broken line goes on here

// One character of `text` at `i`: its length in bytes (0: a byte that is not
// UTF-8) and its code point.
struct Utf8Char {
  std::size_t length = 0;
  char32_t code = 0;
};

Utf8Char NextChar(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {1, lead};
  std::size_t length = 0;
  char32_t code = 0;
  char32_t min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u, min = 0x10000;
  } else {
    return {};
  }
  if (i + length > text.size()) return {};
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[i + k]);
    if ((c & 0xC0u) != 0x80) return {};
    code = (code << 6) | (c & 0x3Fu);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {length, code};
}

// As in Shift-JIS: ASCII and the half-width katakana take one column, the rest two.
std::size_t Columns(char32_t code) { return code < 0x80 || (code >= 0xFF61 && code <= 0xFF9F) ? 1 : 2; }

bool IsBlank(std::string_view ch) { return ch == " " || ch == "\xE3\x80\x80"; }  // U+3000 too

// `text` with control characters as blanks and bytes that are not UTF-8 as U+FFFD.
std::string Clean(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char ch = NextChar(text, i);
    if (ch.length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    const bool control = ch.code < 0x20 || (ch.code >= 0x7F && ch.code < 0xA0) || ch.code == 0x2028 ||
                         ch.code == 0x2029 || ch.code == 0x85;
    if (control) {
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
      const Utf8Char ch = NextChar(rest, i);
      const std::size_t width = Columns(ch.code);
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

// The number text of a panel line, or its placeholder ("*.**").
std::string_view LineNumber(std::string_view line) {
  const std::size_t colon = line.rfind(" :");
  std::string_view number = line.substr(0, colon == std::string_view::npos ? line.size() : colon);
  while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
  return number;
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

// The reading, one item a line (with its note, if any, on the next), as the
// text report writes it.
void AppendReading(const Reading& r, std::vector<std::string>& lines) {
  lines.emplace_back(texts::kReadingTitleUtf8);
  for (const ReadingItem& item : ReadingItems(r)) {
    std::string line = item.name + ": ";
    if (!item.computed) {
      lines.push_back(line.append(item.outOfRange ? item.label.ja : texts::kNotReadUtf8));
      continue;
    }
    (line += item.label.ja) += item.condition.ja;
    if (!item.severity.ja.empty()) (line += ' ') += item.severity.ja;
    ((line += " (") += EquationAndDetails(item)) += ')';
    lines.push_back(std::move(line));
    if (!item.note.ja.empty()) lines.push_back(std::string(2, ' ').append(item.note.ja));
  }
}

}  // namespace

std::size_t DisplayColumns(std::string_view text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Char ch = NextChar(text, i);
    columns += ch.length == 0 ? 2 : Columns(ch.code);
    i += ch.length == 0 ? 1 : ch.length;
  }
  return columns;
}

std::string FormatChartText(const GivenInputs& inputs, const PanelResult& result, const Reading& reading) {
  const HtmlHeader given = HeaderOf(inputs, result);  // the inputs as the page lists them
  std::vector<std::string> lines;
  const std::string patient = JoinFields({{"ID", given.id},
                                          {std::string(texts::kReportNameUtf8), given.patientName},
                                          {std::string(texts::kReportDateUtf8), given.date}},
                                         ": ");
  if (!patient.empty()) lines.push_back(patient);
  lines.push_back(std::string(texts::kChartInputsUtf8) + ": " + JoinFields(given.fields, " "));
  std::string_view group;
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const ResultField& field = ResultFields()[i];
    const PanelRow& row = result.panel.rows[i];
    if (RowLayouts()[i].group != group) {
      group = RowLayouts()[i].group;
      std::string heading(group);
      const MeasuredRatioText& ratio = result.panel.measuredRatio;
      if (group == "FEV1.0 %" && ratio.shown) {
        (((heading += "  ") += texts::kReportMeasuredUtf8) += ' ') += ratio.text;
        if (ratio.red) heading += texts::kChartMarkUtf8;
      }
      lines.push_back(std::move(heading));
    }
    std::string line = "  " + Pad(field.label, 11) + PadLeft(LineNumber(row.line), 6);
    if (!row.cell.percent.empty()) {
      line += "  " + PadLeft(row.cell.percent, 5) + " %";
      if (row.cell.red) line += texts::kChartMarkUtf8;
    }
    const std::string note = OutOfRangeNote(result, static_cast<ResultId>(i));
    if (!note.empty()) (line += "  ") += note;
    lines.push_back(std::move(line));
  }
  lines.emplace_back(texts::kReportRedLegendUtf8);
  AppendReading(reading, lines);
  lines.push_back(std::string(texts::kReportEquationUtf8) + ": JRS2014, JRS2001, Baldwin, Berglund  " +
                  "Kestrova ver." KESTROVA_VERSION);
  std::string out;
  for (const std::string& line : lines) AppendWrapped(Clean(line), out);
  return out;
}

}  // namespace kestrova::report

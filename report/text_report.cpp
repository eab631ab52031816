#include "report/text_report.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "input/limits.h"
#include "kestrova/reading.h"
#include "numtext/number_text.h"
#include "report/reading_items.h"
#include "texts/japanese_texts.h"

namespace kestrova::report {
namespace {

constexpr std::string_view kRedOn = "\x1b[31m";
constexpr std::string_view kColourOff = "\x1b[0m";

void AppendInputs(const GivenInputs& given, std::string& out) {
  const std::pair<const char*, const std::optional<std::string>*> keys[] = {
      {"Sex", &given.sex}, {"Age", &given.age}, {"Height", &given.height},
      {"VC", &given.vc},   {"FVC", &given.fvc}, {"FEV1", &given.fev1}};
  bool first = true;
  for (const auto& [label, text] : keys) {
    if (!*text) continue;
    if (!first) out += "  ";
    first = false;
    out += label;
    out += ' ';
    out += **text;
  }
  out += '\n';
}

// Under a prediction that the age or the height leaves empty, why, where its
// line stands: "             " + "  適用範囲外（17～93歳）".
void AppendOutOfRangeNote(const FullResult& result, std::size_t i, std::string& out) {
  const std::string note = OutOfRangeNote(result, static_cast<ResultId>(i));
  if (note.empty()) return;
  out.append(1 + 11 + 1 + 2, ' ');  // the mark, the cell, the blank, the placeholder's indent
  out += note;
  out += '\n';
}

void AppendRow(const ResultView& row, bool colour, std::string& out) {
  std::string cell = row.cell;
  if (cell.size() < 11) cell.resize(11, ' ');
  if (row.red && colour) {
    out += ' ';
    out += kRedOn;
    out += cell;
    out += kColourOff;
  } else {
    out += row.red ? '*' : ' ';
    out += cell;
  }
  out += ' ';
  out += row.line;
  out += '\n';
}

void AppendJsonString(std::string_view s, std::string& out) {
  out += '"';
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

bool IsJsonNumber(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '-') ++i;
  const std::size_t digitsFrom = i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
  if (i == digitsFrom) return false;
  if (i < s.size() && s[i] == '.') {
    const std::size_t from = ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == from) return false;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t from = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == from) return false;
  }
  return i == s.size();
}

// A number written with the digits of `text`, or null.
void AppendJsonNumberText(std::string_view text, std::string& out) {
  out += IsJsonNumber(text) ? text : std::string_view("null");
}

void AppendJsonNumber(double value, std::string& out) { AppendJsonNumberText(FormatNumber(value), out); }

void AppendJsonTextOrNull(std::string_view text, std::string& out) {
  if (text.empty()) {
    out += "null";
  } else {
    AppendJsonString(text, out);
  }
}

void AppendLabelLine(const ReadingLabel& label, std::string& out) {
  if (label.ja.empty()) return;
  out += "  ";
  out += label.ja;
  out += " / ";
  out += label.en;
  out += '\n';
}

// One line an item: "<name> / <English> (<equation and details>): <ja> / <en>",
// or the name and the reason it is not read ("対象外（…） / not applicable (…)"
// or "判定なし / not read"); its severity and note on lines below.
void AppendReadingReport(const Reading& r, std::string& out) {
  out += "Reading / ";
  out += texts::kReadingTitleUtf8;
  out += '\n';
  for (const ReadingItem& item : ReadingItems(r)) {
    out += item.name;
    if (!item.nameEn.empty()) (out += " / ") += item.nameEn;
    if (item.outOfRange) {
      (((out += ": ") += item.label.ja) += " / ") += item.label.en;
      out += '\n';
      continue;
    }
    if (!item.computed) {
      out += ": ";
      out += texts::kNotReadUtf8;
      out += " / not read\n";
      continue;
    }
    out += " (";
    out += EquationAndDetails(item);
    out += "): ";
    out += item.label.ja;
    out += item.condition.ja;
    out += " / ";
    out += item.label.en;
    out += item.condition.en;
    out += '\n';
    AppendLabelLine(item.severity, out);
    AppendLabelLine(item.note, out);
  }
}

// One JSON object on one line, its members in the order written:
//   {"key": value, "key": value}
class JsonLine {
 public:
  explicit JsonLine(std::string& out) : out_(out) { out_ += '{'; }
  ~JsonLine() { out_ += '}'; }
  JsonLine& Text(std::string_view key, std::string_view value) {
    AppendJsonString(value, Key(key));
    return *this;
  }
  JsonLine& TextOrNull(std::string_view key, std::string_view value) {
    AppendJsonTextOrNull(value, Key(key));
    return *this;
  }
  JsonLine& Number(std::string_view key, std::string_view digits) {
    AppendJsonNumberText(digits, Key(key));
    return *this;
  }
  JsonLine& Bool(std::string_view key, bool value) {
    Key(key) += value ? "true" : "false";
    return *this;
  }

 private:
  std::string& Key(std::string_view key) {
    if (!first_) out_ += ", ";
    first_ = false;
    AppendJsonString(key, out_);
    return out_ += ": ";
  }
  std::string& out_;
  bool first_ = true;
};

// The reading as one object, a member an item: null when not read, else the
// item's fields on one line (for an item out of range, its equation,
// "outOfRange": true and the reason).
void AppendReadingJson(const Reading& r, std::string& out) {
  bool first = true;
  for (const ReadingItem& item : ReadingItems(r)) {
    out += first ? "{\n    " : ",\n    ";
    first = false;
    AppendJsonString(item.key, out);
    out += ": ";
    if (item.fields.empty()) {
      out += "null";
      continue;
    }
    JsonLine line(out);
    for (const ReadingField& field : item.fields) {
      switch (field.kind) {
        case ReadingField::Kind::kText:
          line.Text(field.name, field.value);
          break;
        case ReadingField::Kind::kTextOrNull:
          line.TextOrNull(field.name, field.value);
          break;
        case ReadingField::Kind::kNumber:
          line.Number(field.name, field.value);
          break;
        case ReadingField::Kind::kBool:
          line.Bool(field.name, field.value == "true");
          break;
      }
    }
  }
  out += "\n  }";
}

}  // namespace

std::string FormatReport(const GivenInputs& given, const FullResult& result, bool colour) {
  std::string out;
  AppendInputs(given, out);
  std::string_view group;
  for (std::size_t i = 0; i < kResultCount; ++i) {
    const ResultView& row = result.rows[i];
    if (row.group != group) {
      group = row.group;
      out += group;
      if (group == "FEV1.0 %" && result.panel.measuredRatio.shown) {
        out += "   ";
        const bool red = result.panel.measuredRatio.red;
        if (red && colour) out += kRedOn;
        out += result.panel.measuredRatio.text;
        if (red && colour) out += kColourOff;
        if (red && !colour) out += " *";
      }
      out += '\n';
    }
    AppendRow(row, colour, out);
    AppendOutOfRangeNote(result, i, out);
  }
  AppendReadingReport(ReadResult(result), out);
  return out;
}

std::string FormatJson(const PatientInputs& inputs, const FullResult& result) {
  std::string out = "{\n  \"inputs\": {\"sexCode\": ";
  AppendJsonNumber(inputs.sexCode, out);
  const std::pair<const char*, double> values[] = {{"age", inputs.age},
                                                   {"height", inputs.height},
                                                   {"vc", inputs.vc},
                                                   {"fvc", inputs.fvc},
                                                   {"fev1", inputs.fev1}};
  for (const auto& [name, value] : values) {
    out += ", \"";
    out += name;
    out += "\": ";
    AppendJsonNumber(value, out);
  }
  out += "},\n  \"computed\": ";
  out += result.computed ? "true" : "false";
  out += ",\n  \"results\": [";
  bool first = true;
  for (const ResultView& row : result.rows) {
    out += first ? "\n" : ",\n";
    first = false;
    out += "    {\"name\": ";
    AppendJsonString(row.name, out);
    out += ", \"group\": ";
    AppendJsonString(row.group, out);
    out += ", \"label\": ";
    AppendJsonString(row.label, out);
    out += ", \"value\": ";
    AppendJsonNumber(row.value, out);
    out += ", \"text\": ";
    AppendJsonTextOrNull(row.text, out);
    out += ", \"line\": ";
    AppendJsonTextOrNull(row.line, out);
    if (row.hasPercent) {
      out += ", \"percent\": ";
      AppendJsonNumberText(row.percent.empty() ? "null" : row.percent, out);
      out += ", \"cell\": ";
      AppendJsonTextOrNull(row.cell, out);
      out += ", \"red\": ";
      out += row.red ? "true" : "false";
    }
    out += '}';
  }
  out += "\n  ],\n  \"measuredRatio\": ";
  if (result.panel.measuredRatio.shown) {
    out += "{\"value\": ";
    AppendJsonNumber(result.panel.measuredRatio.value, out);
    out += ", \"text\": ";
    AppendJsonString(result.panel.measuredRatio.text, out);
    out += ", \"red\": ";
    out += result.panel.measuredRatio.red ? "true" : "false";
    out += '}';
  } else {
    out += "null";
  }
  out += ",\n  \"jrs2014\": [";
  first = true;
  for (const StandingView& s : result.jrs2014) {
    out += first ? "\n" : ",\n";
    first = false;
    out += "    {\"quantity\": ";
    AppendJsonString(s.name, out);
    out += ", \"uln\": ";
    AppendJsonNumberText(s.ulnText.empty() ? "null" : s.ulnText, out);
    out += ", \"z\": ";
    AppendJsonNumberText(s.zText.empty() ? "null" : s.zText, out);
    out += ", \"percentile\": ";
    AppendJsonNumberText(s.percentileText.empty() ? "null" : s.percentileText, out);
    out += '}';
  }
  out += "\n  ],\n  \"warnings\": [";
  first = true;
  for (const RelationWarning warning : kRelationWarnings) {
    if ((result.warnings & warning) == 0) continue;
    out += first ? "" : ", ";
    first = false;
    out += "{\"key\": ";
    AppendJsonString(RelationWarningKey(warning), out);
    out += ", \"text\": ";
    AppendJsonString(RelationWarningText(warning, result.inputs, TextEncoding::kUtf8), out);
    out += '}';
  }
  out += "],\n  \"reading\": ";
  AppendReadingJson(ReadResult(result), out);
  out += "\n}\n";
  return out;
}

}  // namespace kestrova::report

#include "cli/single_patient.h"

#include <cstdio>

#include "cli/csv.h"
#include "cli/result_columns.h"
#include "numtext/number_text.h"

namespace kestrova::cli {
namespace {

constexpr std::string_view kRedOn = "\x1b[31m";
constexpr std::string_view kColourOff = "\x1b[0m";

void AppendInputs(const CommandLineValues& given, std::string& out) {
  const std::pair<const char*, CommandLineKey> keys[] = {
      {"Sex", CommandLineKey::kSex}, {"Age", CommandLineKey::kAge},  {"Height", CommandLineKey::kHeight},
      {"VC", CommandLineKey::kVc},   {"FVC", CommandLineKey::kFvc}, {"FEV1", CommandLineKey::kFev1}};
  bool first = true;
  for (const auto& [label, key] : keys) {
    if (!given[key].found) continue;
    if (!first) out += "  ";
    first = false;
    out += label;
    out += ' ';
    out += given[key].text;
  }
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

}  // namespace

std::string FormatReport(const CommandLineValues& given, const FullResult& result, bool colour) {
  std::string out;
  AppendInputs(given, out);
  std::string_view group;
  for (const ResultView& row : result.rows) {
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
  }
  return out;
}

std::string FormatJson(const PatientInputs& inputs, const FullResult& result) {
  std::string out = "{\n  \"inputs\": {\"sexCode\": ";
  AppendJsonNumber(inputs.sexCode, out);
  const std::pair<const char*, double> values[] = {{"age", inputs.age}, {"height", inputs.height},
                                                   {"vc", inputs.vc},   {"fvc", inputs.fvc},
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
  out += "\n  ]\n}\n";
  return out;
}

std::string FormatCsv(const FullResult& result) {
  std::string out;
  CsvWriter writer(out);
  for (const std::string& name : ResultColumnNames()) writer.Field(name);
  writer.EndRow();
  WriteResultColumns(result, writer);
  writer.EndRow();
  writer.Flush();
  return out;
}

}  // namespace kestrova::cli

#include "cli/html_batch.h"

#include "cli/csv.h"
#include "cli/html_report.h"
#include "cli/paths.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "texts/japanese_texts.h"

namespace kestrova::cli {
namespace {

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);
constexpr std::size_t kMaxNameBytes = 64;

bool IsSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool IsAlnum(char c) { return IsSafe(c) && c != '-' && c != '_'; }

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// Device names Windows refuses as file names, with any extension.
bool IsReservedOnWindows(std::string_view name) {
  const std::string lower = Lower(name);
  if (lower == "con" || lower == "prn" || lower == "aux" || lower == "nul") return true;
  return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) && lower[3] >= '0' &&
         lower[3] <= '9';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string SafeReportName(std::string_view id, std::uint64_t row) {
  std::string name;
  bool hasAlnum = false;
  for (char c : Trim(id)) {
    if (name.size() >= kMaxNameBytes) break;
    if (IsSafe(c)) {
      name += name.empty() && c == '-' ? '_' : c;
      hasAlnum = hasAlnum || IsAlnum(c);
    } else if (name.empty() || name.back() != '_') {
      name += '_';
    }
  }
  if (!hasAlnum) return "row-" + std::to_string(row);
  if (IsReservedOnWindows(name)) name += '_';
  return name;
}

ReportNames::ReportNames() { used_.insert("index"); }

std::string ReportNames::Next(std::string_view id, std::uint64_t row) {
  const std::string base = SafeReportName(id, row);
  std::string name = base;
  for (std::uint64_t n = 2; !used_.insert(Lower(name)).second; ++n) name = base + "-" + std::to_string(n);
  return name;
}

std::string HtmlIndexStart(std::string_view source) {
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n<title>";
  out += texts::kIndexTitleUtf8;
  out += " - ";
  AppendHtmlEscaped(source, out);
  out += "</title>\n<style>\n";
  out += HtmlStyleSheet();
  out += "</style>\n</head>\n<body>\n<main class=\"page\">\n<h1>";
  out += texts::kIndexTitleUtf8;
  out += " <span class=\"en\">";
  AppendHtmlEscaped(source, out);
  out += "</span></h1>\n<table class=\"index\">\n<thead><tr><th class=\"num\">";
  out += texts::kIndexRowUtf8;
  out += "</th><th>id</th><th>";
  out += texts::kIndexReportUtf8;
  out += "</th><th>";
  out += texts::kVentilatoryNameUtf8;
  out += "</th><th>ERS/ATS 2022</th><th>";
  out += texts::kIndexFlagsUtf8;
  out += "</th></tr></thead>\n<tbody>\n";
  return out;
}

void AppendHtmlIndexRow(const HtmlIndexEntry& entry, std::string& out) {
  out += "<tr><td class=\"num\">";
  out += std::to_string(entry.row);
  out += "</td><td>";
  AppendHtmlEscaped(entry.id, out);
  out += "</td>";
  if (entry.file.empty()) {
    out += "<td></td><td class=\"error\" colspan=\"3\">";
    out += texts::kIndexErrorUtf8;
    out += ": ";
    AppendHtmlEscaped(entry.error, out);
    out += "</td></tr>\n";
    return;
  }
  out += "<td><a href=\"";
  AppendHtmlEscaped(entry.file, out);
  out += "\">";
  AppendHtmlEscaped(entry.file, out);
  out += "</a></td><td>";
  AppendHtmlEscaped(entry.pattern, out);
  out += "</td><td>";
  AppendHtmlEscaped(entry.ersAts, out);
  out += "</td><td class=\"red\">";
  AppendHtmlEscaped(entry.flags, out);
  out += "</td></tr>\n";
}

std::string_view HtmlIndexEnd() { return "</tbody>\n</table>\n</main>\n</body>\n</html>\n"; }

HtmlIndexEntry IndexEntryOf(const PanelResult& result) {
  HtmlIndexEntry entry;
  const Reading reading = ReadResult(result);
  entry.pattern = reading.ventilatory.computed ? reading.ventilatory.label.ja : texts::kNotReadUtf8;
  const LlnReading& lln = reading.ersAts2022;
  entry.ersAts = lln.computed ? lln.label.ja : texts::kNotReadUtf8;
  if (lln.computed && lln.severity != Severity::kNone) {
    entry.ersAts += " ";
    entry.ersAts += lln.severityLabel.ja;
  }
  for (std::size_t i = 0; i < kResultCount; ++i) {
    if (!result.panel.rows[i].cell.red) continue;
    if (!entry.flags.empty()) entry.flags += ", ";
    entry.flags += ResultFields()[i].group;
    entry.flags += ' ';
    entry.flags += ResultFields()[i].label;
  }
  if (result.panel.measuredRatio.red) {
    if (!entry.flags.empty()) entry.flags += ", ";
    entry.flags += "FEV1/FVC ";
    entry.flags += result.panel.measuredRatio.text;
  }
  return entry;
}

HtmlBatchWriter::HtmlBatchWriter(std::string directory, std::string source, std::FILE* err)
    : directory_(std::move(directory)), source_(std::move(source)), err_(err), idColumn_(kNoColumn) {}

HtmlBatchWriter::~HtmlBatchWriter() {
  if (index_ != nullptr) std::fclose(index_);
}

std::string HtmlBatchWriter::Path(std::string_view name) const {
  std::string path = directory_;
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

bool HtmlBatchWriter::Open() {
  std::string error;
  if (!MakeDirectory(directory_, error)) {
    std::fprintf(err_, "kestrova-cli: %s: the report directory cannot be made (%s)\n", directory_.c_str(),
                 error.c_str());
    return false;
  }
  return true;
}

void HtmlBatchWriter::Header(const CsvRecord& header) {
  for (std::size_t i = 0; i < header.count; ++i) {
    std::string_view name = header[i];
    if (i == 0 && name.substr(0, 3) == "\xEF\xBB\xBF") name.remove_prefix(3);
    columns_.emplace_back(name);
    if (idColumn_ == kNoColumn && Lower(Trim(name)) == "id") idColumn_ = i;
  }
  const std::string path = Path("index.html");
  index_ = OpenFile(path, "wb");
  const std::string start = HtmlIndexStart(source_);
  if (index_ == nullptr || std::fwrite(start.data(), 1, start.size(), index_) != start.size()) {
    indexFailed_ = true;
  }
}

bool HtmlBatchWriter::WriteFile(const std::string& name, const std::string& text) {
  const std::string path = Path(name);
  std::FILE* file = OpenFile(path, "wb");
  bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok && unwritten_++ == 0) std::fprintf(err_, "kestrova-cli: %s: cannot be written\n", path.c_str());
  return ok;
}

void HtmlBatchWriter::Row(std::uint64_t row, const CsvRecord& record, const PanelResult* result,
                          std::string_view error) {
  HtmlIndexEntry entry;
  if (result != nullptr) entry = IndexEntryOf(*result);
  entry.row = row;
  if (idColumn_ != kNoColumn && idColumn_ < record.count) entry.id = record[idColumn_];
  if (result == nullptr) {
    entry.error = error;
  } else {
    entry.file = names_.Next(entry.id, row) + ".html";
    HtmlHeader header;
    header.name = entry.id;
    for (std::size_t i = 0; i < columns_.size() && i < record.count; ++i) {
      header.fields.push_back({columns_[i], std::string(record[i])});
    }
    WriteFile(entry.file, FormatHtml(header, *result));
  }
  if (index_ != nullptr && !indexFailed_) {
    std::string line;
    AppendHtmlIndexRow(entry, line);
    if (std::fwrite(line.data(), 1, line.size(), index_) != line.size()) indexFailed_ = true;
  }
}

bool HtmlBatchWriter::Finish() {
  bool ok = true;
  if (index_ != nullptr) {
    const std::string_view end = HtmlIndexEnd();
    if (!indexFailed_ && std::fwrite(end.data(), 1, end.size(), index_) != end.size()) indexFailed_ = true;
    if (std::fclose(index_) != 0) indexFailed_ = true;
    index_ = nullptr;
  }
  if (indexFailed_) {
    std::fprintf(err_, "kestrova-cli: %s: cannot be written\n", Path("index.html").c_str());
    ok = false;
  }
  if (unwritten_ > 0) {
    std::fprintf(err_, "kestrova-cli: %llu reports could not be written to %s\n",
                 static_cast<unsigned long long>(unwritten_), directory_.c_str());
    ok = false;
  }
  return ok;
}

}  // namespace kestrova::cli

#include "batch/html_batch.h"

#include <filesystem>
#include <system_error>

#include "batch/csv.h"
#include "batch/header_names.h"
#include "io/paths.h"
#include "io/text_encoding.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "report/html_report.h"
#include "report/reading_items.h"
#include "texts/japanese_texts.h"

namespace kestrova::batch {
namespace {

constexpr std::size_t kMaxNameBytes = 64;

std::string PathIn(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Name(const fs::path& path) {
  const std::u8string name = path.filename().u8string();
  return std::string(name.begin(), name.end());
}

// index.html or a report's name: any .html, in any case.
bool IsPageName(const fs::path& path) { return io::LowerAscii(Utf8Name(path)).ends_with(".html"); }

// The absolute name of the file `path` finally stands for: links followed,
// also one that dangles (its target is what a write through it would create).
fs::path Resolved(fs::path path) {
  std::error_code error;
  path = fs::absolute(path, error);
  for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
    const fs::path target = fs::read_symlink(path, error);
    if (error) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  const fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path.lexically_normal() : resolved;
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) || Resolved(a) == Resolved(b);
}

std::string Conflict(const std::string& what, bool known, const std::string& page,
                     const std::string& directory, const char* choose) {
  return what + (known ? " is " : " may be (the system does not identify it) ") + page +
         ", a file --html-dir " + directory + " replaces; choose another " + choose;
}

}  // namespace

std::string HtmlDirConflict(const std::string& directory, const BatchFiles& files) {
  const std::string input = files.inputName == "-" ? "standard input" : "the input " + files.inputName;
  const bool toStdout = files.outputName == "-";
  const std::string output = toStdout ? "standard output" : "-o " + files.outputName;
  const fs::path dir = FsPath(directory);
  std::error_code error;
  fs::directory_iterator entry(dir, error);
  for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
    if (!IsPageName(entry->path())) continue;
    const std::string page = PathIn(directory, Utf8Name(entry->path()));
    const io::FileIdentity id = io::IdentityOf(page);
    if (const io::Sameness same = io::Compare(files.input, id); same != io::Sameness::kDifferent) {
      return Conflict(input, same == io::Sameness::kSame, page, directory, "folder");
    }
    if (const io::Sameness same = io::Compare(files.output, id); same != io::Sameness::kDifferent) {
      return Conflict(output, same == io::Sameness::kSame, page, directory, "output file");
    }
  }
  if (!toStdout) {
    const fs::path target = Resolved(FsPath(files.outputName));
    if (IsPageName(target) && SameFolder(target.parent_path(), Resolved(dir))) {
      return Conflict(output, true, PathIn(directory, Utf8Name(target)), directory, "output file");
    }
  }
  return {};
}

std::string SafeReportName(std::string_view id, std::uint64_t row) {
  // The '.' keeps the row's name apart from every id's: an id keeps no '.',
  // nor does the "-2" that makes a repeated one unique.
  std::string name = io::FileNamePartOf(id, kMaxNameBytes);
  return name.empty() ? "row." + std::to_string(row) : name;
}

ReportNames::ReportNames() { used_.insert("index"); }

std::string ReportNames::Next(std::string_view id, std::uint64_t row) {
  const std::string base = SafeReportName(id, row);
  std::string name = base;
  for (std::uint64_t n = 2; !used_.insert(io::LowerAscii(name)).second; ++n)
    name = base + "-" + std::to_string(n);
  return name;
}

std::string HtmlIndexStart(std::string_view source) {
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n<title>";
  out += texts::kIndexTitleUtf8;
  out += " - ";
  report::AppendHtmlEscaped(source, out);
  out += "</title>\n<style>\n";
  out += report::HtmlStyleSheet();
  out += "</style>\n</head>\n<body>\n<main class=\"page\">\n<h1>";
  out += texts::kIndexTitleUtf8;
  out += " <span class=\"en\">";
  report::AppendHtmlEscaped(source, out);
  out += "</span></h1>\n<table class=\"index\">\n<thead><tr><th class=\"num\">";
  out += texts::kIndexRowUtf8;
  out += "</th><th>id</th><th>";
  out += texts::kReportNameUtf8;
  out += "</th><th>";
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
  report::AppendHtmlEscaped(entry.id, out);
  out += "</td><td>";
  report::AppendHtmlEscaped(entry.name, out);
  out += "</td>";
  if (entry.file.empty()) {
    out += "<td></td><td class=\"error\" colspan=\"3\">";
    out += texts::kIndexErrorUtf8;
    out += ": ";
    report::AppendHtmlEscaped(entry.error, out);
    out += "</td></tr>\n";
    return;
  }
  out += "<td><a href=\"";
  report::AppendHtmlEscaped(entry.file, out);
  out += "\">";
  report::AppendHtmlEscaped(entry.file, out);
  out += "</a></td><td>";
  report::AppendHtmlEscaped(entry.pattern, out);
  out += "</td><td>";
  report::AppendHtmlEscaped(entry.ersAts, out);
  out += "</td><td class=\"red\">";
  report::AppendHtmlEscaped(entry.flags, out);
  out += "</td></tr>\n";
}

std::string_view HtmlIndexEnd() { return "</tbody>\n</table>\n</main>\n</body>\n</html>\n"; }

HtmlIndexEntry IndexEntryOf(const PanelResult& result) {
  HtmlIndexEntry entry;
  const Reading reading = ReadResult(result);  // the items view its texts
  const auto items = report::ReadingItems(reading);
  const report::ReadingItem& pattern = items[report::kVentilatoryItem];
  const report::ReadingItem& ersAts = items[report::kErsAts2022Item];
  // An item outside its equation's ages shows why (its label) rather than "not read".
  entry.pattern = pattern.computed || pattern.outOfRange ? pattern.label.ja : texts::kNotReadUtf8;
  entry.ersAts = ersAts.computed || ersAts.outOfRange ? ersAts.label.ja : texts::kNotReadUtf8;
  if (ersAts.graded) {
    entry.ersAts += " ";
    entry.ersAts += ersAts.severity.ja;
  }
  for (std::size_t i = 0; i < kResultCount; ++i) {
    if (!result.panel.rows[i].cell.red) continue;
    if (!entry.flags.empty()) entry.flags += ", ";
    entry.flags += RowLayouts()[i].group;
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
    : directory_(std::move(directory)),
      source_(std::move(source)),
      err_(err),
      idColumn_(kNoColumn),
      nameColumn_(kNoColumn),
      dateColumn_(kNoColumn) {}

std::string HtmlBatchWriter::Path(std::string_view name) const { return PathIn(directory_, name); }

bool HtmlBatchWriter::Open() {
  std::string error;
  if (!io::MakeDirectory(directory_, error)) {
    std::fprintf(err_, "kestrova-cli: %s: the report directory cannot be made (%s)\n", directory_.c_str(),
                 error.c_str());
    return false;
  }
  return true;
}

void HtmlBatchWriter::Header(const CsvRecord& header, TextEncoding encoding) {
  encoding_ = encoding;
  for (std::size_t i = 0; i < header.count; ++i) {
    const std::string_view name = header[i];
    columns_.push_back(io::TextAsUtf8(name, encoding));
    if (const std::optional<PatientColumn> column = PatientColumnOfHeaderName(name, encoding)) {
      std::size_t& index = *column == PatientColumn::kId     ? idColumn_
                           : *column == PatientColumn::kName ? nameColumn_
                                                             : dateColumn_;
      if (index == kNoColumn) index = i;
    }
  }
  std::string error;
  indexOpen_ = index_.Open(Path("index.html"), error, io::LinkPolicy::kReplaceLink);
  if (!indexOpen_ || !index_.Write(HtmlIndexStart(source_))) IndexFailed(indexOpen_ ? index_.Error() : error);
}

void HtmlBatchWriter::IndexFailed(const std::string& reason) {
  if (!indexError_.empty()) return;
  indexError_ = reason.empty() ? "write error" : reason;
  index_.Discard();
}

bool HtmlBatchWriter::WriteFile(const std::string& name, const std::string& text) {
  const std::string path = Path(name);
  io::OutputFile file;
  std::string error;
  // Many small files: renamed without waiting for the disk each time.
  bool ok = file.Open(path, error, io::LinkPolicy::kReplaceLink);
  if (ok && !file.Write(text)) {
    ok = false;
    error = file.Error();
  }
  ok = ok && file.Commit(error, io::Durability::kUnsynced);
  if (!ok && unwritten_++ == 0) {
    std::fprintf(err_, "kestrova-cli: %s: cannot be written (%s)\n", path.c_str(), error.c_str());
  }
  return ok;
}

void HtmlBatchWriter::Row(std::uint64_t row, const CsvRecord& record, const PanelResult* result,
                          std::string_view error) {
  HtmlIndexEntry entry;
  if (result != nullptr) entry = IndexEntryOf(*result);
  entry.row = row;
  const auto field = [&](std::size_t column) {
    return column < record.count ? io::TextAsUtf8(record[column], encoding_) : std::string();
  };
  entry.id = field(idColumn_);
  entry.name = field(nameColumn_);
  if (result == nullptr) {
    entry.error = io::TextAsUtf8(error, encoding_);  // it quotes the row's bytes
  } else {
    // Named by the id's bytes, as before: SafeReportName keeps only ASCII.
    entry.file =
        names_.Next(idColumn_ < record.count ? record[idColumn_] : std::string_view(), row) + ".html";
    report::HtmlHeader header;
    header.name = entry.id;
    header.id = entry.id;
    header.patientName = entry.name;
    header.date = field(dateColumn_);
    for (std::size_t i = 0; i < columns_.size() && i < record.count; ++i) {
      header.fields.push_back({columns_[i], io::TextAsUtf8(record[i], encoding_)});
    }
    const GliResults gli =
        gli_.global || gli_.gli2012 ? ComputeGliResults(result->inputs, gli_) : GliResults{};
    WriteFile(entry.file, report::FormatHtml(header, *result, gli));
  }
  if (indexOpen_ && indexError_.empty()) {
    std::string line;
    AppendHtmlIndexRow(entry, line);
    if (!index_.Write(line)) IndexFailed(index_.Error());
  }
}

bool HtmlBatchWriter::Finish() {
  bool ok = true;
  if (indexOpen_ && indexError_.empty() && !(index_.Write(HtmlIndexEnd()) && index_.Flush())) {
    IndexFailed(index_.Error());
  }
  if (!indexError_.empty()) {
    std::fprintf(err_, "kestrova-cli: %s: cannot be written (%s)\n", Path("index.html").c_str(),
                 indexError_.c_str());
    ok = false;
  }
  if (unwritten_ > 0) {
    std::fprintf(err_, "kestrova-cli: %llu reports could not be written to %s\n",
                 static_cast<unsigned long long>(unwritten_), directory_.c_str());
    ok = false;
  }
  return ok;
}

bool HtmlBatchWriter::CommitIndex() {
  if (!indexOpen_ || !indexError_.empty()) return indexError_.empty();
  indexOpen_ = false;
  std::string error;
  if (index_.Commit(error)) return true;
  std::fprintf(err_, "kestrova-cli: %s: cannot be written (%s)\n", Path("index.html").c_str(), error.c_str());
  return false;
}

}  // namespace kestrova::batch

// The HTML writers on arbitrary inputs and texts: the report of a patient with
// hostile header fields and the batch index with hostile ids and errors.
// Properties: the pages are well-formed (tests/report/well_formed_html.h: sound
// HTML and XML, valid UTF-8, no script); every report name is safe (ASCII
// letters, digits, '-' and '_', not empty, at most 64 bytes or "row-N" with
// its suffix, no leading '-', not a Windows device name) and unique without
// regard to case. The chart text of the same patient and texts keeps its
// lines within 80 columns, without trailing blanks or control characters.
//
// When the first byte has its two high bits set, the batch writer also runs
// into a real folder where the names it will write (and the texts themselves,
// as names) are taken by symbolic links to a file outside it or dangling ones
// ("index.html", "../x", "INDEX.HTML"): the file outside keeps its bytes,
// nothing is created outside the folder, and every page named is a regular file.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "batch/csv.h"
#include "batch/html_batch.h"
#include "fuzz/fuzz_support.h"
#include "io/text_encoding.h"
#include "kestrova/kestrova.h"
#include "kestrova/reading.h"
#include "numtext/utf8.h"
#include "report/chart_text.h"
#include "report/html_report.h"
#include "tests/report/well_formed_html.h"

namespace {

using namespace kestrova;
using namespace kestrova::batch;
using namespace kestrova::report;
using kestrova::fuzz::Require;

// Texts separated by NUL bytes (so every other byte, newlines included, can be in a text).
std::vector<std::string> SplitTexts(std::string_view data) {
  std::vector<std::string> texts;
  for (;;) {
    const std::size_t zero = data.find('\0');
    texts.emplace_back(data.substr(0, zero));
    if (zero == std::string_view::npos) return texts;
    data.remove_prefix(zero + 1);
  }
}

void RequireWellFormed(const std::string& page, const char* what) {
  const kestrova::testing::HtmlDocument doc = kestrova::testing::ParseStrictHtml(page);
  if (!doc.ok) std::fprintf(stderr, "%s\n", doc.error.c_str());
  Require(doc.ok, what);
}

// The chart text: valid UTF-8, lines of at most 80 columns ending without a
// blank, and no control character but the line ends.
void RequireChartText(const std::string& text) {
  Require(IsValidUtf8(text) && !text.empty() && text.back() == '\n', "the chart text is UTF-8 lines");
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string_view line = std::string_view(text).substr(start, end - start);
    Require(DisplayColumns(line) <= kChartColumns, "a chart line fits 80 columns");
    Require(line.empty() || (line.back() != ' ' && !line.ends_with("\xE3\x80\x80")), "no trailing blank");
    for (char c : line) Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "no control character");
  }
}

bool SafeName(const std::string& name) {
  // A row without a usable ID: "row." and its number, a name no ID can take.
  if (name.starts_with("row.") && name.size() > 4 &&
      name.find_first_not_of("0123456789", 4) == std::string::npos)
    return true;
  if (name.empty() || name.front() == '-' || name.size() > 64 + 24) return false;
  for (char c : name) {
    const bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok) return false;
  }
  std::string lower;
  for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  for (std::string_view device : {"con", "prn", "aux", "nul", "index"}) {
    if (lower == device) return false;
  }
  return !(lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) && lower[3] >= '0' &&
           lower[3] <= '9');
}

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

CsvRecord RecordOf(const std::string& field) {
  CsvRecord record;
  record.fields = {field};
  record.count = 1;
  return record;
}

void RunInLinkedFolder(const PanelResult& result, const std::vector<std::string>& texts) {
  static const fs::path root = [] {
    std::string pattern = (fs::temp_directory_path() / "kestrova-fuzz-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a temporary folder");
    return fs::path(pattern);
  }();
  static std::FILE* const messages = std::fopen("/dev/null", "w");
  const fs::path dir = root / "d";
  fs::remove_all(root);
  fs::create_directories(dir);
  std::ofstream(root / "outside.txt", std::ios::binary) << "kept";

  const std::size_t rows = std::min<std::size_t>(texts.size(), 8);
  ReportNames names;  // the same names the writer gives
  std::vector<std::string> pages = {"index.html"};
  for (std::size_t i = 0; i < rows; ++i) {
    if (result.computed) pages.push_back(names.Next(texts[i], i + 1) + ".html");
    const std::string& text = texts[i];
    if (!text.empty() && text.size() < 100 && text.find('/') == std::string::npos && text != "." &&
        text != ".." && text.find('\0') == std::string::npos) {
      std::error_code error;
      fs::create_symlink("../created-" + std::to_string(i), dir / text, error);
    }
  }
  for (std::size_t i = 0; i < pages.size(); ++i) {
    std::error_code error;
    fs::create_symlink(i % 2 == 0 ? "../outside.txt" : "../created-p" + std::to_string(i), dir / pages[i],
                       error);
  }

  HtmlBatchWriter writer(dir.string(), "fuzz.csv", messages);
  Require(writer.Open(), "the folder opens");
  writer.Header(RecordOf("id"), TextEncoding::kUtf8);
  for (std::size_t i = 0; i < rows; ++i) {
    writer.Row(i + 1, RecordOf(texts[i]), result.computed ? &result : nullptr, "error");
  }
  Require(writer.Finish() && writer.CommitIndex(), "every page is written");

  Require(ReadAll(root / "outside.txt") == "kept", "a file outside the folder keeps its bytes");
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(root)) {
    (void)entry;
    ++entries;
  }
  Require(entries == 2, "nothing is created outside the folder");
  for (const std::string& page : pages) {
    Require(fs::symlink_status(dir / page).type() == fs::file_type::regular, "every page is a regular file");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  // Six bytes choose the patient: any sex code, and ages, heights and volumes
  // across and beyond the ranges of the equations (0 = not measured).
  PatientInputs inputs;
  inputs.sexCode = static_cast<std::uint8_t>(1 + data[0] % 2);
  inputs.age = 1 + data[1] % 120;
  inputs.height = 80 + data[2];
  inputs.vc = data[3] / 20.0;
  inputs.fvc = data[4] / 20.0;
  inputs.fev1 = data[5] / 20.0;
  const std::vector<std::string> texts =
      SplitTexts(std::string_view(reinterpret_cast<const char*>(data) + 6, size - 6));

  PanelResult result;
  ComputePanelResult(inputs, result);
  if (result.computed) {
    HtmlHeader header;
    header.name = texts[0];
    header.id = texts[0];
    header.patientName = texts[texts.size() / 2];
    header.date = texts.back();
    for (std::size_t i = 1; i + 1 < texts.size(); i += 2) header.fields.push_back({texts[i], texts[i + 1]});
    RequireWellFormed(FormatHtml(header, result), "the report is well-formed");
    GivenInputs given;
    given.id = header.id;
    given.name = header.patientName;
    given.date = header.date;
    if (texts.size() > 1) given.sex = texts[1];
    if (texts.size() > 2) given.vc = texts[2];
    RequireChartText(FormatChartText(given, result, ReadResult(result)));
  }

  ReportNames names;
  std::unordered_set<std::string> lowerNames;
  std::string index = HtmlIndexStart(texts.back());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    HtmlIndexEntry entry = result.computed ? IndexEntryOf(result) : HtmlIndexEntry{};
    entry.row = i + 1;
    entry.id = texts[i];
    entry.name = texts[texts.size() - 1 - i];
    if (i % 3 == 2 || !result.computed) {
      entry.error = texts[(i + 1) % texts.size()];
    } else {
      const std::string name = names.Next(texts[i], entry.row);
      Require(SafeName(name), "a report name is safe on every file system");
      std::string lower;
      for (char c : name) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      Require(lowerNames.insert(lower).second, "report names are unique regardless of case");
      entry.file = name + ".html";
    }
    AppendHtmlIndexRow(entry, index);
  }
  index += HtmlIndexEnd();
  RequireWellFormed(index, "the index is well-formed");

  if ((data[0] & 0xC0) == 0xC0) RunInLinkedFolder(result, texts);
  return 0;
}

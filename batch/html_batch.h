// kestrova-cli --batch FILE --html-dir DIR: besides the CSV, one HTML report
// (report/html_report.h) per computed row in DIR, and DIR/index.html listing every
// row in order with its pattern and red flags, or with its error (such a row
// gets no report).
//
// A report shows the patient's id, name and date columns (batch/header_names.h;
// the first of each), their texts in UTF-8 whatever the file's encoding. It is
// named after the id column when there is one, else after its row number: "A-1.html", "row.3.html".
// Names are made safe for every file system: ASCII letters, digits, '-' and
// '_' stay, each run of other bytes becomes one '_', a leading '-' becomes '_',
// the name is cut at 64 bytes, and the device names Windows keeps (CON, NUL,
// COM1, …; io::IsWindowsDeviceName) get a trailing '_'. An id left without a
// letter or digit uses the row number. Names are unique without regard to case
// ("a-1" after "A-1" becomes "a-1-2"), and none is "index". A row's name holds
// a '.', which no name made from an id does, so an id such as "row-3" or
// "row" (and its "row-2") never takes a row's name or moves it.
//
// The index shows every text of the input (ids, names, a row's error, which
// quotes its bytes) in UTF-8, converted from the file's encoding.
//
// Every page is written as a new file: a temporary file in DIR, renamed over
// the page's name, so that a symbolic link (or anything else) at that name is
// replaced, never followed, and nothing outside DIR is opened for writing.
// The index is renamed last, once every row is in it and the CSV output is
// complete: a run that fails or is killed leaves the reports of the rows it
// has done and the old index (or none), never one cut short.
#ifndef KESTROVA_BATCH_HTML_BATCH_H_
#define KESTROVA_BATCH_HTML_BATCH_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "batch/batch.h"
#include "io/output_file.h"
#include "io/paths.h"

namespace kestrova::batch {

// The safe name (without ".html") for a row: from `id`, or "row.<row>".
std::string SafeReportName(std::string_view id, std::uint64_t row);

// Hands out report names, each unique without regard to case.
class ReportNames {
 public:
  ReportNames();
  std::string Next(std::string_view id, std::uint64_t row);

 private:
  std::unordered_set<std::string> used_;  // lower case
};

// One line of the index.
struct HtmlIndexEntry {
  std::uint64_t row = 0;
  std::string id;       // UTF-8, as the name
  std::string name;     // the patient's name; empty when the file has none
  std::string file;     // "A-1.html"; empty for a row with an error
  std::string pattern;  // the ventilatory pattern (JRS2001), UTF-8
  std::string ersAts;   // the ERS/ATS 2022 reading and its severity, UTF-8
  std::string flags;    // the red results, "VC JRS2014, FEV1/FVC"
  std::string error;
};

// The index page in three parts, so that it can be written as the rows come.
std::string HtmlIndexStart(std::string_view source);
void AppendHtmlIndexRow(const HtmlIndexEntry& entry, std::string& out);
std::string_view HtmlIndexEnd();

// The index entry (without row, id and file) of a computed result.
HtmlIndexEntry IndexEntryOf(const PanelResult& result);

// The run's input and output, as HtmlDirConflict checks them.
struct BatchFiles {
  std::string inputName;  // as given; "-" for standard input
  io::FileIdentity input;
  std::string outputName;  // as given; "-" for standard output
  io::FileIdentity output;
};

// Why a run may not write its pages into `directory`, or "" when it may: its
// input or output is a page there (index.html, or any other .html file, whose
// name a report may take), found by identity so that links, hard links and
// other spellings count; or -o names such a file, a link to one included,
// even before the folder exists.
//   "the input d/index.html is d/index.html, a file --html-dir d replaces; choose another folder"
std::string HtmlDirConflict(const std::string& directory, const BatchFiles& files);

class HtmlBatchWriter : public BatchRowObserver {
 public:
  // `source` names the input in the index; messages go to `err`.
  HtmlBatchWriter(std::string directory, std::string source, std::FILE* err);
  ~HtmlBatchWriter() override = default;
  HtmlBatchWriter(const HtmlBatchWriter&) = delete;
  HtmlBatchWriter& operator=(const HtmlBatchWriter&) = delete;

  // Makes the directory when it is missing; false (after a message) when it
  // cannot be made.
  bool Open();
  // The GLI sets each page shows beside the JRS results (none by default:
  // the pages as they were).
  void ShowGli(const GliRequest& gli) { gli_ = gli; }
  void Header(const CsvRecord& header, TextEncoding encoding) override;
  void Row(std::uint64_t row, const CsvRecord& record, const PanelResult* result,
           std::string_view error) override;
  // Ends the index; false (after a message) when it or any report could not
  // be written.
  bool Finish();
  // Renames the index over index.html (after Finish, once the rest of the run's
  // output is complete); false after a message. Without it the old index stays.
  bool CommitIndex();

 private:
  bool WriteFile(const std::string& name, const std::string& text);
  // Gives up the index (the old one stays) for `reason`, said by Finish.
  void IndexFailed(const std::string& reason);
  std::string Path(std::string_view name) const;

  std::string directory_;
  std::string source_;
  std::FILE* err_;
  io::OutputFile index_;
  bool indexOpen_ = false;
  std::vector<std::string> columns_;  // the header's names, in UTF-8
  TextEncoding encoding_ = TextEncoding::kUtf8;
  std::size_t idColumn_;
  std::size_t nameColumn_;
  std::size_t dateColumn_;
  ReportNames names_;
  std::uint64_t unwritten_ = 0;
  GliRequest gli_{};
  std::string indexError_;  // why the index could not be written; empty while it can
};

}  // namespace kestrova::batch

#endif  // KESTROVA_BATCH_HTML_BATCH_H_

// kestrova-cli --batch: one CSV row of results per CSV row of patients.
//
// The header names the columns sex, age, height, vc, fvc and fev1 in any order
// and case, in English or Japanese (batch/header_names.h); sex, age and height
// are required, and a missing volume column reads as not measured. Every input column, the named ones too,
// is passed through unchanged and in input order, ahead of an `error` column and the result columns
// (report/result_columns.h), so the sheet shows what was computed.
//
// A row is read by the input model (input/patient_record.h): sex M/F, 1/2, 男/女, 男性/女性 or
// full-width Ｍ/Ｆ; age and height required, volumes empty (not measured) or 0 to 15 L; numbers
// in ASCII or full-width digits. A row that fails gets the reason in its `error` column
// and empty results, and a message on the error stream names its line; every other row is computed exactly as
// the window computes it. The output has exactly one row per input row, in order; empty lines are no rows,
// nor are rows whose every field is empty or blanks (Excel saves an empty row of the sheet as ",,,,,").
// A number may carry its column's unit ("170cm", "2.45 L"); a volume in mL is refused.
//
// The file's encoding is decided once (io/text_encoding.h); its byte order
// mark is not part of the header. The output is in the same encoding: it
// starts with a byte order mark when the input did and is UTF-8, passed-through
// bytes stay as they are, and the texts it adds are ASCII (in UTF-8 an error
// about the sex also names 男性/女性), or with --lang ja Japanese in the
// file's encoding. Its rows end with CR LF when the input's header does (as
// Excel writes), else with LF.
#ifndef KESTROVA_BATCH_BATCH_H_
#define KESTROVA_BATCH_BATCH_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "batch/header_names.h"
#include "input/patient_record.h"
#include "io/text_encoding.h"
#include "kestrova/gli_results.h"
#include "records/patient_inputs.h"
#include "report/result_columns.h"

namespace kestrova {
struct PanelResult;
}  // namespace kestrova

namespace kestrova::io {
class OutputFile;
}  // namespace kestrova::io

namespace kestrova::batch {

struct CsvRecord;

// Sees each row the batch reads, besides the CSV it writes (kestrova-cli
// --html-dir writes a report per row from it).
class BatchRowObserver {
 public:
  virtual ~BatchRowObserver() = default;
  // The header, once it has been accepted, and the file's encoding.
  virtual void Header(const CsvRecord& header, TextEncoding encoding) = 0;
  // Data row `row` (1-based; empty rows are not counted): its result, or null
  // and what is wrong with it, in the file's encoding as the error column has it.
  virtual void Row(std::uint64_t row, const CsvRecord& record, const PanelResult* result,
                   std::string_view error) = 0;
};

// What is wrong with a header whose fields name `named` columns in order
// (nullopt for a field that names none): a column named twice, or one of sex,
// age and height missing; empty when the header can be used.
//   {sex, age, nullopt, height} -> ""
//   {sex, age, sex}             -> "the header names the column 'sex' twice"
std::string HeaderError(std::span<const std::optional<BatchColumn>> named);

inline constexpr int kExitOk = 0;
inline constexpr int kExitIoError = 1;   // a file could not be opened, read or written
inline constexpr int kExitBadInput = 2;  // bad arguments, a bad header, or a row failed

struct BatchStreams {
  std::FILE* in;
  std::FILE* out;
  std::FILE* err;
  std::string_view inputName = "-";                     // for messages
  bool showProgress = false;                            // the error stream is a terminal
  std::uint64_t inputSize = 0;                          // bytes, 0 when unknown (a pipe)
  std::optional<TextEncoding> encoding = std::nullopt;  // --encoding; otherwise decided from the input
  std::size_t readBufferSize = std::size_t{1} << 20;
  std::size_t writeBlockSize = std::size_t{1} << 20;
  BatchRowObserver* observer = nullptr;
  io::OutputFile* file = nullptr;  // written instead of `out` when set (the -o file)
  // Threads that compute the rows (--jobs); the output is the same for any
  // count. With an observer the rows are computed on the calling thread.
  unsigned jobs = 1;
  // --lang: Japanese names the added columns in Japanese (report/result_columns.h)
  // and writes the reading, the warnings and each row's error in Japanese, in
  // the file's encoding, on the error stream too; the header's own errors stay
  // English.
  report::Language language = report::Language::kEnglish;
  // --gli, --gli-group: the GLI columns after the others (report/result_columns.h),
  // computed from each row's inputs; none by default (the --html-dir pages
  // take theirs from HtmlBatchWriter::ShowGli).
  GliRequest gli{};
};

// Reads every row, writes every row; returns kExitOk, kExitBadInput when any row
// or the header failed, or kExitIoError.
int RunBatch(const BatchStreams& streams);

// The texts of a row's named columns in BatchColumn order (empty when the file
// has no such column), read by the input model (input/patient_record.h).
using RowTexts = PatientTexts;

// One row as the batch computes it: ReadPatientTexts, then ComputePanelResult,
// which must compute; false with `error` set to the English message of the
// refused value (and `result` not to be used) otherwise.
bool ComputeRow(const RowTexts& texts, TextEncoding encoding, PanelResult& result, std::string& error);

}  // namespace kestrova::batch

#endif  // KESTROVA_BATCH_BATCH_H_

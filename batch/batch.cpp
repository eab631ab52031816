#include "batch/batch.h"

#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "batch/chunk_pipeline.h"
#include "batch/csv.h"
#include "batch/header_names.h"
#include "input/patient_record.h"
#include "io/output_file.h"
#include "io/text_encoding.h"
#include "kestrova/kestrova.h"
#include "numtext/utf8.h"
#include "report/result_columns.h"
#include "texts/japanese_texts.h"

namespace kestrova::batch {
namespace {

using Column = BatchColumn;
// The Japanese texts (ReadRow and ComputeRowIn have a `texts` of their own).
namespace ja = ::kestrova::texts;

// Progress is shown every this many rows, so small inputs never show it.
constexpr std::uint64_t kProgressEvery = std::uint64_t{1} << 16;

struct Layout {
  std::array<std::size_t, kColumnCount> index;  // field index of each named column
  std::size_t fieldCount = 0;
  // Rows must be valid UTF-8: the file was found to be UTF-8 (--encoding utf-8
  // takes the bytes as they come).
  bool utf8Rows = false;
  report::Language language = report::Language::kEnglish;  // of the texts the rows add
  GliRequest gli;                                          // the GLI columns written
};

bool Japanese(const Layout& layout) { return layout.language == report::Language::kJapanese; }

bool IsAsciiText(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The tool's own Japanese words (UTF-8) as a message in the file's encoding
// has them.
std::string Words(std::string_view utf8, TextEncoding encoding) { return io::Utf8AsText(utf8, encoding); }

// CsvLimitError in Japanese.
std::string CsvLimitErrorJa(const CsvRecord& record, TextEncoding encoding) {
  switch (record.overLimit) {
    case CsvLimit::kFieldBytes:
      return std::to_string(record.overLimitField) + Words(ja::kRowFieldTooLongUtf8, encoding);
    case CsvLimit::kRecordBytes:
      return Words(ja::kRowTooLongUtf8, encoding);
    case CsvLimit::kFieldCount:
      return Words(ja::kRowTooManyFieldsUtf8, encoding);
    case CsvLimit::kNone:
      break;
  }
  return {};
}

// A refused value in Japanese, its text as the file has it:
// "年齢「forty」：数値で入力してください（例 45、160.5）"; "年齢：入力してください"
// for an empty one.
std::string JapaneseRowMessage(const InputProblem& problem, TextEncoding encoding) {
  std::string message = Words(report::InputColumns()[IndexOf(problem.value)].nameJa, encoding);
  if (problem.error != InputError::kEmpty) {
    message.append(Words(ja::kRowValueOpenUtf8, encoding))
        .append(problem.text)
        .append(Words(ja::kRowValueCloseUtf8, encoding));
  }
  return message.append(Words(ja::kRowColonUtf8, encoding)).append(Words(JapaneseMessage(problem), encoding));
}

// The batch's message for the columns the header's fields name, in order
// (nullopt for a field that names none), with each column's field into
// `index`; empty when the header can be used.
std::string HeaderError(std::span<const std::optional<BatchColumn>> named,
                        std::array<std::size_t, kColumnCount>& index) {
  index.fill(kNoColumn);
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (!named[i]) continue;
    if (index[*named[i]] != kNoColumn) {
      return "the header names the column '" + std::string(kColumnNames[*named[i]]) + "' twice";
    }
    index[*named[i]] = i;
  }
  for (Column required : {kSex, kAge, kHeight}) {
    if (index[required] == kNoColumn) {
      return "the header has no '" + std::string(kColumnNames[required]) +
             "' column (it needs sex, age and height; vc, fvc and fev1 are optional)";
    }
  }
  return {};
}

// Reads the header; returns false (with `error`) when it cannot be used.
bool ReadHeader(const CsvRecord& header, TextEncoding encoding, Layout& layout, std::string& error) {
  layout.fieldCount = header.count;
  std::vector<std::optional<BatchColumn>> named(header.count);
  for (std::size_t i = 0; i < header.count; ++i) named[i] = ColumnOfHeaderName(header[i], encoding);
  error = HeaderError(named, layout.index);
  return error.empty();
}

// The texts of the named columns of a record; returns false with `error` when
// the record's fields do not fit the header.
bool ReadRow(const CsvRecord& record, const Layout& layout, TextEncoding encoding, RowTexts& texts,
             std::string& error) {
  if (record.overLimit != CsvLimit::kNone) {
    error = Japanese(layout) ? CsvLimitErrorJa(record, encoding) : CsvLimitError(record);
    return false;
  }
  // A record of ASCII bytes only is valid UTF-8 without looking at its fields.
  if (layout.utf8Rows && record.nonAscii) {
    for (std::size_t i = 0; i < record.count; ++i) {
      if (!IsValidUtf8(record[i])) {
        error = Japanese(layout) ? std::to_string(i + 1) + Words(ja::kRowFieldNotUtf8Utf8, encoding)
                                 : "field " + std::to_string(i + 1) + " is not valid UTF-8";
        return false;
      }
    }
  }
  if (record.unterminatedQuote) {
    error = Japanese(layout) ? Words(ja::kRowQuoteNotClosedUtf8, encoding)
                             : "a quoted field is not closed before the end of the input";
    return false;
  }
  if (record.count != layout.fieldCount) {
    if (Japanese(layout)) {
      error = Words(ja::kRowFieldCountUtf8, encoding) + std::to_string(record.count) +
              Words(ja::kRowFieldCountHeaderUtf8, encoding) + std::to_string(layout.fieldCount) +
              Words(ja::kRowFieldCountCloseUtf8, encoding);
    } else {
      error = "the row has " + std::to_string(record.count) + " fields, the header " +
              std::to_string(layout.fieldCount);
    }
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      if (layout.index[c] != kNoColumn && layout.index[c] >= record.count) {
        if (Japanese(layout)) {
          error += Words(std::string(ja::kRowColonUtf8)
                             .append(report::InputColumns()[c].nameJa)
                             .append(ja::kRowMissingColumnUtf8),
                         encoding);
        } else {
          error += ": missing column '" + std::string(kColumnNames[c]) + "'";
        }
        break;
      }
    }
    return false;
  }
  texts = RowTexts{};
  for (std::size_t c = 0; c < kColumnCount; ++c) {
    if (layout.index[c] != kNoColumn) texts[c] = record[layout.index[c]];
  }
  return true;
}

// A record whose every field is empty or blanks (spaces, tabs): what Excel
// writes for an empty row of the sheet (",,,,,"). Read as an empty line, so
// that it gives no row. A record cut at a bound or by the end of the input is
// no empty row: it is reported.
bool IsEmptyRow(const CsvRecord& record) {
  if (record.blankLine) return true;
  if (record.overLimit != CsvLimit::kNone || record.unterminatedQuote || record.count == 0) return false;
  for (std::size_t i = 0; i < record.count; ++i) {
    if (!TrimBlanks(record[i]).empty()) return false;
  }
  return true;
}

// The next record that is not an empty line or an empty row.
bool NextRecord(CsvReader& reader, CsvRecord& record) {
  while (reader.Next(record)) {
    if (!IsEmptyRow(record)) return true;
  }
  return false;
}

// Decides the input's encoding and takes its byte order mark.
io::EncodingDecision StartInput(CsvReader& reader, std::optional<TextEncoding> forced) {
  const std::string_view start = reader.Lookahead(io::kEncodingSampleBytes);
  const io::EncodingDecision decision = io::DecideEncoding(start, reader.AtEnd(), forced);
  if (decision.byteOrderMark) reader.Skip(io::kByteOrderMark.size());
  return decision;
}

// "kestrova-cli: NAME:LINE: ERROR" on the error stream, the input's bytes in it
// shown safely (MessageText).
void ReportLine(const BatchStreams& s, std::uint64_t line, std::string_view error, TextEncoding encoding) {
  const std::string text = "kestrova-cli: " + io::MessageText(s.inputName, TextEncoding::kUtf8) + ":" +
                           std::to_string(line) + ": " + io::MessageText(error, encoding) + "\n";
  std::fwrite(text.data(), 1, text.size(), s.err);
}

// What WriteRow needs besides the row, kept from row to row so that a row
// allocates nothing.
struct RowScratch {
  PanelResult result;  // the row's result when it was computed
  std::string error;   // what is wrong with the row when it failed
  report::ResultColumnTexts texts;
  std::vector<std::string> shiftJis;  // Japanese texts of `texts` for a Shift-JIS file
};

// ComputeRow with its message in the layout's language, in the file's encoding.
bool ComputeRowIn(const RowTexts& texts, const Layout& layout, TextEncoding encoding, PanelResult& result,
                  std::string& error) {
  PatientInputs inputs;
  InputProblem problem;
  if (!ReadPatientTexts(texts, encoding, inputs, problem)) {
    error = Japanese(layout) ? JapaneseRowMessage(problem, encoding) : EnglishMessage(problem, encoding);
    return false;
  }
  ComputePanelResult(inputs, result);
  if (!result.computed) {
    error = Japanese(layout) ? Words(ja::kRowNotComputedUtf8, encoding)
                             : "nothing could be computed from these values";
    return false;
  }
  return true;
}

// The result columns' Japanese texts (UTF-8: the reading, the warnings) in
// Shift-JIS for a Shift-JIS file; the numbers are ASCII and stay.
void TextsInShiftJis(RowScratch& scratch) {
  std::vector<std::string_view>& texts = scratch.texts.texts;
  scratch.shiftJis.resize(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (IsAsciiText(texts[i])) continue;
    scratch.shiftJis[i] = io::Utf8AsText(texts[i], TextEncoding::kShiftJis);
    texts[i] = scratch.shiftJis[i];
  }
}

// Writes one data row: the passed-through fields, then an empty error and the
// results, or the error and empty results. False (with scratch.error) when the row failed.
bool WriteRow(const CsvRecord& record, const Layout& layout, TextEncoding encoding, RowScratch& scratch,
              CsvWriter& writer) {
  if (record.plain && record.count == layout.fieldCount) {
    writer.PlainFields(std::span(record.fields.data(), record.count));
  } else {
    for (std::size_t i = 0; i < layout.fieldCount; ++i)
      writer.Field(i < record.count ? record[i] : std::string_view{});
  }
  RowTexts texts;
  scratch.error.clear();
  const bool ok = ReadRow(record, layout, encoding, texts, scratch.error) &&
                  ComputeRowIn(texts, layout, encoding, scratch.result, scratch.error);
  if (ok) {
    writer.PlainField({});  // no error
    scratch.texts.language = layout.language;
    scratch.texts.gli = layout.gli;
    report::ReadResultColumns(scratch.result, scratch.texts);
    if (Japanese(layout) && encoding == TextEncoding::kShiftJis) TextsInShiftJis(scratch);
    writer.PlainFields(scratch.texts.texts);
  } else {
    writer.Field(scratch.error);
    writer.EmptyFields(report::ResultColumns(layout.gli).size());
  }
  writer.EndRow();
  return ok;
}

// --jobs: rows are read here in chunks, written into each chunk's bytes by
// WriteRow on `jobs` threads, and the chunks written out here in input order,
// so the output is the same bytes as one job's.
struct RowChunk {
  static constexpr std::size_t kRows = 1024;
  std::vector<CsvRecord> records = std::vector<CsvRecord>(kRows);
  std::vector<std::uint64_t> bytesConsumed = std::vector<std::uint64_t>(kRows);
  std::size_t count = 0;
  CsvWriter output;                                         // in memory; its room is reused chunk after chunk
  std::vector<std::pair<std::size_t, std::string>> errors;  // (row in the chunk, error), in order
};

template <class RowDone>
void RunRowsInParallel(CsvReader& reader, const Layout& layout, TextEncoding encoding, unsigned jobs,
                       bool crLf, CsvWriter& writer, const RowDone& rowDone) {
  ChunkPipeline<RowChunk> pipeline(jobs, [&](RowChunk& chunk) {
    chunk.output.Clear();
    chunk.output.UseCrLf(crLf);
    chunk.errors.clear();
    RowScratch scratch;
    for (std::size_t i = 0; i < chunk.count; ++i) {
      if (!WriteRow(chunk.records[i], layout, encoding, scratch, chunk.output))
        chunk.errors.emplace_back(i, scratch.error);
    }
  });
  bool more = true;
  for (;;) {
    while (more && pipeline.HasFree()) {
      RowChunk& chunk = pipeline.Free();
      chunk.count = 0;
      while (chunk.count < RowChunk::kRows && NextRecord(reader, chunk.records[chunk.count])) {
        chunk.bytesConsumed[chunk.count++] = reader.BytesConsumed();
      }
      more = chunk.count == RowChunk::kRows;
      pipeline.Submit();
    }
    const RowChunk* chunk = pipeline.Next();
    if (chunk == nullptr) return;
    writer.WriteThrough(chunk->output.Buffered());
    auto error = chunk->errors.begin();
    for (std::size_t i = 0; i < chunk->count; ++i) {
      const bool failed = error != chunk->errors.end() && error->first == i;
      rowDone(chunk->records[i], failed ? &(error++)->second : nullptr, chunk->bytesConsumed[i], nullptr);
    }
  }
}

class Progress {
 public:
  explicit Progress(const BatchStreams& s) : s_(s) {}
  void Row(std::uint64_t rows, std::uint64_t bytes) {
    if (!s_.showProgress || rows % kProgressEvery != 0) return;
    if (s_.inputSize > 0) {
      std::fprintf(s_.err, "\rkestrova-cli: %llu rows, %d%%", static_cast<unsigned long long>(rows),
                   static_cast<int>(bytes * 100 / s_.inputSize));
    } else {
      std::fprintf(s_.err, "\rkestrova-cli: %llu rows", static_cast<unsigned long long>(rows));
    }
    std::fflush(s_.err);
    shown_ = true;
  }
  // Clears the progress line before another message or at the end.
  void Clear() {
    if (!shown_) return;
    std::fputs("\r\x1b[K", s_.err);
    shown_ = false;
  }

 private:
  const BatchStreams& s_;
  bool shown_ = false;
};

}  // namespace

bool ComputeRow(const RowTexts& texts, TextEncoding encoding, PanelResult& result, std::string& error) {
  return ComputeRowIn(texts, Layout{}, encoding, result, error);
}

int RunBatch(const BatchStreams& streams) {
  CsvReader reader(streams.in, streams.readBufferSize);
  StreamSink stream(streams.out);
  std::optional<OutputFileSink> file;
  if (streams.file != nullptr) file.emplace(*streams.file);
  CsvWriter writer(file ? static_cast<ByteSink&>(*file) : stream, streams.writeBlockSize);
  CsvRecord record;
  Layout layout;
  std::string error;
  Progress progress(streams);
  const auto name = [&] { return std::string(streams.inputName); };
  const io::EncodingDecision encoding = StartInput(reader, streams.encoding);

  if (!NextRecord(reader, record)) {
    if (reader.ReadError()) {
      std::fprintf(streams.err, "kestrova-cli: %s: cannot be read\n", name().c_str());
      return kExitIoError;
    }
    std::fprintf(streams.err, "kestrova-cli: %s: the input is empty (a header row is needed)\n",
                 name().c_str());
    return kExitBadInput;
  }
  if (record.overLimit != CsvLimit::kNone) error = "the header: " + CsvLimitError(record);
  if (!error.empty() || !ReadHeader(record, encoding.encoding, layout, error)) {
    ReportLine(streams, record.line, error, encoding.encoding);
    return kExitBadInput;
  }
  if (layout.index[kVc] == kNoColumn && layout.index[kFvc] == kNoColumn && layout.index[kFev1] == kNoColumn) {
    // Not an error (a file of heights and ages alone is fine), but a volume
    // column under a name not recognised would silently read as not measured.
    constexpr std::size_t kNamesShown = 12;
    std::string names;
    for (std::size_t i = 0; i < record.count && i < kNamesShown; ++i) {
      (names += i == 0 ? "'" : ", '").append(record[i]) += '\'';
    }
    if (record.count > kNamesShown) names += ", ...";
    ReportLine(streams, record.line,
               "the header has no vc, fvc or fev1 column (it has " + names +
                   "): every volume is computed as not measured",
               encoding.encoding);
  }
  layout.utf8Rows = !streams.encoding && encoding.encoding == TextEncoding::kUtf8;
  layout.language = streams.language;
  layout.gli = streams.gli;
  if (encoding.byteOrderMark && encoding.encoding == TextEncoding::kUtf8) writer.Bytes(io::kByteOrderMark);
  if (streams.observer != nullptr) streams.observer->Header(record, encoding.encoding);
  // The output's rows end as the input's header does (Excel writes CR LF).
  writer.UseCrLf(record.crLf);
  for (std::size_t i = 0; i < layout.fieldCount; ++i) writer.Field(record[i]);
  if (Japanese(layout)) {
    writer.Field(io::Utf8AsText(report::ErrorColumn().nameJa, encoding.encoding));
    for (const std::string& column : report::ResultColumnNames(layout.language, layout.gli))
      writer.Field(io::Utf8AsText(column, encoding.encoding));
  } else {
    writer.Field(report::ErrorColumn().name);
    for (const std::string& column : report::ResultColumnNames(layout.language, layout.gli))
      writer.Field(column);
  }
  writer.EndRow();

  std::uint64_t rows = 0;
  std::uint64_t failed = 0;
  // After each row, in input order: its message, the observer, the progress.
  const auto rowDone = [&](const CsvRecord& row, const std::string* rowError, std::uint64_t bytesConsumed,
                           const PanelResult* rowResult) {
    ++rows;
    if (rowError != nullptr) {
      ++failed;
      progress.Clear();
      ReportLine(streams, row.line, *rowError, encoding.encoding);
    }
    if (streams.observer != nullptr) {
      streams.observer->Row(rows, row, rowResult, rowError != nullptr ? *rowError : std::string_view{});
    }
    progress.Row(rows, bytesConsumed);
  };
  if (streams.jobs > 1 && streams.observer == nullptr) {
    RunRowsInParallel(reader, layout, encoding.encoding, streams.jobs, record.crLf, writer, rowDone);
  } else {
    RowScratch scratch;
    while (NextRecord(reader, record)) {
      const bool ok = WriteRow(record, layout, encoding.encoding, scratch, writer);
      rowDone(record, ok ? nullptr : &scratch.error, reader.BytesConsumed(), ok ? &scratch.result : nullptr);
    }
  }
  progress.Clear();
  const bool written = writer.Flush();
  if (reader.ReadError()) {
    std::fprintf(streams.err, "kestrova-cli: %s: read error after %llu rows\n", name().c_str(),
                 static_cast<unsigned long long>(rows));
    return kExitIoError;
  }
  if (!written && streams.file != nullptr) {
    std::fprintf(streams.err, "kestrova-cli: %s: cannot be written (%s)\n", streams.file->target().c_str(),
                 streams.file->Error().c_str());
    return kExitIoError;
  }
  if (!written) {
    std::fprintf(streams.err, "kestrova-cli: standard output: cannot be written (%s)\n",
                 writer.StreamError() != 0 ? std::strerror(writer.StreamError()) : "write error");
    return kExitIoError;
  }
  if (failed > 0) {
    if (Japanese(layout)) {
      const std::string line = "kestrova-cli: " + std::to_string(rows) + std::string(ja::kRowsFailedOfUtf8) +
                               std::to_string(failed) + std::string(ja::kRowsFailedUtf8) + "\n";
      std::fputs(line.c_str(), streams.err);
    } else {
      std::fprintf(streams.err, "kestrova-cli: %llu of %llu rows could not be read\n",
                   static_cast<unsigned long long>(failed), static_cast<unsigned long long>(rows));
    }
    return kExitBadInput;
  }
  return kExitOk;
}

std::string HeaderError(std::span<const std::optional<BatchColumn>> named) {
  std::array<std::size_t, kColumnCount> index;
  return HeaderError(named, index);
}

}  // namespace kestrova::batch

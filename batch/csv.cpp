#include "batch/csv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "batch/output_file.h"
#include "report/result_columns.h"

namespace kestrova::batch {

CsvReader::CsvReader(std::FILE* in, std::size_t bufferSize) : in_(in), buffer_(bufferSize) {}

bool CsvReader::Refill() {
  if (eof_) return false;
  const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), in_);
  if (got == 0) {
    eof_ = true;
    readError_ = std::ferror(in_) != 0;
    return false;
  }
  bytesRead_ += got;
  pos_ = 0;
  end_ = got;
  return true;
}

std::string_view CsvReader::Lookahead(std::size_t n) {
  if (end_ - pos_ < n && !eof_) {
    if (pos_ > 0) {
      std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
      end_ -= pos_;
      pos_ = 0;
    }
    while (end_ < n) {
      if (end_ == buffer_.size()) buffer_.resize(std::min(n, 2 * buffer_.size() + 1));
      const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, in_);
      if (got == 0) {
        eof_ = true;
        readError_ = std::ferror(in_) != 0;
        break;
      }
      bytesRead_ += got;
      end_ += got;
    }
  }
  return std::string_view(buffer_.data() + pos_, std::min(n, end_ - pos_));
}

std::string CsvLimitError(const CsvRecord& record) {
  switch (record.overLimit) {
    case CsvLimit::kFieldBytes:
      return "field " + std::to_string(record.overLimitField) + " is longer than 1 MiB";
    case CsvLimit::kRecordBytes:
      return "the row is longer than 16 MiB";
    case CsvLimit::kFieldCount:
      return "the row has more than 65536 fields";
    case CsvLimit::kNone:
      break;
  }
  return {};
}

bool CsvReader::CutRecord(CsvRecord& record, CsvLimit limit, bool quoted, bool atFieldStart) {
  record.overLimit = limit;
  if (limit == CsvLimit::kFieldBytes) record.overLimitField = record.count;
  record.count = 0;
  record.blankLine = false;
  cut_ = true;
  cutQuoted_ = quoted;
  cutAtFieldStart_ = atFieldStart;
  return true;
}

void CsvReader::SkipCutRecord() {
  cut_ = false;
  bool quoted = cutQuoted_;
  bool atFieldStart = cutAtFieldStart_;
  for (;;) {
    const int c = Get();
    if (c < 0) return;
    if (quoted) {
      if (c == '"') {
        if (Peek() == '"') {
          ++pos_;
        } else {
          quoted = false;
        }
      } else if (c == '\n' || (c == '\r' && Peek() != '\n')) {
        ++line_;
      }
      continue;
    }
    if (c == '\n' || c == '\r') {
      if (c == '\r' && Peek() == '\n') ++pos_;
      ++line_;
      return;
    }
    quoted = c == '"' && atFieldStart;
    atFieldStart = c == ',';
  }
}

bool CsvReader::Next(CsvRecord& record) {
  if (cut_) SkipCutRecord();
  record.count = 0;
  record.line = line_;
  record.unterminatedQuote = false;
  record.overLimit = CsvLimit::kNone;
  record.crLf = false;
  const int first = Peek();
  if (first < 0) return false;
  record.blankLine = first == '\n' || first == '\r';

  auto newField = [&record]() -> std::string* {
    if (record.count == kMaxFields) return nullptr;
    if (record.count == record.fields.size()) record.fields.emplace_back();
    std::string& field = record.fields[record.count++];
    field.clear();
    return &field;
  };
  // Bytes in the record's fields so far.
  std::size_t recordBytes = 0;
  const auto limitOf = [&recordBytes](const std::string& field, std::size_t n) {
    recordBytes += n;
    if (field.size() + n > kMaxFieldBytes) return CsvLimit::kFieldBytes;
    return recordBytes > kMaxRecordBytes ? CsvLimit::kRecordBytes : CsvLimit::kNone;
  };

  std::string* field = newField();
  bool atFieldStart = true;
  for (;;) {
    // Unquoted run: copy bytes up to the next separator, quote or line end.
    while (pos_ < end_) {
      const char c = buffer_[pos_];
      if (c == ',' || c == '\n' || c == '\r' || (c == '"' && atFieldStart)) break;
      const char* start = buffer_.data() + pos_;
      std::size_t n = 1;
      while (pos_ + n < end_) {
        const char d = start[n];
        if (d == ',' || d == '\n' || d == '\r') break;
        ++n;
      }
      pos_ += n;
      atFieldStart = false;
      if (const CsvLimit limit = limitOf(*field, n); limit != CsvLimit::kNone) {
        return CutRecord(record, limit, false, false);
      }
      field->append(start, n);
    }
    const int c = Get();
    if (c < 0) return true;  // last record without a line end
    if (c == ',') {
      field = newField();
      if (field == nullptr) return CutRecord(record, CsvLimit::kFieldCount, false, true);
      atFieldStart = true;
    } else if (c == '\n') {
      ++line_;
      return true;
    } else if (c == '\r') {
      if (Peek() == '\n') {
        ++pos_;
        record.crLf = true;
      }
      ++line_;
      return true;
    } else if (c == '"' && atFieldStart) {
      atFieldStart = false;
      // Quoted part: runs to a quote that is not doubled.
      for (;;) {
        const int q = Get();
        if (q < 0) {
          record.unterminatedQuote = true;
          return true;
        }
        if (q == '"' && Peek() != '"') break;
        if (q == '"') ++pos_;  // "" stands for one quote
        if (q == '\n') ++line_;
        if (q == '\r' && Peek() != '\n') ++line_;
        if (const CsvLimit limit = limitOf(*field, 1); limit != CsvLimit::kNone) {
          return CutRecord(record, limit, true, false);
        }
        field->push_back(static_cast<char>(q));
      }
    } else {
      // Only reached for a byte the unquoted run stopped at without consuming.
      if (const CsvLimit limit = limitOf(*field, 1); limit != CsvLimit::kNone) {
        return CutRecord(record, limit, false, false);
      }
      field->push_back(static_cast<char>(c));
      atFieldStart = false;
    }
  }
}

CsvWriter::CsvWriter(std::FILE* out, std::size_t blockSize)
    : out_(out), buffer_(blockSize + std::min<std::size_t>(blockSize, 4096)), blockSize_(blockSize) {}

CsvWriter::CsvWriter(OutputFile& file, std::size_t blockSize)
    : file_(&file), buffer_(blockSize + std::min<std::size_t>(blockSize, 4096)), blockSize_(blockSize) {}

CsvWriter::CsvWriter(std::string& sink) : sink_(&sink), buffer_(8192), blockSize_(4096) {}

CsvWriter::~CsvWriter() { Flush(); }

void CsvWriter::Grow(std::size_t n) { buffer_.resize(2 * (used_ + n)); }

void CsvWriter::WriteBlock() {
  if (sink_ != nullptr) {
    sink_->append(buffer_.data(), used_);
  } else if (file_ != nullptr) {
    if (!file_->Write({buffer_.data(), used_})) failed_ = true;
  } else if (std::fwrite(buffer_.data(), 1, used_, out_) != used_) {
    if (!failed_) streamError_ = errno;
    failed_ = true;
  }
  used_ = 0;
}

static bool IsSpecial(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }

// Copies the field behind its separator while checking for bytes that need
// quotes, in one pass; the rare field that has one is written again quoted.
void CsvWriter::Field(std::string_view text) {
  char* const start = Room(text.size() + 1);
  char* out = start;
  if (rowStarted_) *out++ = ',';
  for (char c : text) {
    if (IsSpecial(c)) {
      QuotedField(text);
      return;
    }
    *out++ = c;
  }
  rowStarted_ = true;
  used_ += static_cast<std::size_t>(out - start);
}

void CsvWriter::Bytes(std::string_view bytes) {
  std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
  used_ += bytes.size();
}

void CsvWriter::QuotedField(std::string_view text) {
  // At most every byte doubled, two quotes and the separator.
  char* const start = Room(2 * text.size() + 3);
  char* out = start;
  if (rowStarted_) *out++ = ',';
  rowStarted_ = true;
  *out++ = '"';
  for (char c : text) {
    if (c == '"') *out++ = '"';
    *out++ = c;
  }
  *out++ = '"';
  used_ += static_cast<std::size_t>(out - start);
}

void CsvWriter::EndRow() {
  char* out = Room(2);
  if (crLf_) *out++ = '\r';
  *out = '\n';
  used_ += crLf_ ? 2 : 1;
  rowStarted_ = false;
  if (used_ >= blockSize_) WriteBlock();
}

bool CsvWriter::Flush() {
  if (used_ > 0) WriteBlock();
  if (out_ != nullptr && std::fflush(out_) != 0) {
    if (!failed_) streamError_ = errno;
    failed_ = true;
  }
  if (file_ != nullptr && !file_->Flush()) failed_ = true;
  return !failed_;
}

namespace {

class CsvColumnSink final : public report::ResultColumnSink {
 public:
  explicit CsvColumnSink(CsvWriter& writer) : writer_(writer) {}
  void PlainField(std::string_view text) override { writer_.PlainField(text); }

 private:
  CsvWriter& writer_;
};

}  // namespace

void WriteResultColumns(const PanelResult& result, CsvWriter& writer) {
  CsvColumnSink sink(writer);
  report::WriteResultColumns(result, sink);
}

void WriteEmptyResultColumns(CsvWriter& writer) {
  for (std::size_t i = 0; i < report::ResultColumnNames().size(); ++i) writer.PlainField({});
}

}  // namespace kestrova::batch

#include "batch/csv.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "io/output_file.h"

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
      if (end_ == buffer_.size()) buffer_.Resize(std::min(n, 2 * buffer_.size() + 1), end_);
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
  record.nonAscii = false;
  record.plain = true;
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
  // The bytes of the fields ORed together: above 0x7F when one is not ASCII.
  unsigned char orOfBytes = 0;
  for (;;) {
    // Unquoted run: copy bytes up to the next separator, quote or line end.
    while (pos_ < end_) {
      const char c = buffer_[pos_];
      if (c == ',' || c == '\n' || c == '\r' || (c == '"' && atFieldStart)) break;
      const char* start = buffer_.data() + pos_;
      const std::size_t available = end_ - pos_;
      std::size_t n = 1;
      orOfBytes |= static_cast<unsigned char>(c);
      bool quote = c == '"';
      for (; n < available; ++n) {
        const auto d = static_cast<unsigned char>(start[n]);
        // ',', LF, CR and '"' are all at most ','; most bytes take one comparison.
        if (d <= ',') {
          if (d == ',' || d == '\n' || d == '\r') break;
          quote |= d == '"';
        }
        orOfBytes |= d;
      }
      if (quote) record.plain = false;
      pos_ += n;
      atFieldStart = false;
      if (const CsvLimit limit = limitOf(*field, n); limit != CsvLimit::kNone) {
        return CutRecord(record, limit, false, false);
      }
      field->append(start, n);
    }
    record.nonAscii = orOfBytes > 0x7F;
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
      record.plain = false;
      // Quoted part: runs to a quote that is not doubled.
      for (;;) {
        const int q = Get();
        if (q < 0) {
          record.unterminatedQuote = true;
          record.nonAscii = orOfBytes > 0x7F;
          return true;
        }
        if (q == '"' && Peek() != '"') break;
        if (q == '"') ++pos_;  // "" stands for one quote
        if (q == '\n') ++line_;
        if (q == '\r' && Peek() != '\n') ++line_;
        if (const CsvLimit limit = limitOf(*field, 1); limit != CsvLimit::kNone) {
          return CutRecord(record, limit, true, false);
        }
        orOfBytes |= static_cast<unsigned char>(q);
        field->push_back(static_cast<char>(q));
      }
    } else {
      // Only reached for a byte the unquoted run stopped at without consuming.
      if (const CsvLimit limit = limitOf(*field, 1); limit != CsvLimit::kNone) {
        return CutRecord(record, limit, false, false);
      }
      orOfBytes |= static_cast<unsigned char>(c);
      if (c == '"') record.plain = false;
      field->push_back(static_cast<char>(c));
      atFieldStart = false;
    }
  }
}

bool StreamSink::Write(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), out_) == bytes.size()) return true;
  if (error_ == 0) error_ = errno;
  return false;
}

bool StreamSink::Flush() {
  if (std::fflush(out_) == 0) return true;
  if (error_ == 0) error_ = errno;
  return false;
}

bool OutputFileSink::Write(std::string_view bytes) { return file_.Write(bytes); }

bool OutputFileSink::Flush() { return file_.Flush(); }

CsvWriter::CsvWriter(ByteSink& sink, std::size_t blockSize)
    : sink_(&sink), buffer_(blockSize + std::min<std::size_t>(blockSize, 4096)), blockSize_(blockSize) {}

// Never reaches its block size, so EndRow never writes a block.
CsvWriter::CsvWriter() : buffer_(8192), blockSize_(SIZE_MAX) {}

CsvWriter::~CsvWriter() { Flush(); }

void CsvWriter::Grow(std::size_t n) { buffer_.Resize(2 * (used_ + n), used_); }

void CsvWriter::WriteOut(std::string_view bytes) {
  if (sink_ != nullptr && !sink_->Write(bytes)) failed_ = true;
}

void CsvWriter::WriteBlock() {
  WriteOut({buffer_.data(), used_});
  used_ = 0;
}

void CsvWriter::WriteThrough(std::string_view bytes) {
  if (used_ > 0) WriteBlock();
  WriteOut(bytes);
}

static bool IsSpecial(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }

// Looks for bytes that need quotes, then copies the field behind its
// separator; the rare field that has one is written quoted.
void CsvWriter::Field(std::string_view text) {
  for (char c : text) {
    // Every byte that needs quotes is at most ',' (0x2C); digits, letters and
    // '.' are above it, so most bytes take one comparison.
    if (static_cast<unsigned char>(c) <= ',' && IsSpecial(c)) {
      QuotedField(text);
      return;
    }
  }
  PlainField(text);
}

void CsvWriter::PlainFields(std::span<const std::string_view> texts) { AppendPlainFields(texts); }

void CsvWriter::PlainFields(std::span<const std::string> texts) { AppendPlainFields(texts); }

template <class Text>
void CsvWriter::AppendPlainFields(std::span<const Text> texts) {
  if (texts.empty()) return;
  std::size_t size = texts.size();  // a separator before each
  for (const Text& text : texts) size += text.size();
  char* const start = Room(size);
  // Locals, not members, and each text's pointer and size read before its
  // bytes are stored: a byte store may alias anything, and the compiler would
  // reload what it could have changed.
  char* out = start;
  if (rowStarted_) *out++ = ',';
  const auto copy = [&out](const Text& text) {
    const char* const data = text.data();
    const std::size_t n = text.size();
    CopyBytes(out, data, n);
    out += n;
  };
  copy(texts[0]);
  for (const Text& text : texts.subspan(1)) {
    *out++ = ',';
    copy(text);
  }
  rowStarted_ = true;
  used_ += static_cast<std::size_t>(out - start);
}

void CsvWriter::EmptyFields(std::size_t n) {
  if (n == 0) return;
  char* const out = Room(n);
  // The first field has no separator when it starts the row.
  const std::size_t separators = rowStarted_ ? n : n - 1;
  std::memset(out, ',', separators);
  used_ += separators;
  rowStarted_ = true;
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
  if (InMemory()) return !failed_;
  if (used_ > 0) WriteBlock();
  if (!sink_->Flush()) failed_ = true;
  return !failed_;
}

}  // namespace kestrova::batch

// Streaming CSV: a reader that hands out one record at a time from a large
// buffer, and a writer that collects rows in a large buffer.
//
// Reading follows RFC 4180 with the usual leniency: fields are separated by
// commas and records end at LF, CRLF or a lone CR; a field that starts with a
// double quote runs to the next lone quote, "" inside it stands for one quote,
// and commas and line ends inside it are data. A quote inside an unquoted field,
// or text after a closing quote, is kept as data. Bytes are not decoded, so
// UTF-8 and Shift-JIS pass through unchanged (no Shift-JIS byte below 0x40 is
// a trail byte, so commas, quotes and line ends are never part of a character).
#ifndef KESTROVA_BATCH_CSV_H_
#define KESTROVA_BATCH_CSV_H_

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::io {
class OutputFile;
}  // namespace kestrova::io

namespace kestrova::batch {

// Room for bytes that is not zeroed when it is made or grown: the buffers
// below are a megabyte each, and each byte is written before it is read.
class ByteBuffer {
 public:
  explicit ByteBuffer(std::size_t size) : bytes_(Uninitialized(size)), size_(size) {}
  char* data() { return bytes_.get(); }
  const char* data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }
  char operator[](std::size_t i) const { return bytes_[i]; }
  // Makes the room `size` bytes, keeping the first `keep` (at most both sizes).
  void Resize(std::size_t size, std::size_t keep) {
    std::unique_ptr<char[]> bytes = Uninitialized(size);
    std::memcpy(bytes.get(), bytes_.get(), keep);
    bytes_ = std::move(bytes);
    size_ = size;
  }

 private:
  // new char[n] leaves the bytes as they are (std::make_unique_for_overwrite
  // does the same, but the browser build's library lacks it).
  static std::unique_ptr<char[]> Uninitialized(std::size_t size) {
    return std::unique_ptr<char[]>(new char[size]);
  }

  std::unique_ptr<char[]> bytes_;
  std::size_t size_;
};

// Bounds on one record, so that memory stays flat whatever the input (a file
// with no line end, a field of gigabytes): a field holds at most
// kMaxFieldBytes, a record at most kMaxRecordBytes in all its fields and at
// most kMaxFields fields.
inline constexpr std::size_t kMaxFieldBytes = std::size_t{1} << 20;   // 1 MiB
inline constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 24;  // 16 MiB
inline constexpr std::size_t kMaxFields = std::size_t{1} << 16;       // 65,536

enum class CsvLimit : std::uint8_t { kNone, kFieldBytes, kRecordBytes, kFieldCount };

// One record: fields[0 .. count) are valid; later strings keep their capacity
// for the next record.
struct CsvRecord {
  std::vector<std::string> fields;
  std::size_t count = 0;
  std::uint64_t line = 0;          // 1-based line the record starts on
  bool unterminatedQuote = false;  // the input ended inside a quoted field
  bool blankLine = false;          // nothing but a line end (one empty field)
  // A record beyond a bound has no fields (count 0); the reader skips the rest
  // of it, to its line end, before the next record.
  CsvLimit overLimit = CsvLimit::kNone;
  std::size_t overLimitField = 0;  // 1-based field that went beyond kMaxFieldBytes
  bool crLf = false;               // the record ended with CR LF
  bool nonAscii = false;           // some byte of its fields is above 0x7F
  // No quote was read anywhere in the record, so no field holds a quote, a
  // comma, CR or LF (those only get into a field inside quotes): each field is
  // written back as it stands, without looking at its bytes.
  bool plain = true;

  std::string_view operator[](std::size_t i) const { return fields[i]; }
};

// What is wrong with a record beyond a bound: "field 3 is longer than 1 MiB";
// empty for one within them.
std::string CsvLimitError(const CsvRecord& record);

class CsvReader {
 public:
  explicit CsvReader(std::FILE* in, std::size_t bufferSize = std::size_t{1} << 20);

  // Reads the next record; false at the end of the input (or on a read error).
  bool Next(CsvRecord& record);

  // The next bytes of the input without taking them: `n` of them, fewer only at
  // the end of the input. The buffer grows to hold them if it must.
  std::string_view Lookahead(std::size_t n);
  // Takes the first `n` bytes of a Lookahead as no record's data (a byte order mark).
  void Skip(std::size_t n) { pos_ += std::min(n, end_ - pos_); }
  // True once the input has been read to its end (or a read failed).
  bool AtEnd() const { return eof_; }

  bool ReadError() const { return readError_; }
  // Bytes of the input taken up by the records returned so far.
  std::uint64_t BytesConsumed() const { return bytesRead_ - (end_ - pos_); }

 private:
  bool Refill();
  // Ends a record at a bound: drops its fields and remembers where the rest of
  // it starts (inside a quoted part, at the start of a field).
  bool CutRecord(CsvRecord& record, CsvLimit limit, bool quoted, bool atFieldStart);
  // Reads past the rest of a record that was cut, to its line end.
  void SkipCutRecord();
  // Next byte, or -1 at the end of the input.
  int Get() {
    if (pos_ == end_ && !Refill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_++]);
  }
  int Peek() {
    if (pos_ == end_ && !Refill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
  }

  std::FILE* in_;
  ByteBuffer buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::uint64_t line_ = 1;
  std::uint64_t bytesRead_ = 0;
  bool eof_ = false;
  bool readError_ = false;
  bool cut_ = false;  // the last record was cut at a bound; the rest of it is still to skip
  bool cutQuoted_ = false;
  bool cutAtFieldStart_ = false;
};

// Where a CsvWriter's output goes, block after block. Write and Flush return
// false when writing failed; Error() is the errno of the first failure (0
// when none, or when the sink keeps its reason itself).
class ByteSink {
 public:
  virtual bool Write(std::string_view bytes) = 0;
  virtual bool Flush() = 0;
  virtual int Error() const { return 0; }

 protected:
  ~ByteSink() = default;
};

// A C stream.
class StreamSink final : public ByteSink {
 public:
  explicit StreamSink(std::FILE* out) : out_(out) {}
  bool Write(std::string_view bytes) override;
  bool Flush() override;
  int Error() const override { return error_; }

 private:
  std::FILE* out_;
  int error_ = 0;
};

// The safe output file, which counts the bytes and keeps the reason of a failure.
class OutputFileSink final : public ByteSink {
 public:
  explicit OutputFileSink(io::OutputFile& file) : file_(file) {}
  bool Write(std::string_view bytes) override;
  bool Flush() override;

 private:
  io::OutputFile& file_;
};

// A string the output is appended to.
class StringSink final : public ByteSink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  bool Write(std::string_view bytes) override {
    out_.append(bytes);
    return true;
  }
  bool Flush() override { return true; }

 private:
  std::string& out_;
};

// Collects output and writes it in large blocks. Fields are quoted only when
// they hold a comma, a quote, CR or LF.
class CsvWriter {
 public:
  explicit CsvWriter(ByteSink& sink, std::size_t blockSize = std::size_t{1} << 20);
  // Keeps all its output in memory, to be taken with Buffered() (rows made on
  // one thread and written out on another); it is never written anywhere.
  CsvWriter();
  ~CsvWriter();

  void Field(std::string_view text);
  // A field the program wrote itself (a number, an ASCII key), which never
  // needs quotes: copied without looking for bytes that would.
  void PlainField(std::string_view text) {
    char* out = Room(text.size() + 1);
    if (rowStarted_) *out++ = ',';
    CopyBytes(out, text.data(), text.size());
    used_ += text.size() + (rowStarted_ ? 1 : 0);
    rowStarted_ = true;
  }
  // PlainField for each text in turn, with one reservation of room.
  void PlainFields(std::span<const std::string_view> texts);
  void PlainFields(std::span<const std::string> texts);
  // `n` empty fields.
  void EmptyFields(std::size_t n);
  // Bytes written as they stand, outside any field (a byte order mark).
  void Bytes(std::string_view bytes);
  // Ends rows with CR LF instead of LF.
  void UseCrLf(bool crLf) { crLf_ = crLf; }
  void EndRow();
  // Writes what is buffered and flushes the stream; false when writing failed.
  bool Flush();
  // Writes `bytes` as Bytes does, but straight to the stream after what is
  // buffered, without copying them (a chunk of rows another writer made).
  void WriteThrough(std::string_view bytes);
  bool Failed() const { return failed_; }
  // The errno of the first failed write to a stream; 0 when none failed.
  int StreamError() const { return failed_ && sink_ != nullptr ? sink_->Error() : 0; }
  // What an in-memory writer holds; Clear() empties it, keeping its room.
  std::string_view Buffered() const { return {buffer_.data(), used_}; }
  void Clear() {
    used_ = 0;
    rowStarted_ = false;
  }

 private:
  bool InMemory() const { return sink_ == nullptr; }
  void WriteBlock();
  void WriteOut(std::string_view bytes);
  // Copies `n` bytes. The texts of a row are short (most under 16 bytes): a
  // few overlapping word moves copy them, where a call to memcpy costs more
  // than the copy.
  static void CopyBytes(char* out, const char* in, std::size_t n) {
    if (n >= 8) {
      if (n > 16) {
        std::memcpy(out, in, n);
        return;
      }
      std::uint64_t head, tail;
      std::memcpy(&head, in, 8);
      std::memcpy(&tail, in + n - 8, 8);
      std::memcpy(out, &head, 8);
      std::memcpy(out + n - 8, &tail, 8);
    } else if (n >= 4) {
      std::uint32_t head, tail;
      std::memcpy(&head, in, 4);
      std::memcpy(&tail, in + n - 4, 4);
      std::memcpy(out, &head, 4);
      std::memcpy(out + n - 4, &tail, 4);
    } else if (n > 0) {  // 1 to 3 bytes: the first, the middle and the last
      out[0] = in[0];
      out[n / 2] = in[n / 2];
      out[n - 1] = in[n - 1];
    }
  }
  // Room for `n` more bytes at the end of the buffered output.
  char* Room(std::size_t n) {
    if (buffer_.size() - used_ < n) Grow(n);
    return buffer_.data() + used_;
  }
  void Grow(std::size_t n);
  void QuotedField(std::string_view text);
  template <class Text>
  void AppendPlainFields(std::span<const Text> texts);

  ByteSink* sink_ = nullptr;  // null: in memory
  // Output goes into buffer_[0 .. used_); its size is the room. Plain
  // bytes rather than std::string appends: most fields are a few characters,
  // and a row has some sixty of them.
  ByteBuffer buffer_;
  std::size_t used_ = 0;
  std::size_t blockSize_;
  bool rowStarted_ = false;
  bool crLf_ = false;
  bool failed_ = false;
};

}  // namespace kestrova::batch

#endif  // KESTROVA_BATCH_CSV_H_

// The batch reader and writer on arbitrary input files.
// Properties: the run never crashes; when the header is accepted the output
// holds the header and exactly one record per input record that is not an
// empty line, every record has the same number of fields as the header and
// starts with the fields of its input record (as many as the header has, an
// absent one empty), and the output starts with a byte order mark when the
// input does; an
// unreadable header gives exit status 2 and no output. The buffers are small,
// so that records and quotes cross their refills.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch.h"
#include "batch/csv.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace kestrova::batch;

using kestrova::fuzz::Require;

struct Counted {
  std::size_t records = 0;
  std::size_t firstWidth = 0;
  bool sameWidth = true;
  std::vector<std::vector<std::string>> fields;  // of each record
};

constexpr std::string_view kMark = "\xEF\xBB\xBF";

bool StartsWithMark(std::string_view text) { return text.substr(0, kMark.size()) == kMark; }

// Unbuffered streams over memory, so that a run allocates and fills no stdio
// buffers: reading a string, and appending to one.
struct Source {
  std::string_view bytes;
  std::size_t pos = 0;
};

std::FILE* ReadFrom(Source& source) {
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto* s = static_cast<Source*>(cookie);
    const std::size_t n = std::min(size, s->bytes.size() - s->pos);
    std::memcpy(buffer, s->bytes.data() + s->pos, n);
    s->pos += n;
    return static_cast<ssize_t>(n);
  };
  std::FILE* f = fopencookie(&source, "rb", io);
  std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

std::FILE* WriteTo(std::string& sink) {
  cookie_io_functions_t io{};
  io.write = [](void* cookie, const char* buffer, std::size_t size) -> ssize_t {
    static_cast<std::string*>(cookie)->append(buffer, size);
    return static_cast<ssize_t>(size);
  };
  std::FILE* f = fopencookie(&sink, "wb", io);
  std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

// The records of `text` but its empty lines, after any byte order mark.
Counted CountRecords(std::string_view text) {
  Counted counted;
  if (StartsWithMark(text)) text.remove_prefix(kMark.size());
  Source source{text};
  std::FILE* in = ReadFrom(source);
  CsvReader reader(in, 64);
  CsvRecord record;
  while (reader.Next(record)) {
    if (record.blankLine) continue;
    // A row of empty or blank fields (Excel's ",,,,,") is no record either;
    // one cut at a bound or by an open quote is.
    bool emptyRow = record.overLimit == CsvLimit::kNone && !record.unterminatedQuote && record.count > 0;
    for (std::size_t i = 0; emptyRow && i < record.count; ++i) {
      emptyRow = record[i].find_first_not_of(" \t") == std::string_view::npos;
    }
    if (emptyRow) continue;
    if (counted.records == 0) counted.firstWidth = record.count;
    counted.sameWidth = counted.sameWidth && record.count == counted.firstWidth;
    counted.fields.emplace_back(record.fields.begin(), record.fields.begin() + record.count);
    ++counted.records;
  }
  std::fclose(in);
  return counted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  Source source{input};
  std::FILE* in = ReadFrom(source);
  static std::string output;  // keeps its capacity from run to run
  output.clear();
  std::FILE* out = WriteTo(output);
  // Messages go nowhere, through one stream kept open for every run.
  static std::FILE* const err = std::fopen("/dev/null", "w");

  BatchStreams streams;
  streams.in = in;
  streams.out = out;
  streams.err = err;
  streams.inputName = "fuzz";
  streams.inputSize = size;
  streams.readBufferSize = 64;
  streams.writeBlockSize = 256;
  const int status = RunBatch(streams);
  std::fclose(in);
  std::fclose(out);

  // Two jobs write the same bytes with the same status.
  static std::string twoJobs;
  twoJobs.clear();
  source.pos = 0;
  streams.in = ReadFrom(source);
  streams.out = WriteTo(twoJobs);
  streams.jobs = 2;
  Require(RunBatch(streams) == status, "the status of one job with two");
  std::fclose(streams.in);
  std::fclose(streams.out);
  Require(twoJobs == output, "the output of one job with two");

  Require(status == kExitOk || status == kExitBadInput, "exit status 0 or 2");
  const Counted read = CountRecords(input);
  const Counted written = CountRecords(output);
  if (written.records == 0) {
    Require(status == kExitBadInput, "no output only when the input is refused");
    return 0;
  }
  Require(written.records == read.records, "one output record per input record");
  Require(!StartsWithMark(input) || StartsWithMark(output), "a byte order mark in gives one out");
  Require(written.sameWidth, "every output record has the header's width");
  const std::size_t inputWidth = read.fields[0].size();
  for (std::size_t r = 0; r < read.records; ++r) {
    for (std::size_t i = 0; i < inputWidth; ++i) {
      const std::string absent;
      const std::string& in = i < read.fields[r].size() ? read.fields[r][i] : absent;
      Require(written.fields[r][i] == in, "every input field is passed through in its place");
    }
  }
  return 0;
}

// The batch reader and writer on arbitrary input files.
// Properties: the run never crashes; when the header is accepted the output
// holds the header and exactly one record per input record, and every record
// has the same number of fields as the header; an unreadable header gives exit
// status 2 and no output.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/batch.h"
#include "cli/csv.h"
#include "fuzz/fuzz_support.h"

namespace {

using namespace kestrova::cli;

using kestrova::fuzz::Require;

struct Counted {
  std::size_t records = 0;
  std::size_t firstWidth = 0;
  bool sameWidth = true;
};

Counted CountRecords(const std::string& text) {
  Counted counted;
  std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  if (text.empty() || in == nullptr) {
    if (in != nullptr) std::fclose(in);
    return counted;
  }
  CsvReader reader(in, 64);
  CsvRecord record;
  while (reader.Next(record)) {
    if (counted.records == 0) counted.firstWidth = record.count;
    counted.sameWidth = counted.sameWidth && record.count == counted.firstWidth;
    ++counted.records;
  }
  std::fclose(in);
  return counted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // fmemopen needs a non-empty buffer.
  std::FILE* in = size == 0 ? std::fopen("/dev/null", "rb")
                            : fmemopen(const_cast<char*>(input.data()), size, "rb");
  char* outBuffer = nullptr;
  std::size_t outSize = 0;
  std::FILE* out = open_memstream(&outBuffer, &outSize);
  std::FILE* err = std::fopen("/dev/null", "w");

  const int status = RunBatch({in, out, err, "fuzz", false, size});
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  const std::string output(outBuffer, outSize);
  std::free(outBuffer);

  Require(status == kExitOk || status == kExitBadInput, "exit status 0 or 2");
  const Counted read = CountRecords(input);
  const Counted written = CountRecords(output);
  if (written.records == 0) {
    Require(status == kExitBadInput, "no output only when the input is refused");
    return 0;
  }
  Require(written.records == read.records, "one output record per input record");
  Require(written.sameWidth, "every output record has the header's width");
  return 0;
}

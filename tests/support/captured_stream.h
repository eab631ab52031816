// A FILE* that writes into memory, for tests that run the tool's code with its
// standard output and error captured.
#ifndef KESTROVA_TESTS_SUPPORT_CAPTURED_STREAM_H_
#define KESTROVA_TESTS_SUPPORT_CAPTURED_STREAM_H_

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrova::testing {

class CapturedStream {
 public:
  CapturedStream() : file_(open_memstream(&data_, &size_)) {}
  ~CapturedStream() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(data_);
  }
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  std::FILE* file() const { return file_; }

  // Closes the stream and returns everything written to it.
  std::string Take() {
    std::fclose(file_);
    file_ = nullptr;
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

}  // namespace kestrova::testing

#endif  // KESTROVA_TESTS_SUPPORT_CAPTURED_STREAM_H_

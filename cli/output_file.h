// The batch output file: written whole or not at all, and never over the input.
//
// A regular file (or one that does not exist yet) is written as a temporary
// file in the same folder, which Commit renames over it once everything is in
// it; until then, and whenever the run fails, the file named is untouched. A
// symbolic link stays and the file it points to is replaced; a replaced file
// keeps its permissions. Anything else (a device such as /dev/null or NUL, a
// pipe) is written directly.
#ifndef KESTROVA_CLI_OUTPUT_FILE_H_
#define KESTROVA_CLI_OUTPUT_FILE_H_

#include <cstdio>
#include <string>

namespace kestrova::cli {

// True when `path` names the regular file open as `stream`, however it is
// spelled: compared by identity (device and inode; on Windows the volume serial
// number and file index), so relative and absolute forms, "." and "..", links,
// and on Windows other letter cases, 8.3 short names and \\?\ forms all count.
bool IsSameFile(std::FILE* stream, const std::string& path);

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { Discard(); }

  // Opens the output for `path`; false with `error` (the system's reason).
  bool Open(const std::string& path, std::string& error);
  std::FILE* stream() const { return stream_; }
  // Bytes written so far.
  long Written() const;
  // Completes the file: flushed, closed and renamed over the target. False with
  // `error` when that fails; the target is then untouched.
  bool Commit(std::string& error);
  // Closes and removes the temporary file; the target stays as it was.
  void Discard();

 private:
  std::FILE* stream_ = nullptr;
  std::string target_;
  std::string temporary_;  // empty when writing the target directly
};

}  // namespace kestrova::cli

#endif  // KESTROVA_CLI_OUTPUT_FILE_H_

// An output file written whole or not at all.
//
// A file on disk (or a name not taken yet) is written as a temporary file in
// the same folder, which Commit renames over the name once everything is in it;
// until then, and whenever the run fails or is interrupted, the name keeps
// what it had. Anything else (a device such as /dev/null or NUL, a pipe) is
// written directly.
//
//   OutputFile out;                                   // -o results.csv
//   if (!out.Open("results.csv", error)) …           // "results.csv: cannot be written (<error>)"
//   out.Write("id,error,…\n");                        // false on a write error: out.Error()
//   if (out.Written() == 0) out.Discard(); else if (!out.Commit(error)) …
//
//   OutputFile report;                                // one of many files in a folder
//   report.Open("reports/A-1.html", error, LinkPolicy::kReplaceLink);
//   report.Write(page);
//   report.Commit(error, Durability::kUnsynced);      // no fsync: a batch writes 100,000
//
// Temporary files are named ".kestrova-<process id>-<n>.tmp", short whatever
// the target's name. While one exists it is registered, and SIGINT, SIGTERM,
// SIGHUP and SIGXFSZ (on Windows Ctrl+C, Ctrl+Break and closing the console)
// remove it before the process ends; a signal that was ignored when the
// program started stays ignored. Only SIGKILL (or a power cut) leaves one
// behind: the first Open in a folder removes the temporary files there that no
// live run holds. A run holds its own from creation to the end: on Linux by an
// exclusive flock, on Windows by its handle, open without delete sharing. No
// process id decides, so a run in another PID namespace, or on another
// computer writing the same shared folder, never loses its file to this sweep.
//
// A file the user could not write is not replaced: Open fails for a target
// without write permission for the user, or without any write permission bit
// (chmod 444, so root too), or on Windows read-only (attrib +r). A replaced
// file keeps its permissions and, where the process may set them, its owner
// and group.
#ifndef KESTROVA_IO_OUTPUT_FILE_H_
#define KESTROVA_IO_OUTPUT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "io/paths.h"

namespace kestrova::io {

enum class LinkPolicy {
  // -o: a symbolic link stays and the file it names (even one not there yet:
  // a dangling link) is the one replaced. (On Windows, where links are rare, a
  // link at the name is replaced like a file.)
  kReplaceTarget,
  // A file in a folder of the run's own files: whatever is at the name, a link
  // included, is replaced by the new file; nothing outside the folder is
  // opened for writing, and a device or pipe at the name is replaced too.
  kReplaceLink,
};

enum class Durability {
  kSynced,    // on disk (fsync) before the rename: the file survives a crash whole
  kUnsynced,  // renamed without waiting for the disk: for many small files
};

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { Discard(); }

  // Opens the output for `path` (UTF-8); false with `error`, the system's
  // reason ("Permission denied", "the file is read-only").
  bool Open(const std::string& path, std::string& error, LinkPolicy policy = LinkPolicy::kReplaceTarget);

  // Writes `bytes`; false on failure, with the reason in Error(). Bytes are
  // counted as they are written. On Linux the system is asked to start writing
  // a growing temporary file to disk every few megabytes, so that the wait for
  // the disk before the rename (Commit) covers only the last of them.
  bool Write(std::string_view bytes);
  // Flushes the buffered bytes to the system; false on failure (Error()).
  bool Flush();
  // The reason of the first failure of Write or Flush; empty while there was none.
  const std::string& Error() const { return error_; }

  // Bytes written so far (64 bits: a batch output may pass 4 GiB).
  std::uint64_t Written() const { return written_; }

  // Completes the file: flushed, on disk unless kUnsynced, closed and renamed
  // over the target. False with `error` when that fails; the target is then
  // untouched and the temporary file removed.
  bool Commit(std::string& error, Durability durability = Durability::kSynced);
  // Closes and removes the temporary file; the target stays as it was.
  void Discard();

  // The file that Commit replaces (a link's target for kReplaceTarget).
  const std::string& target() const { return target_; }
  // The temporary file; empty when the target is written directly.
  const std::string& temporary() const { return temporary_; }

  // Test seam: counts `bytes` as written without writing them, so that a test
  // can take the count past 2 and 4 GiB in no time.
  void CountForTest(std::uint64_t bytes) { written_ += bytes; }

 private:
  bool Fail(std::string reason);
  // Before the temporary file is closed: the console handler no longer uses
  // its handle (Windows; elsewhere nothing).
  void ForgetHandle();
  // Starts writing to disk what has reached the system since the last start,
  // without waiting for it (Linux; elsewhere nothing).
  void StartWriteback();

  std::FILE* stream_ = nullptr;
  std::string target_;
  std::string temporary_;  // empty when writing the target directly
  std::uint64_t written_ = 0;
  std::uint64_t writebackFrom_ = 0;  // offset from which StartWriteback asks next
  std::string error_;
};

}  // namespace kestrova::io

#endif  // KESTROVA_IO_OUTPUT_FILE_H_

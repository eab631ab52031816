// Files by name, the same on every system: a path is a UTF-8 string, and on
// Windows every call goes through the wide-character functions, so that
// 健診.csv or C:\Users\…\デスクトップ\報告書 work whatever the ANSI code page.
//
//   std::FILE* in = OpenFile("健診.csv", "rb");        // _wfopen(L"健診.csv") on Windows
//   std::string error;
//   if (!MakeDirectory("報告書", error)) …            // true when it exists already
//   if (Compare(IdentityOf(in), IdentityOf("out.csv")) != Sameness::kDifferent) …
#ifndef KESTROVA_IO_PATHS_H_
#define KESTROVA_IO_PATHS_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kestrova::io {

// The last system error (errno, or GetLastError on Windows) as a short English
// text without a final period: "Permission denied", "error 6".
std::string SystemErrorText();

// fopen, with `path` in UTF-8; null with errno (and on Windows the last error) set.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Makes the folder `path` unless it exists as one; false with `error`.
bool MakeDirectory(const std::string& path, std::string& error);

// True when the last component of `path` is a name Windows keeps for a device
// in every folder: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 in any letter case,
// with any extension and trailing dots or spaces. Writing to one writes to the
// device, not to a file, so no output is ever given such a name:
//   "aux.csv" "reports\\Con" "lpt1.x.html" "NUL " -> true
//   "aux1.csv" "com0" "con-1.csv" "my.aux"      -> false
bool IsWindowsDeviceName(std::string_view path);

// An ID (a patient's, a row's) as a part of a file name, the same on every
// system: ASCII letters, digits, '-' and '_' kept, each run of other bytes
// (blanks, punctuation, non-ASCII) one '_', blanks and tabs at the ends
// dropped, a leading '-' made '_' (no option), at most `maxBytes`; a device name
// gets a trailing '_'. Empty when no letter or digit is left, so that the
// caller chooses the name:
//   "A-1" -> "A-1"   "x/y:z.1" -> "x_y_z_1"   "-5" -> "_5"   "nul" -> "nul_"   "--" -> ""
std::string FileNamePartOf(std::string_view id, std::size_t maxBytes);

enum class FileKind {
  kMissing,    // nothing by that name (or a dangling link)
  kRegular,    // a file on disk
  kDirectory,  // a folder
  kOther,      // a device, a pipe, a console: never replaced, written directly
  kUnknown,    // something exists but the system will not say what or which
};

// Which file a name or an open stream is: device and inode, or on Windows the
// volume serial number and file index. Links are followed.
struct FileIdentity {
  FileKind kind = FileKind::kMissing;
  std::uint64_t index = 0;
  std::uint64_t volume = 0;
  bool volumeKnown = false;  // Wine gives some standard handles a file index but no volume
};

FileIdentity IdentityOf(const std::string& path);
FileIdentity IdentityOf(std::FILE* stream);

enum class Sameness { kDifferent, kSame, kUnknown };

// kSame when both are the same file on disk, however named: relative and
// absolute forms, "." and "..", links, and on Windows other letter cases, 8.3
// short names and \\?\ forms. A file index known without its volume counts as
// the same when it is equal. kUnknown when one of them exists but could not be
// identified and the other is a file: the caller must refuse rather than guess.
Sameness Compare(const FileIdentity& a, const FileIdentity& b);

#ifdef _WIN32
// UTF-8 to UTF-16 and back (invalid sequences become U+FFFD).
std::wstring WideOf(const std::string& utf8);
std::string Utf8Of(const std::wstring& wide);
#endif

}  // namespace kestrova::io

#endif  // KESTROVA_IO_PATHS_H_

#include "cli/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kestrova::cli {
namespace {

#ifdef _WIN32

std::string LastError() {
  char text[256] = {};
  const DWORD code = GetLastError();
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr) == 0) {
    std::snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(code));
  }
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
    message.pop_back();
  }
  return message;
}

struct Identity {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
  DWORD type;  // FILE_TYPE_DISK for a file
};

bool IdentityOf(HANDLE handle, Identity& id) {
  BY_HANDLE_FILE_INFORMATION info{};
  id.type = GetFileType(handle);
  if (id.type != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) return false;
  id.volume = info.dwVolumeSerialNumber;
  id.indexHigh = info.nFileIndexHigh;
  id.indexLow = info.nFileIndexLow;
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The identity of the file `path` names, if it exists; `type` is set either way
// when it can be opened.
bool IdentityOf(const std::string& path, Identity& id, bool& exists) {
  HANDLE handle =
      CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  exists = handle != INVALID_HANDLE_VALUE;
  if (!exists) return false;
  const bool ok = IdentityOf(handle, id);
  CloseHandle(handle);
  return ok;
}

#else

std::string LastError() { return std::strerror(errno); }

#endif

}  // namespace

bool IsSameFile(std::FILE* stream, const std::string& path) {
#ifdef _WIN32
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  Identity open{};
  Identity named{};
  bool exists = false;
  if (handle == INVALID_HANDLE_VALUE || !IdentityOf(handle, open) || !IdentityOf(path, named, exists))
    return false;
  return open.volume == named.volume && open.indexHigh == named.indexHigh && open.indexLow == named.indexLow;
#else
  struct stat open {};
  struct stat named {};
  if (fstat(fileno(stream), &open) != 0 || !S_ISREG(open.st_mode) || stat(path.c_str(), &named) != 0)
    return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#endif
}

bool OutputFile::Open(const std::string& path, std::string& error) {
  Discard();
  target_ = path;
#ifdef _WIN32
  Identity id{};
  bool exists = false;
  IdentityOf(path, id, exists);
  if (exists && id.type != FILE_TYPE_DISK) {
    stream_ = std::fopen(path.c_str(), "wb");
    if (stream_ == nullptr) error = std::strerror(errno);
    return stream_ != nullptr;
  }
  // A name of our own beside the target, created only if it does not exist yet.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".tmp-%lu-%u", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned>(GetTickCount() + attempt));
    temporary_ = path + suffix;
    HANDLE handle = CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      error = LastError();
      temporary_.clear();
      return false;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
    stream_ = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (stream_ == nullptr) {
      if (fd >= 0) {
        _close(fd);
      } else {
        CloseHandle(handle);
      }
      DeleteFileA(temporary_.c_str());
      temporary_.clear();
      error = "cannot write a temporary file";
      return false;
    }
    return true;
  }
  temporary_.clear();
  error = "no free temporary file name";
  return false;
#else
  struct stat existing {};
  const bool exists = stat(path.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
    stream_ = std::fopen(path.c_str(), "wb");
    if (stream_ == nullptr) error = LastError();
    return stream_ != nullptr;
  }
  // A symbolic link stays: the file it points to is the one replaced.
  struct stat link {};
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      target_ = resolved;
      std::free(resolved);
    }
  }
  temporary_ = target_ + ".tmp-XXXXXX";
  const int fd = mkstemp(temporary_.data());
  if (fd < 0) {
    error = LastError();
    temporary_.clear();
    return false;
  }
  // The permissions a new file would get, or those of the file replaced.
  mode_t mode;
  if (exists && S_ISREG(existing.st_mode)) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  stream_ = fchmod(fd, mode) == 0 ? fdopen(fd, "wb") : nullptr;
  if (stream_ == nullptr) {
    error = LastError();
    close(fd);
    unlink(temporary_.c_str());
    temporary_.clear();
    return false;
  }
  return true;
#endif
}

long OutputFile::Written() const { return stream_ != nullptr ? std::ftell(stream_) : 0; }

bool OutputFile::Commit(std::string& error) {
  if (stream_ == nullptr) {
    error = "not open";
    return false;
  }
  bool ok = std::fflush(stream_) == 0;
  if (!ok) error = LastError();
#ifdef _WIN32
  if (ok && !temporary_.empty() &&
      !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream_))))) {
    ok = false;
    error = LastError();
  }
#else
  if (ok && !temporary_.empty() && fsync(fileno(stream_)) != 0) {
    ok = false;
    error = LastError();
  }
#endif
  if (std::fclose(stream_) != 0 && ok) {
    ok = false;
    error = LastError();
  }
  stream_ = nullptr;
  if (temporary_.empty()) return ok;
#ifdef _WIN32
  if (ok &&
      !MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = LastError();
  }
  if (!ok) DeleteFileA(temporary_.c_str());
#else
  if (ok && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    ok = false;
    error = LastError();
  }
  if (!ok) unlink(temporary_.c_str());
#endif
  temporary_.clear();
  return ok;
}

void OutputFile::Discard() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.empty()) {
#ifdef _WIN32
    DeleteFileA(temporary_.c_str());
#else
    unlink(temporary_.c_str());
#endif
  }
  temporary_.clear();
}

}  // namespace kestrova::cli

#include "io/paths.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>

#include "io/windows.h"
#else
#include <unistd.h>
#endif

namespace kestrova::io {

bool IsWindowsDeviceName(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  name = name.substr(0, name.find('.'));  // the stem: Windows ignores what follows the first dot
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  auto is = [&](std::string_view word) {
    if (name.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (upper(name[i]) != word[i]) return false;
    }
    return true;
  };
  if (is("CON") || is("PRN") || is("AUX") || is("NUL")) return true;
  if (name.size() != 4 || name[3] < '1' || name[3] > '9') return false;
  name.remove_suffix(1);
  return is("COM") || is("LPT");
}

std::string FileNamePartOf(std::string_view id, std::size_t maxBytes) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!id.empty() && isBlank(id.front())) id.remove_prefix(1);
  while (!id.empty() && isBlank(id.back())) id.remove_suffix(1);
  const auto isLetterOrDigit = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  };
  std::string part;
  bool hasLetterOrDigit = false;
  for (const char c : id) {
    if (part.size() >= maxBytes) break;
    if (isLetterOrDigit(c) || c == '_' || (c == '-' && !part.empty())) {
      part += c;
      hasLetterOrDigit = hasLetterOrDigit || isLetterOrDigit(c);
    } else if (part.empty() || part.back() != '_') {
      part += '_';
    }
  }
  if (!hasLetterOrDigit) return {};
  if (IsWindowsDeviceName(part)) part += '_';
  return part;
}

#ifdef _WIN32

namespace {

std::string Trimmed(std::string message) {
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.' ||
                              message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

FileKind KindOfType(DWORD type) { return type == FILE_TYPE_DISK ? FileKind::kRegular : FileKind::kOther; }

// The identity of an open handle: by GetFileInformationByHandle, or where that
// fails (Wine's standard handles, error 6) by the file id alone.
FileIdentity IdentityOfHandle(HANDLE handle) {
  FileIdentity id;
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return id;
  id.kind = KindOfType(GetFileType(handle));
  if (id.kind != FileKind::kRegular) return id;
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_ID_INFO fileId{};
  if (GetFileInformationByHandle(handle, &info)) {
    id.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    id.volume = info.dwVolumeSerialNumber;
    id.volumeKnown = true;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) id.kind = FileKind::kDirectory;
  } else if (GetFileInformationByHandleEx(handle, FileIdInfo, &fileId, sizeof fileId)) {
    std::memcpy(&id.index, fileId.FileId.Identifier, sizeof id.index);
    id.volume = fileId.VolumeSerialNumber;
    id.volumeKnown = fileId.VolumeSerialNumber != 0;
  } else {
    id.kind = FileKind::kUnknown;
  }
  return id;
}

}  // namespace

std::wstring WideOf(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8Of(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr,
                      nullptr);
  return utf8;
}

std::string SystemErrorText() {
  const DWORD code = GetLastError();
  if (code == 0) return std::strerror(errno);
  char text[256] = {};
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr) == 0) {
    std::snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(code));
  }
  return Trimmed(text);
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  SetLastError(0);
  return _wfopen(WideOf(path).c_str(), WideOf(mode).c_str());
}

bool MakeDirectory(const std::string& path, std::string& error) {
  const std::wstring wide = WideOf(path);
  if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
  const DWORD code = GetLastError();
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  SetLastError(code == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : code);
  error = SystemErrorText();
  return false;
}

FileIdentity IdentityOf(const std::string& path) {
  HANDLE handle = CreateFileW(WideOf(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    FileIdentity id;
    // Present but not to be opened (locked, no access): known to exist only.
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && code != ERROR_INVALID_NAME &&
        GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
      id.kind = FileKind::kUnknown;
    }
    return id;
  }
  const FileIdentity id = IdentityOfHandle(handle);
  CloseHandle(handle);
  return id;
}

FileIdentity IdentityOf(std::FILE* stream) {
  return IdentityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

#else

std::string SystemErrorText() { return std::strerror(errno); }

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

bool MakeDirectory(const std::string& path, std::string& error) {
  if (mkdir(path.c_str(), 0777) == 0) return true;
  const int code = errno;
  struct stat st {};
  if (code == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  errno = code == EEXIST ? ENOTDIR : code;
  error = SystemErrorText();
  return false;
}

namespace {

FileIdentity IdentityOfStat(const struct stat& st) {
  FileIdentity id;
  id.kind = S_ISREG(st.st_mode)   ? FileKind::kRegular
            : S_ISDIR(st.st_mode) ? FileKind::kDirectory
                                  : FileKind::kOther;
  id.index = static_cast<std::uint64_t>(st.st_ino);
  id.volume = static_cast<std::uint64_t>(st.st_dev);
  id.volumeKnown = true;
  return id;
}

}  // namespace

FileIdentity IdentityOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) return IdentityOfStat(st);
  FileIdentity id;
  if (errno != ENOENT && errno != ENOTDIR && lstat(path.c_str(), &st) == 0) id.kind = FileKind::kUnknown;
  return id;
}

FileIdentity IdentityOf(std::FILE* stream) {
  struct stat st {};
  const int fd = fileno(stream);
  if (fd >= 0 && fstat(fd, &st) == 0) return IdentityOfStat(st);
  FileIdentity id;
  id.kind = fd < 0 ? FileKind::kOther : FileKind::kUnknown;  // a stream in memory is no file
  return id;
}

#endif

Sameness Compare(const FileIdentity& a, const FileIdentity& b) {
  const auto isFile = [](FileKind kind) { return kind == FileKind::kRegular || kind == FileKind::kUnknown; };
  if (!isFile(a.kind) || !isFile(b.kind)) return Sameness::kDifferent;
  if (a.kind == FileKind::kUnknown || b.kind == FileKind::kUnknown) return Sameness::kUnknown;
  if (a.index != b.index) return Sameness::kDifferent;
  if (a.volumeKnown && b.volumeKnown && a.volume != b.volume) return Sameness::kDifferent;
  return Sameness::kSame;
}

}  // namespace kestrova::io

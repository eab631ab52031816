#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>

#ifdef _WIN32
#include <io.h>

#include "io/windows.h"
#else
#include <dirent.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kestrova::io {
namespace {

constexpr std::string_view kTemporaryPrefix = ".kestrova-";
constexpr std::string_view kTemporarySuffix = ".tmp";

#ifdef _WIN32
using PathChar = wchar_t;
unsigned long ProcessId() { return GetCurrentProcessId(); }
#else
using PathChar = char;
unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }
#endif

// The live temporary files, for the signal handlers: a fixed table of owned
// copies of their names, each slot set and cleared atomically, so a handler
// that interrupts Register or Unregister sees each name whole or not at all.
constexpr std::size_t kSlots = 32;
std::atomic<PathChar*> g_live[kSlots];

#ifdef _WIN32
// The console handler runs on a thread of its own: it holds this lock from the
// moment it starts removing files until the process ends.
CRITICAL_SECTION g_liveLock;
// The open handle of each slot's file while it is open, else null. Taken
// under g_liveLock: the handler never sees a handle already closed.
HANDLE g_liveHandle[kSlots];

// Removes the live files. An open one is not shared for deletion (no other
// process may remove it), so it is marked through its own handle and goes when
// the ending process closes it; a closed one is removed by name.
void RemoveLive() {
  for (std::size_t i = 0; i < kSlots; ++i) {
    const PathChar* name = g_live[i].load();
    if (name == nullptr) continue;
    FILE_DISPOSITION_INFO dispose{TRUE};
    if (g_liveHandle[i] == nullptr ||
        !SetFileInformationByHandle(g_liveHandle[i], FileDispositionInfo, &dispose, sizeof dispose))
      DeleteFileW(name);
  }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ||
      event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    EnterCriticalSection(&g_liveLock);
    RemoveLive();
  }
  return FALSE;  // the default handler ends the process
}

void InstallHandlers() {
  InitializeCriticalSection(&g_liveLock);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

struct LiveLock {
  LiveLock() { EnterCriticalSection(&g_liveLock); }
  ~LiveLock() { LeaveCriticalSection(&g_liveLock); }
  LiveLock(const LiveLock&) = delete;
  LiveLock& operator=(const LiveLock&) = delete;
};

PathChar* CopyName(const std::string& path) {
  const std::wstring wide = WideOf(path);
  auto* copy = static_cast<wchar_t*>(std::malloc((wide.size() + 1) * sizeof(wchar_t)));
  if (copy != nullptr) std::wmemcpy(copy, wide.c_str(), wide.size() + 1);
  return copy;
}
#else
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGXFSZ};

extern "C" void OnSignal(int signal) {
  const int saved = errno;
  for (auto& slot : g_live) {
    if (const PathChar* name = slot.load()) unlink(name);
  }
  // Ends the process as the signal would have, once this handler returns.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  errno = saved;
}

void InstallHandlers() {
  for (int signal : kSignals) {
    struct sigaction old {};
    if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int other : kSignals) sigaddset(&action.sa_mask, other);
    sigaction(signal, &action, nullptr);
  }
}

struct LiveLock {
  LiveLock() {}  // a signal handler interrupts this thread: the atomic slots are enough
};

PathChar* CopyName(const std::string& path) { return strdup(path.c_str()); }
#endif

// Registers a temporary file; false when the table is full.
bool Register(const std::string& path) {
  static const bool installed = (InstallHandlers(), true);
  (void)installed;
  PathChar* copy = CopyName(path);
  if (copy == nullptr) return false;
  LiveLock lock;
  for (auto& slot : g_live) {
    PathChar* empty = nullptr;
    if (slot.compare_exchange_strong(empty, copy)) return true;
  }
  std::free(copy);
  return false;
}

void Unregister(const std::string& path) {
  LiveLock lock;
#ifdef _WIN32
  const std::wstring name = WideOf(path);
#else
  const std::string& name = path;
#endif
  for (std::size_t i = 0; i < kSlots; ++i) {
    PathChar* current = g_live[i].load();
    if (current != nullptr && name == current && g_live[i].compare_exchange_strong(current, nullptr)) {
#ifdef _WIN32
      g_liveHandle[i] = nullptr;
#endif
      std::free(current);
      return;
    }
  }
}

#ifdef _WIN32
// Gives the console handler the open handle of the registered file `path`
// (null once it is to be closed).
void SetLiveHandle(const std::string& path, HANDLE handle) {
  LiveLock lock;
  const std::wstring name = WideOf(path);
  for (std::size_t i = 0; i < kSlots; ++i) {
    const PathChar* current = g_live[i].load();
    if (current != nullptr && name == current) g_liveHandle[i] = handle;
  }
}
#endif

// The folder part of `path` with its separator ("dir/" or ""), and the rest.
std::size_t NameStart(const std::string& path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("/\\:");
#else
  const std::size_t slash = path.rfind('/');
#endif
  return slash == std::string::npos ? 0 : slash + 1;
}

// Whether `name` is one of the temporary files this program writes.
bool IsTemporaryName(std::string_view name) {
  return name.size() > kTemporaryPrefix.size() + kTemporarySuffix.size() &&
         name.starts_with(kTemporaryPrefix) && name.ends_with(kTemporarySuffix);
}

#ifdef _WIN32

// A live run's temporary file is open without delete sharing, so the system
// refuses to remove it (whichever computer of a shared folder wrote it); what
// can be removed is a leftover.
void RemoveStaleTemporaries(const std::string& folder) {
  WIN32_FIND_DATAW found;
  const std::string pattern = (folder.empty() ? std::string(".\\") : folder) + ".kestrova-*.tmp";
  HANDLE search = FindFirstFileW(WideOf(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Utf8Of(found.cFileName);
    if (IsTemporaryName(name) && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      DeleteFileW(WideOf(folder + name).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

#else

// A live run holds an exclusive lock on its temporary file from the moment it
// is created (see LockAsOurs), so one that can be locked here is a leftover of
// a run that ended without removing it. The lock is the system's, not a
// process id: it holds across PID namespaces and between machines of a shared
// folder where the file system passes locks on.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    if (!IsTemporaryName(entry->d_name)) continue;
    const int fd = openat(dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat held {};
    struct stat named {};
    // Still the file that was locked: the name may have been removed and
    // taken again meanwhile.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
        fstatat(dirfd(dir), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == held.st_ino &&
        named.st_dev == held.st_dev) {
      unlinkat(dirfd(dir), entry->d_name, 0);
    }
    close(fd);
  }
  closedir(dir);
}

// Locks the temporary file just created at `path` as `fd` for as long as it
// is open. False when another run's sweep removed it between its creation
// and the lock (it found it unlocked): the caller then makes another.
bool LockAsOurs(int fd, const std::string& path) {
  struct stat held {};
  struct stat named {};
  return flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 &&
         named.st_ino == held.st_ino && named.st_dev == held.st_dev;
}

// Follows symbolic links from `path` to the name they end at, whether a file
// is there or not; false with errno when a link cannot be read or they loop.
bool FollowLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISLNK(st.st_mode)) return true;
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    const ssize_t n = readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return false;
    link.resize(static_cast<std::size_t>(n));
    path = link.starts_with('/') ? link : path.substr(0, NameStart(path)) + link;
  }
  errno = ELOOP;
  return false;
}

// The target may not be replaced when the user could not write it directly.
// A file without any write bit is left alone by root as well.
bool MayReplace(const std::string& path, const struct stat& st) {
  return (st.st_mode & 0222) != 0 && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

#endif

// ".kestrova-<pid>-<n>.tmp" in `folder`, n counting up within the process.
std::string NextTemporaryName(const std::string& folder) {
  static unsigned counter = 0;
  return folder + std::string(kTemporaryPrefix) + std::to_string(ProcessId()) + "-" +
         std::to_string(counter++) + std::string(kTemporarySuffix);
}

// Sweeps each folder once per process: a batch may open 100,000 files in one.
void RemoveStaleTemporariesOnce(const std::string& folder) {
  static std::set<std::string> swept;
  if (swept.insert(folder).second) RemoveStaleTemporaries(folder);
}

}  // namespace

bool OutputFile::Fail(std::string reason) {
  if (error_.empty()) error_ = std::move(reason);
  return false;
}

bool OutputFile::Write(std::string_view bytes) {
  if (stream_ == nullptr) return Fail("not open");
  const std::size_t n = std::fwrite(bytes.data(), 1, bytes.size(), stream_);
  written_ += n;
  if (n != bytes.size()) return Fail(SystemErrorText());
  StartWriteback();
  return true;
}

// A batch output of hundreds of megabytes would otherwise sit in the page
// cache until the fsync in Commit, which then waits for all of it; started
// early, the disk writes while the rows are computed. Only a hint: it waits
// for nothing and reports nothing (SYNC_FILE_RANGE_WRITE alone does not take a
// write error that fsync must still see), and fsync remains what makes the
// file durable before the rename.
void OutputFile::StartWriteback() {
#ifdef __linux__
  constexpr std::uint64_t kEvery = std::uint64_t{8} << 20;
  // The stream may still hold up to a buffer of the bytes counted: the next
  // range starts this far back, so that they are asked for then.
  constexpr std::uint64_t kStreamBufferMargin = std::uint64_t{64} << 10;
  if (temporary_.empty() || written_ - writebackFrom_ < kEvery) return;
  // Length 0: to the end of what the system holds.
  (void)sync_file_range(fileno(stream_), static_cast<off64_t>(writebackFrom_), 0, SYNC_FILE_RANGE_WRITE);
  writebackFrom_ = written_ - kStreamBufferMargin;
#endif
}

bool OutputFile::Flush() {
  if (stream_ == nullptr) return Fail("not open");
  return std::fflush(stream_) == 0 || Fail(SystemErrorText());
}

bool OutputFile::Open(const std::string& path, std::string& error, LinkPolicy policy) {
  Discard();
  written_ = 0;
  writebackFrom_ = 0;
  error_.clear();
  target_ = path;
#ifdef _WIN32
  const std::wstring wide = WideOf(path);
  if (policy == LinkPolicy::kReplaceTarget && IdentityOf(path).kind == FileKind::kOther) {
    stream_ = OpenFile(path, "wb");
    if (stream_ == nullptr) error = SystemErrorText();
    return stream_ != nullptr;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      error = "the file is read-only";
      return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      HANDLE probe =
          CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
      if (probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        error = SystemErrorText();
        return false;
      }
      if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    }
  }
  const std::string folder = path.substr(0, NameStart(path));
  RemoveStaleTemporariesOnce(folder);
  // A name of our own beside the target, created only if it does not exist yet.
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    temporary_ = NextTemporaryName(folder);
    if (!Register(temporary_)) {
      temporary_.clear();
      error = "too many output files open at once";
      return false;
    }
    // Not shared for deletion: no other run can remove it while it is open.
    // DELETE: the console handler can mark it for removal through the handle.
    HANDLE handle = CreateFileW(WideOf(temporary_).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      Unregister(temporary_);
      if (code == ERROR_FILE_EXISTS) continue;
      SetLastError(code);
      error = SystemErrorText();
      temporary_.clear();
      return false;
    }
    SetLiveHandle(temporary_, handle);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
    stream_ = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (stream_ == nullptr) {
      SetLiveHandle(temporary_, nullptr);
      if (fd >= 0) {
        _close(fd);
      } else {
        CloseHandle(handle);
      }
      error = "cannot write a temporary file";
      Discard();
      return false;
    }
    return true;
  }
  temporary_.clear();
  error = "no free temporary file name";
  return false;
#else
  if (policy == LinkPolicy::kReplaceTarget && !FollowLinks(target_)) {
    error = SystemErrorText();
    return false;
  }
  struct stat existing {};
  const bool exists = (policy == LinkPolicy::kReplaceTarget ? stat(target_.c_str(), &existing)
                                                            : lstat(target_.c_str(), &existing)) == 0;
  if (exists && policy == LinkPolicy::kReplaceTarget && !S_ISREG(existing.st_mode) &&
      !S_ISDIR(existing.st_mode)) {
    stream_ = std::fopen(target_.c_str(), "wb");
    if (stream_ == nullptr) error = SystemErrorText();
    return stream_ != nullptr;
  }
  const bool replacing = exists && S_ISREG(existing.st_mode);
  if (replacing && !MayReplace(target_, existing)) {
    error = "the file is read-only";
    return false;
  }
  const std::string folder = target_.substr(0, NameStart(target_));
  RemoveStaleTemporariesOnce(folder);
  int fd = -1;
  for (unsigned attempt = 0; attempt < 1000 && fd < 0; ++attempt) {
    temporary_ = NextTemporaryName(folder);
    // Registered before it exists, so no signal can come between the two.
    if (!Register(temporary_)) {
      temporary_.clear();
      error = "too many output files open at once";
      return false;
    }
    fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      const int code = errno;
      Unregister(temporary_);
      temporary_.clear();
      if (code == EEXIST) continue;
      errno = code;
      error = SystemErrorText();
      return false;
    }
    if (!LockAsOurs(fd, temporary_)) {
      close(fd);
      Unregister(temporary_);  // not removed: the name may be another run's by now
      temporary_.clear();
      fd = -1;
    }
  }
  if (fd < 0) {
    error = "no free temporary file name";
    return false;
  }
  // The permissions a new file would get, or those (and where allowed the
  // owner and group) of the file replaced; the owner first, since a change of
  // owner may clear the set-id bits.
  mode_t mode;
  if (replacing) {
    mode = existing.st_mode & 07777;
    // Where that is not permitted, the group alone, or the file becomes the
    // user's as any file the user makes.
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0)
      (void)!fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  stream_ = fchmod(fd, mode) == 0 ? fdopen(fd, "wb") : nullptr;
  if (stream_ == nullptr) {
    error = SystemErrorText();
    close(fd);
    Discard();
    return false;
  }
  return true;
#endif
}

bool OutputFile::Commit(std::string& error, Durability durability) {
  if (stream_ == nullptr) {
    error = "not open";
    return false;
  }
  bool ok = Flush();
  const bool sync = ok && !temporary_.empty() && durability == Durability::kSynced;
#ifdef _WIN32
  if (sync && !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream_))))) {
    ok = Fail(SystemErrorText());
  }
#else
  if (sync && fsync(fileno(stream_)) != 0) ok = Fail(SystemErrorText());
#endif
  ForgetHandle();
  if (std::fclose(stream_) != 0 && ok) ok = Fail(SystemErrorText());
  stream_ = nullptr;
  if (ok && !temporary_.empty()) {
#ifdef _WIN32
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (sync ? MOVEFILE_WRITE_THROUGH : 0);
    if (!MoveFileExW(WideOf(temporary_).c_str(), WideOf(target_).c_str(), flags))
      ok = Fail(SystemErrorText());
#else
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) ok = Fail(SystemErrorText());
#endif
    if (ok) {
      Unregister(temporary_);
      temporary_.clear();
    }
  }
  if (!ok) {
    error = error_;
    Discard();
  }
  return ok;
}

void OutputFile::ForgetHandle() {
#ifdef _WIN32
  if (!temporary_.empty()) SetLiveHandle(temporary_, nullptr);
#endif
}

void OutputFile::Discard() {
  ForgetHandle();
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.empty()) {
#ifdef _WIN32
    DeleteFileW(WideOf(temporary_).c_str());
#else
    unlink(temporary_.c_str());
#endif
    Unregister(temporary_);
  }
  temporary_.clear();
}

}  // namespace kestrova::io

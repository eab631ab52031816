#include "app/report_files.h"

#include <algorithm>
#include <cstdint>

#include "app/win.h"
#include "io/paths.h"
#include "texts/japanese_texts.h"

namespace kestrova::app {
namespace {

constexpr std::size_t kMaxIdBytes = 32;
// Enough for every page one second can see; past it the folder is taken to be
// unusable rather than searched on.
constexpr int kMaxPagesPerSecond = 1000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from `at` on: how many.
std::size_t DigitsAt(std::string_view text, std::size_t at) {
  std::size_t n = 0;
  while (at + n < text.size() && IsDigit(text[at + n])) ++n;
  return n;
}

// Writes all of `bytes` to `file`.
bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

std::string ReportFolder() {
  char temp[MAX_PATH] = {};
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return {};
  std::string folder = std::string(temp, length) + "Kestrova";
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder;
}

std::string IdNamePart(std::string_view id) { return io::FileNamePartOf(id, kMaxIdBytes); }

bool IsReportPageName(std::string_view name) {
  constexpr std::string_view kExtension = ".html";
  if (name.size() < kExtension.size() || name.substr(name.size() - kExtension.size()) != kExtension)
    return false;
  name.remove_suffix(kExtension.size());
  // Earlier versions named a page by date, sex and age ("20261207_女性_45歳").
  if (name.size() > 9 && DigitsAt(name, 0) == 8 && name[8] == '_' && name.ends_with(texts::kYearsSuffix))
    return true;
  if (name.size() < 17 || DigitsAt(name, 0) != 8 || name[8] != '-' || DigitsAt(name, 9) != 6 ||
      name[15] != '-')
    return false;
  const std::size_t counter = DigitsAt(name, 16);
  if (counter == 0) return false;
  return 16 + counter == name.size() || name[16 + counter] == '_';
}

std::string WriteNewReportPage(const std::string& folder, std::string_view id, std::string_view bytes) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char stamp[32] = {};
  wsprintfA(stamp, "%04u%02u%02u-%02u%02u%02u-", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
            now.wSecond);
  const std::string part = IdNamePart(id);
  const std::string suffix = (part.empty() ? "" : "_" + part) + ".html";
  for (int n = 1; n <= kMaxPagesPerSecond; ++n) {
    const std::string path = folder + "\\" + stamp + std::to_string(n) + suffix;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return {};
    }
    const bool written = WriteAll(file, bytes);
    const bool closed = CloseHandle(file) != 0;
    if (written && closed) return path;
    DeleteFileA(path.c_str());  // the browser must never get a page cut short
    return {};
  }
  return {};
}

void RemoveOldReportPages() {
  char temp[MAX_PATH] = {};
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return;
  const std::string folder = std::string(temp, length) + "Kestrova\\";
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  constexpr std::uint64_t kWeek = 7ull * 24 * 60 * 60 * 10'000'000;  // in 100-nanosecond ticks
  const std::uint64_t limit = Ticks(now) > kWeek ? Ticks(now) - kWeek : 0;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "*.html").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!IsReportPageName(found.cFileName) || Ticks(found.ftLastWriteTime) >= limit) continue;
    DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace kestrova::app

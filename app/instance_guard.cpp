#include "app/instance_guard.h"

#include <cstdint>
#include <cstring>

#include "app/main_window.h"

namespace kestrova::app {
namespace {

HWND StoredWindow(const void* view) {
  std::int32_t stored = 0;
  std::memcpy(&stored, view, sizeof stored);
  // Sign-extended, as a 32-bit handle becomes a 64-bit one.
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(stored));
}

void StoreWindow(void* view, HWND window) {
  const auto stored = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(window));
  std::memcpy(view, &stored, sizeof stored);
}

// True when `window` is the main window of another running kestrova.exe: a
// live window of this program's class and title that belongs to a process
// other than this one. Other programs use the generic block name and the
// generic class name too, and a handle left by an instance that has ended may
// since name any window or none.
bool IsOtherInstance(HWND window) {
  if (window == nullptr || !IsWindow(window)) return false;
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpA(className, kMainWindowClass) != 0) return false;
  char title[32] = {};
  GetWindowTextA(window, title, sizeof title);
  if (lstrcmpA(title, kMainWindowTitle) != 0) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process != 0 && process != GetCurrentProcessId();
}

}  // namespace

InstanceGuard GuardSingleInstance(HWND ownWindow, const char* mappingName) {
  HANDLE mapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kInstanceBlockSize, mappingName);
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;  // read before any other call
  if (mapping == nullptr) return InstanceGuard{};

  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
  if (view == nullptr) {
    CloseHandle(mapping);
    return InstanceGuard{};
  }
  const HWND other = existed ? StoredWindow(view) : nullptr;
  const bool otherRuns = IsOtherInstance(other);
  if (!otherRuns) StoreWindow(view, ownWindow);  // new block, or taken over
  FlushViewOfFile(view, 4);
  UnmapViewOfFile(view);

  if (otherRuns) {
    BringWindowForward(other);
    CloseHandle(mapping);
    return InstanceGuard{false, nullptr};
  }
  return InstanceGuard{true, mapping};
}

void BringWindowForward(HWND window) {
  ShowWindow(window, SW_SHOWNORMAL);
  // Topmost and back: in front of every normal window, but not kept on top.
  constexpr UINT kFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW;
  SetWindowPos(window, HWND_TOPMOST, -1, -1, -1, -1, kFlags);
  SetWindowPos(window, HWND_NOTOPMOST, -1, -1, -1, -1, kFlags);
}

}  // namespace kestrova::app

// Keeps a second start of the program from opening a second window.
//
// The instances meet in a named file mapping (paging file, read/write) of
// 8 bytes: bytes 0 to 3 hold the main window handle of the instance that owns
// the screen, 32-bit little-endian (window handles are 32-bit values, sign-
// extended in a 64-bit process); bytes 4 to 7 are unused. That instance keeps
// its mapping handle open until it ends, so the block, and the handle in it,
// live exactly as long as it does.
#ifndef KESTROVA_APP_INSTANCE_GUARD_H_
#define KESTROVA_APP_INSTANCE_GUARD_H_

#include "app/win.h"

namespace kestrova::app {

// Name of the shared block through which the instances find each other.
inline constexpr const char* kInstanceMappingName = "AppName";
inline constexpr DWORD kInstanceBlockSize = 8;

struct InstanceGuard {
  bool goOn = true;        // false: another instance runs; close the own window unshown
  HANDLE block = nullptr;  // the open mapping to keep until the process ends; null when none
};

// Looks in the block `mappingName` for a running instance's main window.
//   - The block is new, or holds no live main window of another kestrova.exe
//     (0, a stale handle, a window of some other program that uses the same
//     name, or this process's own window): this instance writes `ownWindow`
//     into bytes 0 to 3, keeps the block open and goes on.
//   - It holds the main window of another running instance: that window is
//     brought forward (BringWindowForward) and this instance must end.
//   - The block cannot be made (the name belongs to another kind of object),
//     or its view cannot be mapped (it is not writable): nothing is read or
//     written and this instance goes on with its own window; a start never
//     ends without a window unless another window was brought forward.
InstanceGuard GuardSingleInstance(HWND ownWindow, const char* mappingName);

// Makes another instance's main window visible (restored if it was minimised)
// and puts it in front of the other normal windows without leaving it topmost.
void BringWindowForward(HWND window);

}  // namespace kestrova::app

#endif  // KESTROVA_APP_INSTANCE_GUARD_H_

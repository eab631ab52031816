// Looking at a running Windows program from outside its process: start it,
// wait (with bounded timeouts) for its window and for what it paints, capture
// the window's pixels from the screen, close it and collect its exit code.
#ifndef KESTROVA_TOOLS_WINPROBE_WINPROBE_H_
#define KESTROVA_TOOLS_WINPROBE_WINPROBE_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "io/windows.h"
#include "tools/winprobe/png_writer.h"

namespace kestrova::winprobe {

// Polls `condition` every `pollMs` until it holds (true) or `timeoutMs` has
// passed (false). Conditions are cheap Win32 queries; the poll interval only
// bounds how late the holding condition is noticed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 10);

// A Unix path ("/work/…") as a path Wine's Windows programs can open ("Z:/work/…");
// other paths are returned unchanged.
std::string WindowsPath(const std::string& path);

// A started program. If it still runs when this object goes away it is killed.
class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // Starts `exePath` with the command line `"exePath" arguments`. False when it
  // cannot be started.
  bool Start(const std::string& exePath, const std::string& arguments);

  // The visible top-level window of class `className` that belongs to this
  // process, once it exists and the process has gone idle (its first paint
  // done); nullptr after `timeoutMs`.
  HWND WaitForWindow(const char* className, DWORD timeoutMs);

  // The exit code once the process has ended within `timeoutMs`.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);

  DWORD processId() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// The screen pixels of `rect` (screen coordinates), as the user sees them.
Image CaptureScreen(const RECT& rect);

// The window's client area, from the screen.
Image CaptureClientArea(HWND window);

// The whole window, frame and title bar included, from the screen.
Image CaptureWindow(HWND window);

inline std::uint8_t Red(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 16); }
inline std::uint8_t Green(std::uint32_t p) { return static_cast<std::uint8_t>(p >> 8); }
inline std::uint8_t Blue(std::uint32_t p) { return static_cast<std::uint8_t>(p); }

}  // namespace kestrova::winprobe

#endif  // KESTROVA_TOOLS_WINPROBE_WINPROBE_H_

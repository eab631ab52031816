// kestrova-shot: starts kestrova.exe, waits for its window and its first
// paint, saves a screenshot of the window as PNG, closes the window and
// returns the program's exit code.
//
//   kestrova-shot OUT.png PATH\TO\kestrova.exe [arguments for kestrova.exe…]
#include <cstdio>
#include <string>

#include "tools/winprobe/winprobe.h"

namespace {

using namespace kestrova::winprobe;

constexpr DWORD kTimeoutMs = 20000;
constexpr std::uint32_t kPanelColour = 0xF5F5F5;

// True once the panel fill stands in the client area (its top-left corner
// holds no control) and two captures in a row agree: the paint has reached
// the screen.
bool PaintSettled(HWND window, Image& last) {
  Image now = CaptureClientArea(window);
  if (now.width < 8 || now.height < 8 || now.At(4, 4) != kPanelColour) return false;
  const bool same = now.pixels == last.pixels && now.width == last.width;
  last = std::move(now);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: kestrova-shot OUT.png PATH\\TO\\kestrova.exe [arguments…]\n", stderr);
    return 2;
  }
  const std::string out = argv[1];
  std::string arguments;
  for (int i = 3; i < argc; ++i) {
    if (!arguments.empty()) arguments += ' ';
    arguments += argv[i];
  }
  Program program;
  if (!program.Start(argv[2], arguments)) {
    std::fprintf(stderr, "kestrova-shot: cannot start %s\n", argv[2]);
    return 3;
  }
  HWND window = program.WaitForWindow("NORMAL0", kTimeoutMs);
  if (window == nullptr) {
    std::fputs("kestrova-shot: the window did not appear\n", stderr);
    return 4;
  }
  Image last;
  if (!WaitUntil([&] { return PaintSettled(window, last); }, kTimeoutMs, 50)) {
    std::fputs("kestrova-shot: the window was not painted\n", stderr);
    return 5;
  }
  if (!WritePng(out, CaptureWindow(window))) {
    std::fprintf(stderr, "kestrova-shot: cannot write %s\n", out.c_str());
    return 6;
  }
  std::printf("%s\n", out.c_str());
  PostMessageA(window, WM_CLOSE, 0, 0);
  const std::optional<DWORD> code = program.WaitForExit(kTimeoutMs);
  if (!code) {
    std::fputs("kestrova-shot: the program did not end after WM_CLOSE\n", stderr);
    return 7;
  }
  return static_cast<int>(*code);
}

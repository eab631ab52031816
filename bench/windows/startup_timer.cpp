// startup_timer: how long a Win32 program takes from its start to its first
// paint on the screen, against two yardsticks started the same way: a minimal
// window program, and a reference program with the same window and controls.
//
//   startup_timer RUNS PROGRAM.exe CLASS MINIMAL.exe CLASS REFERENCE.exe CLASS [arguments for PROGRAM…]
//
// One run: CreateProcess, then wait for the program's visible window of CLASS,
// for the program to go idle (its first WM_PAINT handled) and for the panel
// grey RGB(245, 245, 245) to show at client (4, 4); then WM_CLOSE and wait for
// the end. The three programs take turns; the medians are printed with the
// program's ratio to each yardstick.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/winprobe/winprobe.h"

namespace {

using namespace kestrova::winprobe;

constexpr DWORD kTimeoutMs = 20000;

// Milliseconds from CreateProcess to the first paint on the screen; negative
// when the program did not get there.
double TimeToFirstPaint(const std::string& exe, const char* className, const std::string& arguments) {
  LARGE_INTEGER frequency, start, painted;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  Program program;
  if (!program.Start(exe, arguments)) return -1;
  HWND window = program.WaitForWindow(className, kTimeoutMs);
  if (window == nullptr) return -1;
  const bool shown = WaitUntil(
      [&] {
        const Image client = CaptureClientArea(window);
        return client.width > 8 && client.height > 8 && client.At(4, 4) == 0xF5F5F5;
      },
      kTimeoutMs, 1);
  QueryPerformanceCounter(&painted);
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (!shown || !program.WaitForExit(kTimeoutMs)) return -1;
  return 1000.0 * static_cast<double>(painted.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 8) {
    std::fputs(
        "usage: startup_timer RUNS PROGRAM.exe CLASS MINIMAL.exe CLASS REFERENCE.exe CLASS [arguments…]\n",
        stderr);
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  std::string arguments;
  for (int i = 8; i < argc; ++i) {
    if (!arguments.empty()) arguments += ' ';
    arguments += argv[i];
  }

  // One unmeasured run each: the first start also loads Wine's DLLs from disk.
  TimeToFirstPaint(argv[2], argv[3], arguments);
  TimeToFirstPaint(argv[4], argv[5], "");
  TimeToFirstPaint(argv[6], argv[7], "");

  std::vector<double> program, minimal, reference;
  for (int i = 0; i < runs; ++i) {
    const double p = TimeToFirstPaint(argv[2], argv[3], arguments);
    const double m = TimeToFirstPaint(argv[4], argv[5], "");
    const double r = TimeToFirstPaint(argv[6], argv[7], "");
    if (p < 0 || m < 0 || r < 0) {
      std::fputs("startup_timer: a program did not show its window\n", stderr);
      return 1;
    }
    program.push_back(p);
    minimal.push_back(m);
    reference.push_back(r);
  }
  const double p = Median(program), m = Median(minimal), r = Median(reference);
  std::printf("runs: %d each\n", runs);
  std::printf("kestrova.exe start to first paint (median):  %.1f ms\n", p);
  std::printf("minimal window program (median):             %.1f ms\n", m);
  std::printf("same window and controls, nothing else:      %.1f ms\n", r);
  std::printf("ratio kestrova / minimal:   %.2f\n", p / m);
  std::printf("ratio kestrova / reference: %.2f (goal <= 1.05)\n", p / r);
  return 0;
}

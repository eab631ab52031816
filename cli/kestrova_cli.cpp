// kestrova-cli: the calculator's results on the command line (see cli/cli.h).
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32
#include "io/windows.h"
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "io/paths.h"

namespace {

// The arguments as the system gives them, in UTF-8: from the wide-character
// command line, so that 健診.csv or デスクトップ arrive whatever the ANSI code page.
std::vector<std::string> Arguments() {
  std::vector<std::string> words;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return words;
  for (int i = 1; i < count; ++i) words.push_back(kestrova::io::Utf8Of(wide[i]));
  LocalFree(wide);
  return words;
}

// A Windows console shows the report (UTF-8) as text once its output code page
// is UTF-8, and its colours once it interprets escape sequences; where it
// cannot, the report marks red cells with * instead.
bool PrepareConsole() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(output, &mode)) return false;
  SetConsoleOutputCP(CP_UTF8);
  return SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace
#else
namespace {

std::vector<std::string> Arguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

// Opens /dev/null on each of descriptors 0 to 2 that is closed, so that no
// file the program opens becomes its standard error (and gets its messages).
// Standard output and error are opened for reading only: writing them still
// fails as on a closed descriptor, so output to a closed standard output is an
// error, not lost in silence. Returns whether standard input was closed:
// reading it is then an error.
bool OpenStandardDescriptors() {
  bool stdinClosed = false;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    if (fd == 0) stdinClosed = true;
    const int opened = open("/dev/null", O_RDONLY);
    if (opened != fd) return stdinClosed;  // the lower ones are open, so this cannot happen
  }
  return stdinClosed;
}

// A reader that went away (`| head`) and a file-size limit (`ulimit -f`)
// would otherwise end the process by a signal, without a word and with a
// status no caller expects: ignored, they make the write fail, which is
// reported as any other write error (status 1, "Broken pipe", "File too large").
// Whatever disposition the caller left them with.
void IgnoreWriteSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace
#endif

int main(int argc, char** argv) {
  kestrova::cli::Terminal terminal;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  const std::vector<std::string> words = Arguments();
#else
  IgnoreWriteSignals();
  terminal.stdinClosed = OpenStandardDescriptors();
  const std::vector<std::string> words = Arguments(argc, argv);
#endif
  const std::vector<std::string_view> args(words.begin(), words.end());
  terminal.stdoutIsTerminal = isatty(STDOUT_FILENO) != 0;
  terminal.stderrIsTerminal = isatty(STDERR_FILENO) != 0;
#ifdef _WIN32
  if (terminal.stdoutIsTerminal) terminal.stdoutIsTerminal = PrepareConsole();
#endif
  return kestrova::cli::RunCli(args, stdin, stdout, stderr, terminal);
}

// kestrova-cli: the calculator's results on the command line (see cli/cli.h).
#include <unistd.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32
#include <windows.h>

namespace {

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
#endif

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  kestrova::cli::Terminal terminal;
  terminal.stdoutIsTerminal = isatty(STDOUT_FILENO) != 0;
  terminal.stderrIsTerminal = isatty(STDERR_FILENO) != 0;
#ifdef _WIN32
  if (terminal.stdoutIsTerminal) terminal.stdoutIsTerminal = PrepareConsole();
#endif
  return kestrova::cli::RunCli(args, stdin, stdout, stderr, terminal);
}

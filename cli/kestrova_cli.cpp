// kestrova-cli: the calculator's results on the command line (see cli/cli.h).
#include <unistd.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  kestrova::cli::Terminal terminal;
  terminal.stdoutIsTerminal = isatty(STDOUT_FILENO) != 0;
  terminal.stderrIsTerminal = isatty(STDERR_FILENO) != 0;
  return kestrova::cli::RunCli(args, stdin, stdout, stderr, terminal);
}

// kestrova-cli's dispatch, apart from main() so that the tests can run it on
// their own streams (the command line: cli/options.h).
#ifndef KESTROVA_CLI_CLI_H_
#define KESTROVA_CLI_CLI_H_

#include <cstdio>
#include <string_view>
#include <vector>

namespace kestrova::cli {

struct Terminal {
  bool stdoutIsTerminal = false;  // colours in the report
  bool stderrIsTerminal = false;  // progress line in batch mode
  bool stdinClosed = false;       // descriptor 0 was closed when the program started
};

// Runs the tool with `args` (without the program name); returns the exit status.
int RunCli(const std::vector<std::string_view>& args, std::FILE* in, std::FILE* out, std::FILE* err,
           Terminal terminal);

}  // namespace kestrova::cli

#endif  // KESTROVA_CLI_CLI_H_

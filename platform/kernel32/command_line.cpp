// The command line: what GetCommandLineA returns, and how the program's
// entry builds it from argv.
#include <cstring>
#include <string>

#include "layer.h"

namespace {

std::string &CommandLine() {
  static std::string line;
  return line;
}

bool NeedsQuotes(const char *argument) {
  return argument[0] == '\0' || std::strpbrk(argument, " \t\n\v\"") != nullptr;
}

// One argument as the C runtime's parser reads it back: backslashes are
// literal unless they precede a quote, where each pair gives one.
void AppendQuoted(std::string &line, const char *argument) {
  if (!NeedsQuotes(argument)) {
    line += argument;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (const char *c = argument; *c != '\0'; ++c) {
    if (*c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(*c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    line += *c;
  }
  line.append(2 * backslashes, '\\'); // before the closing quote
  line += '"';
}

} // namespace

LPSTR WINAPI GetCommandLineA(void) { return CommandLine().data(); }

namespace platform {

void SetCommandLine(const char *commandLine) {
  CommandLine() = commandLine == nullptr ? "" : commandLine;
}

std::string CommandLineFromArguments(int argc, const char *const *argv) {
  std::string line;
  if (argv == nullptr) {
    return line;
  }
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
    if (i == 0) {
      // The program name ends at the next quote, with no escapes: quotes
      // cannot be part of it, and blanks need the surrounding pair.
      std::string name;
      for (const char *c = argv[0]; *c != '\0'; ++c) {
        if (*c != '"') {
          name += *c;
        }
      }
      const bool blank =
          name.empty() || name.find_first_of(" \t") != std::string::npos;
      line += blank ? '"' + name + '"' : name;
      continue;
    }
    line += ' ';
    AppendQuoted(line, argv[i]);
  }
  return line;
}

} // namespace platform

// Local memory and the command line.
#include <cstring>
#include <map>
#include <new>

#include "layer.h"
#include "objects.h"

using namespace platform::detail;

namespace {

// A fixed block: the HLOCAL is the memory itself, so the object table
// holds a record of it under its own id for the live-object count.
struct LocalBlock : Object {
  static constexpr Kind kKind = Kind::LocalMemory;
  explicit LocalBlock(std::unique_ptr<unsigned char[]> m)
      : Object(kKind), memory(std::move(m)) {}
  std::unique_ptr<unsigned char[]> memory;
};

std::map<uintptr_t, uintptr_t> &Blocks() { // address -> object id
  static std::map<uintptr_t, uintptr_t> blocks;
  return blocks;
}

// Larger requests fail as they would in a 32-bit process's address space.
constexpr SIZE_T kMaxLocalBlock = SIZE_T{1} << 30;

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

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
  // Only fixed blocks: a movable block's handle is not its memory.
  if ((flags & ~static_cast<UINT>(LMEM_ZEROINIT)) != 0 ||
      bytes > kMaxLocalBlock) {
    return nullptr;
  }
  std::unique_ptr<unsigned char[]> memory(
      new (std::nothrow) unsigned char[bytes == 0 ? 1 : bytes]);
  if (!memory) {
    return nullptr;
  }
  if ((flags & LMEM_ZEROINIT) != 0) {
    std::memset(memory.get(), 0, bytes);
  }
  void *address = memory.get();
  Blocks()[HandleValue(address)] =
      AddObject(std::make_unique<LocalBlock>(std::move(memory)));
  return address;
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
  if (memory == nullptr) {
    return nullptr;
  }
  const auto found = Blocks().find(HandleValue(memory));
  if (found == Blocks().end()) {
    return memory;
  }
  RemoveObject(found->second);
  Blocks().erase(found);
  return nullptr;
}

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

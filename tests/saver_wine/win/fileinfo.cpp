// Prints what Windows itself reads from a program file: the strings of its
// version resource and whether its manifest makes an activation context
// that declares DPI awareness. One line per fact, "name value".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void PrintString(const std::vector<char> &block, const char *name) {
  const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
  void *value = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block.data(), path.c_str(), &value, &length) &&
      value != nullptr && length > 0) {
    std::printf("%s %s\n", name, static_cast<const char *>(value));
  } else {
    std::printf("%s (none)\n", name);
  }
}

void PrintVersion(const char *file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file, &ignored);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoA(file, 0, size, block.data())) {
    std::printf("version (none)\n");
    return;
  }
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed),
                     &length) &&
      fixed != nullptr && length >= sizeof *fixed) {
    std::printf("fixed %d.%d.%d.%d\n", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                LOWORD(fixed->dwFileVersionLS));
  }
  for (const char *name :
       {"ProductName", "ProductVersion", "FileDescription", "LegalCopyright"}) {
    PrintString(block, name);
  }
}

void PrintManifest(const char *file) {
  ACTCTXA context{};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = file;
  context.lpResourceName = MAKEINTRESOURCEA(1);
  const HANDLE made = CreateActCtxA(&context);
  if (made == INVALID_HANDLE_VALUE) {
    std::printf("manifest (none) %lu\n", GetLastError());
    return;
  }
  std::printf("manifest read\n");
  WCHAR value[64] = {};
  SIZE_T written = 0;
  if (QueryActCtxSettingsW(0, made, nullptr, L"dpiAware", value, 64,
                           &written)) {
    std::printf("dpiAware %ls\n", value);
  } else {
    std::printf("dpiAware (none)\n");
  }
  ReleaseActCtx(made);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fileinfo PROGRAM\n");
    return 2;
  }
  PrintVersion(argv[1]);
  PrintManifest(argv[1]);
  return 0;
}

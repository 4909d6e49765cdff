// Registry, modules, local memory, the command line and shared objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer_helpers.h"

namespace {

class Kernel : public ::testing::Test {
protected:
  void SetUp() override { live = platform::LiveObjectCount(); }
  void TearDown() override {
    platform::ClearRegistry();
    platform::RemoveModules();
    EXPECT_EQ(platform::LiveObjectCount(), live);
  }
  std::size_t live = 0;
};

const char kDesktop[] = "Control Panel\\Desktop";

// Queries into a 4-byte buffer pre-filled with 0xAA, as the saver does.
struct Query {
  LONG result;
  DWORD size;
  DWORD type;
  std::vector<BYTE> buffer;
};
Query Ask(HKEY key, const char *name, DWORD capacity = 4) {
  Query q{0, capacity, 0x55, std::vector<BYTE>(4, 0xAA)};
  q.result =
      RegQueryValueExA(key, name, nullptr, &q.type, q.buffer.data(), &q.size);
  return q;
}

} // namespace

TEST_F(Kernel, RegistryValuesOfEveryLengthAgainstAFourByteBuffer) {
  for (BYTE n = 0; n <= 8; ++n) {
    std::vector<BYTE> data;
    for (BYTE i = 1; i <= n; ++i) {
      data.push_back(i);
    }
    platform::SetRegistryValue(HKEY_CURRENT_USER, kDesktop,
                               ("v" + std::to_string(n)).c_str(), REG_BINARY,
                               data);
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "control panel\\DESKTOP\\", &key),
            ERROR_SUCCESS);
  EXPECT_EQ(platform::LiveObjectCount(), live + 1);
  for (BYTE n = 0; n <= 8; ++n) {
    SCOPED_TRACE(n);
    const Query q = Ask(key, ("V" + std::to_string(n)).c_str());
    EXPECT_EQ(q.size, n);
    EXPECT_EQ(q.type, static_cast<DWORD>(REG_BINARY));
    if (n <= 4) {
      EXPECT_EQ(q.result, ERROR_SUCCESS);
      for (BYTE i = 0; i < 4; ++i) { // the rest of the buffer stays
        EXPECT_EQ(q.buffer[i], i < n ? i + 1 : 0xAA);
      }
    } else {
      EXPECT_EQ(q.result, ERROR_MORE_DATA);
      EXPECT_EQ(q.buffer, std::vector<BYTE>(4, 0xAA)) << "left untouched";
    }
  }
  // Size only, size without buffer, buffer without size, no type wanted.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v8", nullptr, nullptr, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegQueryValueExA(key, "v8", nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  BYTE byte = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v1", nullptr, nullptr, &byte, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Ask(key, "absent").result, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Ask(key, nullptr).result, ERROR_FILE_NOT_FOUND); // no default
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(Ask(key, "v1").result, ERROR_INVALID_HANDLE);
}

TEST_F(Kernel, RegistryKeysAndStrings) {
  platform::SetRegistryValue(HKEY_CURRENT_USER, "A\\B\\C", "s", REG_SZ,
                             {'a', 'b'});
  HKEY a = nullptr, b = nullptr, c = nullptr;
  // A key exists when a value lies below it; opened keys are roots too.
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "a", &a), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyA(a, "B", &b), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyA(b, "c", &c), ERROR_SUCCESS);
  HKEY same = nullptr;
  EXPECT_EQ(RegOpenKeyA(c, "", &same), ERROR_SUCCESS);
  EXPECT_EQ(same, c);
  HKEY none = nullptr;
  for (const char *path : {"A\\B\\C\\D", "\\A", "A\\\\B", "AB", "A\\BC"}) {
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, path, &none), ERROR_FILE_NOT_FOUND)
        << path;
  }
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "A", nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyA(reinterpret_cast<HKEY>(0x1234), "A", &none),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(Ask(a, "s").result, ERROR_FILE_NOT_FOUND); // values stay put

  // A string stored without terminator gains one only if there is room.
  Query q = Ask(c, "S", 2);
  EXPECT_EQ(q.result, ERROR_SUCCESS);
  EXPECT_EQ(q.buffer, (std::vector<BYTE>{'a', 'b', 0xAA, 0xAA}));
  q = Ask(c, "S", 4);
  EXPECT_EQ(q.buffer, (std::vector<BYTE>{'a', 'b', 0, 0xAA}));
  EXPECT_EQ(q.size, 2u);
  EXPECT_EQ(q.type, static_cast<DWORD>(REG_SZ));
  for (HKEY k : {c, b, a}) {
    EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  }
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  platform::ClearRegistry();
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "A", &none), ERROR_FILE_NOT_FOUND);
}

namespace {
INT_PTR WINAPI One() { return 1; }
INT_PTR WINAPI Two() { return 2; }
} // namespace

TEST_F(Kernel, ModulesAreCountedLoadsOfTheirStandIns) {
  platform::AddModule("PASSWORD.CPL", {{"VerifyScreenSavePwd", One}});
  platform::AddModule("mpr.dll", {{"PwdChangePasswordA", Two}});
  platform::AddModule("IMM32.DLL", {}, true);
  EXPECT_EQ(platform::LiveObjectCount(), live);
  EXPECT_EQ(GetModuleHandleA("password.cpl"), nullptr); // not loaded yet
  EXPECT_NE(GetModuleHandleA("imm32"), nullptr);
  EXPECT_EQ(platform::ModuleLoadCount("Imm32.dll"), 1);

  HMODULE password = LoadLibraryA("Password.cpl");
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(LoadLibraryA("PASSWORD.CPL"), password);
  EXPECT_EQ(platform::ModuleLoadCount("password.cpl"), 2);
  EXPECT_EQ(platform::LiveObjectCount(), live + 1);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), password);
  EXPECT_EQ(GetProcAddress(password, "VerifyScreenSavePwd"), One);
  EXPECT_EQ(GetProcAddress(password, "verifyscreensavepwd"), nullptr);
  EXPECT_EQ(GetProcAddress(password, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetProcAddress(password, "PwdChangePasswordA"), nullptr);
  EXPECT_TRUE(FreeLibrary(password));
  EXPECT_NE(GetModuleHandleA("password.cpl"), nullptr);
  EXPECT_TRUE(FreeLibrary(password));
  EXPECT_EQ(GetModuleHandleA("password.cpl"), nullptr);
  EXPECT_FALSE(FreeLibrary(password)); // stale
  EXPECT_EQ(GetProcAddress(password, "VerifyScreenSavePwd"), nullptr);

  // ".DLL" is implied without an extension; a trailing dot means none.
  HMODULE mpr = LoadLibraryA("MPR");
  EXPECT_EQ(GetProcAddress(mpr, "PwdChangePasswordA"), Two);
  EXPECT_EQ(LoadLibraryA("mpr."), nullptr);
  EXPECT_EQ(LoadLibraryA("PASSWORD"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);
  EXPECT_EQ(platform::ModuleLoadCount("nothere.dll"), 0);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
  EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(GetModuleHandleA(nullptr), "One"), nullptr);
  EXPECT_TRUE(FreeLibrary(mpr));
}

TEST_F(Kernel, LocalMemoryZeroedCountedAndFreedOnce) {
  auto *block = static_cast<unsigned char *>(LocalAlloc(LPTR, 1032));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), live + 1);
  for (int i = 0; i < 1032; ++i) {
    ASSERT_EQ(block[i], 0) << i;
  }
  block[1031] = 7; // the whole size is usable
  HLOCAL empty = LocalAlloc(LMEM_FIXED, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_EQ(LocalFree(empty), nullptr);
  EXPECT_EQ(LocalFree(block), nullptr);
  EXPECT_EQ(LocalFree(block), block); // the handle back on failure
  int local = 0;
  EXPECT_EQ(LocalFree(&local), &local);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, SIZE_T{0xFFFFFFFF}), nullptr);
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, ~SIZE_T{0}), nullptr);
  EXPECT_EQ(LocalAlloc(0x0002 /* movable */, 16), nullptr);
}

namespace {

// Reads a command line back as the C runtime does.
std::vector<std::string> Parse(const std::string &line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  std::string name;
  if (i < line.size() && line[i] == '"') {
    for (++i; i < line.size() && line[i] != '"'; ++i) {
      name += line[i];
    }
    ++i;
  } else {
    for (; i < line.size() && line[i] != ' ' && line[i] != '\t'; ++i) {
      name += line[i];
    }
  }
  args.push_back(name);
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
      ++i;
    }
    if (i >= line.size()) {
      return args;
    }
    std::string arg;
    bool quoted = false;
    std::size_t slashes = 0;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '\\') {
        ++slashes;
        continue;
      }
      if (c == '"') { // 2n backslashes give n; one more escapes the quote
        arg.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          arg += '"';
        } else {
          quoted = !quoted;
        }
        slashes = 0;
        continue;
      }
      arg.append(slashes, '\\');
      slashes = 0;
      if (!quoted && (c == ' ' || c == '\t')) {
        break;
      }
      arg += c;
    }
    arg.append(slashes, '\\');
    args.push_back(arg);
  }
}

} // namespace

TEST_F(Kernel, CommandLineQuotingRoundTrips) {
  const std::vector<std::vector<const char *>> cases = {
      {"gushmire.scr"},
      {"C:\\Program Files\\gushmire.scr", "/s"},
      {"gushmire.scr", "/p", "1234"},
      {"x", "", "a b", "tab\there", "q\"uote", "\"", "end\\", "end\\\\",
       "a\\\\b", "a\\\"b", "sp ace\\", "\\\\\"\\"},
      {"", "/c:1234"},
  };
  for (const auto &argv : cases) {
    const std::string line = platform::CommandLineFromArguments(
        static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(Parse(line), std::vector<std::string>(argv.begin(), argv.end()))
        << line;
  }
  const char *const plain[] = {"gushmire.scr", "/s"};
  EXPECT_EQ(platform::CommandLineFromArguments(2, plain), "gushmire.scr /s");
  const char *const spaced[] = {"my saver.scr", "/p", "12"};
  EXPECT_EQ(platform::CommandLineFromArguments(3, spaced),
            "\"my saver.scr\" /p 12");
  EXPECT_EQ(platform::CommandLineFromArguments(0, nullptr), "");

  platform::SetCommandLine("\"my saver.scr\" /S");
  EXPECT_STREQ(GetCommandLineA(), "\"my saver.scr\" /S");
  platform::SetCommandLine(nullptr);
  EXPECT_STREQ(GetCommandLineA(), "");
}

TEST_F(Kernel, StockBrushesAndSharedIconsAreNeverLeaks) {
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  ASSERT_NE(black, nullptr);
  EXPECT_NE(black, white);
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
  EXPECT_TRUE(DeleteObject(black)); // ignored, as for every stock object
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);

  // The shipped icon group 100, shared: the same handle every time.
  HMODULE self = GetModuleHandleA(nullptr);
  HICON icon = LoadIconA(self, MAKEINTRESOURCEA(100));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(self, "#100"), icon);
  EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(101)), nullptr);
  EXPECT_EQ(LoadIconA(self, "SPLASH1"), nullptr); // a bitmap, not an icon
  EXPECT_NE(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(100)), nullptr);
  platform::AddModule("OTHER.DLL", {});
  EXPECT_EQ(LoadIconA(LoadLibraryA("other"), MAKEINTRESOURCEA(100)), nullptr);
  FreeLibrary(GetModuleHandleA("other.dll"));

  // A class brush fills with its colour; at 8 bits, with the nearest
  // colour the screen shows: dark grey lies as near black as mid grey, and
  // black comes first.
  platform::OpenHeadlessDisplay(4, 4, 0x123456);
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(3)); // DKGRAY_BRUSH
  wc.lpszClassName = "Grey";
  ASSERT_NE(RegisterClassA(&wc), 0);
  for (int bits : {32, 8}) {
    platform::SetDisplayBitsPerPixel(bits);
    platform::OpenHeadlessDisplay(4, 4, 0x123456);
    HWND window = CreateWindowExA(0, "Grey", "", WS_POPUP | WS_VISIBLE, 0, 0, 4,
                                  4, nullptr, nullptr, nullptr, nullptr);
    UpdateWindow(window);
    EXPECT_EQ(platform::DisplayPixel(1, 1), bits == 8 ? 0u : 0x404040u) << bits;
    DestroyWindow(window);
  }
  platform::SetDisplayBitsPerPixel(32);
  UnregisterClassA("Grey", nullptr);
}

// The kernel calls' edges. Value reads into buffers of every size are
// fuzzed (tests/fuzz) and the saver's own read is tested whole (tests/host).
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

// Queries into a 4-byte buffer pre-filled with 0xAA.
struct Query {
  LONG result;
  DWORD size;
  std::vector<BYTE> buffer;
};
Query Ask(HKEY key, const char *name, DWORD capacity = 4) {
  Query q{0, capacity, std::vector<BYTE>(4, 0xAA)};
  q.result =
      RegQueryValueExA(key, name, nullptr, nullptr, q.buffer.data(), &q.size);
  return q;
}

} // namespace

TEST_F(Kernel, RegistryKeysValuesAndStrings) {
  platform::SetRegistryValue(HKEY_CURRENT_USER, "A\\B\\C", "s", REG_SZ,
                             {'a', 'b'});
  HKEY a = nullptr, c = nullptr;
  // A key exists when a value lies below it; opened keys are roots too.
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "a", &a), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyA(a, "b\\C\\", &c), ERROR_SUCCESS);
  EXPECT_EQ(platform::LiveObjectCount(), live + 2);
  HKEY none = nullptr;
  for (const char *path : {"A\\B\\C\\D", "\\A", "A\\\\B", "A\\BC"}) {
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, path, &none), ERROR_FILE_NOT_FOUND)
        << path;
  }
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "A", nullptr),
            ERROR_INVALID_PARAMETER);
  // A string stored without terminator gains one only if there is room.
  EXPECT_EQ(Ask(c, "S", 2).buffer, (std::vector<BYTE>{'a', 'b', 0xAA, 0xAA}));
  const Query q = Ask(c, "S", 4);
  EXPECT_EQ(q.buffer, (std::vector<BYTE>{'a', 'b', 0, 0xAA}));
  EXPECT_EQ(q.size, 2u);
  BYTE byte = 0; // a buffer without a size
  EXPECT_EQ(RegQueryValueExA(c, "s", nullptr, nullptr, &byte, nullptr),
            ERROR_INVALID_PARAMETER);
  for (HKEY k : {c, a}) {
    EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  }
  for (HKEY bad : {c, reinterpret_cast<HKEY>(0x1234)}) {
    EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Ask(bad, "s").result, ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyA(bad, "A", &none), ERROR_INVALID_HANDLE);
  }
}

namespace {
INT_PTR WINAPI One() { return 1; }
INT_PTR WINAPI Two() { return 2; }
} // namespace

TEST_F(Kernel, ModulesAreCountedLoadsOfTheirStandIns) {
  platform::AddModule("PASSWORD.CPL", {{"VerifyScreenSavePwd", One}});
  platform::AddModule("mpr.dll", {{"PwdChangePasswordA", Two}});
  EXPECT_EQ(GetModuleHandleA("password.cpl"), nullptr); // not loaded yet

  HMODULE password = LoadLibraryA("Password.cpl");
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(LoadLibraryA("PASSWORD.CPL"), password);
  EXPECT_EQ(platform::ModuleLoadCount("password.cpl"), 2);
  EXPECT_EQ(platform::LiveObjectCount(), live + 1);
  EXPECT_EQ(GetProcAddress(password, "VerifyScreenSavePwd"), One);
  EXPECT_TRUE(FreeLibrary(password));
  EXPECT_NE(GetModuleHandleA("password.cpl"), nullptr);
  EXPECT_TRUE(FreeLibrary(password));
  EXPECT_EQ(GetModuleHandleA("password.cpl"), nullptr);
  EXPECT_FALSE(FreeLibrary(password)); // stale
  EXPECT_EQ(GetProcAddress(password, "VerifyScreenSavePwd"), nullptr);

  EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
}

TEST_F(Kernel, LocalMemoryZeroedCountedAndFreedOnce) {
  auto *block = static_cast<unsigned char *>(LocalAlloc(LPTR, 1032));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), live + 1);
  for (int i = 0; i < 1032; ++i) {
    ASSERT_EQ(block[i], 0) << i;
  }
  block[1031] = 7; // the whole size is usable
  EXPECT_EQ(LocalFree(block), nullptr);
  EXPECT_EQ(LocalFree(block), block); // the handle back on failure
  int local = 0;
  EXPECT_EQ(LocalFree(&local), &local);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, SIZE_T{0xFFFFFFFF}), nullptr);
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, ~SIZE_T{0}), nullptr);
  EXPECT_EQ(LocalAlloc(0x0002 /* movable */, 16), nullptr);
}

TEST_F(Kernel, CommandLineQuotesWhatTheRuntimeWouldSplit) {
  const char *const argv[] = {"my saver.scr", "/p",  "",       "a\tb",
                              "q\"t",         "e\\", "x\\\"y", "sp ace\\"};
  EXPECT_EQ(platform::CommandLineFromArguments(8, argv),
            R"("my saver.scr" /p "" "a)"
            "\t"
            R"(b" "q\"t" e\ "x\\\"y" "sp ace\\")");
  EXPECT_EQ(platform::CommandLineFromArguments(0, nullptr), "");
  platform::SetCommandLine(nullptr);
  EXPECT_STREQ(GetCommandLineA(), "");
}

TEST_F(Kernel, StockBrushesAndSharedIconsAreNeverLeaks) {
  HGDIOBJ black = GetStockObject(BLACK_BRUSH);
  ASSERT_NE(black, nullptr);
  EXPECT_EQ(GetStockObject(-1), nullptr);
  EXPECT_TRUE(DeleteObject(black)); // ignored, as for every stock object
  EXPECT_EQ(GetStockObject(BLACK_BRUSH), black);
  // The shipped icon group 100, shared: the same handle every time.
  HMODULE self = GetModuleHandleA(nullptr);
  HICON icon = LoadIconA(self, MAKEINTRESOURCEA(100));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(self, "#100"), icon);
  EXPECT_EQ(LoadIconA(self, "SPLASH1"), nullptr); // a bitmap, not an icon
}

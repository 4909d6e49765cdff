// Registry keys and values. Value reads into buffers of every size are
// fuzzed (tests/fuzz) and the saver's own read is tested whole (tests/host).
#include <string>
#include <vector>

#include "leak_check.h"

namespace {

using Registry = layer_test::LeakCheck;

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

TEST_F(Registry, KeysValuesAndStrings) {
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

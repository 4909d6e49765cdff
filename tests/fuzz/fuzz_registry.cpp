// Registry value reads on any stored value: RegQueryValueExA with buffers
// of every size, and the saver's own read of the password switch.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "layer_headless.h"
#include "password.h"

namespace {

// Takes the text up to the next newline (or the end) off the front.
std::string TakeLine(const uint8_t *&data, std::size_t &size) {
  std::string text;
  while (size > 0 && *data != '\n') {
    text += static_cast<char>(*data);
    ++data;
    --size;
  }
  if (size > 0) {
    ++data;
    --size;
  }
  return text;
}

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

void Query(HKEY key, const std::string &name, DWORD capacity, bool withType,
           const std::vector<BYTE> &stored) {
  std::vector<BYTE> buffer(capacity, 0xA5);
  DWORD size = capacity;
  DWORD type = 0;
  const LONG result =
      RegQueryValueExA(key, name.c_str(), nullptr, withType ? &type : nullptr,
                       buffer.empty() ? nullptr : buffer.data(), &size);
  if (result == ERROR_MORE_DATA) {
    Check(size > capacity);
    for (BYTE b : buffer) {
      Check(b == 0xA5);
    }
  } else if (result == ERROR_SUCCESS && !buffer.empty()) {
    Check(size <= capacity && size == stored.size());
    Check(size == 0 || std::memcmp(buffer.data(), stored.data(), size) == 0);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  if (size < 3) {
    return 0;
  }
  const DWORD type = data[0] % 12;
  const DWORD capacity = data[1] % 40;
  const bool withType = (data[2] & 1) != 0;
  data += 3;
  size -= 3;
  const std::string keyPath = TakeLine(data, size);
  const std::string name = TakeLine(data, size);
  const std::vector<BYTE> stored(data, data + size);
  const std::size_t objects = platform::LiveObjectCount();

  platform::SetRegistryValue(HKEY_CURRENT_USER, keyPath.c_str(), name.c_str(),
                             type, stored);
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, keyPath.c_str(), &key) == ERROR_SUCCESS) {
    Query(key, name, capacity, withType, stored);
    RegCloseKey(key);
  }
  Query(HKEY_CURRENT_USER, name, capacity, withType, stored);

  // The saver's switch, stored as the fuzzer gave it; no verifier library
  // exists here, so the running state must stay off whatever it says.
  platform::SetRegistryValue(HKEY_CURRENT_USER, "Control Panel\\Desktop",
                             "ScreenSaveUsePassword", type, stored);
  LoadPasswordVerifier();
  Check(verifyEntry == nullptr && !platform::ScreenSaverRunning());
  UnloadPasswordVerifier();
  Check(platform::LiveObjectCount() == objects);
  platform::ClearRegistry();
  return 0;
}

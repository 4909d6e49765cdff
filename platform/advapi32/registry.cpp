// An in-memory registry: values that tests set, keys that exist because a
// value lies at or below them. Queries follow RegQueryValueExA exactly,
// including what it does with missing and short buffers.
#include <cstring>
#include <map>
#include <vector>

#include "core/objects.h"
#include "core/text.h"
#include "layer.h"

using namespace platform::detail;

namespace {

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// Keys are full paths "<root>\A\B", upper case; values by upper-case name
// ("" is the key's default value).
std::map<std::string, std::map<std::string, Value>> &Store() {
  static std::map<std::string, std::map<std::string, Value>> store;
  return store;
}

struct KeyObject : Object {
  static constexpr Kind kKind = Kind::RegistryKey;
  explicit KeyObject(std::string p) : Object(kKind), path(std::move(p)) {}
  std::string path;
};

bool Predefined(HKEY key) {
  // HKEY_CURRENT_USER and its kin are negative 32-bit numbers, widened.
  const auto value = static_cast<intptr_t>(HandleValue(key));
  return value >= INT32_MIN && value <= INT32_MIN + 6;
}

// The full path of a root handle, or false if it is neither a predefined
// key nor one that is open.
bool RootPath(HKEY key, std::string &path) {
  if (Predefined(key)) {
    path = std::to_string(HandleValue(key));
    return true;
  }
  if (const KeyObject *k = Find<KeyObject>(key)) {
    path = k->path;
    return true;
  }
  return false;
}

// Appends a backslash-separated subkey path; a trailing backslash is
// allowed, a leading one or an empty component is not.
bool AppendSubKey(std::string &path, const char *subKey) {
  std::string_view rest(subKey);
  if (!rest.empty() && rest.back() == '\\') {
    rest.remove_suffix(1);
  }
  while (!rest.empty()) {
    const std::size_t end = rest.find('\\');
    const std::string_view part = rest.substr(0, end);
    if (part.empty()) {
      return false;
    }
    path += '\\';
    path += UpperText(part);
    rest = end == std::string_view::npos ? std::string_view{}
                                         : rest.substr(end + 1);
  }
  return true;
}

bool KeyExists(const std::string &path) {
  const auto &store = Store();
  auto at = store.lower_bound(path);
  // The key itself, or the first path below it (sorted right after it).
  return at != store.end() &&
         (at->first == path || (at->first.size() > path.size() &&
                                at->first.compare(0, path.size(), path) == 0 &&
                                at->first[path.size()] == '\\'));
}

bool IsString(DWORD type) { return type == REG_SZ || type == 2 || type == 7; }

} // namespace

namespace platform {

void SetRegistryValue(HKEY root, const char *key, const char *name, DWORD type,
                      const std::vector<BYTE> &data) {
  std::string path;
  if (!RootPath(root, path) || !AppendSubKey(path, key == nullptr ? "" : key)) {
    return;
  }
  Store()[path][UpperText(name == nullptr ? "" : name)] = Value{type, data};
}

void ClearRegistry() { Store().clear(); }

} // namespace platform

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  if (result == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  std::string path;
  if (!RootPath(key, path)) {
    return ERROR_INVALID_HANDLE;
  }
  if (subKey == nullptr || subKey[0] == '\0') {
    *result = key; // Win32 hands back the same key for an empty path
    return ERROR_SUCCESS;
  }
  if (!AppendSubKey(path, subKey) || !KeyExists(path)) {
    return ERROR_FILE_NOT_FOUND;
  }
  *result = ToHandle<HKEY>(AddObject(std::make_unique<KeyObject>(path)));
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved,
                             LPDWORD type, LPBYTE data, LPDWORD size) {
  std::string path;
  if (!RootPath(key, path)) {
    return ERROR_INVALID_HANDLE;
  }
  if (reserved != nullptr || (data != nullptr && size == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  const auto &store = Store();
  const auto values = store.find(path);
  if (values == store.end()) {
    return ERROR_FILE_NOT_FOUND;
  }
  const auto found =
      values->second.find(UpperText(valueName == nullptr ? "" : valueName));
  if (found == values->second.end()) {
    return ERROR_FILE_NOT_FOUND;
  }
  const Value &value = found->second;
  const auto length = static_cast<DWORD>(value.data.size());
  if (type != nullptr) {
    *type = value.type;
  }
  if (data == nullptr) {
    if (size != nullptr) {
      *size = length;
    }
    return ERROR_SUCCESS;
  }
  const DWORD capacity = *size;
  *size = length;
  if (capacity < length) {
    return ERROR_MORE_DATA; // the buffer is left untouched
  }
  if (length > 0) {
    std::memcpy(data, value.data.data(), length);
  }
  // A string stored without its terminator gets one when there is room.
  if (IsString(value.type) && length > 0 && length < capacity &&
      data[length - 1] != 0) {
    data[length] = 0;
  }
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (Predefined(key)) {
    return ERROR_SUCCESS;
  }
  if (Find<KeyObject>(key) == nullptr) {
    return ERROR_INVALID_HANDLE;
  }
  RemoveObject(HandleValue(key));
  return ERROR_SUCCESS;
}

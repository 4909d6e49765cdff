// Case-insensitive names, as Win32 compares class, key and file names.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace platform::detail {

inline std::string UpperText(std::string_view text) {
  std::string upper(text);
  for (char &c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return upper;
}

} // namespace platform::detail

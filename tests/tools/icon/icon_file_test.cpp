// The committed icon file against gushmire-make-icon's drawing and the
// build's resources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "ico_format.h"
#include "icon_art.h"
#include "winapi.h"

namespace {

// The bytes of the numeric resource `id` of `type`, through the table the
// build installs before main(); empty if missing.
std::vector<std::uint8_t> Bytes(WORD type, WORD id) {
  const HMODULE module = GetModuleHandleA(nullptr);
  const HRSRC found =
      FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
  if (found == nullptr) {
    return {};
  }
  const auto *data = static_cast<const std::uint8_t *>(
      LockResource(LoadResource(module, found)));
  return {data, data + SizeofResource(module, found)};
}

TEST(IconFile, CommittedFileMatchesTheDrawingAndTheResources) {
  std::ifstream in(GUSHMIRE_ICON_FILE, std::ios::binary);
  const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  EXPECT_TRUE(file == icon::EncodeIconFile({icon::largeArt, icon::smallArt}))
      << "assets/icon/gushmire.ico is stale: rerun gushmire-make-icon";
  // The resource compiler copies each image verbatim from the file.
  ASSERT_EQ(file.size(), 6u + 2 * 16 + 744 + 296);
  const std::vector<std::uint8_t> large = Bytes(3, 1), small = Bytes(3, 2);
  EXPECT_TRUE(std::equal(file.begin() + 38, file.end() - 296, large.begin(),
                         large.end()));
  EXPECT_TRUE(
      std::equal(file.end() - 296, file.end(), small.begin(), small.end()));
}

} // namespace

// The .res reader of gushmire-res2cpp, on damaged copies of the compiled
// file.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "res_file.h"

namespace {

std::vector<std::uint8_t> CompiledFile() {
  return resfile::ReadFile(GUSHMIRE_RES_FILE);
}

TEST(ResFileReader, RejectsDamagedFiles) {
  const std::vector<std::uint8_t> good = CompiledFile();
  const auto entries = resfile::Parse(good);
  // The first record after the 32-byte marker: BLOOD1, its name at 44.
  ASSERT_EQ(entries.at(0).name.text, "BLOOD1");
  const std::size_t first = 32, end = first + 44 + 41064;

  // A cut either fails cleanly or, between records or in the final
  // padding, yields a prefix of the records.
  for (std::size_t n : {std::size_t{0}, std::size_t{16}, first + 6, first + 30,
                        first + 50, end - 1, end, good.size() - 1}) {
    const std::vector<std::uint8_t> cut(
        good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    try {
      const auto got = resfile::Parse(cut);
      ASSERT_LE(got.size(), entries.size()) << n;
      for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i].data, entries[i].data) << n;
      EXPECT_TRUE(n == end ? got.size() == 1 : n >= good.size() - 3) << n;
    } catch (const resfile::FormatError &) {
      EXPECT_NE(n, end);
    }
  }
  // Marker with data, data size past the end, header size not a multiple
  // of 4, header size past the end, a control character and a non-ASCII
  // character in a name.
  const std::pair<std::size_t, std::uint8_t> damages[] = {{0, 1},
                                                          {first + 3, 0x80},
                                                          {first + 4, 30},
                                                          {first + 7, 0x80},
                                                          {first + 12, 0x07},
                                                          {first + 13, 0x30}};
  for (const auto &[at, value] : damages) {
    std::vector<std::uint8_t> bad = good;
    bad[at] = value;
    EXPECT_THROW(resfile::Parse(bad), resfile::FormatError) << at;
  }
  // The same resource twice.
  std::vector<std::uint8_t> twice = good;
  twice.insert(twice.end(), good.begin() + first, good.begin() + end);
  EXPECT_THROW(resfile::Parse(twice), resfile::FormatError);
  EXPECT_THROW(resfile::ReadFile("/nonexistent/gushmire.res"),
               std::runtime_error);
}

} // namespace

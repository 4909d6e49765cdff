// The native build's resource table, the icon file, and the .res reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "embedded_resources.h"
#include "ico_format.h"
#include "icon_art.h"
#include "res_file.h"

namespace {

// The entry with this numeric type and name (string name when `name` is
// set), or null.
const platform::EmbeddedResource *Find(WORD type, WORD id,
                                       const char *name = nullptr) {
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  for (std::size_t i = 0; i < table.count; ++i) {
    const platform::EmbeddedResource &e = table.entries[i];
    if (e.typeName == nullptr && e.typeId == type &&
        (name != nullptr ? e.name != nullptr && std::strcmp(e.name, name) == 0
                         : e.name == nullptr && e.nameId == id)) {
      return &e;
    }
  }
  return nullptr;
}

std::vector<std::uint8_t> Bytes(WORD type, WORD id) {
  const platform::EmbeddedResource *e = Find(type, id);
  return e ? std::vector<std::uint8_t>(e->data, e->data + e->size)
           : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> CompiledFile() {
  return resfile::ReadFile(GUSHMIRE_RES_FILE);
}

TEST(EmbeddedTable, EqualsTheCompiledResourceFile) {
  const std::vector<resfile::Entry> parsed = resfile::Parse(CompiledFile());
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  ASSERT_EQ(table.count, parsed.size());
  for (std::size_t i = 0; i < table.count; ++i) {
    const platform::EmbeddedResource &e = table.entries[i];
    const resfile::Entry &want = parsed[i];
    SCOPED_TRACE(resfile::ToString(want.type) + "/" +
                 resfile::ToString(want.name));
    EXPECT_EQ(e.typeName ? std::string(e.typeName) : "", want.type.text);
    EXPECT_EQ(e.typeId, want.type.id);
    EXPECT_EQ(e.name ? std::string(e.name) : "", want.name.text);
    EXPECT_EQ(e.nameId, want.name.id);
    EXPECT_EQ(e.language, want.language);
    EXPECT_TRUE(std::equal(want.data.begin(), want.data.end(), e.data,
                           e.data + e.size));
  }
}

// The contents are checked against the compiled file (above) and the
// committed pictures (pictures_regenerate_identically). The platform's tests
// load the About box and the icon through the table installed before main().
TEST(EmbeddedTable, HoldsTheProgramsResourcesInEnglish) {
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  EXPECT_EQ(table.count, 19u);
  for (std::size_t i = 0; i < table.count; ++i) {
    EXPECT_EQ(table.entries[i].language, 0x0409) << "entry " << i;
    EXPECT_EQ(table.entries[i].typeName, nullptr) << "entry " << i;
  }
  for (const char *name :
       {"SPLASH1", "SPLASH2", "BLOOD1", "BLOOD5", "PUS1", "PUS5"}) {
    EXPECT_NE(Find(2, 0, name), nullptr) << name;
  }
  EXPECT_NE(Find(14, 100), nullptr); // the icon group
  EXPECT_NE(Find(5, 2003), nullptr); // the About box
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

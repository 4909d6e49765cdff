// The native build's resource table against the compiled resource file it
// is generated from, the inventory, the string table and the icon file, and
// the .res reader's handling of damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
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

TEST(EmbeddedTable, HoldsExactlyTheProgramsResourcesInEnglish) {
  struct Want {
    WORD type;
    const char *name;
    WORD id;
    DWORD size;
  };
  std::vector<Want> wanted = {
      {3, nullptr, 1, 744},     {3, nullptr, 2, 296},
      {14, nullptr, 100, 34},   {5, nullptr, 2003, 670},
      {6, nullptr, 1, 48},      {6, nullptr, 63, 112},
      {6, nullptr, 64, 160},    {2, "SPLASH1", 0, 308264},
      {2, "SPLASH2", 0, 308264}};
  // The frames: 40-byte header, 256 colours, 200 x 200 8-bit pixels.
  for (const char *frame : {"BLOOD1", "BLOOD2", "BLOOD3", "BLOOD4", "BLOOD5",
                            "PUS1", "PUS2", "PUS3", "PUS4", "PUS5"})
    wanted.push_back({2, frame, 0, 41064});
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  EXPECT_EQ(table.count, wanted.size());
  for (std::size_t i = 0; i < table.count; ++i) {
    EXPECT_EQ(table.entries[i].language, 0x0409) << "entry " << i;
    EXPECT_EQ(table.entries[i].typeName, nullptr) << "entry " << i;
  }
  for (const Want &want : wanted) {
    const platform::EmbeddedResource *e = Find(want.type, want.id, want.name);
    ASSERT_NE(e, nullptr) << (want.name ? want.name : std::to_string(want.id));
    EXPECT_EQ(e->size, want.size) << (want.name ? want.name : "");
  }

  // The registrar installed the table before main(): the platform's
  // resource calls hand out the very same bytes.
  HRSRC found = FindResourceA(nullptr, "BLOOD3", RT_BITMAP);
  ASSERT_NE(found, nullptr);
  HGLOBAL loaded = LoadResource(nullptr, found);
  EXPECT_EQ(LockResource(loaded),
            static_cast<const void *>(Find(2, 0, "BLOOD3")->data));
  FreeResource(loaded);
  EXPECT_EQ(FindResourceA(nullptr, "BLOOD6", RT_BITMAP), nullptr);
}

// Block n holds ids 16(n-1) .. 16n-1: sixteen slots, each a 16-bit length
// and that many UTF-16 units, no terminator.
std::vector<std::uint8_t> BlockBytes(const std::map<int, std::string> &slots) {
  std::vector<std::uint8_t> out;
  for (int slot = 0; slot < 16; ++slot) {
    auto it = slots.find(slot);
    const std::string text = it == slots.end() ? "" : it->second;
    out.insert(out.end(), {static_cast<std::uint8_t>(text.size()), 0});
    for (char c : text)
      out.insert(out.end(), {static_cast<std::uint8_t>(c), 0});
  }
  return out;
}

TEST(StringTable, BlocksHoldTheSixStringsInTheirSlots) {
  EXPECT_EQ(Bytes(6, 1), BlockBytes({{1, "Gushmire"}}));
  EXPECT_EQ(Bytes(6, 63), BlockBytes({{1001 - 992, "control.ini"},
                                      {1002 - 992, "Gushmire"},
                                      {1007 - 992, "Screen Saver.Gushmire"}}));
  EXPECT_EQ(Bytes(6, 64),
            BlockBytes({{0, "There is not enough memory available to "
                            "display help."},
                        {1, "windows.hlp"}}));
}

TEST(IconFile, CommittedFileMatchesTheDrawingAndTheResources) {
  std::ifstream in(GUSHMIRE_ICON_FILE, std::ios::binary);
  const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  EXPECT_TRUE(file == icon::EncodeIconFile({icon::largeArt, icon::smallArt}))
      << "assets/icon/gushmire.ico is stale: rerun gushmire_make_icon";
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

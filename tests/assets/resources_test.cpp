// The native build's resource table against the compiled resource file it
// is generated from, the full inventory, and the .res reader's handling of
// damaged files.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "embedded_lookup.h"
#include "res_file.h"

namespace {

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
    const platform::EmbeddedResource *e =
        assets_test::Find(want.type, want.id, want.name);
    ASSERT_NE(e, nullptr) << (want.name ? want.name : std::to_string(want.id));
    EXPECT_EQ(e->size, want.size) << (want.name ? want.name : "");
  }

  // The registrar installed the table before main(): the platform's
  // resource calls hand out the very same bytes.
  HRSRC found = FindResourceA(nullptr, "BLOOD3", RT_BITMAP);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 41064u);
  HGLOBAL loaded = LoadResource(nullptr, found);
  const platform::EmbeddedResource *entry = assets_test::Find(2, 0, "BLOOD3");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(LockResource(loaded), static_cast<const void *>(entry->data));
  FreeResource(loaded);
  EXPECT_EQ(FindResourceA(nullptr, "BLOOD6", RT_BITMAP), nullptr);
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

  struct Damage {
    std::size_t at;
    std::uint8_t value;
    const char *what;
  };
  const Damage damages[] = {
      {0, 1, "marker with data"},
      {first + 3, 0x80, "data size past the end"},
      {first + 4, 30, "header size not a multiple of 4"},
      {first + 7, 0x80, "header size past the end"},
      {first + 12, 0x07, "control character in a name"},
      {first + 13, 0x30, "non-ASCII name"},
  };
  for (const Damage &d : damages) {
    std::vector<std::uint8_t> bad = good;
    bad[d.at] = d.value;
    EXPECT_THROW(resfile::Parse(bad), resfile::FormatError) << d.what;
  }
  // The same resource twice.
  std::vector<std::uint8_t> twice = good;
  twice.insert(twice.end(), good.begin() + first, good.begin() + end);
  EXPECT_THROW(resfile::Parse(twice), resfile::FormatError);
  EXPECT_THROW(resfile::ReadFile("/nonexistent/gushmire.res"),
               std::runtime_error);
}

} // namespace

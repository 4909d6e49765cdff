// The native build's resource table against the compiled resource file it
// is generated from, the full inventory, and the .res reader's handling of
// damaged files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
    ASSERT_EQ(e.size, want.data.size());
    EXPECT_TRUE(std::equal(want.data.begin(), want.data.end(), e.data));
  }
}

TEST(EmbeddedTable, HoldsExactlyTheProgramsResourcesInEnglish) {
  struct Want {
    WORD type;
    const char *name;
    WORD id;
    DWORD size;
  };
  const Want wanted[] = {
      {2, "SPLASH1", 0, 308264}, {2, "SPLASH2", 0, 308264},
      {2, "BLOOD1", 0, 41064},   {2, "BLOOD2", 0, 41064},
      {2, "BLOOD3", 0, 41064},   {2, "BLOOD4", 0, 41064},
      {2, "BLOOD5", 0, 41064},   {2, "PUS1", 0, 41064},
      {2, "PUS2", 0, 41064},     {2, "PUS3", 0, 41064},
      {2, "PUS4", 0, 41064},     {2, "PUS5", 0, 41064},
      {3, nullptr, 1, 744},      {3, nullptr, 2, 296},
      {14, nullptr, 100, 34},    {5, nullptr, 2003, 670},
      {6, nullptr, 1, 48},       {6, nullptr, 63, 112},
      {6, nullptr, 64, 160},
  };
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  EXPECT_EQ(table.count, std::size(wanted));
  for (std::size_t i = 0; i < table.count; ++i) {
    EXPECT_EQ(table.entries[i].language, 0x0409) << "entry " << i;
    EXPECT_EQ(table.entries[i].typeName, nullptr) << "entry " << i;
  }
  for (const Want &want : wanted) {
    SCOPED_TRACE(want.name ? want.name : std::to_string(want.id));
    const platform::EmbeddedResource *e =
        assets_test::Find(want.type, want.id, want.name);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->size, want.size);
    if (want.type == 2) {
      // Header only: the file header is gone and the sizes agree.
      assets_test::Fields f(*e);
      const bool backdrop = want.size == 308264;
      EXPECT_EQ(f.U32(), 40u);
      EXPECT_EQ(f.I32(), backdrop ? 640 : 200);
      EXPECT_EQ(f.I32(), backdrop ? 480 : 200);
    }
  }
}

TEST(EmbeddedTable, IsTheMainModulesResources) {
  // The registrar installed the table before main(): the platform's
  // resource calls hand out the very same bytes.
  HRSRC found = FindResourceA(nullptr, "BLOOD3", RT_BITMAP);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 41064u);
  HGLOBAL loaded = LoadResource(nullptr, found);
  ASSERT_NE(loaded, nullptr);
  const platform::EmbeddedResource *entry = assets_test::Find(2, 0, "BLOOD3");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(LockResource(loaded), static_cast<const void *>(entry->data));
  FreeResource(loaded);
  EXPECT_EQ(FindResourceA(nullptr, "BLOOD6", RT_BITMAP), nullptr);
}

// A small well-formed file: the marker, a named and a numbered resource
// (the second with a length that needs padding).
std::vector<std::uint8_t> SmallFile() {
  std::vector<std::uint8_t> f;
  auto u16 = [&](unsigned v) {
    f.push_back(static_cast<std::uint8_t>(v));
    f.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  auto record = [&](std::uint32_t dataSize, const char *name, unsigned id,
                    unsigned char fill) {
    const std::size_t start = f.size();
    u32(dataSize);
    u32(0); // header size, patched below
    u16(0xFFFF);
    u16(2);
    if (name) {
      for (const char *p = name; *p; ++p)
        u16(static_cast<unsigned char>(*p));
      u16(0);
    } else {
      u16(0xFFFF);
      u16(id);
    }
    while ((f.size() - start) % 4)
      f.push_back(0);
    u32(0);
    u16(0x1030);
    u16(0x0409);
    u32(0);
    u32(0);
    const auto header = static_cast<std::uint32_t>(f.size() - start);
    f[start + 4] = static_cast<std::uint8_t>(header);
    f.insert(f.end(), dataSize, fill);
    while (f.size() % 4)
      f.push_back(0);
  };
  record(0, nullptr, 0, 0);
  f[8 + 2] = 0; // the marker's type is ordinal 0
  record(5, "AB", 0, 0x11);
  record(3, nullptr, 7, 0x22);
  return f;
}

TEST(ResFileReader, ReadsRecordsAndRejectsDamage) {
  const std::vector<std::uint8_t> good = SmallFile();
  const auto entries = resfile::Parse(good);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name.text, "AB");
  EXPECT_EQ(entries[0].data, std::vector<std::uint8_t>(5, 0x11));
  EXPECT_EQ(entries[1].name.id, 7);
  EXPECT_EQ(entries[1].language, 0x0409);

  // Every truncation either fails cleanly or yields a prefix of the
  // records (when it falls between records or in the final padding).
  for (std::size_t n = 0; n < good.size(); ++n) {
    const std::vector<std::uint8_t> cut(
        good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    try {
      const auto got = resfile::Parse(cut);
      ASSERT_LE(got.size(), entries.size()) << n;
      for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i].data, entries[i].data) << n;
    } catch (const resfile::FormatError &) {
    }
  }

  auto damaged = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> bad = good;
    bad[at] = value;
    return bad;
  };
  const std::size_t second = 32; // first real record
  EXPECT_THROW(resfile::Parse(damaged(0, 1)), resfile::FormatError)
      << "marker with data";
  EXPECT_THROW(resfile::Parse(damaged(second + 3, 0x80)), resfile::FormatError)
      << "data size past the end";
  EXPECT_THROW(resfile::Parse(damaged(second + 4, 30)), resfile::FormatError)
      << "header size not a multiple of 4";
  EXPECT_THROW(resfile::Parse(damaged(second + 4, 0xFC)), resfile::FormatError)
      << "header size past the end";
  EXPECT_THROW(resfile::Parse(damaged(second + 12, 0x07)), resfile::FormatError)
      << "control character in a name";
  EXPECT_THROW(resfile::Parse(damaged(second + 13, 0x30)), resfile::FormatError)
      << "non-ASCII name";

  // The same resource twice.
  std::vector<std::uint8_t> twice = good;
  twice.insert(twice.end(), good.begin() + 32, good.end());
  EXPECT_THROW(resfile::Parse(twice), resfile::FormatError);
}

TEST(ResFileReader, AcceptsTheCompiledFile) {
  EXPECT_NO_THROW(resfile::Parse(CompiledFile()));
  EXPECT_THROW(resfile::ReadFile("/nonexistent/gushmire.res"),
               std::runtime_error);
}

} // namespace

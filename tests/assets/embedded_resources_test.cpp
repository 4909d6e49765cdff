// The native build's resource table against the compiled .res file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "embedded_resources.h"
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

} // namespace

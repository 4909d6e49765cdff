// Embedded resources found by name or number and type.
#include <gtest/gtest.h>

#include "layer_helpers.h"

namespace {

const unsigned char kSplash[] = {1, 2, 3, 4, 5};
const unsigned char kDialog[] = {9, 9};
const unsigned char kTable[] = {7};
const platform::EmbeddedResource kEntries[] = {
    {nullptr, 2, "SPLASH1", 0, 0x409, kSplash, sizeof kSplash},
    {nullptr, 5, nullptr, 2003, 0x409, kDialog, sizeof kDialog},
    {"PALETTE", 0, "COLOURS", 0, 0x409, kTable, sizeof kTable},
};

} // namespace

TEST(Resources, LookupLoadingAndMisses) {
  const platform::ResourceTable previous =
      platform::SetModuleResources({kEntries, 3});
  const std::size_t live = platform::LiveObjectCount();
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC splash = FindResourceA(module, "splash1", RT_BITMAP);
  ASSERT_NE(splash, nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "SPLASH1", "#2"), splash);
  EXPECT_EQ(SizeofResource(module, splash), 5u);
  HRSRC dialog = FindResourceA(module, MAKEINTRESOURCEA(2003), RT_DIALOG);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(FindResourceA(module, "Colours", "palette"), nullptr);

  HGLOBAL loaded = LoadResource(module, splash);
  EXPECT_EQ(LockResource(loaded), static_cast<const void *>(kSplash));
  FreeResource(loaded);
  EXPECT_EQ(LockResource(loaded), nullptr);
  EXPECT_EQ(platform::LiveObjectCount(), live);

  EXPECT_EQ(FindResourceA(module, "SPLASH1", RT_ICON), nullptr);
  for (LPCSTR name :
       {"SPLASH12", "#", "#99999999", "#2003x", static_cast<LPCSTR>(nullptr)}) {
    EXPECT_EQ(FindResourceA(module, name, RT_DIALOG), nullptr);
  }
  HMODULE other = reinterpret_cast<HMODULE>(0x10000000);
  EXPECT_EQ(FindResourceA(other, "SPLASH1", RT_BITMAP), nullptr);
  auto shifted =
      reinterpret_cast<HRSRC>(reinterpret_cast<uintptr_t>(splash) + 1);
  EXPECT_EQ(LoadResource(module, shifted), nullptr);
  EXPECT_EQ(LoadResource(other, splash), nullptr);
  EXPECT_EQ(SizeofResource(module, shifted), 0u);

  // With the table gone, nothing is found.
  platform::SetModuleResources({});
  EXPECT_EQ(FindResourceA(module, "SPLASH1", RT_BITMAP), nullptr);
  EXPECT_EQ(LoadResource(module, splash), nullptr);
  platform::SetModuleResources(previous);
}

// Modules loaded by name, as the saver loads the password helpers.
#include "leak_check.h"

namespace {

using Kernel = layer_test::LeakCheck;

INT_PTR WINAPI One() { return 1; }
INT_PTR WINAPI Two() { return 2; }

TEST_F(Kernel, ModulesAreCountedLoadsOfTheirStandIns) {
  platform::AddModule("PASSWORD.CPL", {{"VerifyScreenSavePwd", One}});
  platform::AddModule("mpr.dll", {{"PwdChangePasswordA", Two}});
  EXPECT_EQ(GetModuleHandleA("password.cpl"), nullptr); // not loaded yet

  HMODULE password = LoadLibraryA("Password.cpl");
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(LoadLibraryA("PASSWORD.CPL"), password);
  EXPECT_EQ(platform::ModuleLoadCount("password.cpl"), 2);
  EXPECT_EQ(platform::LiveObjectCount(), live + 1);
  EXPECT_EQ(GetProcAddress(password, "VerifyScreenSavePwd"), One);
  EXPECT_TRUE(FreeLibrary(password));
  EXPECT_NE(GetModuleHandleA("password.cpl"), nullptr);
  EXPECT_TRUE(FreeLibrary(password));
  EXPECT_EQ(GetModuleHandleA("password.cpl"), nullptr);
  EXPECT_FALSE(FreeLibrary(password)); // stale
  EXPECT_EQ(GetProcAddress(password, "VerifyScreenSavePwd"), nullptr);

  EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
}

} // namespace

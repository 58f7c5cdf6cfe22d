// Removal that keeps what both registry views share. On 64-bit Windows the
// 32-bit and the 64-bit build of dovrel60.dll each have their own
// HKEY_CLASSES_ROOT\CLSID, but one set of program identifiers: while the
// other build is registered, unregistering this one must leave them. Here
// there is one view; the rule of the registrar is the same on both.
#include <gtest/gtest.h>

#include "server/registrar.h"
#include "tests/typelib/typelib_support.h"

namespace {

using namespace typelib_testing;

const std::map<dovrel::OleString, dovrel::OleString> kModule = {{u"Module", u"/lib/dovrel60.so"}};

// The shape of each class's script: two program identifiers and the class.
const char kScript[] = R"(HKCR
{
  ForceRemove Qor.Test6.6 = s 'Test'
  {
    CLSID = s '{11111111-2222-3333-4444-555555555555}'
  }
  ForceRemove Qor.Test6 = s 'Test'
  {
    CLSID = s '{11111111-2222-3333-4444-555555555555}'
    CurVer = s 'Qor.Test6.6'
  }
  NoRemove CLSID
  {
    ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Test'
    {
      InprocServer32 = s '%MODULE%'
    }
  }
})";

class RegistryViews : public ::testing::Test {
 protected:
  TempRegistry registry_;
};

TEST_F(RegistryViews, KeepingTheSharedKeysRemovesOnlyTheClassKeys) {
  ASSERT_EQ(dovrel::RunRegistrarScript(kScript, kModule, true), S_OK);
  ASSERT_EQ(dovrel::RunRegistrarScript(kScript, kModule, false, dovrel::Removal::kKeepShared), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\{11111111-2222-3333-4444-555555555555}"));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID"));
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, u"Qor.Test6.6\\CLSID"), "{11111111-2222-3333-4444-555555555555}");
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, u"Qor.Test6\\CurVer"), "Qor.Test6.6");
}

TEST_F(RegistryViews, RemovingEverythingTakesTheProgramIdentifiersToo) {
  ASSERT_EQ(dovrel::RunRegistrarScript(kScript, kModule, true), S_OK);
  ASSERT_EQ(dovrel::RunRegistrarScript(kScript, kModule, false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"Qor.Test6.6"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"Qor.Test6"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\{11111111-2222-3333-4444-555555555555}"));
}

TEST_F(RegistryViews, KeepingTheSharedKeysLeavesEverythingButTheClassKeys) {
  // What is not known to be per view is taken for shared, and stays.
  const char script[] = "HKCU { ForceRemove Mine = s 'x' }";
  ASSERT_EQ(dovrel::RunRegistrarScript(script, kModule, true), S_OK);
  ASSERT_EQ(dovrel::RunRegistrarScript(script, kModule, false, dovrel::Removal::kKeepShared), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Mine"));
}

TEST(OtherWordSize, ThisPlatformHasOneRegistryView) {
  EXPECT_FALSE(dovrel::OtherWordSizeRegistered(CLSID_Days, u"/lib/libdovrel60.so"));
}

}  // namespace

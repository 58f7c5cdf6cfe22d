// The registrar's script language in creation and removal mode.
#include <gtest/gtest.h>

#include "server/registrar.h"
#include "tests/typelib/typelib_support.h"

namespace {

using namespace typelib_testing;

const std::map<dovrel::OleString, dovrel::OleString> kModule = {{u"Module", u"/lib/x.so"}};

class Registrar : public ::testing::Test {
 protected:
  HRESULT Run(const char* script, bool registering) {
    return dovrel::RunRegistrarScript(script, kModule, registering);
  }
  static void CreateKey(std::u16string path) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  TempRegistry registry_;
};

TEST_F(Registrar, CreationWritesKeysDefaultValuesAndNamedValues) {
  ASSERT_EQ(Run(R"(HKCU
{
  Top = s 'A ''quoted'' text'
  {
    'Two Words' = d 0x2A
    Inner = s '%MODULE%'
    {
      val Mode = s '100%% %Module%'
      val Count = d 7
    }
  }
})",
                true),
            S_OK);
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, u"Top"), "A 'quoted' text");
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, u"Top\\Two Words"), "dword:42");
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, u"Top\\Inner"), "/lib/x.so");
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, u"Top\\Inner", u"Mode"), "100% /lib/x.so");
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, u"Top\\Inner", u"Count"), "dword:7");
}

TEST_F(Registrar, RemovalHonoursTheMarkers) {
  const char* script = R"(HKCU
{
  NoRemove Shared
  {
    ForceRemove Mine = s 'x'
    Plain
    {
      Leaf
    }
    val Ours = s 'y'
  }
})";
  ASSERT_EQ(Run(script, true), S_OK);
  CreateKey(u"Shared\\Other");           // someone else's key beside ours
  CreateKey(u"Shared\\Mine\\Extra");     // inside a ForceRemove key: goes with it
  CreateKey(u"Shared\\Plain\\Foreign");  // inside a plain key: keeps it
  ASSERT_EQ(Run(script, false), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Shared"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Shared\\Other"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Shared\\Mine"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Shared\\Plain\\Leaf"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Shared\\Plain\\Foreign"));
  EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, u"Shared", u"Ours"), "(missing)");

  // Without the foreign key the plain key goes too.
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Shared\\Plain\\Foreign"), ERROR_SUCCESS);
  ASSERT_EQ(Run(script, false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Shared\\Plain"));
}

TEST_F(Registrar, ForceRemoveStartsAfreshAndDeleteRemovesOnCreation) {
  CreateKey(u"Fresh\\Old");
  CreateKey(u"Gone\\Below");
  ASSERT_EQ(Run("HKCU { ForceRemove Fresh = s 'new' { New } Delete Gone }", true), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Fresh\\Old"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Fresh\\New"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Gone"));
}

TEST_F(Registrar, AScriptThatCannotBeReadWritesNothing) {
  const char* broken[] = {
      "HKCU { A = s 'x' { B }",             // a brace left open
      "HKCU { A = s 'never ended }",        // a quote left open
      "HKCU { A = q 'x' }",                 // an unknown kind of value
      "HKCU { A = s '%UNKNOWN%' }",         // an unknown replacement
      "HKCU { A = d 12x }",                 // not a number
      "HKXX { A }",                         // an unknown root
      "HKCU { val Top = s 'x' }",           // a value without a key
  };
  for (const char* script : broken) {
    EXPECT_EQ(Run(script, true), DISP_E_EXCEPTION) << script;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"A")) << script;
  }
}

TEST_F(Registrar, CreationStopsAtTheFirstFailure) {
  // The registry refuses names with control characters.
  EXPECT_EQ(Run("HKCU { First Bad\001Name Third }", true), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"First"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Third"));
}

// The library's own scripts put the module's path in quotes.
TEST_F(Registrar, AModulePathWithAQuoteIsRegisteredAsItIs) {
  std::u16string path = u"/home/o'brien/lib/libdovrel60.so";
  ASSERT_EQ(dovrel::RunRegistrarResource(dovrel::ThisModule(), 102, path, true), S_OK);
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, u"CLSID\\" + GuidText(CLSID_Days) + u"\\InprocServer32"),
            "/home/o'brien/lib/libdovrel60.so");
  ASSERT_EQ(dovrel::RunRegistrarResource(dovrel::ThisModule(), 102, path, false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\" + GuidText(CLSID_Days)));
  EXPECT_EQ(dovrel::RunRegistrarResource(dovrel::ThisModule(), 999, path, true),
            HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace

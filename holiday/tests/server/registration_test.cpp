// DllRegisterServer and DllUnregisterServer against a registry file of the
// test's own: every key of the five classes and of the type library, the
// ForceRemove and NoRemove markers, and what removal leaves to others.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "frame/com_object.h"
#include "server/type_library_registration.h"
#include "tests/typelib/typelib_support.h"

namespace {

using namespace typelib_testing;
using dovrel::ComPtr;

struct ClassKeys {
  const CLSID* clsid;
  const char16_t* progId;
  const char* description;
};

const ClassKeys kClasses[] = {
    {&CLSID_Day, u"Qor.Dovrel_Day6", "QOR Dovrel Day Object 6.0"},
    {&CLSID_Days, u"Qor.Dovrel_Days6", "QOR Dovrel Days Collection Object 6.0"},
    {&CLSID_HolidayStyle, u"Qor.Dovrel_HLDYStyle6", "QOR Dovrel HolidayStyle Object 6.0"},
    {&CLSID_HolidayStyles, u"Qor.Dovrel_HLDYStyles6", "QOR Dovrel HolidayStyles Collection Object 6.0"},
    {&CLSID_dvDovrel, u"Qor.Dovrel6", "QOR Dovrel Object 6.0"},
};

const IID* const kInterfaces[] = {&IID_IDay, &IID_IDays, &IID_IHLDYStyle, &IID_IHLDYStyles, &IID_IDovrel};
const char* const kInterfaceNames[] = {"IDay", "IDays", "IHLDYStyle", "IHLDYStyles", "IDovrel"};

std::string Program() { return Utf8(ProgramPath()); }
std::string ProgramFolder() {
  std::string path = Program();
  return path.substr(0, path.find_last_of('/'));
}

class Registration : public ::testing::Test {
 protected:
  TempRegistry registry_;
};

TEST_F(Registration, EveryClassIsEnteredUnderItsProgramIdentifiersAndItsClassIdentifier) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  for (const ClassKeys& c : kClasses) {
    std::u16string clsid = GuidText(*c.clsid);
    std::u16string progId = c.progId, versioned = progId + u".6";
    SCOPED_TRACE(Utf8(versioned));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, versioned), c.description);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, versioned + u"\\CLSID"), Utf8(clsid));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, progId), c.description);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, progId + u"\\CLSID"), Utf8(clsid));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, progId + u"\\CurVer"), Utf8(versioned));
    std::u16string key = u"CLSID\\" + clsid;
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key), c.description);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + u"\\ProgID"), Utf8(versioned));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + u"\\VersionIndependentProgID"), Utf8(progId));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, key + u"\\Programmable"));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + u"\\InprocServer32"), Program()) << "the module's full path";
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + u"\\InprocServer32", u"ThreadingModel"), "Apartment");
    LPOLESTR found = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(*c.clsid, &found), S_OK);
    EXPECT_EQ(Utf8(std::u16string_view(found)), Utf8(versioned));
    CoTaskMemFree(found);
  }
}

TEST_F(Registration, TheTypeLibraryIsRegisteredWithItsHelpFolderAndItsInterfaces) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  std::u16string version = u"TypeLib\\" + GuidText(LIBID_dvDovrel6Lib) + u"\\1.0";
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, version), "QOR Dovrel Object 6.0");
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, version + u"\\409\\win64"), Program());
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, version + u"\\FLAGS"), "0");
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, version + u"\\HELPDIR"), ProgramFolder());
  for (std::size_t i = 0; i < std::size(kInterfaces); ++i) {
    std::u16string key = u"Interface\\" + GuidText(*kInterfaces[i]);
    SCOPED_TRACE(kInterfaceNames[i]);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key), kInterfaceNames[i]);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + u"\\ProxyStubClsid32"), "{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + u"\\TypeLib"), Utf8(GuidText(LIBID_dvDovrel6Lib)));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + u"\\TypeLib", u"Version"), "1.0");
  }
  // Clients find it again by identifier, in any locale.
  for (LCID lcid : {0x0409u, 0x0411u, 0u}) {
    ITypeLib* lib = nullptr;
    EXPECT_EQ(LoadRegTypeLib(LIBID_dvDovrel6Lib, 1, 0, lcid, &lib), S_OK) << lcid;
    if (lib) lib->Release();
  }
}

TEST_F(Registration, UnregisteringRemovesEverythingAndLeavesOthersAlone) {
  // Another server's class and interface, and a value someone added to
  // a key of ours.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{00000000-1111-2222-3333-444444444444}", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Interface\\{00000000-1111-2222-3333-555555555555}", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  for (const ClassKeys& c : kClasses) {
    std::u16string progId = c.progId;
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, progId + u".6")) << Utf8(progId);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, progId)) << Utf8(progId);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\" + GuidText(*c.clsid))) << Utf8(progId);
  }
  for (const IID* iid : kInterfaces) EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"Interface\\" + GuidText(*iid)));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"TypeLib\\" + GuidText(LIBID_dvDovrel6Lib)));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\{00000000-1111-2222-3333-444444444444}")) << "NoRemove CLSID";
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"Interface\\{00000000-1111-2222-3333-555555555555}"));
  ITypeLib* lib = nullptr;
  EXPECT_EQ(LoadRegTypeLib(LIBID_dvDovrel6Lib, 1, 0, 0, &lib), TYPE_E_LIBNOTREGISTERED);
  // Nothing registered: removal still succeeds.
  EXPECT_EQ(DllUnregisterServer(), S_OK);
}

TEST_F(Registration, RegisteringAgainReplacesWhatForceRemoveMarks) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, u"Qor.Dovrel_Days6.6\\Stale", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  std::u16string inproc = u"CLSID\\" + GuidText(CLSID_Days) + u"\\InprocServer32";
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, inproc.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  std::u16string old = u"/old/place/libdovrel60.so";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old.c_str()),
                 static_cast<DWORD>((old.size() + 1) * 2));
  RegCloseKey(key);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"Qor.Dovrel_Days6.6\\Stale"));
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, inproc), Program());
  ASSERT_EQ(DllRegisterServer(), S_OK) << "registering twice is harmless";
}

TEST_F(Registration, ARegistryThatCannotBeWrittenStopsRegistrationAtTheFirstScript) {
  {
    std::ofstream corrupt(registry_.File());
    corrupt << "this is not a registry file\n";
  }
  EXPECT_EQ(DllRegisterServer(), HRESULT_FROM_WIN32(ERROR_REGISTRY_CORRUPT));
  std::ifstream in(registry_.File());
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "this is not a registry file\n") << "a file that cannot be parsed is never overwritten";
  EXPECT_EQ(DllUnregisterServer(), S_OK) << "removal never fails";
}

// Registered, the objects' errors name their class by its program
// identifier.
TEST_F(Registration, ACollectionsErrorNamesItsRegisteredProgramIdentifier) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(DllGetClassObject(CLSID_Days, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
  ComPtr<IDays> days;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDays, days.ReceiveVoid()), S_OK);
  // Through IDispatch by name, as a script calls it.
  std::u16string item = u"Item";
  LPOLESTR names[] = {item.data()};
  DISPID id;
  ASSERT_EQ(days->GetIDsOfNames(IID_NULL, names, 1, 0x0411, &id), S_OK);
  VARIANT key;
  key.vt = VT_BSTR;
  key.bstrVal = SysAllocString(u"nothing");
  DISPPARAMS params{&key, nullptr, 1, 0};
  Variant result;
  EXCEPINFO error{};
  EXPECT_EQ(days->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &result.v, &error, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(error.scode, static_cast<SCODE>(0x800A0203));
  EXPECT_EQ(Utf8(error.bstrSource), "Qor.Dovrel_Days6.6");
  EXPECT_EQ(Utf8(error.bstrDescription), "指定された要素が見つかりません。");
  SysFreeString(error.bstrSource);
  SysFreeString(error.bstrDescription);
  SysFreeString(error.bstrHelpFile);
  SysFreeString(key.bstrVal);
  ASSERT_EQ(DllUnregisterServer(), S_OK);
}

struct PathCase {
  const char16_t* module;
  const char16_t* fallback;
  const char16_t* helpDirectory;
};

TEST(TypeLibraryPaths, TheFallbackReplacesTheExtensionOfTheFileNameAndTheHelpFolderEndsBeforeIt) {
  const PathCase cases[] = {
      {u"/usr/lib/dovrel/libdovrel60.so", u"/usr/lib/dovrel/libdovrel60.tlb", u"/usr/lib/dovrel"},
      {u"/opt/app.v2/libdovrel60", u"/opt/app.v2/libdovrel60.tlb", u"/opt/app.v2"},
      {u"C:\\Program Files\\QOR\\dovrel60.dll", u"C:\\Program Files\\QOR\\dovrel60.tlb", u"C:\\Program Files\\QOR"},
      {u"C:dovrel60.dll", u"C:dovrel60.tlb", u"C"},
      {u"dovrel60", u"dovrel60.tlb", u""},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(Utf8(dovrel::TypeLibraryFallbackPath(c.module)), Utf8(std::u16string_view(c.fallback)));
    EXPECT_EQ(Utf8(dovrel::HelpDirectoryOf(c.module)), Utf8(std::u16string_view(c.helpDirectory)));
  }
}

}  // namespace

// A host that knows only the public header: it loads libdovrel60.so with
// dlopen, binds the automation services the library exports, registers the
// library, makes objects through a class object, calls them through their
// vtables and through IDispatch by name, reads the errors they raise,
// releases everything, unregisters and unloads the library. This program
// links nothing of dovrel60.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "dovrel60.h"

namespace {

std::string Narrow(const OLECHAR* text, std::size_t length) {
  std::string out;
  for (std::size_t i = 0; i < length; ++i) out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
  return out;
}

class Host : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dovrel-host-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("DOVREL_REGISTRY", (dir_ + "/registry.reg").c_str(), 1);
    library_ = dlopen(DOVREL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    ASSERT_TRUE(DovrelBindAutomationServices(library_, &api_));
    getClassObject_ = reinterpret_cast<DOVREL_PFN_DLLGETCLASSOBJECT>(dlsym(library_, "DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<DOVREL_PFN_DLLCANUNLOADNOW>(dlsym(library_, "DllCanUnloadNow"));
    registerServer_ = reinterpret_cast<DOVREL_PFN_DLLREGISTERSERVER>(dlsym(library_, "DllRegisterServer"));
    unregisterServer_ = reinterpret_cast<DOVREL_PFN_DLLUNREGISTERSERVER>(dlsym(library_, "DllUnregisterServer"));
    ASSERT_TRUE(getClassObject_ && canUnloadNow_ && registerServer_ && unregisterServer_);
  }
  void TearDown() override {
    if (library_) {
      EXPECT_EQ(canUnloadNow_(), S_OK) << "everything was released";
      EXPECT_EQ(dlclose(library_), 0);
    }
    unsetenv("DOVREL_REGISTRY");
    EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }

  std::string Text(BSTR text) { return text ? Narrow(text, api_.SysStringLen(text)) : "(null)"; }

  // The default value of a key below HKEY_CLASSES_ROOT.
  std::string Registered(const OLECHAR* path) {
    HKEY key;
    if (api_.RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "(missing)";
    OLECHAR text[1024] = {};
    DWORD size = sizeof text - 2, type = 0;
    api_.RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
    api_.RegCloseKey(key);
    return Narrow(text, static_cast<std::size_t>(api_.lstrlenW(text)));
  }

  std::string dir_;
  void* library_ = nullptr;
  DovrelAutomationServices api_{};
  DOVREL_PFN_DLLGETCLASSOBJECT getClassObject_ = nullptr;
  DOVREL_PFN_DLLCANUNLOADNOW canUnloadNow_ = nullptr;
  DOVREL_PFN_DLLREGISTERSERVER registerServer_ = nullptr;
  DOVREL_PFN_DLLUNREGISTERSERVER unregisterServer_ = nullptr;
};

TEST_F(Host, RegistersUsesUnregistersAndUnloadsTheLibrary) {
  ASSERT_EQ(registerServer_(), S_OK);
  char resolved[PATH_MAX];
  ASSERT_NE(realpath(DOVREL_LIBRARY, resolved), nullptr);
  EXPECT_EQ(Registered(OLESTR("CLSID\\{71CD6B99-2ADE-49AF-81D4-4137C2FCA7ED}\\InprocServer32")), resolved);
  EXPECT_EQ(Registered(OLESTR("Qor.Dovrel_Days6\\CurVer")), "Qor.Dovrel_Days6.6");

  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject_(CLSID_Days, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(canUnloadNow_(), S_FALSE) << "a held class object keeps the library";
  IDays* days = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDays, reinterpret_cast<void**>(&days)), S_OK);
  factory->Release();

  // Through the vtable: a Day with its optional arguments left out.
  VARIANT missing, date, none;
  api_.VariantInit(&missing);
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  api_.VariantInit(&date);
  date.vt = VT_DATE;
  date.date = 47119;  // 2029-01-01
  api_.VariantInit(&none);
  BSTR key = api_.SysAllocString(OLESTR("NewYear"));
  IDay* day = nullptr;
  ASSERT_EQ(days->Add(key, missing, date, missing, dvTypeHoliday, &day), S_OK);
  api_.SysFreeString(key);
  BSTR dayKey = nullptr;
  ASSERT_EQ(day->get_Key(&dayKey), S_OK);
  EXPECT_EQ(Text(dayKey), "NewYear");
  api_.SysFreeString(dayKey);
  day->Release();

  // Through IDispatch by name.
  OLECHAR countName[] = OLESTR("count");
  LPOLESTR names[] = {countName};
  DISPID count = 0;
  ASSERT_EQ(days->GetIDsOfNames(IID_NULL, names, 1, 0, &count), S_OK);
  DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
  VARIANT result;
  api_.VariantInit(&result);
  ASSERT_EQ(days->Invoke(count, IID_NULL, 0, DISPATCH_PROPERTYGET, &noArguments, &result, nullptr, nullptr), S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 1);

  // An error raised inside the library is on this thread for the host.
  VARIANT unknown;
  api_.VariantInit(&unknown);
  unknown.vt = VT_BSTR;
  unknown.bstrVal = api_.SysAllocString(OLESTR("nothing"));
  IDay* notFound = nullptr;
  EXPECT_EQ(days->get_Item(unknown, &notFound), static_cast<HRESULT>(0x800A0203));
  api_.VariantClear(&unknown);
  IErrorInfo* error = nullptr;
  ASSERT_EQ(api_.GetErrorInfo(0, &error), S_OK);
  BSTR source = nullptr;
  error->GetSource(&source);
  EXPECT_EQ(Text(source), "Qor.Dovrel_Days6.6");
  api_.SysFreeString(source);
  error->Release();
  days->Release();
  EXPECT_EQ(canUnloadNow_(), S_OK);

  EXPECT_EQ(unregisterServer_(), S_OK);
  EXPECT_EQ(Registered(OLESTR("CLSID\\{71CD6B99-2ADE-49AF-81D4-4137C2FCA7ED}")), "(missing)");
  EXPECT_EQ(Registered(OLESTR("TypeLib\\{E86176E6-719F-48BD-91CD-4CAE6C8DDBD9}\\1.0")), "(missing)");
}

// The services the host calls are those the library uses: its string table
// is found through them, and the thread's error information the host sets is
// the one the library's IDispatch clears before a call.
TEST_F(Host, TheHostsServicesShareTheLibrarysState) {
  HMODULE module = nullptr;
  ASSERT_TRUE(api_.GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                      reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(getClassObject_)), &module));
  OLECHAR text[64] = {};
  EXPECT_EQ(api_.LoadStringW(module, 100, text, 64), 6);
  EXPECT_EQ(Narrow(text, 6), "Dovrel");

  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject_(CLSID_HolidayStyle, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  IHLDYStyle* style = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IHLDYStyle, reinterpret_cast<void**>(&style)), S_OK);
  factory->Release();

  auto setHostError = [&] {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(api_.CreateErrorInfo(&create), S_OK);
    IErrorInfo* info = nullptr;
    create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    api_.SetErrorInfo(0, info);
    info->Release();
    create->Release();
  };
  // A failure without error information leaves the host's in place...
  setHostError();
  EXPECT_EQ(style->put_ForeColor(0x01000000), static_cast<HRESULT>(0x800A017C));
  IErrorInfo* info = nullptr;
  ASSERT_EQ(api_.GetErrorInfo(0, &info), S_OK);
  info->Release();
  // ... and a call through IDispatch clears it first.
  setHostError();
  OLECHAR boldName[] = OLESTR("Bold");
  LPOLESTR names[] = {boldName};
  DISPID bold = 0;
  ASSERT_EQ(style->GetIDsOfNames(IID_NULL, names, 1, 0, &bold), S_OK);
  VARIANT value;
  api_.VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = VARIANT_TRUE;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &put, 1, 1};
  EXPECT_EQ(style->Invoke(bold, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(api_.GetErrorInfo(0, &info), S_FALSE);
  VARIANT_BOOL isBold = 0;
  EXPECT_EQ(style->get_Bold(&isBold), S_OK);
  EXPECT_EQ(isBold, VARIANT_TRUE);
  style->Release();
}

}  // namespace

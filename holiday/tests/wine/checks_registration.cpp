// Registration with regsvr32, the type library as clients read it, and
// unregistration: what the registry holds after each.
#include "tests/wine/driver_support.h"

namespace driver {
namespace {

const wchar_t kTypeLibKey[] = L"TypeLib\\{E86176E6-719F-48BD-91CD-4CAE6C8DDBD9}";
const wchar_t kAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";

// The word sizes: this build's platform key under the type library's
// locale, and the other build's registry view, platform key and folder.
#ifdef _WIN64
const wchar_t kPlatform[] = L"\\win64";
const wchar_t kOtherPlatform[] = L"\\win32";
const REGSAM kOwnView = KEY_WOW64_64KEY;
const REGSAM kOtherView = KEY_WOW64_32KEY;
const SYSKIND kOtherSyskind = SYS_WIN32;
const wchar_t kOtherFolder[] = L"\\x86";
#else
const wchar_t kPlatform[] = L"\\win32";
const wchar_t kOtherPlatform[] = L"\\win64";
const REGSAM kOwnView = KEY_WOW64_32KEY;
const REGSAM kOtherView = KEY_WOW64_64KEY;
const SYSKIND kOtherSyskind = SYS_WIN64;
const wchar_t kOtherFolder[] = L"\\x64";
#endif

// The other build can stand beside this one only on 64-bit Windows (where
// a 32-bit process runs under WOW64): 32-bit Windows has one registry view,
// in which the flags for the two views are ignored.
bool OtherViewExists() {
#ifdef _WIN64
  return true;
#else
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

std::optional<std::wstring> LowerText(std::optional<std::wstring> text) {
  if (text) *text = Lower(*text);
  return text;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring ClassKey(const ClassInfo& c) { return L"CLSID\\" + GuidText(*c.clsid); }
std::wstring InterfaceKey(const ClassInfo& c) { return L"Interface\\" + GuidText(*c.iid); }

long RegisterServer(const std::wstring& dll, bool registering) {
  return RunProgram(std::wstring(L"regsvr32.exe /s ") + (registering ? L"" : L"/u ") + L"\"" + dll + L"\"");
}

// Everything one class's script writes, in this process's registry view.
void CheckClassRegistered(const ClassInfo& c, const std::wstring& dll) {
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, c.progId), std::wstring(c.description));
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(c.progId) + L"\\CLSID"), GuidText(*c.clsid));
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, c.independent), std::wstring(c.description));
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(c.independent) + L"\\CLSID"), GuidText(*c.clsid));
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(c.independent) + L"\\CurVer"), std::wstring(c.progId));
  std::wstring key = ClassKey(c);
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key), std::wstring(c.description));
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key + L"\\ProgID"), std::wstring(c.progId));
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key + L"\\VersionIndependentProgID"), std::wstring(c.independent));
  CHECK(KeyExists(HKEY_CLASSES_ROOT, key + L"\\Programmable"));
  CHECK_EQ(LowerText(RegistryText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32")), Lower(dll));
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel"), std::wstring(L"Apartment"));

  CLSID found{};
  CHECK_HR(CLSIDFromProgID(c.progId, &found), S_OK);
  CHECK(IsEqualGUID(found, *c.clsid));
  CHECK_HR(CLSIDFromProgID(c.independent, &found), S_OK);
  CHECK(IsEqualGUID(found, *c.clsid));
  LPOLESTR progId = nullptr;
  CHECK_HR(ProgIDFromCLSID(*c.clsid, &progId), S_OK);
  CHECK_EQ(std::wstring(progId ? progId : L""), std::wstring(c.progId));
  CoTaskMemFree(progId);
}

void CheckClassGone(const ClassInfo& c, REGSAM view = 0) {
  CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, c.progId), false);
  CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, c.independent), false);
  CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, ClassKey(c), view), false);
}

// A stand-in for the other build registered beside this one: its class
// keys in the other registry view, its type library under the other
// platform key. Its file is a copy of the DLL, so that the type library
// functions can read it.
void RegisterOtherWordSize(const std::wstring& other) {
  for (const ClassInfo& c : kClasses) {
    CHECK(SetRegistryText(HKEY_CLASSES_ROOT, ClassKey(c), nullptr, c.description, kOtherView));
    CHECK(SetRegistryText(HKEY_CLASSES_ROOT, ClassKey(c) + L"\\InprocServer32", nullptr, other, kOtherView));
  }
  CHECK(SetRegistryText(HKEY_CLASSES_ROOT, std::wstring(kTypeLibKey) + L"\\1.0\\409" + kOtherPlatform, nullptr, other));
}

// What the other build's own unregistration would take away.
void UnregisterOtherWordSize() {
  for (const ClassInfo& c : kClasses) DeleteTree(HKEY_CLASSES_ROOT, ClassKey(c), kOtherView);
  CHECK_HR(UnRegisterTypeLib(LIBID_dvDovrel6Lib, 1, 0, 0x0409, kOtherSyskind), S_OK);
}

// The help context field of the type library's header (offset 44 of the
// "MSFT" block), as widl wrote it into resource TYPELIB 1.
DWORD LibraryHelpContextInHeader(const std::wstring& dll) {
  HMODULE module = LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return 0;
  DWORD context = 0;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (data && SizeofResource(module, found) >= 48 && std::memcmp(data, "MSFT", 4) == 0)
    std::memcpy(&context, data + 44, sizeof context);
  FreeLibrary(module);
  return context;
}

}  // namespace

void CheckRegistration(const Setup& setup) {
  Section section("registration with regsvr32");
  CHECK_EQ(RegisterServer(setup.dll, true), 0L);
  for (const ClassInfo& c : kClasses) CheckClassRegistered(c, setup.dll);

  std::wstring version = std::wstring(kTypeLibKey) + L"\\1.0";
  CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, version), std::wstring(L"QOR Dovrel Object 6.0"));
  CHECK_EQ(LowerText(RegistryText(HKEY_CLASSES_ROOT, version + L"\\409" + kPlatform)), Lower(setup.dll));
  CHECK_EQ(LowerText(RegistryText(HKEY_CLASSES_ROOT, version + L"\\HELPDIR")), Lower(FolderOf(setup.dll)));
  CHECK(KeyExists(HKEY_CLASSES_ROOT, version + L"\\FLAGS"));
  for (const ClassInfo& c : kClasses) {
    std::wstring key = InterfaceKey(c);
    CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key), std::wstring(c.interfaceName));
    CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key + L"\\TypeLib"), GuidText(LIBID_dvDovrel6Lib));
    CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"Version"), std::wstring(L"1.0"));
    CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32"), std::wstring(kAutomationProxy));
  }
  // Registering again over an existing registration changes nothing.
  CHECK_EQ(RegisterServer(setup.dll, true), 0L);
  CheckClassRegistered(kClasses[0], setup.dll);
}

void CheckTypeLibrary(const Setup& setup) {
  Section section("type library: widl's against the Linux build's dispatch");
  ITypeLib* library = nullptr;
  // Registered under the library's own locale (a Japanese host's 0x0411
  // finds nothing there, on Windows as here: the objects' IDispatch then
  // reads the copy inside the module).
  CHECK_HR(LoadRegTypeLib(LIBID_dvDovrel6Lib, 1, 0, 0x0409, &library), S_OK);
  if (!library) return;
  std::string ours = typelib_dump::Describe(library);
  WriteFileBytes(setup.work + L"\\typelib-windows.txt", ours);
  auto reference = ReadFileBytes(setup.reference + L"\\typelib.txt");
  CHECK(reference.has_value());
  if (reference) {
    // Two differences that are not the description's:
    //  - Wine's ITypeLib answers 0 for the library's help context, although
    //    widl wrote 24000 into the type library's header: the header of the
    //    embedded resource is read instead (below).
    //  - widl cannot refer to stdole2's OLE_COLOR, as MIDL and the Linux
    //    dispatch do: it knows only ocidl.idl's typedef, a DWORD, and writes
    //    the colours' type as VT_UI4.
    std::size_t libraryLineEnd = ours.find('\n');
    std::size_t context = ours.rfind(" context=0", libraryLineEnd);
    if (context != std::string::npos && context + 10 == libraryLineEnd)
      ours.replace(context, 10, " context=" + std::to_string(LibraryHelpContextInHeader(setup.dll)));
    int colours = 0;
    for (std::size_t at; (at = reference->find("\"OLE_COLOR\"")) != std::string::npos; ++colours)
      reference->replace(at, 11, "vt19");
    CHECK_EQ(colours, 8);
    // The first line that differs says more than the whole text.
    std::size_t line = 1, at = 0;
    while (at < ours.size() && at < reference->size() && ours[at] == (*reference)[at]) {
      if (ours[at] == '\n') ++line;
      ++at;
    }
    auto lineAt = [&line](const std::string& text, std::size_t position) {
      std::size_t start = text.rfind('\n', position == 0 ? 0 : position - 1);
      start = start == std::string::npos ? 0 : start + 1;
      return text.substr(start, text.find('\n', start) - start);
    };
    bool same = ours == *reference;
    Record(same, "the type library reads as the Linux build's description (typelib-windows.txt, typelib.txt)",
           same ? "" : "\n  first difference on line " + std::to_string(line) + ":\n    windows: " + lineAt(ours, at) +
                           "\n    linux:   " + lineAt(*reference, at),
           __FILE__, __LINE__);
  }

  // Help strings are stored in code page 932 and come back as Japanese.
  ITypeInfo* info = nullptr;
  CHECK_HR(library->GetTypeInfoOfGuid(IID_IDovrel, &info), S_OK);
  if (info) {
    Bstr help;
    DWORD context = 0;
    CHECK_HR(info->GetDocumentation(6, nullptr, help.Out(), &context, nullptr), S_OK);
    CHECK_EQ(help.Text(), std::wstring(L"オブジェクトのバージョンを参照します。"));
    CHECK_EQ(context, 24206UL);
    info->Release();
  }
  library->Release();
}

void CheckUnregistration(const Setup& setup) {
  if (OtherViewExists()) {
    Section section("unregistration beside a registration of the other word size");
    std::wstring other = setup.work + kOtherFolder;
    CreateDirectoryW(other.c_str(), nullptr);
    other += L"\\dovrel60.dll";
    CHECK(CopyFileW(setup.dll.c_str(), other.c_str(), FALSE));
    RegisterOtherWordSize(other);
    CHECK_EQ(RegisterServer(setup.dll, false), 0L);
    for (const ClassInfo& c : kClasses) {
      // This build's class keys go; the program identifiers stay for the
      // other build, and still lead to the class.
      CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, ClassKey(c), kOwnView), false);
      CHECK(KeyExists(HKEY_CLASSES_ROOT, ClassKey(c), kOtherView));
      CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(c.progId) + L"\\CLSID"), GuidText(*c.clsid));
      CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(c.independent) + L"\\CurVer"), std::wstring(c.progId));
    }
    std::wstring version = std::wstring(kTypeLibKey) + L"\\1.0";
    CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, version + L"\\409" + kPlatform), false);
    CHECK_EQ(RegistryText(HKEY_CLASSES_ROOT, version + L"\\409" + kOtherPlatform), std::optional<std::wstring>(other));
    UnregisterOtherWordSize();
  } else {
    std::printf("-- skipped: unregistration beside a registration of the other word size (32-bit Windows has one registry view)\n");
  }
  {
    Section section("unregistration removes every key");
    CHECK_EQ(RegisterServer(setup.dll, true), 0L);
    CHECK_EQ(RegisterServer(setup.dll, false), 0L);
    for (const ClassInfo& c : kClasses) {
      CheckClassGone(c);
      CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, InterfaceKey(c)), false);
    }
    CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, kTypeLibKey), false);
    CHECK_EQ(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"), true);  // NoRemove
    // Unregistering what is not registered still succeeds.
    CHECK_EQ(RegisterServer(setup.dll, false), 0L);
  }
}

}  // namespace driver

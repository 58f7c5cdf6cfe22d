// What the Windows test driver's checks share: counting checks and saying
// what failed, owned COM values, the registry as a client reads it, and
// running the platform's programs (regsvr32).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "dovrel60.h"
#include "tests/support/variant_args.h"
#include "tests/wine/typelib_dump.h"

namespace driver {

// --- Checks --------------------------------------------------------------------

struct Tally {
  int passed = 0;
  int failed = 0;
};

inline Tally& Counts() {
  static Tally tally;
  return tally;
}

inline std::string Utf8(const std::wstring& text) { return typelib_dump::Utf8(text.c_str(), text.size()); }

// Quoted. (Built by appending: GCC 12 warns falsely about "..." + string.)
inline std::string Quoted(const std::string& text) {
  std::string out(1, '"');
  out += text;
  out += '"';
  return out;
}
inline std::string Show(const std::wstring& text) { return Quoted(Utf8(text)); }
inline std::string Show(const wchar_t* text) { return text ? Show(std::wstring(text)) : "(null)"; }
inline std::string Show(const std::string& text) { return Quoted(text); }
inline std::string Show(const char* text) { return Show(std::string(text)); }
inline std::string Show(bool value) { return value ? "true" : "false"; }
inline std::string Show(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}
template <typename T>
std::string Show(const std::optional<T>& value) {
  return value ? Show(*value) : "(none)";
}
template <typename T>
std::string Show(T value) requires std::is_integral_v<T> || std::is_enum_v<T> {
  long long n = static_cast<long long>(value);
  char buffer[48];
  if (n < -0xFFFF || n > 0xFFFF)
    std::snprintf(buffer, sizeof buffer, "%lld (0x%llX)", n, static_cast<unsigned long long>(n) & 0xFFFFFFFFull);
  else
    std::snprintf(buffer, sizeof buffer, "%lld", n);
  return buffer;
}

inline void Record(bool ok, const std::string& what, const std::string& detail, const char* file, int line) {
  if (ok) {
    ++Counts().passed;
    return;
  }
  ++Counts().failed;
  const char* name = std::strrchr(file, '/');
  std::printf("FAIL %s:%d: %s%s\n", name ? name + 1 : file, line, what.c_str(), detail.c_str());
  std::fflush(stdout);
}

template <typename A, typename B>
void RecordEqual(const A& actual, const B& expected, const char* what, const char* file, int line) {
  bool ok = actual == expected;
  Record(ok, what, ok ? "" : "\n       got " + Show(actual) + "\n  expected " + Show(expected), file, line);
}

// A section of the run, with the checks it passed.
class Section {
 public:
  explicit Section(const char* name) : name_(name), failedBefore_(Counts().failed), passedBefore_(Counts().passed) {
    std::printf("== %s\n", name);
    std::fflush(stdout);
  }
  ~Section() {
    std::printf("   %s: %d passed, %d failed\n", name_, Counts().passed - passedBefore_,
                Counts().failed - failedBefore_);
    std::fflush(stdout);
  }
  Section(const Section&) = delete;
  Section& operator=(const Section&) = delete;

 private:
  const char* name_;
  int failedBefore_;
  int passedBefore_;
};

#define CHECK(condition) ::driver::Record((condition), #condition, "", __FILE__, __LINE__)
#define CHECK_EQ(actual, expected) ::driver::RecordEqual((actual), (expected), #actual, __FILE__, __LINE__)
// An HRESULT, shown in hexadecimal when it is not the one expected.
#define CHECK_HR(call, expected) \
  ::driver::RecordEqual(static_cast<unsigned long>(call), static_cast<unsigned long>(expected), #call, __FILE__, __LINE__)

// --- Owned values ----------------------------------------------------------------

template <typename T>
class Ptr {
 public:
  Ptr() = default;
  explicit Ptr(T* p) : p_(p) {}  // takes over a reference
  Ptr(const Ptr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  Ptr& operator=(const Ptr& other) {
    if (other.p_) other.p_->AddRef();
    Reset();
    p_ = other.p_;
    return *this;
  }
  ~Ptr() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  template <typename U>
  Ptr<U> As(REFIID iid) const {
    Ptr<U> other;
    if (p_) p_->QueryInterface(iid, other.OutVoid());
    return other;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* text) : b_(SysAllocString(text)) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* Out() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  BSTR Get() const { return b_; }
  bool IsNull() const { return b_ == nullptr; }
  std::wstring Text() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* Out() {
    VariantClear(&v_);
    return &v_;
  }
  VARIANT& Get() { return v_; }
  const VARIANT& Get() const { return v_; }
  VARTYPE Type() const { return v_.vt; }
  // The value as text, or "(vt n)". Dates as yyyy/MM/dd whatever the
  // locale's short date format: the checks name dates, not the locale.
  std::wstring Text() const {
    if (v_.vt == VT_DATE) {
      SYSTEMTIME t{};
      if (!VariantTimeToSystemTime(v_.date, &t)) return L"(bad date)";
      wchar_t text[16];
      swprintf(text, 16, L"%04u/%02u/%02u", t.wYear, t.wMonth, t.wDay);
      return text;
    }
    VARIANT text;
    VariantInit(&text);
    VARIANT source = v_;
    if (FAILED(VariantChangeTypeEx(&text, &source, 0x0411, 0, VT_BSTR))) return L"(vt " + std::to_wstring(v_.vt) + L")";
    std::wstring out(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    return out;
  }

 private:
  VARIANT v_;
};

using testsupport::Omitted;

inline VARIANT Long(LONG value) { return testsupport::I4(value); }

// An automation date of a calendar day.
inline double DateOf(int year, int month, int day) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  double date = 0;
  SystemTimeToVariantTime(&t, &date);
  return date;
}

inline VARIANT Date(int year, int month, int day) { return testsupport::DateValue(DateOf(year, month, day)); }

// A text held by a VARIANT; the VARIANT owns the string.
class TextArgument {
 public:
  explicit TextArgument(const wchar_t* text) {
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocString(text);
  }
  ~TextArgument() { VariantClear(&v_); }
  TextArgument(const TextArgument&) = delete;
  TextArgument& operator=(const TextArgument&) = delete;
  const VARIANT& Get() const { return v_; }
  operator VARIANT() const { return v_; }

 private:
  VARIANT v_;
};

// --- Error information -------------------------------------------------------------

struct ErrorInfo {
  bool present = false;
  std::wstring source, description, helpFile;
  DWORD helpContext = 0;
  GUID guid{};
};

// The thread's error information, taken (GetErrorInfo clears it).
inline ErrorInfo TakeErrorInfo() {
  ErrorInfo out;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return out;
  out.present = true;
  Bstr source, description, helpFile;
  info->GetSource(source.Out());
  info->GetDescription(description.Out());
  info->GetHelpFile(helpFile.Out());
  info->GetHelpContext(&out.helpContext);
  info->GetGUID(&out.guid);
  out.source = source.Text();
  out.description = description.Text();
  out.helpFile = helpFile.Text();
  info->Release();
  return out;
}

inline std::string Show(const GUID& g) { return typelib_dump::Guid(g); }

// --- IDispatch by name -----------------------------------------------------------------

struct Call {
  HRESULT hr = S_OK;
  EXCEPINFO exception{};
  UINT argError = 0;
  Call() = default;
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  ~Call() {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  std::wstring Source() const { return exception.bstrSource ? exception.bstrSource : L"(null)"; }
  std::wstring Description() const { return exception.bstrDescription ? exception.bstrDescription : L"(null)"; }
};

// The member's identifier by name, as a script host finds it; DISPID_UNKNOWN
// when the object does not know it.
inline DISPID IdOf(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return DISPID_UNKNOWN;
  return id;
}

// Invokes a member by name with arguments in the order a script writes them
// (the platform wants them last first). `result` may be null.
inline void Invoke(Call& call, IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> arguments,
                   VARIANT* result) {
  DISPID id = IdOf(object, name);
  if (id == DISPID_UNKNOWN) {
    call.hr = DISP_E_UNKNOWNNAME;
    return;
  }
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  DISPID putId = DISPID_PROPERTYPUT;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  call.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &call.exception, &call.argError);
}

// --- Registry ----------------------------------------------------------------------

// A string value (the default value for a null name); nothing when the key or
// the value is missing. `view` is 0 or KEY_WOW64_32KEY / KEY_WOW64_64KEY.
inline std::optional<std::wstring> RegistryText(HKEY root, const std::wstring& path, const wchar_t* name = nullptr,
                                                REGSAM view = 0) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  std::optional<std::wstring> out;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) == ERROR_SUCCESS)
      out = std::wstring(text.c_str());
  }
  RegCloseKey(key);
  return out;
}

inline bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline bool SetRegistryText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value,
                            REGSAM view = 0) {
  HKEY key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LSTATUS status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

inline void DeleteTree(HKEY root, const std::wstring& path, REGSAM view = 0) {
  HKEY key;
  std::size_t slash = path.find_last_of(L'\\');
  std::wstring parent = slash == std::wstring::npos ? L"" : path.substr(0, slash);
  std::wstring leaf = slash == std::wstring::npos ? path : path.substr(slash + 1);
  if (RegOpenKeyExW(root, parent.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
  RegDeleteTreeW(key, leaf.c_str());
  RegDeleteKeyExW(key, leaf.c_str(), view, 0);
  RegCloseKey(key);
}

inline std::wstring GuidText(const GUID& g) {
  wchar_t text[40];
  StringFromGUID2(g, text, 40);
  return text;
}

// --- Programs and files ---------------------------------------------------------------

// How many times longer than on Wine itself the driver waits for other
// processes and windows: DOVREL_DRIVER_WAIT_SCALE, set where Wine runs
// emulated (scripts/run-win32-emulated), where a program takes a minute to
// start.
inline DWORD WaitScale() {
  wchar_t text[16] = {};
  DWORD n = GetEnvironmentVariableW(L"DOVREL_DRIVER_WAIT_SCALE", text, 16);
  long scale = n > 0 && n < 16 ? std::wcstol(text, nullptr, 10) : 1;
  return scale >= 1 && scale <= 1000 ? static_cast<DWORD>(scale) : 1;
}

// Runs a command line and waits for it; its exit code, or -1 when it could
// not be started.
inline long RunProgram(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, 120000 * WaitScale());
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long>(code);
}

inline std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// What the run was given on its command line.
struct Setup {
  std::wstring dll;        // the dovrel60.dll under test
  std::wstring reference;  // folder of what the Linux build wrote
  std::wstring work;       // folder for files of this run
  std::wstring probe;      // msinfo_probe.exe, the stand-in system information tool
  std::wstring screenshot; // where to save a picture of the about box (optional)
};

// The five classes as the registry and the clients know them.
struct ClassInfo {
  const CLSID* clsid;
  const IID* iid;
  const wchar_t* progId;       // version-dependent
  const wchar_t* independent;  // version-independent
  const wchar_t* description;
  const wchar_t* interfaceName;
};

inline const ClassInfo kClasses[] = {
    {&CLSID_Day, &IID_IDay, L"Qor.Dovrel_Day6.6", L"Qor.Dovrel_Day6", L"QOR Dovrel Day Object 6.0", L"IDay"},
    {&CLSID_Days, &IID_IDays, L"Qor.Dovrel_Days6.6", L"Qor.Dovrel_Days6", L"QOR Dovrel Days Collection Object 6.0",
     L"IDays"},
    {&CLSID_HolidayStyle, &IID_IHLDYStyle, L"Qor.Dovrel_HLDYStyle6.6", L"Qor.Dovrel_HLDYStyle6",
     L"QOR Dovrel HolidayStyle Object 6.0", L"IHLDYStyle"},
    {&CLSID_HolidayStyles, &IID_IHLDYStyles, L"Qor.Dovrel_HLDYStyles6.6", L"Qor.Dovrel_HLDYStyles6",
     L"QOR Dovrel HolidayStyles Collection Object 6.0", L"IHLDYStyles"},
    {&CLSID_dvDovrel, &IID_IDovrel, L"Qor.Dovrel6.6", L"Qor.Dovrel6", L"QOR Dovrel Object 6.0", L"IDovrel"},
};

// The sections of the run, in the order driver.cpp calls them.
void CheckRegistration(const Setup& setup);
void CheckTypeLibrary(const Setup& setup);
void CheckObjects(const Setup& setup);
void CheckPersistence(const Setup& setup);
void CheckMainObject(const Setup& setup);
void CheckUnregistration(const Setup& setup);

}  // namespace driver

// dovrel60-host: a host program that uses dovrel60 as any host would, knowing
// nothing of it but the public header.
//
// It loads libdovrel60.so with dlopen, registers it, builds a Japanese-style
// calendar for one year (the national holidays as one holiday style, entered
// by AddJapaneseHolidays of japan/holiday_style.h or loaded from the saved
// japanese_holidays.dvs; Saturdays and Sundays as weekly rest days), asks
// the main object a few questions through its vtable and again through
// IDispatch by name, saves the styles to a file through IPersistStream and
// loads them into a new object.
//
//   dovrel60-host [-l path/to/libdovrel60.so] [-y year] [-f japanese_holidays.dvs] [-o styles file]
//
// The registration goes where DOVREL_REGISTRY points, and the styles to the
// file -o names; without them the host uses a folder of its own, which it
// removes when it ends. It names only the files that it leaves behind.
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "dovrel60.h"
#include "japan/holiday_style.h"

namespace {

DovrelAutomationServices api;

// --- Failures ---------------------------------------------------------------------

std::string Utf8(const OLECHAR* text, int length) {
  if (!text || length <= 0) return {};
  const int size = api.WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  api.WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}
std::string Utf8(BSTR text) { return text ? Utf8(text, static_cast<int>(api.SysStringLen(text))) : std::string(); }

// Ends the program with what failed, and the library's own words for it when
// it left error information on the thread.
[[noreturn]] void Fail(const char* what, HRESULT hr) {
  std::string detail;
  IErrorInfo* info = nullptr;
  if (api.GetErrorInfo && api.GetErrorInfo(0, &info) == S_OK && info) {
    BSTR description = nullptr;
    info->GetDescription(&description);
    detail = ": " + Utf8(description);
    api.SysFreeString(description);
    info->Release();
  }
  std::fprintf(stderr, "dovrel60-host: %s failed with 0x%08X%s\n", what, static_cast<unsigned>(hr), detail.c_str());
  std::exit(1);
}

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) Fail(what, hr);
}

// --- Owned interfaces, strings and VARIANTs ------------------------------------------

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** put() {
    Reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const OLECHAR* text = nullptr) : b_(text ? api.SysAllocString(text) : nullptr) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { api.SysFreeString(b_); }
  BSTR get() const { return b_; }
  BSTR* put() {
    api.SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }

 private:
  BSTR b_;
};

struct Variant {
  VARIANT v;
  Variant() { api.VariantInit(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { api.VariantClear(&v); }
};

// An optional argument left out, as automation passes it.
VARIANT Missing() {
  VARIANT v;
  api.VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

VARIANT Integer(LONG value) {
  VARIANT v;
  api.VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// --- Dates --------------------------------------------------------------------------

using dovrel60::japan::AutomationDate;

VARIANT DateArg(double date) {
  VARIANT v;
  api.VariantInit(&v);
  v.vt = VT_DATE;
  v.date = date;
  return v;
}

// A date as the library's text conversion writes it (yyyy/MM/dd), or Null.
std::string DateText(const VARIANT& value) {
  if (value.vt == VT_NULL) return "Null";
  Variant text;
  if (FAILED(api.VariantChangeType(&text.v, const_cast<VARIANT*>(&value), 0, VT_BSTR))) return "?";
  return Utf8(text.v.bstrVal);
}
std::string DateText(double date) {
  VARIANT v = DateArg(date);
  return DateText(v);
}

// --- Questions, through the vtable and through IDispatch by name ------------------

// Calls a method of an automation object by its name, the way a script does:
// arguments in their order (Invoke wants them last first), omitted optional
// ones as Missing().
HRESULT CallByName(IDispatch* object, const char16_t* name, std::vector<VARIANT> args, VARIANT* result) {
  std::u16string nameCopy(name);
  LPOLESTR names[] = {nameCopy.data()};
  DISPID id = 0;
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  EXCEPINFO exception{};
  UINT argumentError = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result, &exception,
                      &argumentError);
  if (hr == DISP_E_EXCEPTION) {
    std::fprintf(stderr, "dovrel60-host: %s: %s\n", Utf8(name, static_cast<int>(nameCopy.size())).c_str(),
                 Utf8(exception.bstrDescription).c_str());
    hr = exception.scode;
  }
  api.SysFreeString(exception.bstrSource);
  api.SysFreeString(exception.bstrDescription);
  api.SysFreeString(exception.bstrHelpFile);
  return hr;
}

int disagreements = 0;

void Answer(const std::string& question, const std::string& byVtable, const std::string& byName) {
  std::printf("  %-46s %s\n", question.c_str(), byVtable.c_str());
  if (byVtable != byName) {
    std::printf("  ** through IDispatch: %s\n", byName.c_str());
    ++disagreements;
  }
}

std::string DatesOf(const VARIANT& array, SHORT count) {
  if (count <= 0) return "(none)";
  std::string text;
  LONG lower = 0;
  api.SafeArrayGetLBound(array.parray, 1, &lower);
  for (LONG i = lower; i < lower + count; ++i) {
    Variant element;
    api.SafeArrayGetElement(array.parray, &i, &element.v);
    if (!text.empty()) text += ' ';
    text += DateText(element.v);
  }
  return text;
}

std::string DayText(IDay* day) {
  if (!day) return "";
  Bstr key, name;
  day->get_Key(key.put());
  day->get_Name(name.put());
  return " (" + Utf8(key.get()) + " " + Utf8(name.get()) + ")";
}

void AskQuestions(IDovrel* dovrel, int year) {
  IDispatch* byName = dovrel;  // the dual interface is its own IDispatch
  const double first = AutomationDate(year, 1, 1), last = AutomationDate(year, 12, 31);

  for (auto [from, type, typeName] : {std::tuple{AutomationDate(year, 5, 2), dvNavWorkday, "dvNavWorkday"},
                                      std::tuple{AutomationDate(year, 7, 1), dvNavHoliday, "dvNavHoliday"}}) {
    Variant viaVtable, viaName;
    Check(dovrel->NextDay(DateArg(from), type, &viaVtable.v), "NextDay");
    Check(CallByName(byName, u"NextDay", {DateArg(from), Integer(type)}, &viaName.v), "NextDay by name");
    Answer("NextDay(" + DateText(from) + ", " + typeName + ")", DateText(viaVtable.v), DateText(viaName.v));
  }

  for (auto [type, typeName] : {std::pair{dvHoliday, "dvHoliday"}, std::pair{dvWorkday, "dvWorkday"},
                                std::pair{dvWeekend, "dvWeekend"}}) {
    LONG count = 0;
    Check(dovrel->DaysInRange(DateArg(first), DateArg(last), type, &count), "DaysInRange");
    Variant viaName;
    Check(CallByName(byName, u"DaysInRange", {DateArg(first), DateArg(last), Integer(type)}, &viaName.v),
          "DaysInRange by name");
    Answer("DaysInRange(" + std::to_string(year) + ", " + typeName + ")", std::to_string(count),
           viaName.v.vt == VT_I4 ? std::to_string(viaName.v.lVal) : "?");
  }

  {
    const double may1 = AutomationDate(year, 5, 1), may31 = AutomationDate(year, 5, 31);
    Variant array;
    SHORT count = 0;
    Check(dovrel->DatesInRange(DateArg(may1), DateArg(may31), &array.v, dvHoliday, &count), "DatesInRange");
    Variant arrayByName, countByName;
    VARIANT out;
    api.VariantInit(&out);
    out.vt = VT_BYREF | VT_VARIANT;
    out.pvarVal = &arrayByName.v;
    Check(CallByName(byName, u"DatesInRange", {DateArg(may1), DateArg(may31), out, Integer(dvHoliday)},
                     &countByName.v),
          "DatesInRange by name");
    Answer("DatesInRange(May " + std::to_string(year) + ", dvHoliday)", DatesOf(array.v, count),
           DatesOf(arrayByName.v, countByName.v.iVal));
  }

  for (double date : {AutomationDate(year, 5, 5), AutomationDate(year, 2, 24)}) {
    Ref<IDay> day;
    VARIANT_BOOL found = VARIANT_FALSE;
    Check(dovrel->IsDateInStyle(DateArg(date), day.put(), dvFirstMatch, &found), "IsDateInStyle");
    Variant foundByName, dayByName;
    VARIANT slot;
    api.VariantInit(&slot);
    slot.vt = VT_BYREF | VT_VARIANT;
    slot.pvarVal = &dayByName.v;
    Check(CallByName(byName, u"IsDateInStyle", {DateArg(date), slot, Missing()}, &foundByName.v),
          "IsDateInStyle by name");
    Ref<IDay> dayFromName;
    if (dayByName.v.vt == VT_DISPATCH && dayByName.v.pdispVal)
      dayByName.v.pdispVal->QueryInterface(IID_IDay, dayFromName.putVoid());
    Answer("IsDateInStyle(" + DateText(date) + ")",
           std::string(found ? "True" : "False") + DayText(found ? day.get() : nullptr),
           std::string(foundByName.v.vt == VT_BOOL && foundByName.v.boolVal ? "True" : "False") +
               DayText(dayFromName.get()));
  }
}

// The kind of a day as ValueType reports it, in words.
std::string KindOf(IDovrel* dovrel, double date) {
  Check(dovrel->put_Value(DateArg(date)), "Value");
  dvValueTypeConst kind{};
  Check(dovrel->get_ValueType(&kind), "ValueType");
  const LONG bits = static_cast<LONG>(kind);
  std::string words;
  for (auto [bit, name] : {std::pair{1, "holiday"}, std::pair{2, "forced holiday"}, std::pair{4, "forced workday"},
                           std::pair{8, "moved holiday"}, std::pair{16, "rest day"}}) {
    if (bits & bit) words += (words.empty() ? "" : ", ") + std::string(name);
  }
  return std::to_string(bits) + (words.empty() ? " (working day)" : " (" + words + ")");
}

// --- Building the calendar ----------------------------------------------------------

void Create(IClassFactory* factory, REFIID iid, void** object, const char* what) {
  Check(factory->CreateInstance(nullptr, iid, object), what);
}

// The weekly rest days: every Saturday and every Sunday.
void SetRestDays(IDovrel* dovrel) {
  const auto everyWeek = static_cast<dvWeekRestsConst>(dv1stWeek | dv2ndWeek | dv3rdWeek | dv4thWeek | dv5thWeek);
  Check(dovrel->put_WeekRests(dvSaturday, everyWeek), "WeekRests(Saturday)");
  Check(dovrel->put_WeekRests(dvSunday, everyWeek), "WeekRests(Sunday)");
}

// The national holidays of a year as the style JP. AddJapaneseHolidays
// enters substitute and citizens' holidays as Days of their own and leaves
// the style's Override at dvOverrideNone: nothing needs moving.
void BuildHolidayStyle(IDovrel* dovrel, int year) {
  Ref<IHLDYStyles> styles;
  Check(dovrel->get_HolidayStyles(styles.put()), "HolidayStyles");
  Bstr key(OLESTR("JP"));
  Variant name;
  name.v.vt = VT_BSTR;
  name.v.bstrVal = api.SysAllocString(u"国民の祝日");
  Ref<IHLDYStyle> style;
  Check(styles->Add(Missing(), key.get(), name.v, style.put()), "HolidayStyles.Add");
  Check(style->put_ForeColor(0x000000FF), "ForeColor");  // red
  Check(style->put_Bold(VARIANT_TRUE), "Bold");
  Check(dovrel60::japan::AddJapaneseHolidays(style.get(), year, year, api), "AddJapaneseHolidays");
}

// The number of Days of the style JP.
LONG DaysOfStyle(IDovrel* dovrel) {
  Ref<IHLDYStyles> styles;
  Check(dovrel->get_HolidayStyles(styles.put()), "HolidayStyles");
  Variant key;
  key.v.vt = VT_BSTR;
  key.v.bstrVal = api.SysAllocString(u"JP");
  Ref<IHLDYStyle> style;
  Check(styles->get_Item(key.v, style.put()), "HolidayStyles(\"JP\")");
  Ref<IDays> days;
  Check(style->get_Days(days.put()), "Days");
  LONG count = 0;
  Check(days->get_Count(&count), "Days.Count");
  return count;
}

void UseNationalHolidays(IDovrel* dovrel) {
  Bstr use(OLESTR("JP"));
  Check(dovrel->put_UseStyles(use.get()), "UseStyles");
  SetRestDays(dovrel);
}

// --- Saving and loading -------------------------------------------------------------

// A host that keeps an object in a stream writes its class identifier first
// and the object's own data after it, so that it can tell what it reads.
void SaveStyles(IDovrel* dovrel, const std::u16string& path) {
  Ref<IHLDYStyles> styles;
  Check(dovrel->get_HolidayStyles(styles.put()), "HolidayStyles");
  Ref<IPersistStream> persist;
  Check(styles->QueryInterface(IID_IPersistStream, persist.putVoid()), "IPersistStream");
  Ref<IStream> file;
  Check(api.SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE, 0, TRUE, nullptr, file.put()),
        "creating the styles file");
  CLSID clsid{};
  Check(persist->GetClassID(&clsid), "GetClassID");
  Check(file->Write(&clsid, sizeof clsid, nullptr), "writing the class identifier");
  Check(persist->Save(file.get(), TRUE), "Save");
}

void LoadStyles(IDovrel* dovrel, const std::u16string& path) {
  Ref<IHLDYStyles> styles;
  Check(dovrel->get_HolidayStyles(styles.put()), "HolidayStyles");
  Ref<IPersistStream> persist;
  Check(styles->QueryInterface(IID_IPersistStream, persist.putVoid()), "IPersistStream");
  Ref<IStream> file;
  Check(api.SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, file.put()), "opening the styles file");
  CLSID stored{}, expected{};
  ULONG read = 0;
  Check(file->Read(&stored, sizeof stored, &read), "reading the class identifier");
  Check(persist->GetClassID(&expected), "GetClassID");
  if (read != sizeof stored || !IsEqualGUID(stored, expected)) {
    std::fprintf(stderr, "dovrel60-host: the file holds no HolidayStyles\n");
    std::exit(1);
  }
  Check(persist->Load(file.get()), "Load");
}

// --- The program --------------------------------------------------------------------

struct Options {
  std::string library = "libdovrel60.so";
  int year = 2025;
  std::string holidaysFile;  // -f: the saved national holidays to load
  std::string stylesFile;    // -o: where the styles are saved, and kept
};

Options ReadOptions(int argc, char** argv) {
  Options options;
  int c;
  while ((c = getopt(argc, argv, "l:y:f:o:")) != -1) {
    switch (c) {
      case 'l': options.library = optarg; break;
      case 'y': options.year = std::atoi(optarg); break;
      case 'f': options.holidaysFile = optarg; break;
      case 'o': options.stylesFile = optarg; break;
      default:
        std::fprintf(stderr,
                     "usage: dovrel60-host [-l libdovrel60.so] [-y year] [-f japanese_holidays.dvs] [-o styles file]\n");
        std::exit(2);
    }
  }
  if (options.year < dovrel60::japan::kFirstYear || options.year > dovrel60::japan::kLastYear) {
    std::fprintf(stderr, "dovrel60-host: the year must lie in %d..%d\n", dovrel60::japan::kFirstYear,
                 dovrel60::japan::kLastYear);
    std::exit(2);
  }
  return options;
}

std::u16string Wide(const std::string& path) {
  std::u16string wide(path.size() + 1, u'\0');
  const int n = api.MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
  return wide;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ReadOptions(argc, argv);

  void* library = dlopen(options.library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "dovrel60-host: %s\n", dlerror());
    return 1;
  }
  if (!DovrelBindAutomationServices(library, &api)) {
    std::fprintf(stderr, "dovrel60-host: %s lacks the automation services\n", options.library.c_str());
    return 1;
  }
  const auto getClassObject = reinterpret_cast<DOVREL_PFN_DLLGETCLASSOBJECT>(dlsym(library, "DllGetClassObject"));
  const auto canUnloadNow = reinterpret_cast<DOVREL_PFN_DLLCANUNLOADNOW>(dlsym(library, "DllCanUnloadNow"));
  const auto registerServer = reinterpret_cast<DOVREL_PFN_DLLREGISTERSERVER>(dlsym(library, "DllRegisterServer"));
  const auto unregisterServer =
      reinterpret_cast<DOVREL_PFN_DLLUNREGISTERSERVER>(dlsym(library, "DllUnregisterServer"));
  if (!getClassObject || !canUnloadNow || !registerServer || !unregisterServer) {
    std::fprintf(stderr, "dovrel60-host: %s lacks an entry point\n", options.library.c_str());
    return 1;
  }

  // The registration goes into the user's registry file when one is named,
  // and the styles into the file -o names; whatever is not named goes into
  // a folder of this run's own, removed at the end.
  const char* namedRegistry = getenv("DOVREL_REGISTRY");
  const bool registryNamed = namedRegistry && *namedRegistry;
  std::string ownFolder;
  if (!registryNamed || options.stylesFile.empty()) {
    char pattern[] = "/tmp/dovrel60-host-XXXXXX";
    if (!mkdtemp(pattern)) {
      std::perror("dovrel60-host: mkdtemp");
      return 1;
    }
    ownFolder = pattern;
  }
  if (!registryNamed) setenv("DOVREL_REGISTRY", (ownFolder + "/registry.reg").c_str(), 1);
  Check(registerServer(), "DllRegisterServer");
  if (registryNamed)
    std::printf("registered %s in %s\n", options.library.c_str(), namedRegistry);
  else
    std::printf("registered %s for this run\n", options.library.c_str());

  const std::string stylesFile = !options.stylesFile.empty() ? options.stylesFile : ownFolder + "/styles.dvs";
  {
    Ref<IClassFactory> factory;
    Check(getClassObject(CLSID_dvDovrel, IID_IClassFactory, factory.putVoid()), "DllGetClassObject");
    Ref<IDovrel> dovrel;
    Create(factory.get(), IID_IDovrel, dovrel.putVoid(), "creating dvDovrel");
    Bstr version;
    Check(dovrel->get_Version(version.put()), "Version");
    std::printf("dvDovrel %s\n\n", Utf8(version.get()).c_str());

    if (options.holidaysFile.empty()) {
      BuildHolidayStyle(dovrel.get(), options.year);
      std::printf("style JP (国民の祝日): %d Days for %d, entered by AddJapaneseHolidays\n", DaysOfStyle(dovrel.get()),
                  options.year);
    } else {
      LoadStyles(dovrel.get(), Wide(options.holidaysFile));
      std::printf("style JP (国民の祝日): %d Days loaded from %s\n", DaysOfStyle(dovrel.get()),
                  options.holidaysFile.c_str());
    }
    UseNationalHolidays(dovrel.get());
    std::printf("rest days: every Saturday and Sunday\n\n");

    std::printf("questions (vtable, checked against IDispatch by name):\n");
    AskQuestions(dovrel.get(), options.year);
    for (int day : {23, 24}) {
      const double date = AutomationDate(options.year, 2, day);
      std::printf("  %-46s %s\n", ("ValueType(" + DateText(date) + ")").c_str(), KindOf(dovrel.get(), date).c_str());
    }

    SaveStyles(dovrel.get(), Wide(stylesFile));
    std::printf("\n");
    if (!options.stylesFile.empty()) std::printf("saved the styles to %s\n", stylesFile.c_str());

    Ref<IDovrel> second;
    Create(factory.get(), IID_IDovrel, second.putVoid(), "creating a second dvDovrel");
    LoadStyles(second.get(), Wide(stylesFile));
    Ref<IHLDYStyles> loaded;
    Check(second->get_HolidayStyles(loaded.put()), "HolidayStyles");
    LONG styleCount = 0;
    Check(loaded->get_Count(&styleCount), "Count");
    UseNationalHolidays(second.get());
    LONG before = 0, after = 0;
    const double first = AutomationDate(options.year, 1, 1), last = AutomationDate(options.year, 12, 31);
    Check(dovrel->DaysInRange(DateArg(first), DateArg(last), dvHoliday, &before), "DaysInRange");
    Check(second->DaysInRange(DateArg(first), DateArg(last), dvHoliday, &after), "DaysInRange");
    std::printf("saved and loaded into a new dvDovrel: %d style(s), DaysInRange(%d, dvHoliday) = %d (%s)\n",
                styleCount, options.year, after, after == before ? "as before" : "DIFFERENT");
    if (after != before) ++disagreements;
  }

  if (disagreements) std::printf("\n%d answer(s) disagree\n", disagreements);
  if (canUnloadNow() != S_OK) {
    std::fprintf(stderr, "dovrel60-host: the library still holds objects\n");
    return 1;
  }
  if (!registryNamed) unregisterServer();
  if (!ownFolder.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(ownFolder, ignored);
  }
  dlclose(library);
  return disagreements ? 1 : 0;
}

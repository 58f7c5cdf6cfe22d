// What the Linux build says, for the Windows driver to compare with:
//   typelib.txt  the type library as this platform's dispatch describes it
//                (idlgen's tables), in the form of typelib_dump.h
//   days.bin     the scenario's Days collection, saved by IPersistStream
//   styles.bin   the scenario's HolidayStyles collection, saved likewise
//   japanese_holidays.txt
//                the Days AddJapaneseHolidays enters for 1948 to 2099, one a
//                line: key, date (yyyy-mm-dd), name and type, separated by tabs,
//                in code page 932, as japanese_holidays.vbs reads them
//
//   wine_reference <output folder>
#include <cstdio>
#include <string>

#include "common/cp932.h"
#include "japan/holiday_style.h"
#include "tests/support/civil_calendar.h"
#include "tests/wine/persist_scenario.h"
#include "tests/wine/typelib_dump.h"

namespace {

using persist_scenario::CreateFromModule;

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string TypeLibraryText() {
  OLECHAR path[4096];
  DWORD n = GetModuleFileNameW(nullptr, path, 4096);
  if (n == 0 || n >= 4096) return "";
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(path, &library))) return "";
  std::string text = typelib_dump::Describe(library);
  library->Release();
  return text;
}

std::u16string TextOf(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : std::u16string(); }

// The Days of a style the C++ routine filled with every year, as text.
std::string JapaneseHolidaysText(IHLDYStyles* styles) {
  BSTR key = SysAllocString(OLESTR("JP"));
  VARIANT name = persist_scenario::Text(OLESTR("国民の祝日"));
  IHLDYStyle* style = nullptr;
  HRESULT hr = styles->Add(testsupport::Omitted(), key, name, &style);
  SysFreeString(key);
  VariantClear(&name);
  IDays* days = nullptr;
  if (SUCCEEDED(hr)) hr = dovrel60::japan::AddJapaneseHolidays(style, 1948, 2099);
  if (SUCCEEDED(hr)) hr = style->get_Days(&days);
  LONG count = 0;
  if (SUCCEEDED(hr)) hr = days->get_Count(&count);
  std::u16string lines;
  for (LONG i = 1; SUCCEEDED(hr) && i <= count; ++i) {
    IDay* day = nullptr;
    BSTR dayKey = nullptr, dayName = nullptr;
    VARIANT date;
    VariantInit(&date);
    hr = days->get_Item(testsupport::I4(i), &day);
    if (SUCCEEDED(hr)) hr = day->get_Key(&dayKey);
    if (SUCCEEDED(hr)) hr = day->get_Name(&dayName);
    if (SUCCEEDED(hr)) hr = day->get_Date(&date);
    dvDayTypeConst type = dvTypeHoliday;
    if (SUCCEEDED(hr)) hr = day->get_Type(&type);
    if (SUCCEEDED(hr)) {
      const testsupport::Civil civil = testsupport::CivilFromDays(
          static_cast<std::int64_t>(date.date) + testsupport::kAutomationEpochDay);
      char ymd[16];
      std::snprintf(ymd, sizeof ymd, "%04d-%02d-%02d", static_cast<int>(civil.year), civil.month, civil.day);
      lines += TextOf(dayKey) + u'\t' + std::u16string(ymd, ymd + 10) + u'\t' + TextOf(dayName) + u'\t' +
               static_cast<char16_t>(u'0' + type) + u"\r\n";
    }
    SysFreeString(dayKey);
    SysFreeString(dayName);
    if (day) day->Release();
  }
  if (days) days->Release();
  if (style) style->Release();
  return SUCCEEDED(hr) ? common::cp932::Encode(lines) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wine_reference <output folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  int failures = 0;
  auto fail = [&failures](const char* what) {
    std::fprintf(stderr, "wine_reference: %s\n", what);
    ++failures;
  };

  std::string typelib = TypeLibraryText();
  if (typelib.empty() || !WriteFile(folder + "/typelib.txt", typelib)) fail("cannot describe the type library");

  if (IDays* days = CreateFromModule<IDays>(CLSID_Days, IID_IDays)) {
    std::string bytes;
    if (FAILED(persist_scenario::BuildDays(days)) || FAILED(persist_scenario::SaveToBytes(days, &bytes)) ||
        !WriteFile(folder + "/days.bin", bytes))
      fail("cannot save the Days scenario");
    days->Release();
  } else {
    fail("cannot create a Days collection");
  }

  if (IHLDYStyles* styles = CreateFromModule<IHLDYStyles>(CLSID_HolidayStyles, IID_IHLDYStyles)) {
    std::string bytes;
    if (FAILED(persist_scenario::BuildStyles(styles)) || FAILED(persist_scenario::SaveToBytes(styles, &bytes)) ||
        !WriteFile(folder + "/styles.bin", bytes))
      fail("cannot save the HolidayStyles scenario");
    styles->Release();
  } else {
    fail("cannot create a HolidayStyles collection");
  }
  if (IHLDYStyles* styles = CreateFromModule<IHLDYStyles>(CLSID_HolidayStyles, IID_IHLDYStyles)) {
    const std::string text = JapaneseHolidaysText(styles);
    if (text.empty() || !WriteFile(folder + "/japanese_holidays.txt", text))
      fail("cannot list the Japanese national holidays");
    styles->Release();
  } else {
    fail("cannot create a HolidayStyles collection");
  }
  return failures == 0 ? 0 : 1;
}

// Writes the seeds of the load fuzzers: collections saved by Save, so that
// fuzzing starts from streams of the real layout (nested Days, null and
// empty strings, ranges, Japanese text) rather than from nothing.
//
//   persist_seeds <folder for Days streams> <folder for HolidayStyles streams>
#include <cstdio>
#include <string>

#include "definitions/days.h"
#include "definitions/holiday_styles.h"

namespace {

using namespace dovrel;

VARIANT Missing() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

VARIANT Date(double date) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DATE;
  v.date = date;
  return v;
}

VARIANT Text(const OLECHAR* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

void AddDay(IDays* days, const OLECHAR* key, double date, VARIANT date2, dvDayTypeConst type, VARIANT name) {
  BSTR k = SysAllocString(key);
  days->Add(k, name, Date(date), date2, type, nullptr);
  SysFreeString(k);
  VariantClear(&name);
}

void FillJapaneseHolidays(IDays* days) {
  AddDay(days, OLESTR("Ganjitsu"), 47119, Missing(), dvTypeHoliday, Text(u"元日"));
  AddDay(days, OLESTR("GW"), 47241, Date(47243), dvTypeHoliday, Text(u""));
  AddDay(days, OLESTR("obon"), 47343, Date(47346), dvTypeForcedHoliday, Missing());
  AddDay(days, OLESTR("Audit"), 47425, Missing(), dvTypeForcedWorkday, Text(u"棚卸"));
}

bool Write(IPersistStream* persist, const std::string& path) {
  const std::u16string wide(path.begin(), path.end());
  IStream* file = nullptr;
  if (FAILED(SHCreateStreamOnFileEx(wide.c_str(), STGM_CREATE | STGM_WRITE, 0, TRUE, nullptr, &file))) return false;
  const bool saved = SUCCEEDED(persist->Save(file, TRUE));
  file->Release();
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: persist_seeds <days folder> <styles folder>\n");
    return 2;
  }
  const std::string daysFolder = argv[1], stylesFolder = argv[2];
  bool ok = true;

  Days* days = nullptr;
  CreateOwnedObject(&days);
  ok &= Write(days, daysFolder + "/empty");
  FillJapaneseHolidays(days);
  ok &= Write(days, daysFolder + "/holidays");
  days->Release();

  HolidayStyles* styles = nullptr;
  CreateOwnedObject(&styles);
  ok &= Write(styles, stylesFolder + "/empty");
  VARIANT missing = Missing();
  BSTR key = SysAllocString(OLESTR("National"));
  IHLDYStyle* national = nullptr;
  VARIANT name = Text(u"国民の祝日");
  styles->Add(missing, key, name, &national);
  VariantClear(&name);
  SysFreeString(key);
  national->put_Override(dvOverrideNextDay);
  national->put_Bold(VARIANT_TRUE);
  national->put_ForeColor(0x000000FF);
  IDays* nationalDays = nullptr;
  national->get_Days(&nationalDays);
  FillJapaneseHolidays(nationalDays);
  nationalDays->Release();
  national->Release();
  key = SysAllocString(OLESTR("Company"));
  styles->Add(missing, key, missing, nullptr);
  SysFreeString(key);
  ok &= Write(styles, stylesFolder + "/styles");
  styles->Release();

  if (!ok) std::fprintf(stderr, "persist_seeds: a seed could not be written\n");
  return ok ? 0 : 1;
}

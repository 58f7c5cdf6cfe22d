// libFuzzer target: any bytes loaded into a HolidayStyles collection, each
// style with its nested Days (load_check.h).
#include "definitions/fuzz/load_check.h"

namespace persistfuzz {

void AddOneMember(Days&) {}

void AddOneMember(HolidayStyles& styles) {
  VARIANT missing;
  VariantInit(&missing);
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  BSTR key = SysAllocString(OLESTR("Keep"));
  IHLDYStyle* style = nullptr;
  Check(styles.Add(missing, key, missing, &style) == S_OK);
  SysFreeString(key);
  IDays* days = nullptr;
  Check(style->get_Days(&days) == S_OK);
  key = SysAllocString(OLESTR("D"));
  VARIANT date;
  VariantInit(&date);
  date.vt = VT_DATE;
  date.date = 47197;  // 2029-03-20
  Check(days->Add(key, missing, date, missing, dvTypeForcedHoliday, nullptr) == S_OK);
  SysFreeString(key);
  days->Release();
  style->Release();
}

}  // namespace persistfuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  persistfuzz::CheckLoad<dovrel::HolidayStyles>(data, size);
  return 0;
}

// libFuzzer target: any bytes loaded into a Days collection (load_check.h).
#include "definitions/fuzz/load_check.h"

namespace persistfuzz {

void AddOneMember(Days& days) {
  BSTR key = SysAllocString(OLESTR("Keep"));
  VARIANT missing, date;
  VariantInit(&missing);
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  VariantInit(&date);
  date.vt = VT_DATE;
  date.date = 47197;  // 2029-03-20
  Check(days.Add(key, missing, date, missing, dvTypeHoliday, nullptr) == S_OK);
  SysFreeString(key);
}

void AddOneMember(HolidayStyles&) {}

}  // namespace persistfuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  persistfuzz::CheckLoad<dovrel::Days>(data, size);
  return 0;
}

// Text from a host through the coercions: whatever the text, a coercion
// either fails cleanly or gives a value, and a date read from text writes
// back as a text that reads as the same date (to the second).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "automation/com.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  BSTR text = SysAllocStringByteLen(reinterpret_cast<const char*>(data), static_cast<UINT>(size & ~std::size_t{1}));
  if (!text) return 0;
  VARIANT source, result;
  VariantInit(&source);
  VariantInit(&result);
  V_VT(&source) = VT_BSTR;
  V_BSTR(&source) = text;
  for (VARTYPE vt : {VT_I2, VT_I4, VT_UI1, VT_R4, VT_R8, VT_BOOL, VT_CY, VT_I8}) {
    if (SUCCEEDED(VariantChangeType(&result, &source, 0, vt))) VariantClear(&result);
  }
  if (SUCCEEDED(VariantChangeType(&result, &source, 0, VT_DATE))) {
    DATE date = V_DATE(&result);
    VARIANT written, reread;
    VariantInit(&written);
    VariantInit(&reread);
    if (FAILED(VariantChangeType(&written, &result, 0, VT_BSTR))) std::abort();
    if (FAILED(VariantChangeType(&reread, &written, 0, VT_DATE))) std::abort();
    // The moment in seconds: the day, then the time of day counted forward
    // from its midnight (also before 1899-12-30).
    auto seconds = [](DATE d) {
      double whole = std::trunc(d);
      return whole * 86400.0 + std::round(std::fabs(d - whole) * 86400.0);
    };
    if (std::fabs(seconds(V_DATE(&reread)) - seconds(date)) > 1.0) std::abort();
    VariantClear(&written);
  }
  VariantClear(&source);
  return 0;
}

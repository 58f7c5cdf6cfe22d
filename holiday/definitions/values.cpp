#include "definitions/values.h"

#include <cstdint>
#include <new>
#include <string>

#include "frame/raise_error.h"

namespace dovrel {

namespace {
constexpr OLECHAR FoldAsciiLetter(OLECHAR c) {
  return (c >= OLECHAR('A') && c <= OLECHAR('Z')) ? static_cast<OLECHAR>(c - OLECHAR('A') + OLECHAR('a')) : c;
}
}  // namespace

int CompareKeys(OleStringView a, OleStringView b) {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    // Code units compare unsigned, as 16-bit values.
    const auto x = static_cast<std::uint16_t>(FoldAsciiLetter(a[i]));
    const auto y = static_cast<std::uint16_t>(FoldAsciiLetter(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::optional<OleString> ThroughAnsiCodePage(OleStringView key) try {
  if (key.empty()) return OleString();
  const int wideLength = static_cast<int>(key.size());
  const int ansiLength = WideCharToMultiByte(CP_ACP, 0, key.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (ansiLength <= 0) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(ansiLength), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, key.data(), wideLength, ansi.data(), ansiLength, nullptr, nullptr) != ansiLength)
    return std::nullopt;
  const int backLength = MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, nullptr, 0);
  if (backLength <= 0) return std::nullopt;
  OleString back(static_cast<std::size_t>(backLength), OLECHAR(0));
  if (MultiByteToWideChar(CP_ACP, 0, ansi.data(), ansiLength, back.data(), backLength) != backLength)
    return std::nullopt;
  return back;
} catch (const std::bad_alloc&) {
  return std::nullopt;
}

std::optional<DATE> CoerceToDate(const VARIANT& v) {
  VARIANT copy;
  VariantInit(&copy);
  VARIANT source = v;  // the coercion reads its source; it takes no ownership
  if (FAILED(VariantChangeType(&copy, &source, 0, VT_DATE))) return std::nullopt;
  const DATE date = copy.date;
  VariantClear(&copy);
  return date;
}

std::optional<engine::DayNumber> ValidDayNumberOf(DATE date) {
  const engine::DayNumber day = engine::DayNumberFromAutomationDate(date);
  if (!engine::IsValidDayNumber(day)) return std::nullopt;
  return day;
}

void DateVariantOf(engine::DayNumber day, VARIANT* out) {
  VariantInit(out);
  if (engine::IsValidDayNumber(day)) {
    out->vt = VT_DATE;
    out->date = engine::AutomationDateFromDayNumber(day);
  } else {
    out->vt = VT_NULL;
  }
}

engine::DayNumber Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return engine::DayNumberFromCivil(now.wYear, now.wMonth, now.wDay).day;
}

HRESULT ErrorSource::Raise(UINT stringNumber, HRESULT code) const {
  return RaiseError(clsid, stringNumber, iid, code);
}

}  // namespace dovrel

// The driver's checks: each one counted as passed or failed, a failure
// printed at once with what was found and what was expected, and each group
// of checks headed by its section, so that a log of a run says what went
// wrong where. A run ends with the counts, "N passed, N failed", which the
// runner insists on: the line is the proof that the driver ran to its end.

#include <cstdio>
#include <string>

#include "common/utf.h"
#include "tests/windows/driver/driver.h"

namespace ui_driver {

int passed = 0, failed = 0;

std::string Utf8(std::u16string_view text) { return common::Utf16ToUtf8Lossy(text); }
std::string Show(const std::u16string& text) { return '"' + Utf8(text) + '"'; }
std::string Show(const std::wstring& text) { return Show(FromWide(text)); }
std::string Show(long long value) { return std::to_string(value); }
std::string ShowColor(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof text, "RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

void Check(bool ok, const std::string& what, const std::string& detail) {
  if (ok) {
    ++passed;
    return;
  }
  ++failed;
  std::printf("FAIL %s%s\n", what.c_str(), detail.empty() ? "" : (": " + detail).c_str());
  std::fflush(stdout);
}
void CheckColor(COLORREF actual, COLORREF expected, const std::string& what) {
  Check(actual == expected, what, ShowColor(actual) + ", expected " + ShowColor(expected));
}

void Section(const char* name) {
  std::printf("== %s\n", name);
  std::fflush(stdout);
}

std::string ShowRect(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}
void CheckRect(const RECT& actual, const RECT& expected, const std::string& what) {
  Check(EqualRect(&actual, &expected), what, ShowRect(actual) + ", expected " + ShowRect(expected));
}

}  // namespace ui_driver

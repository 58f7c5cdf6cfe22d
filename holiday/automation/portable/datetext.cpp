// Automation dates and their texts.
//
// An automation date counts days since 1899-12-30; its fraction is the time
// of day, and for dates before that day the fraction still counts forward
// from midnight (-1.25 is 1899-12-29 06:00), so the whole part and the
// fraction are read separately.
#include <cmath>
#include <cstdio>

#include "automation/portable/internal.h"
#include "common/civil_date.h"

namespace automation {
namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads 1..maxDigits decimal digits at pos.
std::optional<int> ReadNumber(std::u16string_view text, std::size_t& pos, std::size_t maxDigits) {
  std::size_t start = pos;
  int value = 0;
  while (pos < text.size() && IsDigit(text[pos]) && pos - start < maxDigits) value = value * 10 + (text[pos++] - u'0');
  if (pos == start || (pos < text.size() && IsDigit(text[pos]))) return std::nullopt;
  return value;
}

bool Expect(std::u16string_view text, std::size_t& pos, char16_t c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// H:MM or H:MM:SS, 0:00:00 through 23:59:59, as a fraction of a day.
std::optional<double> ReadTime(std::u16string_view text, std::size_t& pos) {
  auto h = ReadNumber(text, pos, 2);
  if (!h || !Expect(text, pos, u':')) return std::nullopt;
  auto m = ReadNumber(text, pos, 2);
  if (!m) return std::nullopt;
  int s = 0;
  if (Expect(text, pos, u':')) {
    auto sec = ReadNumber(text, pos, 2);
    if (!sec) return std::nullopt;
    s = *sec;
  }
  if (*h > 23 || *m > 59 || s > 59) return std::nullopt;
  return ((*h * 60 + *m) * 60 + s) / 86400.0;
}

std::optional<double> Combine(int y, int m, int d, double time) {
  if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1 || d > common::DaysInMonth(y, m))
    return std::nullopt;
  double day = static_cast<double>(common::DaysFromCivil(y, m, d) - common::kAutomationEpoch);
  return day < 0 ? day - time : day + time;
}

// 2024-04-01, 2024/04/01 or 2024年4月1日, then an optional time after a
// blank (or the ISO "T").
std::optional<double> ParseCalendarDate(std::u16string_view text) {
  std::size_t pos = 0;
  auto y = ReadNumber(text, pos, 4);
  if (!y || pos != 4) return std::nullopt;
  std::optional<int> m, d;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'/')) {
    char16_t separator = text[pos++];
    m = ReadNumber(text, pos, 2);
    if (!m || !Expect(text, pos, separator)) return std::nullopt;
    d = ReadNumber(text, pos, 2);
  } else if (Expect(text, pos, u'年')) {
    m = ReadNumber(text, pos, 2);
    if (!m || !Expect(text, pos, u'月')) return std::nullopt;
    d = ReadNumber(text, pos, 2);
    if (!d || !Expect(text, pos, u'日')) return std::nullopt;
  }
  if (!m || !d) return std::nullopt;
  double time = 0;
  if (pos < text.size()) {
    if (text[pos] != u' ' && text[pos] != u'T' && text[pos] != 0x3000) return std::nullopt;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == 0x3000)) ++pos;
    if (pos < text.size() && text[pos] == u'T') ++pos;
    auto t = ReadTime(text, pos);
    if (!t || pos != text.size()) return std::nullopt;
    time = *t;
  }
  return Combine(*y, *m, *d, time);
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000; }

}  // namespace

std::optional<double> ParseDateText(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  if (auto date = ParseCalendarDate(text)) return date;
  // A time alone is that time on day 0.
  std::size_t pos = 0;
  if (auto time = ReadTime(text, pos); time && pos == text.size()) return *time;
  // Numeric text counts days since 1899-12-30, like a number would.
  VARIANT number, date;
  VariantInit(&number);
  VariantInit(&date);
  number.vt = VT_BSTR;
  number.bstrVal = MakeBstr(text);
  if (!number.bstrVal) return std::nullopt;
  VARIANT real;
  VariantInit(&real);
  HRESULT hr = VariantChangeType(&real, &number, 0, VT_R8);
  VariantClear(&number);
  if (FAILED(hr) || std::isnan(real.dblVal) || real.dblVal <= kMinDate - 1.0 || real.dblVal >= kMaxDate + 1.0)
    return std::nullopt;
  return real.dblVal;
}

// yyyy/MM/dd, H:mm:ss, or both: the short date and long time of a Japanese
// Windows. Day 0 shows as the time alone, midnight as the date alone.
std::optional<std::u16string> FormatDateText(double date) {
  if (!(date > kMinDate - 1.0 && date < kMaxDate + 1.0)) return std::nullopt;
  double whole = std::trunc(date);
  long long seconds = std::llround(std::fabs(date - whole) * 86400.0);
  long long day = static_cast<long long>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    day += 1;
  }
  const common::CivilDate civil = common::CivilFromDays(day + common::kAutomationEpoch);
  char buffer[48];
  std::string text;
  if (day != 0 || seconds == 0) {
    if (day == 0 && seconds == 0) {
      text = "0:00:00";
    } else {
      std::snprintf(buffer, sizeof buffer, "%04lld/%02d/%02d", static_cast<long long>(civil.year), civil.month,
                    civil.day);
      text = buffer;
    }
  }
  if (seconds != 0) {
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    if (!text.empty()) text += ' ';
    text += buffer;
  }
  return std::u16string(text.begin(), text.end());
}

}  // namespace automation

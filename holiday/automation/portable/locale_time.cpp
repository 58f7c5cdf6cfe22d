// Local time and the user locale's first day of the week.
#include <langinfo.h>
#include <locale.h>
#include <time.h>

#include <cstdio>
#include <cstring>

#include "automation/portable/internal.h"
#include "common/civil_date.h"

namespace {

// The first day of the week of the user's LC_TIME locale (from LC_ALL,
// LC_TIME or LANG, read now), as the platform's digit: 0 = Monday ... 6 =
// Sunday. glibc gives a reference date of a week's first day and the
// position of the first weekday counted from it (1 = that day).
int FirstDayOfWeek() {
  locale_t locale = newlocale(LC_TIME_MASK, "", nullptr);
  if (!locale) locale = newlocale(LC_TIME_MASK, "C", nullptr);
  if (!locale) return 6;
  // nl_langinfo_l returns the number in the bytes of the pointer.
  union {
    const char* pointer;
    unsigned int word;
  } reference;
  reference.pointer = nl_langinfo_l(_NL_TIME_WEEK_1STDAY, locale);
  unsigned int date = reference.word;
  int firstWeekday = static_cast<unsigned char>(*nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, locale));
  freelocale(locale);
  long long y = date / 10000;
  unsigned m = date / 100 % 100, d = date % 100;
  if (m < 1 || m > 12 || d < 1 || d > 31 || firstWeekday < 1 || firstWeekday > 7) return 6;
  // The platform counts from Monday (0), the civil weekday from Sunday (0):
  // six places on, modulo 7.
  const int sundayFirst = common::WeekdayFromDays(common::DaysFromCivil(y, static_cast<int>(m), static_cast<int>(d)));
  const int referenceDay = (sundayFirst + 6) % 7;
  return (referenceDay + firstWeekday - 1) % 7;
}

}  // namespace

STDAPI_(void) GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (!lpSystemTime) return;
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  tm local;
  localtime_r(&now.tv_sec, &local);
  lpSystemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
  lpSystemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
  lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  lpSystemTime->wDay = static_cast<WORD>(local.tm_mday);
  lpSystemTime->wHour = static_cast<WORD>(local.tm_hour);
  lpSystemTime->wMinute = static_cast<WORD>(local.tm_min);
  lpSystemTime->wSecond = static_cast<WORD>(local.tm_sec);
  lpSystemTime->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

// Only LOCALE_IFIRSTDAYOFWEEK is known. Every locale identifier answers with
// the user's setting, since glibc knows locales by name, not by number.
STDAPI_(int) GetLocaleInfoW(LCID, DWORD LCType, LPWSTR lpLCData, int cchData) {
  if (cchData < 0 || (cchData > 0 && !lpLCData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if ((LCType & ~(LOCALE_RETURN_NUMBER | LOCALE_NOUSEROVERRIDE)) != LOCALE_IFIRSTDAYOFWEEK) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  int first = FirstDayOfWeek();
  if (LCType & LOCALE_RETURN_NUMBER) {
    // The number fills two UTF-16 units.
    if (cchData == 0) return 2;
    if (cchData < 2) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    DWORD value = static_cast<DWORD>(first);
    std::memcpy(lpLCData, &value, sizeof value);
    return 2;
  }
  if (cchData == 0) return 2;
  if (cchData < 2) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  lpLCData[0] = static_cast<WCHAR>(u'0' + first);
  lpLCData[1] = 0;
  return 2;
}

STDAPI_(int) GetLocaleInfoA(LCID Locale, DWORD LCType, LPSTR lpLCData, int cchData) {
  WCHAR wide[2];
  int n = GetLocaleInfoW(Locale, LCType & ~LOCALE_RETURN_NUMBER, wide, 2);
  if (!n) return 0;
  if (cchData == 0) return 2;
  if (!lpLCData || cchData < 2) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  lpLCData[0] = static_cast<char>(wide[0]);
  lpLCData[1] = 0;
  return 2;
}

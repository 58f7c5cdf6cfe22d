// The official list of the national holidays: the file the Cabinet Office
// publishes each year with the holidays of the years announced so far
// (syukujitsu.csv), read and entered into a holiday style of dovrel60 as
// AddJapaneseHolidays (japan/holiday_style.h) enters the days of the rules.
//
// The file is code page 932 text with CR LF line ends: a heading line, then
// one line per holiday, its date and its name separated by a comma:
//
//   国民の祝日・休日月日,国民の祝日・休日名称
//   2026/1/1,元日
//   2026/5/6,休日
//
// The list names substitute holidays and citizens' holidays 「休日」, and
// some one-off days more briefly than the rules of national_holidays.h do;
// `holidaygen --compare` lists where the two differ.
//
//   const OfficialHolidayList list = ReadOfficialHolidayList(bytesOfTheFile);
//   if (list.problemLine == 0) AddOfficialHolidays(style, list, api);
//
// The reading is standard C++ and leaves the names in code page 932 (their
// bytes never hold a comma, CR or LF: those are no trail bytes);
// AddOfficialHolidays converts them with the platform's MultiByteToWideChar.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/civil_date.h"
#include "dovrel60.h"
#include "japan/holiday_style.h"

namespace dovrel60::japan {

struct OfficialHoliday {
  int year;
  int month;
  int day;
  std::string name;  // code page 932, as the file has it
};

struct OfficialHolidayList {
  std::vector<OfficialHoliday> days;  // in the order of the file
  int problemLine = 0;                // 0: every line was read; else the first that could not be
  std::string problem;                // what was wrong with that line
};

namespace official_detail {

// A number of 1 to `digits` digits at `at`, advanced past it; -1 without one.
inline int Number(std::string_view line, std::size_t& at, std::size_t digits) {
  int value = 0;
  std::size_t read = 0;
  while (at < line.size() && read < digits && line[at] >= '0' && line[at] <= '9') {
    value = value * 10 + (line[at++] - '0');
    ++read;
  }
  return read ? value : -1;
}

// "yyyy/m/d,name" into `holiday`; the reason when it is no such line.
inline std::string ReadLine(std::string_view line, OfficialHoliday& holiday) {
  std::size_t at = 0;
  const std::size_t yearStart = at;
  holiday.year = Number(line, at, 4);
  if (at - yearStart != 4) return "no date yyyy/m/d at the start";
  if (at >= line.size() || line[at++] != '/') return "no date yyyy/m/d at the start";
  holiday.month = Number(line, at, 2);
  if (holiday.month < 0 || at >= line.size() || line[at++] != '/') return "no date yyyy/m/d at the start";
  holiday.day = Number(line, at, 2);
  if (holiday.day < 0) return "no date yyyy/m/d at the start";
  if (holiday.month < 1 || holiday.month > 12 || holiday.day < 1 ||
      holiday.day > common::DaysInMonth(holiday.year, holiday.month))
    return "no such date";
  if (at >= line.size() || line[at++] != ',') return "no comma after the date";
  const std::string_view name = line.substr(at);
  if (name.empty()) return "no name after the date";
  if (name.find(',') != std::string_view::npos) return "more than a date and a name";
  holiday.name.assign(name);
  return {};
}

}  // namespace official_detail

// Reads the file's bytes. The first line is the heading unless it is itself
// a holiday line; empty lines are skipped; a line ends at LF, with or
// without the CR before it. Every other line must be a holiday line of a
// day not read before; the first that is not stops the reading, and the
// list then holds the days before it.
inline OfficialHolidayList ReadOfficialHolidayList(std::string_view bytes) {
  OfficialHolidayList list;
  std::vector<std::int64_t> seen;
  int number = 0;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes = end == std::string_view::npos ? std::string_view{} : bytes.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    OfficialHoliday holiday;
    std::string problem = official_detail::ReadLine(line, holiday);
    if (!problem.empty() && number == 1) continue;  // the heading
    if (problem.empty()) {
      const std::int64_t day = common::DaysFromCivil(holiday.year, holiday.month, holiday.day);
      for (const std::int64_t other : seen)
        if (other == day) problem = "a day listed before";
      seen.push_back(day);
    }
    if (!problem.empty()) {
      list.problemLine = number;
      list.problem = problem;
      return list;
    }
    list.days.push_back(std::move(holiday));
  }
  return list;
}

// Enters the days of a list read whole into `style` as AddJapaneseHolidays
// enters those of the rules: each a forced holiday (dvTypeForcedHoliday) of
// its date keyed "JP-yyyy-mm-dd" and named as the list names it, the
// style's Override set to dvOverrideNone, a key the style already holds
// left as it is. So a style filled from the list answers as one filled from
// the rules wherever the two agree, and its Days are found by the same
// keys. Returns E_INVALIDARG for a list with a problem (nothing is added
// then) or a name that is no code page 932 text, E_POINTER without a style,
// otherwise the first failure of the style's members, or S_OK. `api`
// provides MultiByteToWideChar (the names are converted from code page
// 932), SysAllocString and SysFreeString.
template <class Services>
HRESULT AddOfficialHolidays(IHLDYStyle* style, const OfficialHolidayList& list, const Services& api) {
  constexpr unsigned kCodePage932 = 932;
  if (!style) return E_POINTER;
  if (list.problemLine != 0) return E_INVALIDARG;
  IDays* days = nullptr;
  HRESULT hr = holiday_detail::DaysToEnter(style, &days);
  if (FAILED(hr)) return hr;
  std::u16string name;
  for (const OfficialHoliday& holiday : list.days) {
    const int bytes = static_cast<int>(holiday.name.size());
    const int length = api.MultiByteToWideChar(kCodePage932, 0, holiday.name.data(), bytes, nullptr, 0);
    name.assign(static_cast<std::size_t>(length > 0 ? length : 0), u'\0');
    if (length <= 0 || api.MultiByteToWideChar(kCodePage932, 0, holiday.name.data(), bytes,
                                               reinterpret_cast<OLECHAR*>(name.data()), length) != length) {
      hr = E_INVALIDARG;
      break;
    }
    hr = holiday_detail::EnterHoliday(days, Holiday{holiday.year, holiday.month, holiday.day, {}}, name, api);
    if (FAILED(hr)) break;
  }
  days->Release();
  return hr;
}

// The same with the platform's own functions: on Windows, or in a program
// that links dovrel60's automation layer.
inline HRESULT AddOfficialHolidays(IHLDYStyle* style, const OfficialHolidayList& list) {
  struct Platform {
    static int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int count, OLECHAR* out,
                                   int room) {
      return ::MultiByteToWideChar(codePage, flags, bytes, count, out, room);
    }
    static BSTR SysAllocString(const OLECHAR* text) { return ::SysAllocString(text); }
    static void SysFreeString(BSTR text) { ::SysFreeString(text); }
  };
  return AddOfficialHolidays(style, list, Platform{});
}

}  // namespace dovrel60::japan

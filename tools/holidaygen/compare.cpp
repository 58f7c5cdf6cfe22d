#include "holidaygen/compare.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <tuple>

#include "common/civil_date.h"
#include "common/cp932.h"
#include "common/utf.h"
#include "japan/national_holidays.h"
#include "japan/official_holidays.h"

namespace holidaygen {
namespace {

using Day = std::tuple<int, int, int>;  // year, month, day: ordered as dates are

// "2026/05/06 (水)".
std::string DateText(const Day& day) {
  const auto [year, month, date] = day;
  static const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
  const int weekday = common::WeekdayFromDays(common::DaysFromCivil(year, month, date));
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d (%s)", year, month, date, kWeekdays[weekday]);
  return text;
}

std::string Utf8(std::u16string_view text) { return common::Utf16ToUtf8Lossy(text); }

}  // namespace

Comparison CompareWithRules(std::string_view bytes, const std::string& fileName) {
  const dovrel60::japan::OfficialHolidayList list = dovrel60::japan::ReadOfficialHolidayList(bytes);
  if (list.problemLine != 0)
    throw std::runtime_error(fileName + ":" + std::to_string(list.problemLine) + ": " + list.problem);
  if (list.days.empty()) throw std::runtime_error(fileName + ": no holiday in the file");

  Comparison comparison;
  std::map<Day, std::string> inFile;  // the names in UTF-8
  for (const dovrel60::japan::OfficialHoliday& holiday : list.days)
    inFile[{holiday.year, holiday.month, holiday.day}] = Utf8(common::cp932::Decode(holiday.name));
  comparison.firstYear = std::get<0>(inFile.begin()->first);
  comparison.lastYear = std::get<0>(inFile.rbegin()->first);
  comparison.inFile = inFile.size();

  std::map<Day, std::string> byRules;
  for (const dovrel60::japan::Holiday& holiday :
       dovrel60::japan::NationalHolidays(comparison.firstYear, comparison.lastYear))
    byRules[{holiday.year, holiday.month, holiday.day}] = Utf8(holiday.name);
  comparison.byRules = byRules.size();

  for (const auto& [day, name] : inFile) {
    const auto rule = byRules.find(day);
    if (rule == byRules.end()) comparison.onlyInFile.push_back(DateText(day) + " " + name);
    else if (rule->second != name) comparison.namesDiffer.push_back(DateText(day) + " " + name + " / " + rule->second);
  }
  for (const auto& [day, name] : byRules)
    if (!inFile.count(day)) comparison.onlyInRules.push_back(DateText(day) + " " + name);
  return comparison;
}

std::string ComparisonReport(const Comparison& c, const std::string& fileName) {
  std::string text = fileName + ": " + std::to_string(c.inFile) + " holidays of " + std::to_string(c.firstYear) +
                     " to " + std::to_string(c.lastYear) + ", the rules " + std::to_string(c.byRules) + "\n";
  auto list = [&text](const std::string& heading, const std::vector<std::string>& lines) {
    text += heading + " (" + std::to_string(lines.size()) + "):\n";
    for (const std::string& line : lines) text += "  " + line + "\n";
  };
  list("only in the file", c.onlyInFile);
  list("only in the rules", c.onlyInRules);
  if (!c.namesDiffer.empty()) list("names that differ, the file's / the rules' (not counted)", c.namesDiffer);
  text += c.DaysDiffer() ? "the days differ\n" : "the days agree\n";
  return text;
}

}  // namespace holidaygen

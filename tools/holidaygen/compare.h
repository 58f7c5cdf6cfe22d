#pragma once
// holidaygen --compare FILE: the official list of the national holidays
// (syukujitsu.csv, read by japan/official_holidays.h) against the days of
// the rules of japan/national_holidays.h, over the years the file covers:
// every day of one that the other lacks, and apart from those the days both
// have under names that differ. The list names substitute holidays and
// citizens' holidays 「休日」 and some one-off days more briefly than the
// rules do, so names never make the two disagree; days do.

#include <string>
#include <string_view>
#include <vector>

namespace holidaygen {

struct Comparison {
  int firstYear = 0, lastYear = 0;
  std::size_t inFile = 0, byRules = 0;
  // One line per day, "2026/05/06 (水) 振替休日", in date order, UTF-8.
  std::vector<std::string> onlyInFile, onlyInRules;
  std::vector<std::string> namesDiffer;  // "2026/05/06 (水) 休日 / 振替休日": the file's, then the rules'
  bool DaysDiffer() const { return !onlyInFile.empty() || !onlyInRules.empty(); }
};

// Throws std::runtime_error("<file>:<line>: <problem>") for a file it cannot
// read, and for one without a holiday.
Comparison CompareWithRules(std::string_view bytes, const std::string& fileName);

// What holidaygen prints: a line on what was compared, the three lists (the
// names' only when there are any), and a last line saying whether the days
// agree.
std::string ComparisonReport(const Comparison& comparison, const std::string& fileName);

}  // namespace holidaygen

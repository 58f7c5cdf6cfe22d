#pragma once
// japanese_holidays.dvs: a HolidayStyles collection of one style, key JP,
// named 国民の祝日, that holds every national holiday of 1948 to 2099 as
// AddJapaneseHolidays enters them, saved as a host saves the collection:
// the class identifier of HolidayStyles, then what the collection's
// IPersistStream::Save writes (version, count, the style's colours, flags,
// Override, key and name, and its Days: date, no second date, type, key,
// name).

#include <string>

namespace holidaygen {

std::string StylesFile();

}  // namespace holidaygen

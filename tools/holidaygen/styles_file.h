#pragma once
// japanese_holidays.dvs: a HolidayStyles collection of one style, key JP,
// named 国民の祝日, that AddJapaneseHolidays fills with every national
// holiday of 1948 to 2099, saved as a host saves the collection: the class
// identifier of HolidayStyles, then what the collection's
// IPersistStream::Save writes. The collection and its Save are dovrel60's
// own (definitions/), so the file cannot drift from what the library saves
// and loads.

#include <string>

namespace holidaygen {

// Throws std::runtime_error naming the step that failed.
std::string StylesFile();

}  // namespace holidaygen

#include "holidaygen/styles_file.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "dovrel60.h"
#include "japan/national_holidays.h"

namespace holidaygen {
namespace {

// Every number of the stream is little-endian.
class StreamWriter {
 public:
  void U8(std::uint8_t value) { bytes_ += static_cast<char>(value); }
  void U16(std::uint16_t value) { Bytes(value, 2); }
  void U32(std::uint32_t value) { Bytes(value, 4); }
  // A string: its byte count with the closing zero, the UTF-16LE code
  // units, the zero.
  void Text(std::u16string_view text) {
    U32(static_cast<std::uint32_t>(2 * text.size() + 2));
    for (char16_t unit : text) U16(unit);
    U16(0);
  }
  std::string Take() { return std::move(bytes_); }

 private:
  void Bytes(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) U8(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  std::string bytes_;
};

constexpr std::uint32_t kCollectionVersion = 0x00010000;
// A new style's colours: the system colours window background (5) and
// window text (8).
constexpr std::uint32_t kWindowBackground = 0x80000005, kWindowText = 0x80000008;
// Day numbers are Julian day numbers: 1970-01-01 is 2440588, and 5374484
// stands for no second date.
constexpr std::int64_t kDayNumberOf1970 = 2440588;
constexpr std::uint32_t kNoDate2 = 5374484;

}  // namespace

std::string StylesFile() {
  using namespace dovrel60::japan;
  const std::vector<Holiday> holidays = NationalHolidays(kFirstYear, kLastYear);

  StreamWriter out;
  out.U32(CLSID_HolidayStyles.Data1);
  out.U16(CLSID_HolidayStyles.Data2);
  out.U16(CLSID_HolidayStyles.Data3);
  for (unsigned char byte : CLSID_HolidayStyles.Data4) out.U8(byte);

  out.U32(kCollectionVersion);
  out.U32(1);  // one style
  out.U32(kWindowBackground);
  out.U32(kWindowText);
  out.U32(0);  // Bold
  out.U32(0);  // Underline
  out.U16(dvOverrideNone);
  out.Text(kStyleKey);
  out.Text(kStyleName);

  out.U32(kCollectionVersion);
  out.U32(static_cast<std::uint32_t>(holidays.size()));
  for (const Holiday& holiday : holidays) {
    out.U32(static_cast<std::uint32_t>(common::DaysFromCivil(holiday.year, holiday.month, holiday.day) +
                                       kDayNumberOf1970));
    out.U32(kNoDate2);
    out.U16(dvTypeForcedHoliday);
    out.Text(KeyOf(holiday));
    out.Text(holiday.name);
  }
  return out.Take();
}

}  // namespace holidaygen

#include "tests/dovrel/oracle.h"

#include <algorithm>
#include <cstdlib>

namespace dovtest {

namespace {

std::int64_t DayNumberOf(const VARIANT& v) {
  EXPECT_EQ(v.vt, VT_DATE);
  return static_cast<std::int64_t>(v.date) + kEpochDay;
}

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameKey(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// A day of a month in a year, cut to the month's last day.
std::int64_t ClampedDay(std::int64_t year, int month, int day) {
  return DaysFromCivil(year, month, std::min(day, MonthLength(year, month)));
}

bool IsKind(std::uint16_t f, Kind kind) {
  const bool holiday = (f & 1) != 0;
  const bool rest = (f & 16) != 0;
  switch (kind) {
    case Kind::Holiday: return holiday;
    case Kind::Workday: return (!holiday && !rest) || (f & 4) != 0;
    case Kind::Weekend: return rest;
    case Kind::WeekendOrHoliday: return holiday || rest;
    case Kind::Any: return true;
  }
  return false;
}

}  // namespace

Oracle::Oracle(IDovrel* dovrel, const std::vector<int>* inUse) {
  for (int weekday = 1; weekday <= 7; ++weekday) {
    dvWeekRestsConst rule{};
    EXPECT_EQ(dovrel->get_WeekRests(static_cast<SHORT>(weekday), &rule), S_OK);
    weekRests_[static_cast<std::size_t>(weekday - 1)] = static_cast<std::int16_t>(Raw(rule));
  }
  dvWeekdayConst start{};
  EXPECT_EQ(dovrel->get_StartOfWeek(&start), S_OK);
  startOfWeek_ = static_cast<int>(start);

  ComPtr<IHLDYStyles> styles = StylesOf(dovrel);
  LONG count = 0;
  EXPECT_EQ(styles->get_Count(&count), S_OK);
  for (LONG s = 1; s <= count; ++s) {
    ComPtr<IHLDYStyle> style;
    EXPECT_EQ(styles->get_Item(Var::I4(s).v, style.Receive()), S_OK);
    OracleStyle read;
    Bstr key;
    EXPECT_EQ(style->get_Key(key.Receive()), S_OK);
    read.key = key.Text();
    dvOverrideConst override_{};
    EXPECT_EQ(style->get_Override(&override_), S_OK);
    read.overrideNextDay = Raw(override_) == dvOverrideNextDay;
    ComPtr<IDays> days = DaysOf(style.Get());
    LONG dayCount = 0;
    EXPECT_EQ(days->get_Count(&dayCount), S_OK);
    for (LONG d = 1; d <= dayCount; ++d) {
      OracleDay day;
      EXPECT_EQ(days->get_Item(Var::I4(d).v, day.object.Receive()), S_OK);
      dvDayTypeConst type{};
      EXPECT_EQ(day.object->get_Type(&type), S_OK);
      day.type = Raw(type);
      Var date, date2;
      EXPECT_EQ(day.object->get_Date(&date.v), S_OK);
      EXPECT_EQ(day.object->get_Date2(&date2.v), S_OK);
      day.date = DayNumberOf(date.v);
      if (date2.v.vt != VT_NULL) day.date2 = DayNumberOf(date2.v);
      read.days.push_back(std::move(day));
    }
    styles_.push_back(std::move(read));
  }
  inUse_ = inUse ? *inUse : *ReadUseStyles(UseStylesOf(dovrel), styles_, true);
}

namespace {

// The styles a text names, piece by piece: a style's position, or nothing
// for a piece that names none (empty pieces are skipped).
std::vector<std::optional<int>> PiecesOf(std::u16string_view text, const std::vector<OracleStyle>& styles) {
  text = text.substr(0, std::min(text.find(u'\0'), text.size()));
  std::vector<std::optional<int>> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(u',', start);
    if (comma == std::u16string_view::npos) comma = text.size();
    const std::u16string_view piece = text.substr(start, comma - start);
    start = comma + 1;
    if (piece.empty()) continue;
    std::optional<int> found;
    if (piece.size() <= 255) {
      if (piece.size() > 2 && piece.front() == u'{' && piece.back() == u'}') {
        std::size_t i = 1;
        while (i < piece.size() - 1 && piece[i] == u' ') ++i;
        long long position = 0;
        bool digits = false;
        for (; i < piece.size() - 1 && piece[i] >= u'0' && piece[i] <= u'9'; ++i) {
          digits = true;
          position = std::min(position * 10 + (piece[i] - u'0'), 1LL << 40);
        }
        if (digits && position >= 1 && position <= static_cast<long long>(styles.size()))
          found = static_cast<int>(position - 1);
      } else {
        for (std::size_t s = 0; s < styles.size() && !found; ++s)
          if (SameKey(styles[s].key, piece)) found = static_cast<int>(s);
      }
    }
    pieces.push_back(found);
  }
  return pieces;
}

}  // namespace

std::optional<std::vector<int>> Oracle::ReadUseStyles(std::u16string_view text, const std::vector<OracleStyle>& styles,
                                                      bool skipFailing) {
  std::vector<int> list;
  for (const std::optional<int>& found : PiecesOf(text, styles)) {
    if (!found) {
      if (skipFailing) continue;
      return std::nullopt;
    }
    // Runs of the same style count once.
    if (list.empty() || list.back() != *found) list.push_back(*found);
  }
  return list;
}

std::vector<int> Oracle::AcceptedBeforeFailure(std::u16string_view text, const std::vector<OracleStyle>& styles) {
  std::vector<int> list;
  for (const std::optional<int>& found : PiecesOf(text, styles)) {
    if (!found) break;
    list.push_back(*found);
  }
  return list;
}

bool Oracle::Covers(const OracleDay& day, std::int64_t d) {
  if (day.type != dvTypeHoliday) {
    if (!day.date2) return d == day.date;
    return d >= std::min(day.date, *day.date2) && d <= std::max(day.date, *day.date2);
  }
  const Civil on = CivilFromDays(d);
  const Civil from = CivilFromDays(day.date);
  if (!day.date2) return on.month == from.month && on.day == from.day;
  // A yearly range: the occurrence of every year s runs from (s, from) to
  // (s + span, to), each end cut to its month, the two ends in order. Only
  // the occurrences of the years around d can reach it.
  const Civil to = CivilFromDays(*day.date2);
  const std::int64_t span = to.year - from.year;
  const std::int64_t reach = std::llabs(span) + 1;
  for (std::int64_t s = on.year - reach; s <= on.year + reach; ++s) {
    const std::int64_t a = ClampedDay(s, from.month, from.day);
    const std::int64_t b = ClampedDay(s + span, to.month, to.day);
    if (d >= std::min(a, b) && d <= std::max(a, b)) return true;
  }
  return false;
}

bool Oracle::IsRestDay(std::int64_t d) const {
  const std::int16_t rule = weekRests_[static_cast<std::size_t>(WeekdayOf(d) - 1)];
  if (rule == 0) return false;
  const Civil c = CivilFromDays(d);
  const int occurrence = (c.day + 6) / 7;  // days 1-7: the first, 29-31: the fifth
  if ((rule & (1 << (occurrence - 1))) != 0) return true;
  const bool last = c.day + 7 > MonthLength(c.year, c.month);
  return (rule & dvLastWeek) != 0 && last;
}

bool Oracle::MovesHolidays(std::int64_t d) const {
  return IsRestDay(d) && (weekRests_[static_cast<std::size_t>(WeekdayOf(d) - 1)] & dvOverrideWeekday) != 0;
}

std::uint16_t Oracle::Flags(std::int64_t d) const {
  if (auto it = memo_.find(d); it != memo_.end()) return it->second;
  std::uint16_t f = 0;
  if (IsRestDay(d)) f = MovesHolidays(d) ? 48 : 16;
  const bool dayBeforeMoves = MovesHolidays(d - 1);
  for (int index : inUse_) {
    const OracleStyle& style = styles_[static_cast<std::size_t>(index)];
    for (const OracleDay& day : style.days) {
      std::uint16_t kind = 0;
      if (Covers(day, d)) {
        kind = day.type == dvTypeHoliday ? 1 : day.type == dvTypeForcedHoliday ? 3 : 4;
      } else if (style.overrideNextDay && day.type != dvTypeForcedWorkday && dayBeforeMoves && Covers(day, d - 1)) {
        // The holiday of the rest day before moves here. When the same Day
        // also covers d, the day's own marking comes after the move.
        kind = day.type == dvTypeHoliday ? 9 : 11;
      }
      if (kind) f = static_cast<std::uint16_t>((f & ~15) | kind);
    }
  }
  memo_.emplace(d, f);
  return f;
}

bool Oracle::Is(std::int64_t d, Kind kind) const { return IsKind(Flags(d), kind); }

Oracle::Walk Oracle::NextDay(std::int64_t d, Kind kind, int window) const {
  const std::int64_t start = d + 1;
  if (!Valid(start)) return {true, std::nullopt};
  for (std::int64_t x = start; x < start + window; ++x) {
    if (!Valid(x)) return {true, std::nullopt};
    if (Is(x, kind)) return {true, x};
  }
  return {false, std::nullopt};
}

Oracle::Walk Oracle::PrevDay(std::int64_t d, Kind kind, int window) const {
  const std::int64_t start = d - 1;
  if (!Valid(start)) return {true, std::nullopt};
  for (std::int64_t x = start; x > start - window; --x) {
    if (!Valid(x)) return {true, std::nullopt};
    if (Is(x, kind)) return {true, x};
  }
  return {false, std::nullopt};
}

Oracle::Walk Oracle::AdjustDate(std::int64_t d, bool forward, int window) const {
  if (!Valid(d)) return {true, std::nullopt};
  for (int i = 0; i < window; ++i) {
    const std::int64_t x = forward ? d + i : d - i;
    if (!Valid(x)) return {true, std::nullopt};
    if (Is(x, Kind::Workday)) return {true, x};
  }
  return {false, std::nullopt};
}

Oracle::Walk Oracle::DaysFromNow(std::int64_t d, SHORT days, Kind kind, int window) const {
  if (!Valid(d)) return {true, std::nullopt};
  if (days == 0) return {true, d};
  const int step = days > 0 ? 1 : -1;
  long wanted = std::labs(static_cast<long>(days));
  for (std::int64_t x = d, i = 0; i < window; x += step, ++i) {
    if (!Valid(x)) return {true, std::nullopt};
    if (Is(x, kind) && --wanted == 0) return {true, x};
  }
  return {false, std::nullopt};
}

std::int64_t Oracle::DaysInRange(std::int64_t d1, std::int64_t d2, Kind kind) const {
  if (!Valid(d1) || !Valid(d2)) return -1;
  std::int64_t n = 0;
  for (std::int64_t x = std::min(d1, d2); x <= std::max(d1, d2); ++x) n += Is(x, kind) ? 1 : 0;
  return n;
}

std::vector<std::int64_t> Oracle::DatesInRange(std::int64_t d1, std::int64_t d2, Kind kind) const {
  std::vector<std::int64_t> days;
  if (!Valid(d1) || !Valid(d2)) return days;
  for (std::int64_t x = std::min(d1, d2); x <= std::max(d1, d2); ++x)
    if (Is(x, kind)) days.push_back(x);
  return days;
}

std::optional<std::int64_t> Oracle::FirstIn(std::int64_t lo, std::int64_t hi, Kind kind) const {
  for (std::int64_t x = lo; x <= hi; ++x)
    if (Is(x, kind)) return x;
  return std::nullopt;
}

std::optional<std::int64_t> Oracle::LastIn(std::int64_t lo, std::int64_t hi, Kind kind) const {
  for (std::int64_t x = hi; x >= lo; --x)
    if (Is(x, kind)) return x;
  return std::nullopt;
}

std::pair<std::int64_t, std::int64_t> Oracle::WeekOf(std::int64_t d) const {
  std::int64_t start = d;
  while (WeekdayOf(start) != startOfWeek_) --start;
  return {std::max(start, kFirstDay), std::min(start + 6, kLastDay)};
}

Oracle::StyleFound Oracle::StyleMatch(std::int64_t d, std::size_t from) const {
  for (std::size_t entry = from; entry < inUse_.size(); ++entry) {
    for (const OracleDay& day : styles_[static_cast<std::size_t>(inUse_[entry])].days)
      if (Covers(day, d)) return {entry, day.object.Get()};
  }
  return {};
}

}  // namespace dovtest

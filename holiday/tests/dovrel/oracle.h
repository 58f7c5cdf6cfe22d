// A brute-force calendar to check the main object against: it reads the
// definitions back through the public interfaces and works out each day on
// its own, from the rules as a person would apply them to one day, without
// the engine's runs of cells, chunks or early answers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "tests/dovrel/support.h"

namespace dovtest {

struct OracleDay {
  LONG type = dvTypeHoliday;
  std::int64_t date = 0;
  std::optional<std::int64_t> date2;
  ComPtr<IDay> object;  // the Day itself, to compare with what a query hands out
};

struct OracleStyle {
  std::u16string key;
  bool overrideNextDay = false;
  std::vector<OracleDay> days;
};

enum class Kind { Holiday, Workday, Weekend, WeekendOrHoliday, Any };

class Oracle {
 public:
  // Everything read from the object: WeekRests, StartOfWeek, every style
  // and Day of HolidayStyles, and the styles in use: from the UseStyles
  // text, read as after a change of membership, or as given (a caller that
  // follows the list through changes that do not read the text again).
  explicit Oracle(IDovrel* dovrel, const std::vector<int>* inUse = nullptr);

  // The styles in use, 0-based, read from a text the way the object reads
  // it; skipFailing for ResolveUseStyles, else nothing when a piece fails.
  static std::optional<std::vector<int>> ReadUseStyles(std::u16string_view text, const std::vector<OracleStyle>& styles,
                                                       bool skipFailing);
  // What a refused text leaves in the list: the styles of the pieces before
  // the failing one, runs not reduced (nothing when the first piece fails,
  // and the list stays as it was).
  static std::vector<int> AcceptedBeforeFailure(std::u16string_view text, const std::vector<OracleStyle>& styles);
  // The styles in use after the membership of the collection changed: the
  // stored text read again, failing pieces skipped.
  const std::vector<int>& InUse() const { return inUse_; }

  // Whether a definition covers day d (the marking and the lookup agree).
  static bool Covers(const OracleDay& day, std::int64_t d);

  // The cell flags of d: the weekly rules, then the styles in use in order,
  // each Day in order, a later marking replacing the kind of an earlier one.
  std::uint16_t Flags(std::int64_t d) const;
  bool Is(std::int64_t d, Kind kind) const;

  // Answers. A walk that does not find its day within `window` days returns
  // Unknown, so that a caller can still check what the object said.
  struct Walk {
    bool known;
    std::optional<std::int64_t> day;
  };
  Walk NextDay(std::int64_t d, Kind kind, int window) const;
  Walk PrevDay(std::int64_t d, Kind kind, int window) const;
  Walk AdjustDate(std::int64_t d, bool forward, int window) const;
  Walk DaysFromNow(std::int64_t d, SHORT days, Kind kind, int window) const;
  // -1 for an invalid end; the caller checks the 366000-day limit.
  std::int64_t DaysInRange(std::int64_t d1, std::int64_t d2, Kind kind) const;
  std::vector<std::int64_t> DatesInRange(std::int64_t d1, std::int64_t d2, Kind kind) const;
  std::optional<std::int64_t> FirstIn(std::int64_t lo, std::int64_t hi, Kind kind) const;
  std::optional<std::int64_t> LastIn(std::int64_t lo, std::int64_t hi, Kind kind) const;
  // The week of d from StartOfWeek, cut to the supported range.
  std::pair<std::int64_t, std::int64_t> WeekOf(std::int64_t d) const;
  // The Day IsDateInStyle finds, asking the styles in use from entry `from`
  // on, and the entry of its style; day is null when none defines d.
  struct StyleFound {
    std::size_t entry = 0;
    IDay* day = nullptr;
  };
  StyleFound StyleMatch(std::int64_t d, std::size_t from) const;

  int StartOfWeek() const { return startOfWeek_; }
  const std::vector<OracleStyle>& Styles() const { return styles_; }

 private:
  bool IsRestDay(std::int64_t d) const;
  bool MovesHolidays(std::int64_t d) const;  // a rest day whose rule has dvOverrideWeekday

  std::array<std::int16_t, 7> weekRests_{};
  int startOfWeek_ = 1;
  std::vector<OracleStyle> styles_;
  std::vector<int> inUse_;
  mutable std::unordered_map<std::int64_t, std::uint16_t> memo_;
};

inline bool Valid(std::int64_t d) { return d >= kFirstDay && d <= kLastDay; }

}  // namespace dovtest

// Speed of dovrel60's calendar queries over a Japanese-style calendar
// (Saturdays and Sundays off, about twenty yearly holidays with substitute
// Mondays, the year-end break), answered from the kept classification.
//
// Each query is measured kept (the classification made once and kept, as a
// host that asks again and again sees it) and, for the walks and the count,
// first after a change (the rules replaced before every date, so that every
// query classifies the blocks it touches). Next to those, in the same run,
// the way every query worked before the classification was kept: classify a
// fresh run of day cells (367 for a walk, 366002 for the longest count) and
// scan it; the first query after a change must cost no more than that.
//
// Built with BENCH_ENGINE_PEERS, QuantLib's Japan calendar answers the same
// questions as a peer; bench/engine/run-peers adds numpy's business-day
// functions and prints every query with both peers in one table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/support/run_times.h"

#include "engine/queries.h"

#ifdef BENCH_WITH_QUANTLIB
#include <ql/time/calendars/japan.hpp>
#endif

namespace {

using namespace dovrel::engine;

DayNumber Ymd(int y, int m, int d) { return DayNumberFromCivil(y, m, d).day; }

CalendarRules JapaneseStyleCalendar() {
  CalendarRules rules;
  rules.week_rests[kSunday - 1] = week_rest::kAllWeeks;
  rules.week_rests[kSaturday - 1] = week_rest::kAllWeeks;
  HolidayStyleRules national{true, {}};
  const int fixed[][2] = {{1, 1},  {1, 15}, {2, 11}, {2, 23}, {3, 20}, {4, 29}, {5, 3},
                          {5, 4},  {5, 5},  {7, 20}, {8, 11}, {9, 15}, {9, 23}, {10, 10},
                          {11, 3}, {11, 23}, {12, 23}};
  for (const auto& md : fixed) national.days.push_back({kTypeHoliday, Ymd(2000, md[0], md[1]), kNullDayNumber});
  national.days.push_back({kTypeHoliday, Ymd(2000, 8, 13), Ymd(2000, 8, 15)});  // summer break
  HolidayStyleRules year_end{false, {{kTypeHoliday, Ymd(2000, 12, 29), Ymd(2001, 1, 3)}}};
  // (No forced working days: numpy's calendar could not mirror them, and its
  // count of working days checks ours.)
  rules.styles = {national, year_end};
  rules.style_list = {0, 1};
  return rules;
}

const CalendarRules& Calendar() {
  static const CalendarRules rules = JapaneseStyleCalendar();
  return rules;
}

constexpr int kDates = 100000;
const DayNumber kFrom = Ymd(1901, 1, 1), kTo = Ymd(2199, 12, 31);  // QuantLib's range
const DayNumber kRangeFrom = Ymd(1900, 1, 1), kRangeTo = kRangeFrom + kLongestRange;

const std::vector<DayNumber>& RandomDates() {
  static const std::vector<DayNumber> dates = [] {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<DayNumber> day(kFrom + 400, kTo - 400);
    std::vector<DayNumber> v(kDates);
    for (DayNumber& d : v) d = day(rng);
    return v;
  }();
  return dates;
}

// The calendar kept for the whole of QuantLib's range, as after a first
// round of queries.
const KeptClassification& Kept() {
  static const KeptClassification kept = [] {
    KeptClassification k(Calendar());
    (void)k.Count(Ymd(1899, 1, 1), Ymd(2200, 12, 31), DayCategory::Workday);
    (void)k.Count(kRangeFrom, kRangeTo, DayCategory::Workday);
    return k;
  }();
  return kept;
}

template <class Query>
void OverRandomDates(benchmark::State& state, Query query) {
  const KeptClassification& calendar = Kept();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (DayNumber d : RandomDates()) sum += query(calendar, d).value_or(0);
    benchmark::DoNotOptimize(sum);
  }
}

// The same after a change before every date: the rules given again (which
// drops every kept block; the pages stay), then the query, which classifies
// what it touches.
template <class Query>
void FirstAfterChange(benchmark::State& state, Query query) {
  KeptClassification calendar(Calendar());
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (DayNumber d : RandomDates()) {
      calendar.Reset(Calendar());
      sum += query(calendar, d).value_or(0);
    }
    benchmark::DoNotOptimize(sum);
  }
}

#define BENCH_QUERY(Name, expression)                                                                  \
  void BM_##Name(benchmark::State& state) {                                                            \
    OverRandomDates(state, [](const KeptClassification& c, DayNumber d) { return expression; });       \
  }                                                                                                     \
  BENCHMARK(BM_##Name)->Unit(benchmark::kMicrosecond);                                                 \
  void BM_##Name##_FirstAfterChange(benchmark::State& state) {                                         \
    FirstAfterChange(state, [](const KeptClassification& c, DayNumber d) { return expression; });      \
  }                                                                                                     \
  BENCHMARK(BM_##Name##_FirstAfterChange)->Unit(benchmark::kMicrosecond)

BENCH_QUERY(NextDay_Workday, NextDay(c, d, DayCategory::Workday));
BENCH_QUERY(PrevDay_Workday, PrevDay(c, d, DayCategory::Workday));
BENCH_QUERY(NextDay_Holiday, NextDay(c, d, DayCategory::Holiday));
BENCH_QUERY(AdjustDate_Next, AdjustDate(c, d, AdjustDirection::NextWorkday));
BENCH_QUERY(AdjustDate_Prev, AdjustDate(c, d, AdjustDirection::PrevWorkday));
BENCH_QUERY(DaysFromNow_20Workdays, DaysFromNow(c, d, 20, DayCategory::Workday));
BENCH_QUERY(FirstInWeek_Workday, FirstInWeek(c, d, DayCategory::Workday, kSunday));
BENCH_QUERY(LastInWeek_Workday, LastInWeek(c, d, DayCategory::Workday, kSunday));
BENCH_QUERY(FirstInMonth_Workday, FirstInMonth(c, d, DayCategory::Workday));
BENCH_QUERY(LastInMonth_Workday, LastInMonth(c, d, DayCategory::Workday));
BENCH_QUERY(FirstInYear_Workday, FirstInYear(c, d, DayCategory::Workday));
BENCH_QUERY(LastInYear_Workday, LastInYear(c, d, DayCategory::Workday));
BENCH_QUERY(ValueType, ValueType(c, d));

void BM_DaysInRange(benchmark::State& state) {
  const KeptClassification& calendar = Kept();
  const DayNumber from = static_cast<DayNumber>(state.range(0)), to = static_cast<DayNumber>(state.range(1));
  std::int32_t count = 0;
  for (auto _ : state) {
    count = DaysInRange(calendar, from, to, DayCategory::Workday).count;
    benchmark::DoNotOptimize(count);
  }
  state.counters["days"] = to - from + 1;
  state.counters["workdays"] = count;
}
BENCHMARK(BM_DaysInRange)->Args({kRangeFrom, kRangeTo})->Args({kFrom, kTo})->Args({kFrom, kFrom + 30})
    ->Unit(benchmark::kMicrosecond);

void BM_DaysInRange_FirstAfterChange(benchmark::State& state) {
  KeptClassification calendar(Calendar());
  std::int32_t count = 0;
  for (auto _ : state) {
    calendar.Reset(Calendar());
    count = DaysInRange(calendar, kRangeFrom, kRangeTo, DayCategory::Workday).count;
    benchmark::DoNotOptimize(count);
  }
  state.counters["workdays"] = count;
}
BENCHMARK(BM_DaysInRange_FirstAfterChange)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------
// The way before: every query classified a fresh run of day cells with the
// day before it and scanned it. A walk classified 367 cells a chunk (the
// answer lies in the first chunk for every date here), the count 366002.

void BM_Fresh367Cells_NextDay(benchmark::State& state) {
  std::vector<DayCell> cells(367);
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (DayNumber d : RandomDates()) {
      ClassifyRange(CellRun{d, cells}, Calendar());
      const auto found = std::find_if(cells.begin() + 1, cells.end(), [](const DayCell& c) { return IsWorkday(c.flags); });
      sum += d + (found - cells.begin());
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Fresh367Cells_NextDay)->Unit(benchmark::kMicrosecond);

void BM_Fresh366002Cells_DaysInRange(benchmark::State& state) {
  std::vector<DayCell> cells(static_cast<std::size_t>(kLongestRange) + 2);
  std::int64_t count = 0;
  for (auto _ : state) {
    ClassifyRange(CellRun{kRangeFrom - 1, cells}, Calendar());
    count = CountInCategory(std::span<const DayCell>(cells).subspan(1), DayCategory::Workday);
    benchmark::DoNotOptimize(count);
  }
  state.counters["workdays"] = static_cast<double>(count);
}
BENCHMARK(BM_Fresh366002Cells_DaysInRange)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------
// QuantLib's Japan calendar on the same questions. Its serial numbers count
// from 1899-12-30 like automation dates, which holds for 1901 on.

#ifdef BENCH_WITH_QUANTLIB
QuantLib::Date QlDate(DayNumber d) { return QuantLib::Date(static_cast<QuantLib::Date::serial_type>(d - kAutomationEpochDay)); }

void BM_QuantLib_businessDaysBetween(benchmark::State& state) {
  const QuantLib::Japan japan;
  const QuantLib::Date from = QlDate(kFrom), to = QlDate(kTo);
  QuantLib::Date::serial_type count = 0;
  for (auto _ : state) {
    count = japan.businessDaysBetween(from, to, true, true);
    benchmark::DoNotOptimize(count);
  }
  state.counters["days"] = kTo - kFrom + 1;
  state.counters["workdays"] = static_cast<double>(count);
}
BENCHMARK(BM_QuantLib_businessDaysBetween)->Unit(benchmark::kMicrosecond);

template <class Query>
void QuantLibOverRandomDates(benchmark::State& state, Query query) {
  const QuantLib::Japan japan;
  std::vector<QuantLib::Date> dates;
  for (DayNumber d : RandomDates()) dates.push_back(QlDate(d));
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const QuantLib::Date& d : dates) sum += query(japan, d);
    benchmark::DoNotOptimize(sum);
  }
}

#define BENCH_QUANTLIB(Name, expression)                                                                \
  void BM_QuantLib_##Name(benchmark::State& state) {                                                    \
    QuantLibOverRandomDates(state, [](const QuantLib::Calendar& c, const QuantLib::Date& d) {           \
      return static_cast<std::int64_t>(expression);                                                     \
    });                                                                                                  \
  }                                                                                                      \
  BENCHMARK(BM_QuantLib_##Name)->Unit(benchmark::kMicrosecond)

BENCH_QUANTLIB(NextBusinessDay, c.adjust(d + 1, QuantLib::Following).serialNumber());
BENCH_QUANTLIB(PrevBusinessDay, c.adjust(d - 1, QuantLib::Preceding).serialNumber());
BENCH_QUANTLIB(adjust, c.adjust(d, QuantLib::Following).serialNumber());
BENCH_QUANTLIB(adjustPreceding, c.adjust(d, QuantLib::Preceding).serialNumber());
BENCH_QUANTLIB(advance20, c.advance(c.adjust(d, QuantLib::Following), 19, QuantLib::Days).serialNumber());
BENCH_QUANTLIB(FirstInWeek, c.adjust(d - (d.weekday() - 1), QuantLib::Following).serialNumber());
BENCH_QUANTLIB(LastInWeek, c.adjust(d + (7 - d.weekday()), QuantLib::Preceding).serialNumber());
BENCH_QUANTLIB(FirstInMonth, c.adjust(QuantLib::Date(1, d.month(), d.year()), QuantLib::Following).serialNumber());
BENCH_QUANTLIB(endOfMonth, c.endOfMonth(d).serialNumber());
BENCH_QUANTLIB(FirstInYear, c.adjust(QuantLib::Date(1, QuantLib::January, d.year()), QuantLib::Following).serialNumber());
BENCH_QUANTLIB(LastInYear, c.adjust(QuantLib::Date(31, QuantLib::December, d.year()), QuantLib::Preceding).serialNumber());
BENCH_QUANTLIB(isBusinessDay, c.isBusinessDay(d));
#endif

// ---------------------------------------------------------------------------
// The summary: each query per date (or per range), kept and first after a
// change, next to the way before; and each QuantLib peer next to our query.

class RatioReporter : public bench::RunTimes {
 public:
  void PrintRatios() const {
    struct Query {
      const char* what;
      std::string name;
      double units;
    };
    const std::string longest = "/" + std::to_string(kRangeFrom) + "/" + std::to_string(kRangeTo);
    const Query queries[] = {
        {"NextDay workday", "BM_NextDay_Workday", kDates},
        {"PrevDay workday", "BM_PrevDay_Workday", kDates},
        {"NextDay holiday", "BM_NextDay_Holiday", kDates},
        {"AdjustDate next", "BM_AdjustDate_Next", kDates},
        {"AdjustDate prev", "BM_AdjustDate_Prev", kDates},
        {"DaysFromNow 20 workdays", "BM_DaysFromNow_20Workdays", kDates},
        {"FirstInWeek workday", "BM_FirstInWeek_Workday", kDates},
        {"LastInWeek workday", "BM_LastInWeek_Workday", kDates},
        {"FirstInMonth workday", "BM_FirstInMonth_Workday", kDates},
        {"LastInMonth workday", "BM_LastInMonth_Workday", kDates},
        {"FirstInYear workday", "BM_FirstInYear_Workday", kDates},
        {"LastInYear workday", "BM_LastInYear_Workday", kDates},
        {"ValueType", "BM_ValueType", kDates},
    };
    const Seconds* before = Find("BM_Fresh367Cells_NextDay");
    std::printf("\n%-26s %12s %18s %18s\n", "engine, ns per date", "kept", "first after change",
                "before (367 cells)");
    for (const Query& q : queries) {
      const Seconds *kept = Find(q.name), *first = Find(q.name + "_FirstAfterChange");
      if (!kept || !first || !before) continue;
      std::printf("%-26s %12.1f %18.1f %18.1f\n", q.what, kept->cpu * 1e9 / q.units, first->cpu * 1e9 / q.units,
                  before->cpu * 1e9 / kDates);
    }
    const Seconds *range = Find("BM_DaysInRange" + longest), *range_first = Find("BM_DaysInRange_FirstAfterChange"),
                  *range_before = Find("BM_Fresh366002Cells_DaysInRange");
    if (range && range_first && range_before) {
      std::printf("%-26s %12.1f %18.1f %18.1f   (us per range)\n", "DaysInRange 366001 days", range->cpu * 1e6,
                  range_first->cpu * 1e6, range_before->cpu * 1e6);
    }

    struct Pair {
      const char* what;
      std::string peer, ours;
      double units;
    };
    const std::string ql_range = "/" + std::to_string(kFrom) + "/" + std::to_string(kTo);
    const Pair pairs[] = {
        {"businessDaysBetween 1901-2199 vs DaysInRange", "BM_QuantLib_businessDaysBetween", "BM_DaysInRange" + ql_range, 1},
        {"adjust(d + 1) vs NextDay", "BM_QuantLib_NextBusinessDay", "BM_NextDay_Workday", kDates},
        {"adjust(d - 1, Preceding) vs PrevDay", "BM_QuantLib_PrevBusinessDay", "BM_PrevDay_Workday", kDates},
        {"adjust vs AdjustDate", "BM_QuantLib_adjust", "BM_AdjustDate_Next", kDates},
        {"advance 19 vs DaysFromNow 20", "BM_QuantLib_advance20", "BM_DaysFromNow_20Workdays", kDates},
        {"adjust(1st) vs FirstInMonth", "BM_QuantLib_FirstInMonth", "BM_FirstInMonth_Workday", kDates},
        {"endOfMonth vs LastInMonth", "BM_QuantLib_endOfMonth", "BM_LastInMonth_Workday", kDates},
        {"isBusinessDay vs ValueType", "BM_QuantLib_isBusinessDay", "BM_ValueType", kDates},
    };
    bool header = false;
    for (const Pair& p : pairs) {
      const Seconds *peer = Find(p.peer), *ours = Find(p.ours);
      if (!peer || !ours) continue;
      if (!header) std::printf("\n%-48s %12s %12s %8s\n", "QuantLib vs ours, ns per date", "QuantLib", "ours", "ratio");
      header = true;
      std::printf("%-48s %12.1f %12.1f %7.1fx\n", p.what, peer->cpu * 1e9 / p.units, ours->cpu * 1e9 / p.units,
                  peer->cpu / ours->cpu);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The kept classification and a fresh one of day cells must count alike,
  // or the pairs compare different work.
  std::vector<DayCell> cells(static_cast<std::size_t>(kLongestRange) + 2);
  ClassifyRange(CellRun{kRangeFrom - 1, cells}, Calendar());
  const std::int64_t fresh = CountInCategory(std::span<const DayCell>(cells).subspan(1), DayCategory::Workday);
  const std::int32_t kept = DaysInRange(Kept(), kRangeFrom, kRangeTo, DayCategory::Workday).count;
  if (fresh != kept) {
    std::fprintf(stderr, "kept and fresh classifications differ: %d against %lld working days\n", kept,
                 static_cast<long long>(fresh));
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

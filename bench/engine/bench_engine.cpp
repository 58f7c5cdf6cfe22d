// Speed of dovrel60's calendar queries over a Japanese-style calendar
// (Saturdays and Sundays off, about twenty yearly holidays with substitute
// Mondays, the year-end break), each measured next to a floor in the same
// run: zeroing and scanning the same number of 8-byte day cells, the least
// any classification of those days can cost. At the end the ratios are
// printed, so a noisy machine shows up in both numbers of a pair alike.
//
// Built with BENCH_ENGINE_PEERS, QuantLib's Japan calendar answers the same
// questions as a peer; bench/engine/run-peers adds numpy's business-day
// functions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
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

// ---------------------------------------------------------------------------
// Floors: zero n cells and count one category in them, as many times as the
// query below classifies runs of that length.

void ZeroAndCount(std::vector<DayCell>& cells, std::size_t n, std::int64_t& sink) {
  std::memset(static_cast<void*>(cells.data()), 0, n * sizeof(DayCell));
  benchmark::ClobberMemory();
  sink += CountInCategory(std::span<const DayCell>(cells.data(), n), DayCategory::Workday);
}

void BM_Floor_ZeroCount(benchmark::State& state) {
  const auto cells_per_run = static_cast<std::size_t>(state.range(0));
  const int runs = static_cast<int>(state.range(1));
  std::vector<DayCell> cells(cells_per_run);
  std::int64_t sink = 0;
  for (auto _ : state) {
    for (int i = 0; i < runs; ++i) ZeroAndCount(cells, cells_per_run, sink);
    benchmark::DoNotOptimize(sink);
  }
}
BENCHMARK(BM_Floor_ZeroCount)->Args({366002, 1})->Args({109574, 1})->Args({367, kDates})->Args({2, kDates})
    ->Args({32, kDates})->Unit(benchmark::kMicrosecond);

// Zeroing, the weekly marking and counting: the floor with the weekly rules.
void BM_Floor_ZeroWeeklyCount(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<DayCell> cells(n);
  std::int64_t sink = 0;
  for (auto _ : state) {
    ResetToWeekRests(CellRun{Ymd(1900, 1, 1), cells}, Calendar().week_rests);
    sink += CountInCategory(cells, DayCategory::Workday);
    benchmark::DoNotOptimize(sink);
  }
}
BENCHMARK(BM_Floor_ZeroWeeklyCount)->Arg(366002)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------
// The queries.

void BM_DaysInRange(benchmark::State& state) {
  const CalendarClassifier calendar(Calendar());
  const DayNumber from = static_cast<DayNumber>(state.range(0)), to = static_cast<DayNumber>(state.range(1));
  std::int32_t count = 0;
  for (auto _ : state) {
    count = DaysInRange(calendar, from, to, DayCategory::Workday).count;
    benchmark::DoNotOptimize(count);
  }
  state.counters["days"] = to - from + 1;
  state.counters["workdays"] = count;
}
BENCHMARK(BM_DaysInRange)->Args({Ymd(1900, 1, 1), Ymd(1900, 1, 1) + kLongestRange})->Args({kFrom, kTo})
    ->Unit(benchmark::kMicrosecond);

template <class Query>
void OverRandomDates(benchmark::State& state, Query query) {
  const CalendarClassifier calendar(Calendar());
  const std::vector<DayNumber>& dates = RandomDates();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (DayNumber d : dates) sum += query(calendar, d).value_or(0);
    benchmark::DoNotOptimize(sum);
  }
}

void BM_NextDay_Workday(benchmark::State& state) {
  OverRandomDates(state, [](const DayClassifier& c, DayNumber d) { return NextDay(c, d, DayCategory::Workday); });
}
BENCHMARK(BM_NextDay_Workday)->Unit(benchmark::kMicrosecond);

void BM_AdjustDate_Next(benchmark::State& state) {
  OverRandomDates(state, [](const DayClassifier& c, DayNumber d) {
    return AdjustDate(c, d, AdjustDirection::NextWorkday);
  });
}
BENCHMARK(BM_AdjustDate_Next)->Unit(benchmark::kMicrosecond);

void BM_DaysFromNow_20Workdays(benchmark::State& state) {
  OverRandomDates(state, [](const DayClassifier& c, DayNumber d) { return DaysFromNow(c, d, 20, DayCategory::Workday); });
}
BENCHMARK(BM_DaysFromNow_20Workdays)->Unit(benchmark::kMicrosecond);

void BM_FirstInMonth_Workday(benchmark::State& state) {
  OverRandomDates(state, [](const DayClassifier& c, DayNumber d) { return FirstInMonth(c, d, DayCategory::Workday); });
}
BENCHMARK(BM_FirstInMonth_Workday)->Unit(benchmark::kMicrosecond);

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
    for (const QuantLib::Date& d : dates) sum += query(japan, d).serialNumber();
    benchmark::DoNotOptimize(sum);
  }
}

void BM_QuantLib_NextBusinessDay(benchmark::State& state) {
  QuantLibOverRandomDates(state, [](const QuantLib::Calendar& c, const QuantLib::Date& d) {
    return c.adjust(d + 1, QuantLib::Following);
  });
}
BENCHMARK(BM_QuantLib_NextBusinessDay)->Unit(benchmark::kMicrosecond);

void BM_QuantLib_adjust(benchmark::State& state) {
  QuantLibOverRandomDates(state, [](const QuantLib::Calendar& c, const QuantLib::Date& d) {
    return c.adjust(d, QuantLib::Following);
  });
}
BENCHMARK(BM_QuantLib_adjust)->Unit(benchmark::kMicrosecond);

void BM_QuantLib_advance20(benchmark::State& state) {
  QuantLibOverRandomDates(state, [](const QuantLib::Calendar& c, const QuantLib::Date& d) {
    return c.advance(c.adjust(d, QuantLib::Following), 19, QuantLib::Days);
  });
}
BENCHMARK(BM_QuantLib_advance20)->Unit(benchmark::kMicrosecond);
#endif

// ---------------------------------------------------------------------------
// Ratios of each query to its floor (and of each peer to our query), from the
// fastest repetition of each benchmark of this run, in CPU time.

class RatioReporter : public bench::RunTimes {
 public:
  void PrintRatios() const {
    struct Pair {
      const char* what;
      std::string query, baseline;
      double units;  // days or dates per iteration
      const char* unit;
    };
    const std::string one_range = "/" + std::to_string(Ymd(1900, 1, 1)) + "/" + std::to_string(Ymd(1900, 1, 1) + kLongestRange);
    const std::string ql_range = "/" + std::to_string(kFrom) + "/" + std::to_string(kTo);
    const Pair pairs[] = {
        {"DaysInRange 366001 days vs zero+count", "BM_DaysInRange" + one_range, "BM_Floor_ZeroCount/366002/1", 366001, "day"},
        {"DaysInRange 366001 days vs zero+weekly+count", "BM_DaysInRange" + one_range, "BM_Floor_ZeroWeeklyCount/366002", 366001, "day"},
        {"NextDay workday vs zero+count of 367 cells", "BM_NextDay_Workday", "BM_Floor_ZeroCount/367/100000", kDates, "date"},
        {"AdjustDate vs zero+count of 2 cells", "BM_AdjustDate_Next", "BM_Floor_ZeroCount/2/100000", kDates, "date"},
        {"DaysFromNow 20 workdays vs zero+count of 367 cells", "BM_DaysFromNow_20Workdays", "BM_Floor_ZeroCount/367/100000", kDates, "date"},
        {"FirstInMonth vs zero+count of 32 cells", "BM_FirstInMonth_Workday", "BM_Floor_ZeroCount/32/100000", kDates, "date"},
        {"QuantLib businessDaysBetween 1901-2199 vs DaysInRange", "BM_QuantLib_businessDaysBetween", "BM_DaysInRange" + ql_range, double(kTo - kFrom + 1), "day"},
        {"QuantLib adjust(d + 1) vs NextDay", "BM_QuantLib_NextBusinessDay", "BM_NextDay_Workday", kDates, "date"},
        {"QuantLib adjust vs AdjustDate", "BM_QuantLib_adjust", "BM_AdjustDate_Next", kDates, "date"},
        {"QuantLib advance 19 vs DaysFromNow 20", "BM_QuantLib_advance20", "BM_DaysFromNow_20Workdays", kDates, "date"},
    };
    std::printf("\n%-56s %14s %14s %8s\n", "pair", "ns/unit", "baseline", "ratio");
    for (const Pair& p : pairs) {
      const Seconds *q = Find(p.query), *b = Find(p.baseline);
      if (!q || !b) continue;
      std::printf("%-56s %10.2f/%-4s %10.2f/%-4s %7.2fx\n", p.what, q->cpu * 1e9 / p.units, p.unit,
                  b->cpu * 1e9 / p.units, p.unit, q->cpu / b->cpu);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

// Speed of the main object's queries through IDovrel, each next to the same
// question asked of the engine directly in the same run: what the automation
// object adds (VARIANT dates in and out, the enumeration checks, and
// classifying through each style's IHLDYStyleApply instead of plain data).
//
// The calendar is the Japanese-style one of bench_engine (Saturdays and
// Sundays off, seventeen yearly holidays and the summer break with
// substitute Mondays, the year-end break), built once through the public
// interfaces (HolidayStyles.Add, Days.Add, WeekRests, UseStyles) and once as
// the engine's plain rules.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/support/run_times.h"

#include "dovrel/dv_dovrel.h"
#include "engine/queries.h"

namespace {

using namespace dovrel::engine;
using dovrel::ComPtr;

DayNumber Ymd(int y, int m, int d) { return DayNumberFromCivil(y, m, d).day; }

struct YearlyHoliday {
  const char16_t* key;
  int month, day;
  int toMonth = 0, toDay = 0;  // a range within the year when set
};
const YearlyHoliday kNational[] = {
    {u"NewYear", 1, 1},      {u"Adults", 1, 15},     {u"Foundation", 2, 11}, {u"Emperor", 2, 23},
    {u"Spring", 3, 20},      {u"Showa", 4, 29},      {u"Constitution", 5, 3}, {u"Greenery", 5, 4},
    {u"Children", 5, 5},     {u"Marine", 7, 20},     {u"Mountain", 8, 11},   {u"Aged", 9, 15},
    {u"Autumn", 9, 23},      {u"Sports", 10, 10},    {u"Culture", 11, 3},    {u"Labour", 11, 23},
    {u"Emperor2", 12, 23},   {u"Summer", 8, 13, 8, 15},
};

CalendarRules EngineCalendar() {
  CalendarRules rules;
  rules.week_rests[kSunday - 1] = week_rest::kAllWeeks;
  rules.week_rests[kSaturday - 1] = week_rest::kAllWeeks;
  HolidayStyleRules national{true, {}};
  for (const YearlyHoliday& h : kNational) {
    national.days.push_back({kTypeHoliday, Ymd(2000, h.month, h.day),
                             h.toMonth ? Ymd(2000, h.toMonth, h.toDay) : kNullDayNumber});
  }
  HolidayStyleRules yearEnd{false, {{kTypeHoliday, Ymd(2000, 12, 29), Ymd(2001, 1, 3)}}};
  rules.styles = {national, yearEnd};
  rules.style_list = {0, 1};
  return rules;
}

const CalendarRules& Rules() {
  static const CalendarRules rules = EngineCalendar();
  return rules;
}

VARIANT DateArgument(DayNumber day) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DATE;
  v.date = AutomationDateFromDayNumber(day);
  return v;
}

VARIANT Omitted() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

void AddDay(IHLDYStyle* style, const char16_t* key, DayNumber date, DayNumber date2) {
  ComPtr<IDays> days;
  style->get_Days(days.Receive());
  BSTR text = SysAllocString(key);
  VARIANT second = IsValidDayNumber(date2) ? DateArgument(date2) : Omitted();
  ComPtr<IDay> day;
  if (FAILED(days->Add(text, Omitted(), DateArgument(date), second, dvTypeHoliday, day.Receive())))
    std::fprintf(stderr, "Days.Add failed\n");
  SysFreeString(text);
}

ComPtr<IHLDYStyle> AddStyle(IHLDYStyles* styles, const char16_t* key, dvOverrideConst override_) {
  BSTR text = SysAllocString(key);
  ComPtr<IHLDYStyle> style;
  if (FAILED(styles->Add(Omitted(), text, Omitted(), style.Receive()))) std::fprintf(stderr, "Add failed\n");
  SysFreeString(text);
  style->put_Override(override_);
  return style;
}

// The same calendar, through the interfaces a host uses.
ComPtr<IDovrel> DovrelCalendar() {
  ComPtr<IDovrel> dovrel;
  dovrel::CreatedvDovrel(nullptr, IID_IDovrel, dovrel.ReceiveVoid());
  dovrel->put_WeekRests(kSunday, dvAllWeeks);
  dovrel->put_WeekRests(kSaturday, dvAllWeeks);
  ComPtr<IHLDYStyles> styles;
  dovrel->get_HolidayStyles(styles.Receive());
  ComPtr<IHLDYStyle> national = AddStyle(styles.Get(), u"National", dvOverrideNextDay);
  for (const YearlyHoliday& h : kNational) {
    AddDay(national.Get(), h.key, Ymd(2000, h.month, h.day), h.toMonth ? Ymd(2000, h.toMonth, h.toDay) : kNullDayNumber);
  }
  ComPtr<IHLDYStyle> yearEnd = AddStyle(styles.Get(), u"YearEnd", dvOverrideNone);
  AddDay(yearEnd.Get(), u"Break", Ymd(2000, 12, 29), Ymd(2001, 1, 3));
  BSTR use = SysAllocString(u"National,YearEnd");
  dovrel->put_UseStyles(use);
  SysFreeString(use);
  return dovrel;
}

IDovrel* Dovrel() {
  static ComPtr<IDovrel> dovrel = DovrelCalendar();
  return dovrel.Get();
}

constexpr int kDates = 100000;
const DayNumber kRangeFrom = Ymd(1900, 1, 1);
const DayNumber kRangeTo = kRangeFrom + kLongestRange;  // 366001 days

const std::vector<DayNumber>& RandomDates() {
  static const std::vector<DayNumber> dates = [] {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<DayNumber> day(Ymd(1901, 1, 1) + 400, Ymd(2199, 12, 31) - 400);
    std::vector<DayNumber> v(kDates);
    for (DayNumber& d : v) d = day(rng);
    return v;
  }();
  return dates;
}

// The dates as a host passes them to IDovrel.
const std::vector<VARIANT>& RandomDateArguments() {
  static const std::vector<VARIANT> arguments = [] {
    std::vector<VARIANT> v;
    for (DayNumber d : RandomDates()) v.push_back(DateArgument(d));
    return v;
  }();
  return arguments;
}

// Reads an answer back as a number, so that the work cannot be dropped.
double Sum(const VARIANT& v) { return v.vt == VT_DATE ? v.date : 0; }

// --- DaysInRange over 366001 days --------------------------------------------------

void BM_Engine_DaysInRange(benchmark::State& state) {
  const CalendarClassifier calendar(Rules());
  std::int32_t count = 0;
  for (auto _ : state) {
    count = DaysInRange(calendar, kRangeFrom, kRangeTo, DayCategory::Workday).count;
    benchmark::DoNotOptimize(count);
  }
  state.counters["workdays"] = count;
}
BENCHMARK(BM_Engine_DaysInRange)->Unit(benchmark::kMicrosecond);

void BM_Dovrel_DaysInRange(benchmark::State& state) {
  IDovrel* dovrel = Dovrel();
  const VARIANT from = DateArgument(kRangeFrom), to = DateArgument(kRangeTo);
  LONG count = 0;
  for (auto _ : state) {
    dovrel->DaysInRange(from, to, dvWorkday, &count);
    benchmark::DoNotOptimize(count);
  }
  state.counters["workdays"] = count;
}
BENCHMARK(BM_Dovrel_DaysInRange)->Unit(benchmark::kMicrosecond);

// --- Questions about 100,000 random dates ---------------------------------------------

template <class Query>
void EngineOverRandomDates(benchmark::State& state, Query query) {
  const CalendarClassifier calendar(Rules());
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (DayNumber d : RandomDates()) sum += query(calendar, d).value_or(0);
    benchmark::DoNotOptimize(sum);
  }
}

template <class Query>
void DovrelOverRandomDates(benchmark::State& state, Query query) {
  IDovrel* dovrel = Dovrel();
  for (auto _ : state) {
    double sum = 0;
    for (const VARIANT& d : RandomDateArguments()) {
      VARIANT answer;
      query(dovrel, d, &answer);
      sum += Sum(answer);
    }
    benchmark::DoNotOptimize(sum);
  }
}

void BM_Engine_NextDay_Workday(benchmark::State& state) {
  EngineOverRandomDates(state, [](const DayClassifier& c, DayNumber d) { return NextDay(c, d, DayCategory::Workday); });
}
BENCHMARK(BM_Engine_NextDay_Workday)->Unit(benchmark::kMillisecond);

void BM_Dovrel_NextDay_Workday(benchmark::State& state) {
  DovrelOverRandomDates(state, [](IDovrel* o, const VARIANT& d, VARIANT* a) { o->NextDay(d, dvNavWorkday, a); });
}
BENCHMARK(BM_Dovrel_NextDay_Workday)->Unit(benchmark::kMillisecond);

void BM_Engine_AdjustDate(benchmark::State& state) {
  EngineOverRandomDates(state, [](const DayClassifier& c, DayNumber d) {
    return AdjustDate(c, d, AdjustDirection::NextWorkday);
  });
}
BENCHMARK(BM_Engine_AdjustDate)->Unit(benchmark::kMillisecond);

void BM_Dovrel_AdjustDate(benchmark::State& state) {
  DovrelOverRandomDates(state, [](IDovrel* o, const VARIANT& d, VARIANT* a) { o->AdjustDate(d, dvNextWorkday, a); });
}
BENCHMARK(BM_Dovrel_AdjustDate)->Unit(benchmark::kMillisecond);

void BM_Engine_DaysFromNow_20Workdays(benchmark::State& state) {
  EngineOverRandomDates(state, [](const DayClassifier& c, DayNumber d) {
    return DaysFromNow(c, d, 20, DayCategory::Workday);
  });
}
BENCHMARK(BM_Engine_DaysFromNow_20Workdays)->Unit(benchmark::kMillisecond);

void BM_Dovrel_DaysFromNow_20Workdays(benchmark::State& state) {
  DovrelOverRandomDates(state, [](IDovrel* o, const VARIANT& d, VARIANT* a) { o->DaysFromNow(d, 20, dvWorkdays, a); });
}
BENCHMARK(BM_Dovrel_DaysFromNow_20Workdays)->Unit(benchmark::kMillisecond);

void BM_Engine_FirstInMonth_Workday(benchmark::State& state) {
  EngineOverRandomDates(state, [](const DayClassifier& c, DayNumber d) {
    return FirstInMonth(c, d, DayCategory::Workday);
  });
}
BENCHMARK(BM_Engine_FirstInMonth_Workday)->Unit(benchmark::kMillisecond);

void BM_Dovrel_FirstInMonth_Workday(benchmark::State& state) {
  DovrelOverRandomDates(state, [](IDovrel* o, const VARIANT& d, VARIANT* a) { o->FirstInMonth(d, dvWorkday, a); });
}
BENCHMARK(BM_Dovrel_FirstInMonth_Workday)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------------
// Ratios of each query through IDovrel to the engine's own, from the fastest
// repetition of each benchmark of this run, in CPU time (the machines are
// shared; the wall clock counts other processes' time).

class RatioReporter : public bench::RunTimes {
 public:
  void PrintRatios() const {
    struct Pair {
      const char* what;
      std::string query;
      double units;
      const char* unit;
    };
    const Pair pairs[] = {
        {"DaysInRange, 366001 days", "DaysInRange", double(kLongestRange + 1), "day"},
        {"NextDay (working day), 100,000 dates", "NextDay_Workday", kDates, "date"},
        {"AdjustDate, 100,000 dates", "AdjustDate", kDates, "date"},
        {"DaysFromNow 20 working days, 100,000 dates", "DaysFromNow_20Workdays", kDates, "date"},
        {"FirstInMonth (working day), 100,000 dates", "FirstInMonth_Workday", kDates, "date"},
    };
    std::printf("\n%-46s %14s %14s %8s\n", "IDovrel vs the engine", "IDovrel", "engine", "ratio");
    for (const Pair& p : pairs) {
      const Seconds *q = Find("BM_Dovrel_" + p.query), *b = Find("BM_Engine_" + p.query);
      if (!q || !b) continue;
      std::printf("%-46s %9.2f ns/%-4s %6.2f ns/%-4s %6.2fx\n", p.what, q->cpu * 1e9 / p.units, p.unit,
                  b->cpu * 1e9 / p.units, p.unit, q->cpu / b->cpu);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The two calendars must give the same answers, or the pairs compare
  // different work.
  LONG viaDovrel = 0;
  Dovrel()->DaysInRange(DateArgument(kRangeFrom), DateArgument(kRangeTo), dvWorkday, &viaDovrel);
  const CalendarClassifier calendar(Rules());
  const std::int32_t viaEngine = DaysInRange(calendar, kRangeFrom, kRangeTo, DayCategory::Workday).count;
  if (viaDovrel != viaEngine) {
    std::fprintf(stderr, "the calendars differ: %d working days through IDovrel, %d in the engine\n", viaDovrel,
                 viaEngine);
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}

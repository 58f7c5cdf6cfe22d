// Speed of the main object's queries through IDovrel, each next to the same
// question asked of the engine's kept classification directly in the same
// run: what the automation object adds (VARIANT dates in and out, the
// enumeration checks, the check that no rule changed since the last query).
// Also: NextDay through IDispatch::Invoke by DISPID, as VBScript and late
// bound VBA call it; a calendar control drawing a month (Value put and
// ValueType read for 42 days); and the first query after a change, made
// through a Day the host holds.
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
#include "dovrel/query_arguments.h"
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

ComPtr<IDay> AddDay(IHLDYStyle* style, const char16_t* key, DayNumber date, DayNumber date2) {
  ComPtr<IDays> days;
  style->get_Days(days.Receive());
  BSTR text = SysAllocString(key);
  VARIANT second = IsValidDayNumber(date2) ? DateArgument(date2) : Omitted();
  ComPtr<IDay> day;
  if (FAILED(days->Add(text, Omitted(), DateArgument(date), second, dvTypeHoliday, day.Receive())))
    std::fprintf(stderr, "Days.Add failed\n");
  SysFreeString(text);
  return day;
}

ComPtr<IHLDYStyle> AddStyle(IHLDYStyles* styles, const char16_t* key, dvOverrideConst override_) {
  BSTR text = SysAllocString(key);
  ComPtr<IHLDYStyle> style;
  if (FAILED(styles->Add(Omitted(), text, Omitted(), style.Receive()))) std::fprintf(stderr, "Add failed\n");
  SysFreeString(text);
  style->put_Override(override_);
  return style;
}

// A Day of the calendar that the host kept when it added it.
ComPtr<IDay>& HeldDay() {
  static ComPtr<IDay> day;
  return day;
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
  HeldDay() = AddDay(yearEnd.Get(), u"Break", Ymd(2000, 12, 29), Ymd(2001, 1, 3));
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

// Reads an answer back as a whole number, so that the work cannot be dropped.
// The loops add it up as integers, as the engine's loops add day numbers: a
// double sum would live in memory across the call (here no vector register
// survives a call), and its reload and add would chain every call to the one
// before it, a wait the engine's loop does not have.
std::int64_t Sum(const VARIANT& v) { return v.vt == VT_DATE ? static_cast<std::int64_t>(v.date) : 0; }

// The engine's calendar, kept for the dates asked about, as after a first
// round of queries.
const KeptClassification& Kept() {
  static const KeptClassification kept = [] {
    KeptClassification k(Rules());
    (void)k.Count(Ymd(1899, 1, 1), Ymd(2200, 12, 31), DayCategory::Workday);
    return k;
  }();
  return kept;
}

// --- DaysInRange over 366001 days --------------------------------------------------

void BM_Engine_DaysInRange(benchmark::State& state) {
  const KeptClassification& calendar = Kept();
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
  const KeptClassification& calendar = Kept();
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
    std::int64_t sum = 0;
    for (const VARIANT& d : RandomDateArguments()) {
      VARIANT answer;
      query(dovrel, d, &answer);
      sum += Sum(answer);
    }
    benchmark::DoNotOptimize(sum);
  }
}

// Each query twice: of the engine, and through IDovrel.
#define BENCH_PAIR(Name, engine, dovrel)                                                                \
  void BM_Engine_##Name(benchmark::State& state) {                                                      \
    EngineOverRandomDates(state, [](const KeptClassification& c, DayNumber d) { return engine; });      \
  }                                                                                                      \
  BENCHMARK(BM_Engine_##Name)->Unit(benchmark::kMillisecond);                                           \
  void BM_Dovrel_##Name(benchmark::State& state) {                                                      \
    DovrelOverRandomDates(state, [](IDovrel* o, const VARIANT& d, VARIANT* a) { o->dovrel; });           \
  }                                                                                                      \
  BENCHMARK(BM_Dovrel_##Name)->Unit(benchmark::kMillisecond)

// The next day whatever it is: the engine answers at once, so this is what
// the call through IDovrel costs by itself.
BENCH_PAIR(NextDay_Any, NextDay(c, d, DayCategory::AnyDay), NextDay(d, dvNavNormal, a));
BENCH_PAIR(NextDay_Workday, NextDay(c, d, DayCategory::Workday), NextDay(d, dvNavWorkday, a));
BENCH_PAIR(PrevDay_Workday, PrevDay(c, d, DayCategory::Workday), PrevDay(d, dvNavWorkday, a));
BENCH_PAIR(AdjustDate, AdjustDate(c, d, AdjustDirection::NextWorkday), AdjustDate(d, dvNextWorkday, a));
BENCH_PAIR(DaysFromNow_20Workdays, DaysFromNow(c, d, 20, DayCategory::Workday), DaysFromNow(d, 20, dvWorkdays, a));
BENCH_PAIR(FirstInWeek_Workday, FirstInWeek(c, d, DayCategory::Workday, kSunday), FirstInWeek(d, dvWorkday, a));
BENCH_PAIR(LastInWeek_Workday, LastInWeek(c, d, DayCategory::Workday, kSunday), LastInWeek(d, dvWorkday, a));
BENCH_PAIR(FirstInMonth_Workday, FirstInMonth(c, d, DayCategory::Workday), FirstInMonth(d, dvWorkday, a));
BENCH_PAIR(LastInMonth_Workday, LastInMonth(c, d, DayCategory::Workday), LastInMonth(d, dvWorkday, a));
BENCH_PAIR(FirstInYear_Workday, FirstInYear(c, d, DayCategory::Workday), FirstInYear(d, dvWorkday, a));
BENCH_PAIR(LastInYear_Workday, LastInYear(c, d, DayCategory::Workday), LastInYear(d, dvWorkday, a));

// NextDay of the engine as IDovrel's member asks it, with no call between:
// the host's automation date read and converted to a day number, the answer
// converted back and written as a VARIANT. What this adds to the engine's
// time is the conversions' share of IDovrel's cost; the rest is the call.
void BM_EngineDates_NextDay_Workday(benchmark::State& state) {
  const KeptClassification& calendar = Kept();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const VARIANT& d : RandomDateArguments()) {
      VARIANT answer;
      dovrel::WriteDateAnswer(NextDay(calendar, DayNumberFromAutomationDate(d.date), DayCategory::Workday), &answer);
      benchmark::DoNotOptimize(answer);
      sum += Sum(answer);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_EngineDates_NextDay_Workday)->Unit(benchmark::kMillisecond);

// --- A calendar control drawing a month: 42 days from the Sunday on or before
// the 1st, each through Value put and ValueType get -------------------------------------

const std::vector<DayNumber>& MonthGridStarts() {
  static const std::vector<DayNumber> starts = [] {
    std::vector<DayNumber> v;
    for (DayNumber d : RandomDates()) {
      const DayNumber first = FirstDayOfMonth(d);
      v.push_back(first - (Weekday(first) - kSunday));
      if (v.size() == 10000) break;
    }
    return v;
  }();
  return starts;
}

void BM_Engine_MonthGrid42(benchmark::State& state) {
  const KeptClassification& calendar = Kept();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (DayNumber start : MonthGridStarts()) {
      for (DayNumber d = start; d < start + 42; ++d) sum += ValueType(calendar, d).value_or(0);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Engine_MonthGrid42)->Unit(benchmark::kMillisecond);

void BM_Dovrel_MonthGrid42(benchmark::State& state) {
  IDovrel* dovrel = Dovrel();
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (DayNumber start : MonthGridStarts()) {
      for (DayNumber d = start; d < start + 42; ++d) {
        dovrel->put_Value(DateArgument(d));
        dvValueTypeConst type{};
        dovrel->get_ValueType(&type);
        sum += static_cast<std::int64_t>(type);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Dovrel_MonthGrid42)->Unit(benchmark::kMillisecond);

// --- NextDay through IDispatch::Invoke by DISPID, arguments in reverse order ----------

void BM_Invoke_NextDay_Workday(benchmark::State& state) {
  ComPtr<IDispatch> dispatch;
  Dovrel()->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid());
  constexpr DISPID kNextDay = 20;
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const VARIANT& d : RandomDateArguments()) {
      VARIANT arguments[2];
      VariantInit(&arguments[0]);
      arguments[0].vt = VT_I4;
      arguments[0].lVal = dvNavWorkday;
      arguments[1] = d;
      DISPPARAMS parameters{arguments, nullptr, 2, 0};
      VARIANT answer;
      VariantInit(&answer);
      dispatch->Invoke(kNextDay, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &answer, nullptr, nullptr);
      sum += Sum(answer);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Invoke_NextDay_Workday)->Unit(benchmark::kMillisecond);

// --- The first query after a change: a Day the host holds is given a name
// (every change of a rule counts, its name too), then NextDay ---------------------

void BM_Dovrel_NextDay_FirstAfterChange(benchmark::State& state) {
  IDovrel* dovrel = Dovrel();
  IDay* held = HeldDay().Get();
  BSTR name = SysAllocString(u"Break");
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (const VARIANT& d : RandomDateArguments()) {
      held->put_Name(name);
      VARIANT answer;
      dovrel->NextDay(d, dvNavWorkday, &answer);
      sum += Sum(answer);
    }
    benchmark::DoNotOptimize(sum);
  }
  SysFreeString(name);
}
BENCHMARK(BM_Dovrel_NextDay_FirstAfterChange)->Unit(benchmark::kMillisecond);

void BM_Dovrel_DaysInRange_FirstAfterChange(benchmark::State& state) {
  IDovrel* dovrel = Dovrel();
  IDay* held = HeldDay().Get();
  BSTR name = SysAllocString(u"Break");
  const VARIANT from = DateArgument(kRangeFrom), to = DateArgument(kRangeTo);
  LONG count = 0;
  for (auto _ : state) {
    held->put_Name(name);
    dovrel->DaysInRange(from, to, dvWorkday, &count);
    benchmark::DoNotOptimize(count);
  }
  SysFreeString(name);
}
BENCHMARK(BM_Dovrel_DaysInRange_FirstAfterChange)->Unit(benchmark::kMicrosecond);

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
        {"DaysInRange, 366001 days", "DaysInRange", 1, "range"},
        {"NextDay (any day: the call alone)", "NextDay_Any", kDates, "date"},
        {"NextDay (working day)", "NextDay_Workday", kDates, "date"},
        {"PrevDay (working day)", "PrevDay_Workday", kDates, "date"},
        {"AdjustDate", "AdjustDate", kDates, "date"},
        {"DaysFromNow 20 working days", "DaysFromNow_20Workdays", kDates, "date"},
        {"FirstInWeek (working day)", "FirstInWeek_Workday", kDates, "date"},
        {"LastInWeek (working day)", "LastInWeek_Workday", kDates, "date"},
        {"FirstInMonth (working day)", "FirstInMonth_Workday", kDates, "date"},
        {"LastInMonth (working day)", "LastInMonth_Workday", kDates, "date"},
        {"FirstInYear (working day)", "FirstInYear_Workday", kDates, "date"},
        {"LastInYear (working day)", "LastInYear_Workday", kDates, "date"},
        {"Value + ValueType, 42 days", "MonthGrid42", double(MonthGridStarts().size()), "grid"},
    };
    std::printf("\n%-36s %16s %16s %8s\n", "IDovrel vs the engine", "IDovrel", "engine", "ratio");
    for (const Pair& p : pairs) {
      const Seconds *q = Find("BM_Dovrel_" + p.query), *b = Find("BM_Engine_" + p.query);
      if (!q || !b) continue;
      std::printf("%-36s %9.1f ns/%-5s %9.1f ns/%-5s %6.2fx\n", p.what, q->cpu * 1e9 / p.units, p.unit,
                  b->cpu * 1e9 / p.units, p.unit, q->cpu / b->cpu);
    }
    if (const Seconds *dates = Find("BM_EngineDates_NextDay_Workday"), *engine = Find("BM_Engine_NextDay_Workday");
        dates && engine) {
      std::printf("%-36s %9.1f ns/%-5s %9.1f ns/%-5s %6.2fx  (automation dates in and out, no call)\n",
                  "NextDay, dates converted", dates->cpu * 1e9 / kDates, "date", engine->cpu * 1e9 / kDates, "date",
                  dates->cpu / engine->cpu);
    }
    if (const Seconds *invoke = Find("BM_Invoke_NextDay_Workday"), *vtable = Find("BM_Dovrel_NextDay_Workday");
        invoke && vtable) {
      std::printf("%-36s %9.1f ns/%-5s %9.1f ns/%-5s %6.2fx  (IDispatch::Invoke vs IDovrel)\n", "NextDay by DISPID",
                  invoke->cpu * 1e9 / kDates, "call", vtable->cpu * 1e9 / kDates, "call", invoke->cpu / vtable->cpu);
    }
    if (const Seconds *first = Find("BM_Dovrel_NextDay_FirstAfterChange"), *kept = Find("BM_Dovrel_NextDay_Workday");
        first && kept) {
      std::printf("%-36s %9.1f ns/%-5s %9.1f ns/%-5s %6.2fx  (first after a change vs kept)\n", "NextDay after Day.Name",
                  first->cpu * 1e9 / kDates, "call", kept->cpu * 1e9 / kDates, "call", first->cpu / kept->cpu);
    }
    if (const Seconds *first = Find("BM_Dovrel_DaysInRange_FirstAfterChange"), *kept = Find("BM_Dovrel_DaysInRange");
        first && kept) {
      std::printf("%-36s %9.1f us/%-5s %9.1f us/%-5s %6.2fx  (first after a change vs kept)\n",
                  "DaysInRange after Day.Name", first->cpu * 1e6, "range", kept->cpu * 1e6, "range",
                  first->cpu / kept->cpu);
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
  const std::int32_t viaEngine = DaysInRange(Kept(), kRangeFrom, kRangeTo, DayCategory::Workday).count;
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

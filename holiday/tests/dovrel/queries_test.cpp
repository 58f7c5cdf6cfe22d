// The fourteen queries through IDovrel: answers on the Japanese-style
// calendar worked out by hand from a 2024 calendar, the argument rules they
// share, the range limits, DatesInRange's array, the walks across the
// 366-day chunks, and IsDateInStyle with its continuation.
#include <initializer_list>
#include <limits>

#include "tests/dovrel/oracle.h"
#include "tests/dovrel/support.h"

namespace dovtest {
namespace {

// Each query as one call, with its enumeration argument as hosts pass it.
struct Query {
  const char* name;
  HRESULT (*call)(IDovrel* dovrel, const VARIANT& date, LONG type, VARIANT* answer);
};

const Query kDateQueries[] = {
    {"NextDay", [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->NextDay(d, AsEnum<dvDayNavConst>(t), a); }},
    {"PrevDay", [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->PrevDay(d, AsEnum<dvDayNavConst>(t), a); }},
    {"AdjustDate",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->AdjustDate(d, AsEnum<dvAdjustDateConst>(t), a); }},
    {"DaysFromNow(3)",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->DaysFromNow(d, 3, AsEnum<dvDateTypeExConst>(t), a); }},
    {"FirstInMonth",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->FirstInMonth(d, AsEnum<dvDateTypeConst>(t), a); }},
    {"LastInMonth",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->LastInMonth(d, AsEnum<dvDateTypeConst>(t), a); }},
    {"FirstInYear",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->FirstInYear(d, AsEnum<dvDateTypeConst>(t), a); }},
    {"LastInYear",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->LastInYear(d, AsEnum<dvDateTypeConst>(t), a); }},
    {"FirstInWeek",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->FirstInWeek(d, AsEnum<dvDateTypeConst>(t), a); }},
    {"LastInWeek",
     [](IDovrel* o, const VARIANT& d, LONG t, VARIANT* a) { return o->LastInWeek(d, AsEnum<dvDateTypeConst>(t), a); }},
};

// The valid enumeration values of each query above, and one beyond.
LONG LastValidType(const Query& q) {
  const std::string name = q.name;
  if (name == "NextDay" || name == "PrevDay") return 3;
  if (name == "AdjustDate") return 1;
  return 2;
}

class DovrelQueries : public DovrelTest {
 protected:
  ComPtr<IDovrel> dovrel_ = NewDovrel();
  void TearDown() override {
    dovrel_ = ComPtr<IDovrel>();
    DovrelTest::TearDown();
  }

  std::optional<std::int64_t> Ask(const Query& q, std::int64_t day, LONG type) {
    Var answer;
    EXPECT_EQ(q.call(dovrel_.Get(), Var::Day(day).v, type, &answer.v), S_OK) << q.name;
    return DayIn(answer.v);
  }

  // A query about the week, month or year around a date, asked with a given
  // first day of the week.
  struct PlacedCase {
    const char* what;
    const Query& query;
    LONG startOfWeek;
    std::int64_t date;
    LONG type;
    std::optional<std::int64_t> expected;
  };
  void ExpectAnswers(std::initializer_list<PlacedCase> cases) {
    for (const PlacedCase& c : cases) {
      SCOPED_TRACE(c.what);
      ASSERT_EQ(dovrel_->put_StartOfWeek(AsEnum<dvWeekdayConst>(c.startOfWeek)), S_OK);
      EXPECT_EQ(Ask(c.query, c.date, c.type), c.expected);
    }
  }
};

class JapaneseCalendarQueries : public DovrelQueries {
 protected:
  void SetUp() override {
    DovrelQueries::SetUp();
    BuildJapaneseStyleCalendar(dovrel_.Get());
  }
};

TEST_F(JapaneseCalendarQueries, NavigationAnswersOfA2024Calendar) {
  const Query& next = kDateQueries[0];
  const Query& prev = kDateQueries[1];
  const Query& adjust = kDateQueries[2];
  const struct {
    const char* what;
    const Query& query;
    std::int64_t from;
    LONG type;
    std::optional<std::int64_t> expected;
  } cases[] = {
      {"the Sunday holiday", next, Jdn(2024, 2, 10), dvNavHoliday, Jdn(2024, 2, 11)},
      {"the holiday moved from the date itself", next, Jdn(2024, 2, 11), dvNavHoliday, Jdn(2024, 2, 12)},
      {"after the moved holiday", next, Jdn(2024, 2, 12), dvNavHoliday, Jdn(2024, 2, 23)},
      {"over the year-end break to a 1st Saturday", next, Jdn(2024, 12, 27), dvNavWorkday, Jdn(2025, 1, 4)},
      {"to a forced working day on a moved holiday", next, Jdn(2024, 5, 2), dvNavWorkday, Jdn(2024, 5, 6)},
      {"to a forced working day on a rest day", next, Jdn(2024, 11, 8), dvNavWorkday, Jdn(2024, 11, 9)},
      {"past a 1st Saturday to a Sunday", next, Jdn(2024, 11, 1), dvNavWeekend, Jdn(2024, 11, 3)},
      {"the next day, whatever it is", next, Jdn(2024, 2, 28), dvNavNormal, Jdn(2024, 2, 29)},
      {"back over the break", prev, Jdn(2024, 1, 4), dvNavWorkday, Jdn(2023, 12, 28)},
      {"back to a moved holiday", prev, Jdn(2024, 2, 13), dvNavHoliday, Jdn(2024, 2, 12)},
      {"back to a forced working day on a rest day", prev, Jdn(2024, 11, 10), dvNavWorkday, Jdn(2024, 11, 9)},
      {"back, a Sunday", prev, Jdn(2024, 11, 9), dvNavWeekend, Jdn(2024, 11, 3)},
      {"the day before", prev, Jdn(2024, 3, 1), dvNavNormal, Jdn(2024, 2, 29)},
      {"a rest day onto the Tuesday", adjust, Jdn(2024, 2, 10), dvNextWorkday, Jdn(2024, 2, 13)},
      {"a rest day back to the Friday", adjust, Jdn(2024, 2, 10), dvPrevWorkday, Jdn(2024, 2, 9)},
      {"a working day stays", adjust, Jdn(2024, 2, 14), dvNextWorkday, Jdn(2024, 2, 14)},
      {"a forced working day stays", adjust, Jdn(2024, 11, 9), dvPrevWorkday, Jdn(2024, 11, 9)},
      {"a moved holiday onto the next day", adjust, Jdn(2024, 9, 23), dvNextWorkday, Jdn(2024, 9, 24)},
      {"9999-12-31 has no next day", next, kLastDay, dvNavNormal, std::nullopt},
      {"0100-01-01 has no previous day", prev, kFirstDay, dvNavWorkday, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Ask(c.query, c.from, c.type), c.expected);
  }
}

TEST_F(JapaneseCalendarQueries, DaysFromNowCountsFromTheDateItself) {
  const struct {
    const char* what;
    std::int64_t from;
    SHORT days;
    LONG type;
    std::optional<std::int64_t> expected;
  } cases[] = {
      {"the date is the first working day", Jdn(2024, 2, 9), 1, dvWorkdays, Jdn(2024, 2, 9)},
      {"then over a rest day and two holidays", Jdn(2024, 2, 9), 2, dvWorkdays, Jdn(2024, 2, 13)},
      {"a holiday is its own first holiday", Jdn(2024, 2, 11), 1, dvHolidays, Jdn(2024, 2, 11)},
      {"the moved holiday is the second", Jdn(2024, 2, 11), 2, dvHolidays, Jdn(2024, 2, 12)},
      {"0 days: the date, even a holiday", Jdn(2024, 2, 11), 0, dvWorkdays, Jdn(2024, 2, 11)},
      {"backwards", Jdn(2024, 2, 13), -1, dvWeekendsHolidays, Jdn(2024, 2, 12)},
      {"backwards over a 5th Saturday", Jdn(2024, 11, 30), -3, dvWeekendsHolidays, Jdn(2024, 11, 17)},
      {"20 working days", Jdn(2024, 4, 26), 20, dvWorkdays, Jdn(2024, 5, 24)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Var answer;
    ASSERT_EQ(dovrel_->DaysFromNow(Var::Day(c.from).v, c.days, AsEnum<dvDateTypeExConst>(c.type), &answer.v), S_OK);
    EXPECT_EQ(DayIn(answer.v), c.expected);
  }
}

TEST_F(JapaneseCalendarQueries, FirstAndLastInAMonthAYearAndAWeek) {
  const Query& firstInMonth = kDateQueries[4];
  const Query& lastInMonth = kDateQueries[5];
  const Query& firstInYear = kDateQueries[6];
  const Query& lastInYear = kDateQueries[7];
  const Query& firstInWeek = kDateQueries[8];
  const Query& lastInWeek = kDateQueries[9];
  ExpectAnswers({
      {"first holiday of May", firstInMonth, dvSunday, Jdn(2024, 5, 15), dvHoliday, Jdn(2024, 5, 3)},
      {"last holiday of May (the 6th is worked)", lastInMonth, dvSunday, Jdn(2024, 5, 15), dvHoliday, Jdn(2024, 5, 5)},
      {"last rest day of May", lastInMonth, dvSunday, Jdn(2024, 5, 15), dvWeekend, Jdn(2024, 5, 26)},
      {"first working day of September", firstInMonth, dvSunday, Jdn(2024, 9, 30), dvWorkday, Jdn(2024, 9, 2)},
      {"no holiday in June", firstInMonth, dvSunday, Jdn(2024, 6, 1), dvHoliday, std::nullopt},
      {"first working day of 2024", firstInYear, dvSunday, Jdn(2024, 6, 1), dvWorkday, Jdn(2024, 1, 4)},
      {"last working day of 2024", lastInYear, dvSunday, Jdn(2024, 6, 1), dvWorkday, Jdn(2024, 12, 27)},
      {"last holiday of 2024", lastInYear, dvSunday, Jdn(2024, 6, 1), dvHoliday, Jdn(2024, 12, 31)},
      {"first rest day of 2024", firstInYear, dvSunday, Jdn(2024, 6, 1), dvWeekend, Jdn(2024, 1, 7)},
      {"Sunday weeks: first holiday", firstInWeek, dvSunday, Jdn(2024, 2, 14), dvHoliday, Jdn(2024, 2, 11)},
      {"Sunday weeks: last holiday", lastInWeek, dvSunday, Jdn(2024, 2, 14), dvHoliday, Jdn(2024, 2, 12)},
      {"Monday weeks: first holiday", firstInWeek, dvMonday, Jdn(2024, 2, 14), dvHoliday, Jdn(2024, 2, 12)},
      {"Monday weeks: last rest day", lastInWeek, dvMonday, Jdn(2024, 2, 14), dvWeekend, Jdn(2024, 2, 18)},
      {"a Sunday in a Monday week: from the Monday before", firstInWeek, dvMonday, Jdn(2024, 2, 11), dvWorkday,
       Jdn(2024, 2, 5)},
      {"... its first rest day", firstInWeek, dvMonday, Jdn(2024, 2, 11), dvWeekend, Jdn(2024, 2, 10)},
      {"... its last holiday is the Sunday itself", lastInWeek, dvMonday, Jdn(2024, 2, 11), dvHoliday,
       Jdn(2024, 2, 11)},
      {"Thursday weeks", firstInWeek, dvThursday, Jdn(2024, 2, 14), dvHoliday, Jdn(2024, 2, 11)},
  });
}

TEST_F(JapaneseCalendarQueries, CountingTheDaysOf2024) {
  // 25 holidays; 52 Sundays and 24 2nd or 4th Saturdays; 7 holidays fall on
  // rest days; one rest day is worked (2024-11-09): 366 - (25 + 76 - 7) + 1.
  const struct {
    LONG type;
    LONG expected;
  } cases[] = {{dvHoliday, 25}, {dvWeekend, 76}, {dvWorkday, 273}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    LONG count = -7;
    ASSERT_EQ(dovrel_->DaysInRange(Var::Day(Jdn(2024, 12, 31)).v, Var::Day(Jdn(2024, 1, 1)).v,
                                   AsEnum<dvDateTypeConst>(c.type), &count),
              S_OK);
    EXPECT_EQ(count, c.expected);
  }
  Oracle oracle(dovrel_.Get());
  EXPECT_EQ(oracle.DaysInRange(Jdn(2024, 1, 1), Jdn(2024, 12, 31), Kind::Workday), 273) << "the oracle agrees";
}

TEST_F(JapaneseCalendarQueries, DatesInRangeListsTheDaysInAnArrayOfDates) {
  Var array;
  SHORT count = -7;
  ASSERT_EQ(dovrel_->DatesInRange(Var::Day(Jdn(2024, 5, 31)).v, Var::Day(Jdn(2024, 5, 1)).v, &array.v,
                                  AsEnum<dvDateTypeConst>(dvHoliday), &count),
            S_OK);
  EXPECT_EQ(count, 3);
  ASSERT_EQ(array.v.vt, VT_ARRAY | VT_VARIANT);
  SAFEARRAY* dates = array.v.parray;
  EXPECT_EQ(SafeArrayGetDim(dates), 1u);
  LONG lower = -1, upper = -1;
  EXPECT_EQ(SafeArrayGetLBound(dates, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(dates, 1, &upper), S_OK);
  EXPECT_EQ(lower, 0);
  EXPECT_EQ(upper, 2);
  const std::int64_t expected[] = {Jdn(2024, 5, 3), Jdn(2024, 5, 4), Jdn(2024, 5, 5)};
  for (LONG i = 0; i <= upper && i < 3; ++i) {
    Var element;
    ASSERT_EQ(SafeArrayGetElement(dates, &i, &element.v), S_OK);
    EXPECT_EQ(element.v.vt, VT_DATE);
    EXPECT_EQ(DayIn(element.v), expected[i]);
  }
}

// 0100-01-01 and 9999-12-31 are Fridays: their weeks reach outside the
// supported range, and are cut to it, so that every answer is a date the
// interface can hand out.
TEST_F(DovrelQueries, TheWeeksAtTheEndsOfTheRangeAreCutToIt) {
  ASSERT_EQ(WeekdayOf(kFirstDay), dvFriday);
  ASSERT_EQ(WeekdayOf(kLastDay), dvFriday);
  SetWeekRests(dovrel_.Get(), dvSaturday, dvAllWeeks);
  const Query& firstInWeek = kDateQueries[8];
  const Query& lastInWeek = kDateQueries[9];
  ExpectAnswers({
      {"the week from Saturday 0099-12-26 holds only 0100-01-01", firstInWeek, dvSaturday, kFirstDay, dvWorkday,
       kFirstDay},
      {"... and no Saturday", firstInWeek, dvSaturday, kFirstDay, dvWeekend, std::nullopt},
      {"the week to Saturday 10000-01-01 ends on 9999-12-31", lastInWeek, dvSunday, kLastDay, dvWeekend, std::nullopt},
      {"... whose last working day is itself", lastInWeek, dvSunday, kLastDay, dvWorkday, kLastDay},
      {"a week inside the range is whole", lastInWeek, dvSunday, kLastDay - 7, dvWeekend, kLastDay - 6},
  });
}

// --- The argument rules every query shares -----------------------------------------

TEST_F(JapaneseCalendarQueries, TheEnumerationIsCheckedBeforeAnythingElse) {
  Var badDate = Var::Str(u"no date");
  for (const Query& q : kDateQueries) {
    SCOPED_TRACE(q.name);
    for (LONG type : {LastValidType(q) + 1, LONG{-1}, std::numeric_limits<LONG>::min()}) {
      PlantSentinelErrorInfo();
      Var answer = Var::I4(12345);
      EXPECT_EQ(q.call(dovrel_.Get(), badDate.v, type, &answer.v), kInvalidArgument) << type;
      EXPECT_EQ(q.call(dovrel_.Get(), Var::Day(Jdn(2024, 2, 11)).v, type, nullptr), kInvalidArgument)
          << "before the result pointer too";
      EXPECT_TRUE(SentinelErrorInfoStillThere()) << "no error information";
      EXPECT_EQ(answer.v.vt, VT_I4) << "the answer is not touched";
    }
    for (LONG type = 0; type <= LastValidType(q); ++type) {
      Var answer;
      EXPECT_EQ(q.call(dovrel_.Get(), Var::Day(Jdn(2024, 2, 11)).v, type, &answer.v), S_OK) << type;
    }
  }
  LONG count = 0;
  SHORT listed = 0;
  Var array;
  VARIANT_BOOL found = VARIANT_FALSE;
  ComPtr<IDay> day;
  const Var dates[] = {Var::Day(Jdn(2024, 1, 1)), Var::Day(kLastDay + 400000)};
  EXPECT_EQ(dovrel_->DaysInRange(dates[0].v, dates[1].v, AsEnum<dvDateTypeConst>(3), &count), kInvalidArgument);
  EXPECT_EQ(dovrel_->DatesInRange(dates[0].v, dates[1].v, &array.v, AsEnum<dvDateTypeConst>(-1), &listed),
            kInvalidArgument);
  EXPECT_EQ(dovrel_->IsDateInStyle(badDate.v, day.Receive(), AsEnum<dvIsDateInStyleConst>(2), &found),
            kInvalidArgument);
  EXPECT_FALSE(TakeErrorInfo()) << "not even error 518";
}

// VT_ERROR (an omitted argument) means Value; Null and dates outside the
// supported range are answered, not refused; what does not coerce is.
TEST_F(JapaneseCalendarQueries, TheDateArgument) {
  SetValue(dovrel_.Get(), Jdn(2024, 2, 10));
  const Query& next = kDateQueries[0];
  Var variable = Var::Day(Jdn(2024, 11, 1));
  const auto reference = [&] {
    Var ref;
    ref.v.vt = VT_BYREF | VT_VARIANT;
    ref.v.pvarVal = &variable.v;
    return ref;
  };
  const struct {
    const char* what;
    Var date;
    HRESULT result;
    std::optional<std::int64_t> expected;
  } cases[] = {
      {"omitted: Value", Var::Missing(), S_OK, Jdn(2024, 2, 11)},
      {"any VT_ERROR: Value", [] { Var e; e.v.vt = VT_ERROR; e.v.scode = E_FAIL; return e; }(), S_OK, Jdn(2024, 2, 11)},
      {"a date text", Var::Str(u"2024/02/11"), S_OK, Jdn(2024, 2, 12)},
      {"a number", Var::R8(Ymd(2024, 2, 12) + 0.5), S_OK, Jdn(2024, 2, 23)},
      {"Empty is 1899-12-30, in the year-end break", Var(), S_OK, Jdn(1899, 12, 31)},
      {"a variable by reference", reference(), S_OK, Jdn(2024, 11, 3)},
      {"Null", Var::Null(), S_OK, std::nullopt},
      {"after 9999-12-31", Var::Day(kLastDay + 5), S_OK, std::nullopt},
      {"text that is no date", Var::Str(u"someday"), kInvalidArgument, std::nullopt},
      {"an object that is not there", [] { Var o; o.v.vt = VT_DISPATCH; o.v.pdispVal = nullptr; return o; }(),
       kInvalidArgument, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlantSentinelErrorInfo();
    Var answer = Var::I4(12345);
    ASSERT_EQ(next.call(dovrel_.Get(), c.date.v, dvNavHoliday, &answer.v), c.result);
    if (FAILED(c.result)) {
      EXPECT_TRUE(SentinelErrorInfoStillThere());
      EXPECT_EQ(answer.v.vt, VT_I4) << "nothing written";
      continue;
    }
    EXPECT_EQ(DayIn(answer.v), c.expected);
  }
}

// A plain VT_DATE asked of an unchanged calendar takes a short way to the
// engine; the same date in a variable passed by reference, and any date
// right after a change of rules, take the general one. Every query must
// answer the same on both, with times of day and dates just outside either
// end of the range.
TEST_F(JapaneseCalendarQueries, DatesTakeTheShortAndTheGeneralWayAlike) {
  const double dates[] = {-657435.25, -657434.5, -657434.0, 45337.99, 2958465.75, 2958466.0, 2958467.5};
  for (const Query& q : kDateQueries) {
    for (LONG type = 0; type <= LastValidType(q); ++type) {
      for (const double date : dates) {
        SCOPED_TRACE(testing::Message() << q.name << " type " << type << " date " << date);
        Var shortWay, byReference, afterChange, variable = Var::Date(date);
        ASSERT_EQ(q.call(dovrel_.Get(), Var::Date(date).v, type, &shortWay.v), S_OK);
        ASSERT_EQ(q.call(dovrel_.Get(), testsupport::RefTo(variable.v), type, &byReference.v), S_OK);
        ASSERT_EQ(dovrel_->put_WeekRests(1, dvAllWeeks), S_OK);  // the same rule again: still a change
        ASSERT_EQ(q.call(dovrel_.Get(), Var::Date(date).v, type, &afterChange.v), S_OK);
        EXPECT_EQ(DayIn(byReference.v), DayIn(shortWay.v));
        EXPECT_EQ(DayIn(afterChange.v), DayIn(shortWay.v));
      }
    }
  }
  // The day before 0100-01-01 has a next day, inside the range.
  Var next;
  ASSERT_EQ(dovrel_->NextDay(Var::Date(-657435.25).v, AsEnum<dvDayNavConst>(dvNavNormal), &next.v), S_OK);
  EXPECT_EQ(DayIn(next.v), kFirstDay);
}

// A date answer is written over the caller's VARIANT without clearing it:
// an object it held is not released (it is an out argument, whose old
// content belongs to the caller).
TEST_F(JapaneseCalendarQueries, TheAnswerIsWrittenWithoutClearingTheResult) {
  ComPtr<IHLDYStyles> held = StylesOf(dovrel_.Get());
  IHLDYStyles* raw = held.Get();
  raw->AddRef();
  const ULONG before = raw->AddRef() - 1;
  raw->Release();
  VARIANT answer;
  answer.vt = VT_DISPATCH;
  answer.pdispVal = raw;
  ASSERT_EQ(dovrel_->NextDay(Var::Day(Jdn(2024, 2, 10)).v, AsEnum<dvDayNavConst>(dvNavHoliday), &answer), S_OK);
  EXPECT_EQ(answer.vt, VT_DATE);
  EXPECT_EQ(raw->AddRef() - 1, before) << "the object it held was left alone";
  raw->Release();
  raw->Release();  // the reference the VARIANT held
}

// --- Ranges ---------------------------------------------------------------------------

TEST_F(DovrelQueries, RangesOf366000DaysAreCountedLongerOnesRefused) {
  SetWeekRests(dovrel_.Get(), dvSunday, dvAllWeeks);
  const std::int64_t from = Jdn(1900, 1, 1);
  const struct {
    const char* what;
    Var date1, date2;
    HRESULT result;
    LONG count;
  } cases[] = {
      {"366000 days apart", Var::Day(from), Var::Day(from + 366000), S_OK, 52285},
      {"in either order", Var::Day(from + 366000), Var::Day(from), S_OK, 52285},
      {"366001 days apart", Var::Day(from), Var::Day(from + 366001), kRangeTooLong, 0},
      {"a Null end", Var::Null(), Var::Day(from), S_OK, -1},
      {"an end after 9999-12-31", Var::Day(from), Var::Day(kLastDay + 1), S_OK, -1},
      {"a Null end of a range too long", Var::Null(), Var::Day(kLastDay), S_OK, -1},
      {"Date2 omitted", Var::Day(from), Var::Missing(), kInvalidArgument, 0},
      {"Date2 no date", Var::Day(from), Var::Str(u"later"), kInvalidArgument, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (bool listing : {false, true}) {
      PlantSentinelErrorInfo();
      HRESULT hr;
      LONG count = -7;
      Var array;
      if (listing) {
        SHORT listed = -7;
        hr = dovrel_->DatesInRange(c.date1.v, c.date2.v, &array.v, AsEnum<dvDateTypeConst>(dvWeekend), &listed);
        count = listed;
      } else {
        hr = dovrel_->DaysInRange(c.date1.v, c.date2.v, AsEnum<dvDateTypeConst>(dvWeekend), &count);
      }
      if (c.result == kRangeTooLong) {
        ExpectRaisedByDovrel(hr, kRangeTooLong, kRangeTooLongText);
      } else {
        EXPECT_EQ(hr, c.result);
        EXPECT_TRUE(SentinelErrorInfoStillThere()) << "no error information";
      }
      if (FAILED(hr)) {
        EXPECT_EQ(count, -7) << "nothing written";
        continue;
      }
      EXPECT_EQ(count, listing ? std::min<LONG>(c.count, 32767) : c.count);
      if (c.count < 0) {
        EXPECT_EQ(array.v.vt, VT_EMPTY) << "no array for an invalid end";
      }
    }
  }
}

// With no style in use there are no holidays, and without rest rules no rest
// days: 0 at once, and the caller's Array is left as it was.
TEST_F(DovrelQueries, RangesWithoutAnyMatchAnswerZeroAndLeaveTheArrayAlone) {
  const struct {
    const char* what;
    LONG type;
    bool styleInUse;
  } cases[] = {
      {"holidays, no style in use", dvHoliday, false},
      {"holidays, a style in use without Days", dvHoliday, true},
      {"rest days, no rules", dvWeekend, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IDovrel> dovrel = NewDovrel();
    if (c.styleInUse) {
      AddStyle(dovrel.Get(), u"S");
      ASSERT_EQ(SetUseStyles(dovrel.Get(), u"S"), S_OK);
    }
    Var array = Var::Str(u"untouched");
    SHORT listed = -7;
    LONG count = -7;
    ASSERT_EQ(dovrel->DatesInRange(Var::Day(Jdn(1900, 1, 1)).v, Var::Day(Jdn(2900, 1, 1)).v, &array.v,
                                   AsEnum<dvDateTypeConst>(c.type), &listed),
              S_OK);
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(array.v.vt, VT_BSTR);
    EXPECT_EQ(Printable(std::u16string(array.v.bstrVal)), "untouched");
    ASSERT_EQ(dovrel->DaysInRange(Var::Day(Jdn(1900, 1, 1)).v, Var::Day(Jdn(2900, 1, 1)).v,
                                  AsEnum<dvDateTypeConst>(c.type), &count),
              S_OK);
    EXPECT_EQ(count, 0);
  }
}

// More than 32767 matching days: every one is in the array, and the 16-bit
// count stays at 32767 rather than wrapping to a negative number.
TEST_F(DovrelQueries, DatesInRangeBeyond32767DaysCountsAtMost32767) {
  const struct {
    std::int64_t days;  // in the range, every one a working day
    SHORT count;
  } cases[] = {{32767, 32767}, {32768, 32767}, {366001, 32767}, {1000, 1000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    const std::int64_t from = Jdn(2000, 1, 1);
    Var array;
    SHORT count = 0;
    ASSERT_EQ(dovrel_->DatesInRange(Var::Day(from).v, Var::Day(from + c.days - 1).v, &array.v,
                                    AsEnum<dvDateTypeConst>(dvWorkday), &count),
              S_OK);
    EXPECT_EQ(count, c.count);
    ASSERT_EQ(array.v.vt, VT_ARRAY | VT_VARIANT);
    LONG upper = -1;
    EXPECT_EQ(SafeArrayGetUBound(array.v.parray, 1, &upper), S_OK);
    EXPECT_EQ(upper, c.days - 1);
    Var last;
    EXPECT_EQ(SafeArrayGetElement(array.v.parray, &upper, &last.v), S_OK);
    EXPECT_EQ(DayIn(last.v), from + c.days - 1);
  }
}

// --- The walks across their 366-day chunks --------------------------------------------

// A forced holiday on Sunday S moves to Monday S + 1. Walking forward from
// S - 365, S is the last day of the first chunk and S + 1 the first of the
// next; walking back from S + 366, S + 1 is the last day the first chunk
// reaches. The moved holiday is found and counted once either way.
TEST_F(DovrelQueries, WalksSeeAHolidayMovedAcrossAChunkBoundary) {
  const std::int64_t sunday = Jdn(2024, 2, 11);
  SetWeekRests(dovrel_.Get(), dvSunday, dvAllWeeks);
  ComPtr<IHLDYStyle> style = AddStyle(dovrel_.Get(), u"S", dvOverrideNextDay);
  AddDay(style.Get(), {u"Once", dvTypeForcedHoliday, sunday, {}});
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"S"), S_OK);
  const struct {
    const char* what;
    std::int64_t from;
    SHORT days;
    LONG type;
    std::optional<std::int64_t> expected;
  } cases[] = {
      {"the first holiday: the last day of the first chunk", sunday - 365, 1, dvHolidays, sunday},
      {"the second: the first day of the next chunk", sunday - 365, 2, dvHolidays, sunday + 1},
      {"there is no third", sunday - 365, 3, dvHolidays, std::nullopt},
      {"back: the moved holiday at the low end of the first chunk", sunday + 366, -1, dvHolidays, sunday + 1},
      {"back: then the Sunday in the next chunk", sunday + 366, -2, dvHolidays, sunday},
      {"rest days or holidays count the Monday once", sunday - 365, 54, dvWeekendsHolidays, sunday + 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Var answer;
    ASSERT_EQ(dovrel_->DaysFromNow(Var::Day(c.from).v, c.days, AsEnum<dvDateTypeExConst>(c.type), &answer.v), S_OK);
    EXPECT_EQ(DayIn(answer.v), c.expected);
  }
  Var next;
  ASSERT_EQ(dovrel_->NextDay(Var::Day(sunday).v, AsEnum<dvDayNavConst>(dvNavHoliday), &next.v), S_OK);
  EXPECT_EQ(DayIn(next.v), sunday + 1) << "the holiday moved off the date itself";
  Oracle oracle(dovrel_.Get());
  EXPECT_EQ(oracle.DaysFromNow(sunday - 365, 54, Kind::WeekendOrHoliday, 400).day, sunday + 1) << "the oracle agrees";
}

// Every day a working day: the count reaches its target on the last day of a
// chunk, on the first day of the next, and after 32768 days back.
TEST_F(DovrelQueries, CountsReachingTheirTargetOnAChunkBoundaryAndSixteenBitCounts) {
  const std::int64_t from = Jdn(2000, 3, 1);
  const struct {
    SHORT days;
    std::optional<std::int64_t> expected;
  } cases[] = {
      {366, from + 365}, {367, from + 366}, {-366, from - 365}, {32767, from + 32766}, {-32768, from - 32767},
      {-32767, from - 32766},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    Var answer;
    ASSERT_EQ(dovrel_->DaysFromNow(Var::Day(from).v, c.days, AsEnum<dvDateTypeExConst>(dvWorkdays), &answer.v), S_OK);
    EXPECT_EQ(DayIn(answer.v), c.expected);
  }
  // Leaving the supported range first: Null.
  Var answer;
  ASSERT_EQ(dovrel_->DaysFromNow(Var::Day(kFirstDay + 10).v, -32768, AsEnum<dvDateTypeExConst>(dvWorkdays),
                                 &answer.v),
            S_OK);
  EXPECT_EQ(answer.v.vt, VT_NULL);
}

// A category that can never match walks to the end of the supported range.
TEST_F(DovrelQueries, WalksThatNeverFindTheirDayAnswerNull) {
  ComPtr<IHLDYStyle> empty = AddStyle(dovrel_.Get(), u"Empty");
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"Empty"), S_OK);
  for (int weekday = 1; weekday <= 7; ++weekday) SetWeekRests(dovrel_.Get(), weekday, dvAllWeeks);
  const struct {
    const char* what;
    const Query& query;
    LONG type;
  } cases[] = {
      {"holidays of a style without Days", kDateQueries[0], dvNavHoliday},
      {"back, too", kDateQueries[1], dvNavHoliday},
      {"working days when every day is a rest day", kDateQueries[0], dvNavWorkday},
      {"adjusting to a working day", kDateQueries[2], dvNextWorkday},
      {"adjusting back", kDateQueries[2], dvPrevWorkday},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Ask(c.query, Jdn(2024, 2, 11), c.type), std::nullopt);
  }
}

// --- IsDateInStyle ----------------------------------------------------------------------

class IsDateInStyleTest : public DovrelQueries {
 protected:
  void SetUp() override {
    DovrelQueries::SetUp();
    // Three styles define 3 March; B also 4 March; none 5 March.
    for (const char16_t* key : {u"A", u"B", u"C"}) {
      ComPtr<IHLDYStyle> style = AddStyle(dovrel_.Get(), key);
      AddDay(style.Get(), {std::u16string(key) + u"1", dvTypeHoliday, Jdn(2000, 3, 3), {}});
      if (key[0] == u'B') AddDay(style.Get(), {u"B2", dvTypeForcedWorkday, Jdn(2024, 3, 3), Jdn(2024, 3, 4)});
    }
  }

  // The key of the Day found, "" for FALSE; Obj keeps what it had then.
  std::u16string Find(std::int64_t day, LONG type) {
    VARIANT_BOOL found = 7;
    ComPtr<IDay> held = obj_;
    IDay* obj = obj_.Detach();
    const HRESULT hr = dovrel_->IsDateInStyle(Var::Day(day).v, &obj, AsEnum<dvIsDateInStyleConst>(type), &found);
    obj_ = ComPtr<IDay>::Adopt(obj);
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(found == VARIANT_TRUE || found == VARIANT_FALSE);
    if (found != VARIANT_TRUE) {
      EXPECT_EQ(obj_.Get(), held.Get()) << "Obj unchanged";
      return u"";
    }
    return KeyOf(obj_.Get());
  }

  ComPtr<IDay> obj_;
  void TearDown() override {
    obj_ = ComPtr<IDay>();
    DovrelQueries::TearDown();
  }
};

TEST_F(IsDateInStyleTest, NextMatchGoesOnThroughTheStylesInUseForTheSameDate) {
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A,B,C"), S_OK);
  const std::int64_t march3 = Jdn(2024, 3, 3);
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "B1") << "the first Day of B that covers the date";
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "C1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "") << "still at the end";
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  EXPECT_EQ(Printable(Find(Jdn(2024, 3, 4), dvNextMatch)), "B2") << "another date starts with the first style";
  EXPECT_EQ(Printable(Find(Jdn(2024, 3, 5), dvFirstMatch)), "");
  EXPECT_EQ(Printable(Find(Jdn(2024, 3, 4), dvNextMatch)), "") << "a FALSE answer kept the continuation";
}

TEST_F(IsDateInStyleTest, NoStyleInUseOrNoValidDateIsFalse) {
  const std::int64_t march3 = Jdn(2024, 3, 3);
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "") << "no style in use";
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A"), S_OK);
  VARIANT_BOOL found = 7;
  IDay* obj = nullptr;
  EXPECT_EQ(dovrel_->IsDateInStyle(Var::Null().v, &obj, AsEnum<dvIsDateInStyleConst>(dvFirstMatch), &found), S_OK);
  EXPECT_EQ(found, VARIANT_FALSE);
  EXPECT_EQ(dovrel_->IsDateInStyle(Var::Str(u"x").v, &obj, AsEnum<dvIsDateInStyleConst>(dvFirstMatch), &found),
            kInvalidArgument);
  SetValue(dovrel_.Get(), march3);
  EXPECT_EQ(dovrel_->IsDateInStyle(Var::Missing().v, &obj, AsEnum<dvIsDateInStyleConst>(dvFirstMatch), &found), S_OK);
  EXPECT_EQ(found, VARIANT_TRUE) << "the omitted date is Value";
  ASSERT_NE(obj, nullptr);
  obj->Release();
  // A host that does not want the Day may pass no place for it.
  EXPECT_EQ(dovrel_->IsDateInStyle(Var::Missing().v, nullptr, AsEnum<dvIsDateInStyleConst>(dvFirstMatch), &found),
            S_OK);
  EXPECT_EQ(found, VARIANT_TRUE);
}

TEST_F(IsDateInStyleTest, ADayObjReplacesIsReleased) {
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A,B"), S_OK);
  ComPtr<IDay> first;
  {
    VARIANT_BOOL found = VARIANT_FALSE;
    ASSERT_EQ(dovrel_->IsDateInStyle(Var::Day(Jdn(2024, 3, 3)).v, first.Receive(),
                                     AsEnum<dvIsDateInStyleConst>(dvFirstMatch), &found),
              S_OK);
  }
  ASSERT_TRUE(first);
  IDay* obj = first.Get();
  obj->AddRef();  // Obj's own reference
  const ULONG before = obj->AddRef() - 1;
  obj->Release();
  VARIANT_BOOL found = VARIANT_FALSE;
  ASSERT_EQ(dovrel_->IsDateInStyle(Var::Day(Jdn(2024, 3, 3)).v, &obj, AsEnum<dvIsDateInStyleConst>(dvNextMatch),
                                   &found),
            S_OK);
  EXPECT_EQ(Printable(KeyOf(obj)), "B1");
  EXPECT_EQ(first->AddRef() - 1, before - 1) << "the Day Obj held was released";
  first->Release();
  obj->Release();
}

// After UseStyles the continuation stands on the first entry and keeps its
// date: dvNextMatch for that date starts with the second style.
TEST_F(IsDateInStyleTest, UseStylesPutsTheContinuationOnTheFirstEntry) {
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A,B,C"), S_OK);
  const std::int64_t march3 = Jdn(2024, 3, 3);
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "B1");
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"C,A,B"), S_OK);
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "A1");
}

// When the collection changes, the list is read again and its entries may
// mean other styles. The continuation follows the style that answered last:
// it stays on its entry while that still holds the style, moves with the
// style, and is cleared (the next dvNextMatch asks from the first style)
// when that style is no longer in use.
TEST_F(IsDateInStyleTest, TheContinuationFollowsItsStyleWhenTheCollectionChanges) {
  const std::int64_t march3 = Jdn(2024, 3, 3);
  ComPtr<IHLDYStyles> styles = StylesOf(dovrel_.Get());

  // A style that is not in use arrives: the list is the same, and so is
  // where the search stands.
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A,B,C"), S_OK);
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  AddStyle(dovrel_.Get(), u"X");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "B1");

  // A style in use comes back before the one that answered last: the
  // continuation moves with B, so B is not asked twice.
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A,C,B"), S_OK);
  ASSERT_EQ(styles->Remove(Var::Str(u"C").v), S_OK);
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "B1");
  ComPtr<IHLDYStyle> c = AddStyle(dovrel_.Get(), u"C");
  AddDay(c.Get(), {u"C9", dvTypeHoliday, Jdn(2000, 3, 3), {}});
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "") << "nothing comes after B";
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "C9");

  // The style that answered last leaves: the search starts over.
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A,B,C"), S_OK);
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "B1");
  ASSERT_EQ(styles->Remove(Var::Str(u"B").v), S_OK);
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "A1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "C9");

  // A style listed twice: the continuation keeps to the entry it stands on.
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"A,C,A"), S_OK);
  EXPECT_EQ(Printable(Find(march3, dvFirstMatch)), "A1");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "C9");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "A1");
  AddStyle(dovrel_.Get(), u"Y");
  EXPECT_EQ(Printable(Find(march3, dvNextMatch)), "") << "still after the second A";
}

}  // namespace
}  // namespace dovtest

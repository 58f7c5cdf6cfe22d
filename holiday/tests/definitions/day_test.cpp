// The Day object: its defaults, the checks and notifications of its
// properties, and the dates it stores.
#include "tests/definitions/support.h"

namespace deftest {
namespace {

class DayTest : public DefinitionsTest {};

// A Day whose changes are announced to a probe, as a Days collection would
// arrange.
struct WatchedDay {
  ComPtr<IDay> day = NewDay();
  NotificationProbe probe;
  WatchedDay() { dovrel::Day::FromInterface(day.Get())->SetNotify(probe.Window(), probe.Message()); }
};

double StoredDate(IDay* day) {
  Var value;
  EXPECT_EQ(day->get_Date(&value.v), S_OK);
  EXPECT_EQ(value.v.vt, VT_DATE);
  return value.v.date;
}

std::optional<double> StoredDate2(IDay* day) {
  Var value;
  EXPECT_EQ(day->get_Date2(&value.v), S_OK);
  if (value.v.vt == VT_NULL) return std::nullopt;
  EXPECT_EQ(value.v.vt, VT_DATE);
  return value.v.date;
}

TEST_F(DayTest, ANewDayIsAYearlyHolidayOnTodayWithoutNameKeyOrRangeEnd) {
  SYSTEMTIME before{}, after{};
  GetLocalTime(&before);
  ComPtr<IDay> day = NewDay();
  GetLocalTime(&after);

  dvDayTypeConst type = dvTypeForcedWorkday;
  EXPECT_EQ(day->get_Type(&type), S_OK);
  EXPECT_EQ(dovrel::EnumArgument(type), dvTypeHoliday);
  EXPECT_EQ(KeyOf(day.Get()), u"");
  Bstr name;
  EXPECT_EQ(day->get_Name(name.Receive()), S_OK);
  EXPECT_EQ(name.b, nullptr) << "a Name never set is null, which reads as empty";
  // Today on the local clock (the test may straddle midnight).
  const double date = StoredDate(day.Get());
  EXPECT_TRUE(date == DateOf(before.wYear, before.wMonth, before.wDay) ||
              date == DateOf(after.wYear, after.wMonth, after.wDay));
  EXPECT_FALSE(StoredDate2(day.Get()));
}

struct DateCase {
  const char* what;
  Var value;
  HRESULT result;
  double stored;  // what Date reads back afterwards
};

TEST_F(DayTest, DateTakesEveryValueThatCoercesToADateOfTheSupportedRange) {
  const double start = DateOf(2000, 1, 1);
  const DateCase cases[] = {
      {"first supported day", Var::Date(DateOf(100, 1, 1)), S_OK, DateOf(100, 1, 1)},
      {"last supported day", Var::Date(DateOf(9999, 12, 31)), S_OK, DateOf(9999, 12, 31)},
      {"the end of the last day", Var::Date(DateOf(9999, 12, 31) + 0.999), S_OK, DateOf(9999, 12, 31)},
      {"the day before the range", Var::Date(DateOf(100, 1, 1) - 1), kInvalidPropertyValue, start},
      {"the day after the range", Var::Date(DateOf(9999, 12, 31) + 1), kInvalidPropertyValue, start},
      {"a time of day is dropped", Var::Date(DateOf(2024, 4, 1) + 0.52), S_OK, DateOf(2024, 4, 1)},
      {"negative dates drop the time toward zero", Var::R8(-1.5), S_OK, -1.0},
      {"Empty is 1899-12-30", Var::Empty(), S_OK, 0.0},
      {"Null is no date", Var::Null(), kInvalidPropertyValue, start},
      {"a date text", Var::Str(u"2024/04/01"), S_OK, DateOf(2024, 4, 1)},
      {"a text that is no date", Var::Str(u"tomorrow"), kInvalidPropertyValue, start},
      {"a number of days", Var::I4(45000), S_OK, 45000.0},
      {"a value omitted", Var::Missing(), kInvalidPropertyValue, start},
  };
  for (const DateCase& c : cases) {
    SCOPED_TRACE(c.what);
    WatchedDay watched;
    ASSERT_EQ(watched.day->put_Date(Var::Date(start).v), S_OK);
    watched.probe.TakeCount();
    PlantSentinelErrorInfo();
    EXPECT_EQ(watched.day->put_Date(c.value.v), c.result);
    EXPECT_EQ(StoredDate(watched.day.Get()), c.stored);
    EXPECT_EQ(watched.probe.Count(), c.stored != start ? 1 : 0) << "a change notifies, anything else does not";
    EXPECT_TRUE(SentinelErrorInfoStillThere()) << "property failures leave no error information";
  }
}

TEST_F(DayTest, DateByReferenceAndTheSameDateAgain) {
  WatchedDay watched;
  Var target = Var::Date(DateOf(2031, 12, 29));
  EXPECT_EQ(watched.day->put_Date(RefTo(target.v)), S_OK);
  EXPECT_EQ(StoredDate(watched.day.Get()), DateOf(2031, 12, 29));
  EXPECT_EQ(watched.probe.TakeCount(), 1);
  EXPECT_EQ(watched.day->put_Date(Var::Date(DateOf(2031, 12, 29) + 0.25).v), S_OK);
  EXPECT_EQ(watched.probe.Count(), 0) << "the same day, another time: nothing changed";
}

struct Date2Case {
  const char* what;
  std::optional<double> before;  // the range end set first (none: not set)
  Var value;
  HRESULT result;
  std::optional<double> after;
  int notifications;
};

TEST_F(DayTest, Date2IsSetClearedAndNotifiesOnlyOnAChange) {
  const double d = DateOf(2032, 1, 3);
  const Date2Case cases[] = {
      {"Null over Null says nothing", std::nullopt, Var::Null(), S_OK, std::nullopt, 0},
      {"Null clears a set end", d, Var::Null(), S_OK, std::nullopt, 1},
      {"a date sets it", std::nullopt, Var::Date(d), S_OK, d, 1},
      {"the same date again", d, Var::Date(d + 0.5), S_OK, d, 0},
      {"a date text", std::nullopt, Var::Str(u"2032-01-03"), S_OK, d, 1},
      {"a date outside the range", d, Var::Date(DateOf(100, 1, 1) - 2), kInvalidPropertyValue, d, 0},
      {"no date at all", d, Var::Str(u"never"), kInvalidPropertyValue, d, 0},
      {"Empty is 1899-12-30", std::nullopt, Var::Empty(), S_OK, 0.0, 1},
  };
  for (const Date2Case& c : cases) {
    SCOPED_TRACE(c.what);
    WatchedDay watched;
    if (c.before) {
      ASSERT_EQ(watched.day->put_Date2(Var::Date(*c.before).v), S_OK);
    }
    watched.probe.TakeCount();
    EXPECT_EQ(watched.day->put_Date2(c.value.v), c.result);
    EXPECT_EQ(StoredDate2(watched.day.Get()), c.after);
    EXPECT_EQ(watched.probe.Count(), c.notifications);
  }
}

TEST_F(DayTest, TypeAcceptsTheThreeKindsOnly) {
  const struct {
    LONG value;
    HRESULT result;
    LONG stored;
    int notifications;
  } cases[] = {
      {dvTypeForcedHoliday, S_OK, dvTypeForcedHoliday, 1},
      {dvTypeForcedWorkday, S_OK, dvTypeForcedWorkday, 1},
      {dvTypeHoliday, S_OK, dvTypeHoliday, 0},
      {3, kInvalidPropertyValue, dvTypeHoliday, 0},
      {-1, kInvalidPropertyValue, dvTypeHoliday, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    WatchedDay watched;
    PlantSentinelErrorInfo();
    EXPECT_EQ(watched.day->put_Type(AsEnum<dvDayTypeConst>(c.value)), c.result);
    dvDayTypeConst type{};
    EXPECT_EQ(watched.day->get_Type(&type), S_OK);
    EXPECT_EQ(dovrel::EnumArgument(type), c.stored);
    EXPECT_EQ(watched.probe.Count(), c.notifications);
    EXPECT_TRUE(SentinelErrorInfoStillThere());
  }
}

TEST_F(DayTest, NameKeepsTheTextUpToItsFirstNullAndEveryAssignmentNotifies) {
  WatchedDay watched;
  Bstr holiday(u"元日");
  EXPECT_EQ(watched.day->put_Name(holiday.b), S_OK);
  EXPECT_EQ(watched.day->put_Name(holiday.b), S_OK);
  EXPECT_EQ(watched.probe.TakeCount(), 2) << "the same text notifies again";

  Bstr withNull(std::u16string(u"New\0Year", 8));
  EXPECT_EQ(watched.day->put_Name(withNull.b), S_OK);
  Bstr name;
  EXPECT_EQ(watched.day->get_Name(name.Receive()), S_OK);
  EXPECT_EQ(name.Text(), u"New");

  EXPECT_EQ(watched.day->put_Name(nullptr), S_OK);
  EXPECT_EQ(watched.day->get_Name(name.Receive()), S_OK);
  EXPECT_EQ(name.b, nullptr);
  EXPECT_EQ(watched.probe.Count(), 2);
}

TEST_F(DayTest, AWindowThatIsGoneIsSkipped) {
  WatchedDay watched;
  watched.probe.Destroy();
  Bstr text(u"x");
  EXPECT_EQ(watched.day->put_Name(text.b), S_OK);
  EXPECT_EQ(watched.day->put_Type(dvTypeForcedHoliday), S_OK);
  EXPECT_EQ(watched.probe.Count(), 0);
}

}  // namespace
}  // namespace deftest

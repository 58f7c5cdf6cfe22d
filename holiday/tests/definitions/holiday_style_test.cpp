// HolidayStyle on its own: defaults, the checks and notifications of its
// properties, its Days, and Parent outside any collection.
#include "tests/definitions/support.h"

namespace deftest {
namespace {

class HolidayStyleTest : public DefinitionsTest {};

const std::u16string_view kStyleSource = u"Qor.Dovrel_HLDYStyle6.6";

// A style whose changes are announced to a probe.
struct WatchedStyle {
  ComPtr<IHLDYStyle> style = NewStyle();
  NotificationProbe probe;
  WatchedStyle() { dovrel::HolidayStyle::FromInterface(style.Get())->SetNotify(probe.Window(), probe.Message()); }
};

LONG DaysCount(IHLDYStyle* style) {
  ComPtr<IDays> days;
  EXPECT_EQ(style->get_Days(days.Receive()), S_OK);
  LONG count = -1;
  days->get_Count(&count);
  return count;
}

bool ParentIsNothing(IHLDYStyle* style) {
  ComPtr<IHLDYStyle> parent;
  EXPECT_EQ(style->get_Parent(parent.Receive()), S_OK);
  return !parent;
}

TEST_F(HolidayStyleTest, ANewStyleHasSystemColoursNoAttributesAndEmptyDays) {
  ComPtr<IHLDYStyle> style = NewStyle();
  OLE_COLOR color = 0;
  EXPECT_EQ(style->get_ForeColor(&color), S_OK);
  EXPECT_EQ(color, 0x80000008u);
  EXPECT_EQ(style->get_BackColor(&color), S_OK);
  EXPECT_EQ(color, 0x80000005u);
  VARIANT_BOOL flag = VARIANT_TRUE;
  EXPECT_EQ(style->get_Bold(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_FALSE);
  EXPECT_EQ(style->get_Underline(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_FALSE);
  dvOverrideConst override_{};
  EXPECT_EQ(style->get_Override(&override_), S_OK);
  EXPECT_EQ(dovrel::EnumArgument(override_), dvOverrideNone);
  EXPECT_EQ(DaysCount(style.Get()), 0);
  EXPECT_TRUE(ParentIsNothing(style.Get()));
  EXPECT_EQ(KeyOf(style.Get()), u"");
  EXPECT_EQ(NameOf(style.Get()), u"");
}

TEST_F(HolidayStyleTest, ColoursAreRgbValuesOrSystemColoursUpTo24) {
  const struct {
    OLE_COLOR value;
    HRESULT result;
  } cases[] = {
      {0x00FFFFFF, S_OK},
      {0x00000000, S_OK},
      {0x80000018, S_OK},
      {0x80000000, S_OK},
      {0x01000000, kInvalidPropertyValue},
      {0x80000019, kInvalidPropertyValue},
      {0x7FFFFFFF, kInvalidPropertyValue},
      {0xFFFFFFFF, kInvalidPropertyValue},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    WatchedStyle watched;
    PlantSentinelErrorInfo();
    EXPECT_EQ(watched.style->put_ForeColor(c.value), c.result);
    EXPECT_EQ(watched.style->put_BackColor(c.value), c.result);
    EXPECT_TRUE(SentinelErrorInfoStillThere());
    OLE_COLOR fore = 0, back = 0;
    watched.style->get_ForeColor(&fore);
    watched.style->get_BackColor(&back);
    EXPECT_EQ(fore, c.result == S_OK ? c.value : 0x80000008u);
    EXPECT_EQ(back, c.result == S_OK ? c.value : 0x80000005u);
    EXPECT_EQ(watched.probe.TakeCount(), c.result == S_OK ? 2 : 0);
    // The same colour again is no change.
    watched.style->put_ForeColor(fore);
    EXPECT_EQ(watched.probe.Count(), 0);
  }
}

TEST_F(HolidayStyleTest, BooleansStoreOneAndNotifyUnlessTheArgumentIsWhatGetReturns) {
  const struct {
    VARIANT_BOOL put;
    VARIANT_BOOL get;  // afterwards
    int notifications;
  } steps[] = {
      {VARIANT_FALSE, VARIANT_FALSE, 0},
      {VARIANT_TRUE, VARIANT_TRUE, 1},
      {VARIANT_TRUE, VARIANT_TRUE, 0},
      {1, VARIANT_TRUE, 1},  // 1 is not what get returns (-1)
      {5, VARIANT_TRUE, 1},
      {VARIANT_FALSE, VARIANT_FALSE, 1},
  };
  for (auto [put, get] : {std::pair{&IHLDYStyle::put_Bold, &IHLDYStyle::get_Bold},
                          std::pair{&IHLDYStyle::put_Underline, &IHLDYStyle::get_Underline}}) {
    WatchedStyle watched;
    int step = 0;
    for (const auto& s : steps) {
      SCOPED_TRACE(step++);
      EXPECT_EQ((watched.style.Get()->*put)(s.put), S_OK);
      VARIANT_BOOL value = 7;
      EXPECT_EQ((watched.style.Get()->*get)(&value), S_OK);
      EXPECT_EQ(value, s.get);
      EXPECT_EQ(watched.probe.TakeCount(), s.notifications);
    }
  }
}

TEST_F(HolidayStyleTest, OverrideIsNoneOrNextDay) {
  const struct {
    LONG put;
    HRESULT result;
    LONG get;
    int notifications;
  } steps[] = {
      {dvOverrideNextDay, S_OK, dvOverrideNextDay, 1},
      {dvOverrideNextDay, S_OK, dvOverrideNextDay, 0},
      {2, kInvalidPropertyValue, dvOverrideNextDay, 0},
      {-1, kInvalidPropertyValue, dvOverrideNextDay, 0},
      {dvOverrideNone, S_OK, dvOverrideNone, 1},
  };
  WatchedStyle watched;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.put);
    EXPECT_EQ(watched.style->put_Override(AsEnum<dvOverrideConst>(s.put)), s.result);
    dvOverrideConst value{};
    watched.style->get_Override(&value);
    EXPECT_EQ(dovrel::EnumArgument(value), s.get);
    EXPECT_EQ(watched.probe.TakeCount(), s.notifications);
  }
}

TEST_F(HolidayStyleTest, NameAlwaysNotifies) {
  WatchedStyle watched;
  Bstr name(u"会社休日");
  watched.style->put_Name(name.b);
  watched.style->put_Name(name.b);
  EXPECT_EQ(watched.probe.Count(), 2);
  EXPECT_EQ(NameOf(watched.style.Get()), u"会社休日");
}

TEST_F(HolidayStyleTest, TheStyleOwnsItsDaysAndHandsOutTheSameCollection) {
  ComPtr<IHLDYStyle> style = NewStyle();
  ComPtr<IDays> first, second;
  ASSERT_EQ(style->get_Days(first.Receive()), S_OK);
  ASSERT_EQ(style->get_Days(second.Receive()), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  EXPECT_EQ(RefCount(first.Get()), 3u) << "the style's reference and the two handed out";
  second = ComPtr<IDays>();
  // A host may keep the Days after the style is gone.
  style = ComPtr<IHLDYStyle>();
  EXPECT_EQ(RefCount(first.Get()), 1u);
  AddDay(first.Get(), u"A", DateOf(2024, 1, 1));
}

struct ParentCase {
  const char* what;
  Var value;
  HRESULT result;
  std::u16string_view text = {};
};

TEST_F(HolidayStyleTest, ParentOutsideAnyCollection) {
  ParentCase cases[] = {
      {"a key", Var::Str(u"X"), DVERR_NO_COLLECTION, kNoCollection},
      {"a position", Var::I4(2), DVERR_NO_COLLECTION, kNoCollection},
      {"Empty reads as position 0", Var::Empty(), DVERR_NO_COLLECTION, kNoCollection},
      {"Null", Var::Null(), S_OK},
      {"a null object", Var::NullObject(), S_OK},
      {"an omitted value", Var::Missing(), kInvalidPropertyValue},
  };
  for (ParentCase& c : cases) {
    SCOPED_TRACE(c.what);
    WatchedStyle watched;
    const HRESULT hr = watched.style->put_Parent(c.value.v);
    if (!c.text.empty()) {
      ExpectRaised(hr, c.result, c.text, kStyleSource, IID_IHLDYStyle);
    } else {
      EXPECT_EQ(hr, c.result);
    }
    EXPECT_TRUE(ParentIsNothing(watched.style.Get())) << "and Parent reads back as nothing";
    EXPECT_EQ(watched.probe.Count(), 0);
  }
  ComPtr<IHLDYStyle> style = NewStyle();
  EXPECT_EQ(style->putref_Parent(nullptr), S_OK);
}

TEST_F(HolidayStyleTest, AParentObjectIsCopiedAtAssignmentOnly) {
  ComPtr<IHLDYStyle> parent = NewStyle();
  Bstr parentName(u"国民の祝日");
  parent->put_Name(parentName.b);
  parent->put_ForeColor(0x000000FF);
  parent->put_BackColor(0x80000001);
  parent->put_Bold(VARIANT_TRUE);
  parent->put_Underline(VARIANT_TRUE);
  parent->put_Override(dvOverrideNextDay);
  ComPtr<IDays> parentDays;
  parent->get_Days(parentDays.Receive());
  AddDay(parentDays.Get(), u"NewYear", DateOf(2000, 1, 1), std::nullopt, dvTypeHoliday, u"元日");
  AddDay(parentDays.Get(), u"GW", DateOf(2024, 5, 3), DateOf(2024, 5, 5), dvTypeForcedHoliday);

  WatchedStyle child;
  ComPtr<IDays> childDays;
  child.style->get_Days(childDays.Receive());
  AddDay(childDays.Get(), u"Old", DateOf(1999, 1, 1));
  child.probe.TakeCount();
  NotificationProbe daysProbe(WM_APP + 9);
  dovrel::Days::FromInterface(childDays.Get())->SetNotify(daysProbe.Window(), daysProbe.Message());

  EXPECT_EQ(child.style->putref_Parent(parent.Get()), S_OK);
  EXPECT_EQ(child.probe.Count(), 1) << "the style announces the copy once";
  EXPECT_EQ(daysProbe.TakeCount(), 1) << "its Days announce the Clear, not every copied Day";
  EXPECT_EQ(NameOf(child.style.Get()), u"国民の祝日");
  EXPECT_EQ(KeyOf(child.style.Get()), u"") << "the style keeps its own key";
  OLE_COLOR color = 0;
  child.style->get_ForeColor(&color);
  EXPECT_EQ(color, 0x000000FFu);
  child.style->get_BackColor(&color);
  EXPECT_EQ(color, 0x80000001u);
  VARIANT_BOOL flag = 0;
  child.style->get_Bold(&flag);
  EXPECT_EQ(flag, VARIANT_TRUE);
  child.style->get_Underline(&flag);
  EXPECT_EQ(flag, VARIANT_TRUE);
  dvOverrideConst override_{};
  child.style->get_Override(&override_);
  EXPECT_EQ(dovrel::EnumArgument(override_), dvOverrideNextDay);
  EXPECT_EQ(KeysOf(childDays.Get()), (std::vector<std::u16string>{u"NewYear", u"GW"}));
  ExpectIndexConsistent(*dovrel::Days::FromInterface(childDays.Get()));

  ComPtr<IDay> copy, original;
  childDays->get_Item(Var::Str(u"gw").v, copy.Receive());
  parentDays->get_Item(Var::Str(u"GW").v, original.Receive());
  EXPECT_NE(copy.Get(), original.Get()) << "new Day objects";
  Var date2;
  copy->get_Date2(&date2.v);
  EXPECT_EQ(date2.v.date, DateOf(2024, 5, 5));
  dvDayTypeConst type{};
  copy->get_Type(&type);
  EXPECT_EQ(dovrel::EnumArgument(type), dvTypeForcedHoliday);
  // Copies are members like any other: their changes reach the Days' target;
  // the parent's Day does not change with them, nor does the child follow the
  // parent later.
  copy->put_Date2(Var::Null().v);
  EXPECT_EQ(daysProbe.Count(), 1);
  original->get_Date2(&date2.v);
  EXPECT_EQ(date2.v.date, DateOf(2024, 5, 5));
  Bstr later(u"later");
  parent->put_Name(later.b);
  EXPECT_EQ(NameOf(child.style.Get()), u"国民の祝日");

  ComPtr<IHLDYStyle> stored;
  EXPECT_EQ(child.style->get_Parent(stored.Receive()), S_OK);
  EXPECT_EQ(stored.Get(), parent.Get()) << "Parent reads back the object assigned";
  EXPECT_EQ(child.style->put_Parent(Var::Null().v), S_OK);
  EXPECT_TRUE(ParentIsNothing(child.style.Get()));
  EXPECT_EQ(DaysCount(child.style.Get()), 2) << "clearing Parent copies nothing";
}

TEST_F(HolidayStyleTest, ParentAsTheStyleItselfChangesNothingAndKeepsItAlive) {
  WatchedStyle watched;
  Bstr name(u"self");
  watched.style->put_Name(name.b);
  watched.probe.TakeCount();
  EXPECT_EQ(RefCount(watched.style.Get()), 1u);
  EXPECT_EQ(watched.style->put_Parent(Var::Object(watched.style.Get()).v), S_OK);
  EXPECT_EQ(watched.probe.Count(), 0);
  EXPECT_EQ(NameOf(watched.style.Get()), u"self");
  EXPECT_EQ(RefCount(watched.style.Get()), 2u) << "the stored Parent holds the style";
  ComPtr<IHLDYStyle> parent;
  watched.style->get_Parent(parent.Receive());
  EXPECT_EQ(parent.Get(), watched.style.Get());
  parent = ComPtr<IHLDYStyle>();
  // The host breaks the cycle before it lets go.
  EXPECT_EQ(watched.style->put_Parent(Var::Null().v), S_OK);
  EXPECT_EQ(RefCount(watched.style.Get()), 1u);
}

TEST_F(HolidayStyleTest, AFailingParentStaysStored) {
  ComPtr<IHLDYStyle> parent = NewStyle();
  ComPtr<IHLDYStyle> style = NewStyle();
  ASSERT_EQ(style->putref_Parent(parent.Get()), S_OK);
  EXPECT_EQ(RefCount(parent.Get()), 2u);
  Bstr word(u"word");
  VARIANT byReference;
  VariantInit(&byReference);
  byReference.vt = VT_BYREF | VT_BSTR;
  byReference.pbstrVal = &word.b;
  EXPECT_EQ(style->put_Parent(byReference), kInvalidPropertyValue) << "a word by reference is no index";
  EXPECT_TRUE(ParentIsNothing(style.Get())) << "the old parent was replaced all the same";
  EXPECT_EQ(RefCount(parent.Get()), 1u);
}

}  // namespace
}  // namespace deftest

// The bytes of the persisted form: the samples a reader of the format can
// check by hand, strings null and empty, the nested Days of a style, and
// values that the properties would refuse, which load as they were saved.
#include "tests/persist/persist_support.h"

namespace persisttest {
namespace {

class PersistFormat : public DefinitionsTest {};

TEST_F(PersistFormat, EmptyCollectionsSaveAsVersionAndCountZero) {
  const Bytes empty = {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(Hex(Saved(NewDays().Get())), Hex(empty));
  EXPECT_EQ(Hex(Saved(NewStyles().Get())), Hex(empty));
}

// The Day of 2000-01-01 (day number 2451545), no Date2, a forced holiday
// keyed A, saved with its Name never set and with its Name set to "".
TEST_F(PersistFormat, ADayRecordByteForByte) {
  const Bytes header = {0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00};
  const Bytes fields = {0x59, 0x68, 0x25, 0x00,  // Date
                        0x14, 0x02, 0x52, 0x00,  // Date2: not set
                        0x01, 0x00,              // Type
                        0x04, 0x00, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00};  // Key "A"
  const Bytes nullName = {0x00, 0x00, 0x00, 0x00};
  const Bytes emptyName = {0x02, 0x00, 0x00, 0x00, 0x00, 0x00};

  ComPtr<IDays> days = NewDays();
  ComPtr<IDay> day = AddDay(days.Get(), u"A", DateOf(2000, 1, 1), std::nullopt, dvTypeForcedHoliday);
  const auto joined = [](std::initializer_list<const Bytes*> parts) {
    Bytes all;
    for (const Bytes* part : parts) all.insert(all.end(), part->begin(), part->end());
    return all;
  };
  EXPECT_EQ(Hex(Saved(days.Get())), Hex(joined({&header, &fields, &nullName})))
      << "a Name never set is a null string";

  Bstr empty(u"");
  ASSERT_EQ(day->put_Name(empty.b), S_OK);
  EXPECT_EQ(Hex(Saved(days.Get())), Hex(joined({&header, &fields, &emptyName})))
      << "an empty Name is a string of no characters";
}

TEST_F(PersistFormat, NullAndEmptyNamesStayApartThroughALoad) {
  const Bytes stream = StreamBytes()
                           .I32(kVersion)
                           .I32(2)
                           .Day(2451545, kNoDate2, 0, u"null", std::nullopt)
                           .Day(2451546, kNoDate2, 0, u"empty", u"");
  ComPtr<IDays> days = NewDays();
  ASSERT_EQ(LoadBytes(days.Get(), stream), S_OK);
  for (auto [key, isNull] : {std::pair{u"null", true}, std::pair{u"empty", false}}) {
    ComPtr<IDay> day;
    ASSERT_EQ(days->get_Item(Var::Str(key).v, day.Receive()), S_OK);
    Bstr name;
    ASSERT_EQ(day->get_Name(name.Receive()), S_OK);
    EXPECT_EQ(name.b == nullptr, isNull) << Printable(key);
    EXPECT_EQ(name.Text(), u"");
  }
  EXPECT_EQ(Hex(Saved(days.Get())), Hex(stream));
}

TEST_F(PersistFormat, StringsAreUtf16WithTheirExactLength) {
  ComPtr<IDays> days = NewDays();
  const std::u16string keyWithNull(u"a\0b", 3);  // a key keeps what follows a null character
  AddDay(days.Get(), keyWithNull, DateOf(2024, 2, 11), std::nullopt, dvTypeHoliday, u"建国記念の日");
  const Bytes expected = StreamBytes()
                             .I32(kVersion)
                             .I32(1)
                             .Day(DayOf(2024, 2, 11), kNoDate2, 0, keyWithNull, u"建国記念の日");
  EXPECT_EQ(Hex(Saved(days.Get())), Hex(expected));
  EXPECT_EQ(expected[18 + 4], 'a');
  EXPECT_EQ(expected[18 + 4 + 2], 0x00) << "the null character inside the key";
}

// A style record: its colours, flags, Override, Key and Name, and then its
// Days as a complete stream of their own.
TEST_F(PersistFormat, AStyleCarriesItsDaysAsANestedStream) {
  ComPtr<IHLDYStyles> styles = NewStyles();
  ComPtr<IHLDYStyle> style = AddStyle(styles.Get(), u"JP", u"祝日");
  ASSERT_EQ(style->put_BackColor(0x00C0FFEE), S_OK);
  ASSERT_EQ(style->put_Underline(VARIANT_TRUE), S_OK);
  ASSERT_EQ(style->put_Override(dvOverrideNextDay), S_OK);
  ComPtr<IDays> days;
  style->get_Days(days.Receive());
  AddDay(days.Get(), u"D", DateOf(2031, 5, 3), std::nullopt, dvTypeHoliday);
  AddStyle(styles.Get(), u"Plain");

  const Bytes expected = StreamBytes()
                             .I32(kVersion)
                             .I32(2)
                             // JP
                             .I32(0x00C0FFEE)
                             .I32(0x80000008)
                             .I32(0)
                             .I32(1)
                             .I16(1)
                             .Str(u"JP")
                             .Str(u"祝日")
                             .I32(kVersion)
                             .I32(1)
                             .Day(DayOf(2031, 5, 3), kNoDate2, 0, u"D", std::nullopt)
                             // Plain: a new style's defaults and empty Days
                             .I32(0x80000005)
                             .I32(0x80000008)
                             .I32(0)
                             .I32(0)
                             .I16(0)
                             .Str(u"Plain")
                             .NullStr()
                             .I32(kVersion)
                             .I32(0);
  EXPECT_EQ(Hex(Saved(styles.Get())), Hex(expected));
}

TEST_F(PersistFormat, ParentAndNotificationTargetsAreNotSaved) {
  ComPtr<IHLDYStyles> styles = NewStyles();
  AddStyle(styles.Get(), u"A");
  ComPtr<IHLDYStyle> b = AddStyle(styles.Get(), u"B");
  const Bytes before = Saved(styles.Get());
  NotificationProbe probe;
  ComPtr<IHLDYStylesNotify> notify;
  ASSERT_EQ(styles->QueryInterface(IID_IHLDYStylesNotify, notify.ReceiveVoid()), S_OK);
  notify->SetNotify(probe.Window(), probe.Message());
  ASSERT_EQ(b->put_Parent(Var::Str(u"A").v), S_OK);
  EXPECT_EQ(Hex(Saved(styles.Get())), Hex(before)) << "A's fields were copied already; the reference itself is not saved";
}

// Loading checks lengths and counts, not values: a stream of an earlier
// version may hold what the properties refuse today, and it comes back as
// it was saved.
TEST_F(PersistFormat, ValuesThePropertiesWouldRefuseLoadAndSaveBackUnchanged) {
  const Bytes days = StreamBytes()
                         .I32(0x00020003)  // a version of its own
                         .I32(3)
                         .Day(0, -5, 7, u"outside", u"x")
                         .Day(9999999, 2451545, -1, std::nullopt, std::nullopt)
                         .Day(2451545, 2451545 - 3, 2, u"", std::nullopt);
  ComPtr<IDays> loadedDays = NewDays();
  ASSERT_EQ(LoadBytes(loadedDays.Get(), days), S_OK);
  EXPECT_EQ(Hex(Saved(loadedDays.Get())), Hex(days));
  ComPtr<IDay> odd;
  ASSERT_EQ(loadedDays->get_Item(Var::I4(1).v, odd.Receive()), S_OK);
  dvDayTypeConst type{};
  ASSERT_EQ(odd->get_Type(&type), S_OK);
  EXPECT_EQ(dovrel::EnumArgument(type), 7);

  const Bytes styles = StreamBytes()
                           .I32(kVersion)
                           .I32(1)
                           .I32(0xFFFFFFFF)
                           .I32(0x01000000)
                           .I32(5)
                           .I32(-1)
                           .I16(9)
                           .Str(u"S")
                           .Str(u"")
                           .I32(kVersion)
                           .I32(0);
  ComPtr<IHLDYStyles> loadedStyles = NewStyles();
  ASSERT_EQ(LoadBytes(loadedStyles.Get(), styles), S_OK);
  EXPECT_EQ(Hex(Saved(loadedStyles.Get())), Hex(styles));
  ComPtr<IHLDYStyle> style;
  ASSERT_EQ(loadedStyles->get_Item(Var::I4(1).v, style.Receive()), S_OK);
  VARIANT_BOOL bold = 0;
  ASSERT_EQ(style->get_Bold(&bold), S_OK);
  EXPECT_EQ(bold, VARIANT_TRUE) << "any value other than 0 reads as true";
}

TEST_F(PersistFormat, LoadingTakesTheStreamsVersionField) {
  ComPtr<IDays> days = NewDays();
  ASSERT_EQ(LoadBytes(days.Get(), StreamBytes().I32(0x12345678).I32(0)), S_OK);
  EXPECT_EQ(Hex(Saved(days.Get())), Hex(StreamBytes().I32(0x12345678).I32(0)));
}

}  // namespace
}  // namespace persisttest

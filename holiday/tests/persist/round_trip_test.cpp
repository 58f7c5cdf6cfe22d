// Saving and loading a holiday calendar's definitions: what comes back, what
// a load adds to a collection that already holds members, and what a load
// leaves alone (notifications, the main object's style list).
#include "engine/use_styles.h"
#include "tests/persist/persist_support.h"

namespace persisttest {
namespace {

class PersistRoundTrip : public DefinitionsTest {};

struct DayFields {
  std::u16string key;
  std::optional<std::u16string> name;  // nothing: a null Name
  double date;
  std::optional<double> date2;
  LONG type;
  friend bool operator==(const DayFields&, const DayFields&) = default;
};

std::vector<DayFields> FieldsOf(IDays* days) {
  std::vector<DayFields> all;
  LONG count = 0;
  days->get_Count(&count);
  for (LONG p = 1; p <= count; ++p) {
    ComPtr<IDay> day;
    EXPECT_EQ(days->get_Item(Var::I4(p).v, day.Receive()), S_OK);
    DayFields fields{};
    fields.key = KeyOf(day.Get());
    Bstr name;
    day->get_Name(name.Receive());
    if (name.b) fields.name = name.Text();
    Var date, date2;
    day->get_Date(&date.v);
    day->get_Date2(&date2.v);
    fields.date = date.v.date;
    if (date2.v.vt == VT_DATE) fields.date2 = date2.v.date;
    dvDayTypeConst type{};
    day->get_Type(&type);
    fields.type = dovrel::EnumArgument(type);
    all.push_back(fields);
  }
  return all;
}

struct StyleFields {
  std::u16string key;
  std::u16string name;
  OLE_COLOR back, fore;
  VARIANT_BOOL bold, underline;
  LONG override_;
  std::vector<DayFields> days;
  friend bool operator==(const StyleFields&, const StyleFields&) = default;
};

std::vector<StyleFields> FieldsOf(IHLDYStyles* styles) {
  std::vector<StyleFields> all;
  LONG count = 0;
  styles->get_Count(&count);
  for (LONG p = 1; p <= count; ++p) {
    ComPtr<IHLDYStyle> style;
    EXPECT_EQ(styles->get_Item(Var::I4(p).v, style.Receive()), S_OK);
    StyleFields fields{};
    fields.key = KeyOf(style.Get());
    fields.name = NameOf(style.Get());
    style->get_BackColor(&fields.back);
    style->get_ForeColor(&fields.fore);
    style->get_Bold(&fields.bold);
    style->get_Underline(&fields.underline);
    dvOverrideConst override_{};
    style->get_Override(&override_);
    fields.override_ = dovrel::EnumArgument(override_);
    ComPtr<IDays> days;
    style->get_Days(days.Receive());
    fields.days = FieldsOf(days.Get());
    all.push_back(fields);
  }
  return all;
}

TEST_F(PersistRoundTrip, DaysComeBackWithTheirOrderKeysNamesDatesAndTypes) {
  ComPtr<IDays> original = SampleDays();
  ComPtr<IDays> copy = NewDays();
  ASSERT_EQ(LoadBytes(copy.Get(), Saved(original.Get())), S_OK);
  const auto fields = FieldsOf(copy.Get());
  EXPECT_EQ(fields, FieldsOf(original.Get()));
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[1].key, u"obon");
  EXPECT_EQ(fields[1].date2, DateOf(2031, 8, 16));
  EXPECT_EQ(fields[1].name, u"") << "an empty Name stays empty";
  EXPECT_EQ(fields[2].name, std::nullopt) << "a Name never set stays null";
  EXPECT_EQ(fields[3].name, u"年末年始");
  EXPECT_EQ(fields[3].type, dvTypeHoliday);
  EXPECT_EQ(fields[2].type, dvTypeForcedWorkday);
  EXPECT_EQ(KeysOf(copy.Get()), (std::vector<std::u16string>{u"NewYear", u"obon", u"Audit", u"年末"}));
  auto* copied = dovrel::Days::FromInterface(copy.Get());
  ExpectIndexConsistent(*copied);
  ComPtr<IDay> byKey;
  ASSERT_EQ(copy->get_Item(Var::Str(u"OBON").v, byKey.Receive()), S_OK) << "keys are found as after Add";
  EXPECT_EQ(KeyOf(byKey.Get()), u"obon");
}

TEST_F(PersistRoundTrip, StylesComeBackWithAttributesAndDaysButNoParent) {
  ComPtr<IHLDYStyles> original = SampleStyles();
  ComPtr<IHLDYStyle> company;
  ASSERT_EQ(original->get_Item(Var::Str(u"Company").v, company.Receive()), S_OK);
  ComPtr<IHLDYStyle> parent;
  ASSERT_EQ(company->get_Parent(parent.Receive()), S_OK);
  ASSERT_TRUE(parent) << "the saved style has a Parent";

  ComPtr<IHLDYStyles> copy = NewStyles();
  ASSERT_EQ(LoadBytes(copy.Get(), Saved(original.Get())), S_OK);
  const auto fields = FieldsOf(copy.Get());
  EXPECT_EQ(fields, FieldsOf(original.Get()));
  ASSERT_EQ(fields.size(), 3u);
  EXPECT_EQ(fields[0].override_, dvOverrideNextDay);
  EXPECT_EQ(fields[0].fore, 0x000000FFu);
  EXPECT_EQ(fields[0].back, 0x80000018u);
  EXPECT_EQ(fields[0].bold, VARIANT_TRUE);
  EXPECT_EQ(fields[0].days.size(), 3u);
  EXPECT_EQ(fields[1].underline, VARIANT_TRUE);
  EXPECT_EQ(fields[2].days.size(), 4u) << "National's three copied Days and its own";

  ComPtr<IHLDYStyle> loadedCompany;
  ASSERT_EQ(copy->get_Item(Var::Str(u"company").v, loadedCompany.Receive()), S_OK);
  ComPtr<IHLDYStyle> loadedParent;
  ASSERT_EQ(loadedCompany->get_Parent(loadedParent.Receive()), S_OK);
  EXPECT_FALSE(loadedParent) << "Parent reads back as nothing";
  ExpectIndexConsistent(*dovrel::HolidayStyles::FromInterface(copy.Get()));
}

TEST_F(PersistRoundTrip, LoadingTheSameStreamTwiceGivesEveryDayTwiceAndKeysFindTheSecond) {
  ComPtr<IDays> original = SampleDays();
  const Bytes stream = Saved(original.Get());
  ComPtr<IDays> twice = NewDays();
  ASSERT_EQ(LoadBytes(twice.Get(), stream), S_OK);
  ASSERT_EQ(LoadBytes(twice.Get(), stream), S_OK);
  const auto keys = KeysOf(original.Get());
  std::vector<std::u16string> doubled = keys;
  doubled.insert(doubled.end(), keys.begin(), keys.end());
  EXPECT_EQ(KeysOf(twice.Get()), doubled);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    ComPtr<IDay> byKey, second;
    ASSERT_EQ(twice->get_Item(Var::Str(keys[i]).v, byKey.Receive()), S_OK);
    ASSERT_EQ(twice->get_Item(Var::I4(static_cast<LONG>(keys.size() + i + 1)).v, second.Receive()), S_OK);
    EXPECT_EQ(byKey.Get(), second.Get()) << Printable(keys[i]);
  }
  // Removing a first copy by position leaves its key with the second.
  ASSERT_EQ(twice->Remove(Var::I4(1).v), S_OK);
  ComPtr<IDay> newYear;
  ASSERT_EQ(twice->get_Item(Var::Str(u"NewYear").v, newYear.Receive()), S_OK);
  ComPtr<IDay> last;
  twice->get_Item(Var::I4(4).v, last.Receive());
  EXPECT_EQ(newYear.Get(), last.Get());
}

TEST_F(PersistRoundTrip, LoadingAppendsAfterWhatTheCollectionHolds) {
  ComPtr<IDays> days = NewDays();
  ComPtr<IDay> earlierB = AddDay(days.Get(), u"A", DateOf(2030, 1, 1));
  earlierB = AddDay(days.Get(), u"B", DateOf(2030, 1, 2));
  const Bytes stream = StreamBytes()
                           .I32(kVersion)
                           .I32(2)
                           .Day(DayOf(2030, 2, 1), kNoDate2, 0, u"C", std::nullopt)
                           .Day(DayOf(2030, 2, 2), kNoDate2, 0, u"b", u"loaded");
  ASSERT_EQ(LoadBytes(days.Get(), stream), S_OK);
  EXPECT_EQ(KeysOf(days.Get()), (std::vector<std::u16string>{u"A", u"B", u"C", u"b"}));
  ComPtr<IDay> found;
  ASSERT_EQ(days->get_Item(Var::Str(u"B").v, found.Receive()), S_OK);
  Bstr name;
  found->get_Name(name.Receive());
  EXPECT_EQ(name.Text(), u"loaded") << "the loaded key took the index entry over";
  EXPECT_EQ(KeyOf(earlierB.Get()), u"B") << "the earlier member keeps its Key";
  ComPtr<IDay> a;
  ASSERT_EQ(days->get_Item(Var::Str(u"a").v, a.Receive()), S_OK);
  EXPECT_EQ(KeyOf(a.Get()), u"A");
}

TEST_F(PersistRoundTrip, LoadedDaysAnnounceNothingAndHaveNoTarget) {
  NotificationProbe probe;
  ComPtr<IDays> days = NewDays();
  dovrel::Days::FromInterface(days.Get())->SetNotify(probe.Window(), probe.Message());
  ASSERT_EQ(LoadBytes(days.Get(), Saved(SampleDays().Get())), S_OK);
  EXPECT_EQ(probe.TakeCount(), 0) << "loading sends no notification";
  ComPtr<IDay> loaded;
  ASSERT_EQ(days->get_Item(Var::I4(1).v, loaded.Receive()), S_OK);
  Bstr name(u"changed");
  ASSERT_EQ(loaded->put_Name(name.b), S_OK);
  EXPECT_EQ(probe.TakeCount(), 0) << "a loaded Day has no target";
  AddDay(days.Get(), u"added", DateOf(2030, 1, 1));
  EXPECT_EQ(probe.TakeCount(), 1) << "the collection's own target is still there";
}

// The main object as the collection sees it: counts its ResolveUseStyles.
class OwnerStandIn final : public dovrel::HolidayStylesOwner {
 public:
  void ResolveUseStyles() override { ++resolved; }
  int resolved = 0;
};

TEST_F(PersistRoundTrip, LoadedStylesBelongToTheCollectionWithoutResolveOrNotification) {
  const Bytes stream = Saved(SampleStyles().Get());
  ComPtr<IHLDYStyles> styles = NewStyles();
  auto* collection = dovrel::HolidayStyles::FromInterface(styles.Get());
  OwnerStandIn owner;
  collection->SetOwner(&owner);
  NotificationProbe probe;
  collection->SetNotify(probe.Window(), probe.Message());

  ASSERT_EQ(LoadBytes(styles.Get(), stream), S_OK);
  EXPECT_EQ(owner.resolved, 0) << "no ResolveUseStyles";
  EXPECT_EQ(probe.TakeCount(), 0) << "no notification";
  for (auto* style : collection->Members()) EXPECT_EQ(style->Owner(), collection);

  // The owner is what resolves a Parent given by key.
  ComPtr<IHLDYStyle> empty;
  ASSERT_EQ(styles->get_Item(Var::Str(u"empty").v, empty.Receive()), S_OK);
  ASSERT_EQ(empty->put_Parent(Var::Str(u"National").v), S_OK);
  EXPECT_EQ(NameOf(empty.Get()), u"国民の祝日");

  AddStyle(styles.Get(), u"after");
  EXPECT_EQ(owner.resolved, 1) << "the collection's own changes still reach the owner";
  collection->CutOwner();
}

TEST_F(PersistRoundTrip, AStylesOwnDaysPersistLikeAnyDays) {
  ComPtr<IHLDYStyle> style = NewStyle();
  ComPtr<IDays> days;
  style->get_Days(days.Receive());
  ASSERT_EQ(LoadBytes(days.Get(), Saved(SampleDays().Get())), S_OK);
  EXPECT_EQ(FieldsOf(days.Get()), FieldsOf(SampleDays().Get()));
}

// A host keeps the collection among its own data: the load stops right
// after the collection's bytes, and a save writes from where the stream is.
TEST_F(PersistRoundTrip, TheStreamIsLeftRightAfterTheCollection) {
  const Bytes days = Saved(SampleDays().Get());
  Bytes withMore = days;
  withMore.insert(withMore.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  ComPtr<IStream> stream = MemoryStreamOf(withMore);
  ComPtr<IDays> loaded = NewDays();
  ASSERT_EQ(PersistOf(loaded.Get())->Load(stream.Get()), S_OK);
  EXPECT_EQ(PositionOf(stream.Get()), days.size());

  ComPtr<IStream> document = MemoryStreamOf({});
  CLSID clsid{};
  ASSERT_EQ(PersistOf(loaded.Get())->GetClassID(&clsid), S_OK);
  ASSERT_EQ(document->Write(&clsid, sizeof clsid, nullptr), S_OK);
  ASSERT_EQ(PersistOf(loaded.Get())->Save(document.Get(), TRUE), S_OK);
  const Bytes written = ContentOf(document.Get());
  EXPECT_EQ(Hex(Bytes(written.begin() + sizeof clsid, written.end())), Hex(days));
}

TEST_F(PersistRoundTrip, AFileStreamCarriesTheStylesToANewCollection) {
  char pattern[] = "/tmp/dovrel-persist-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::u16string path = std::u16string(dir.begin(), dir.end()) + u"/styles.bin";
  ComPtr<IHLDYStyles> original = SampleStyles();
  {
    ComPtr<IStream> file;
    ASSERT_EQ(SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE, 0, TRUE, nullptr, file.Receive()), S_OK);
    ASSERT_EQ(PersistOf(original.Get())->Save(file.Get(), TRUE), S_OK);
  }
  ComPtr<IHLDYStyles> copy = NewStyles();
  {
    ComPtr<IStream> file;
    ASSERT_EQ(SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, file.Receive()), S_OK);
    ASSERT_EQ(PersistOf(copy.Get())->Load(file.Get()), S_OK);
  }
  EXPECT_EQ(FieldsOf(copy.Get()), FieldsOf(original.Get()));
  EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

TEST_F(PersistRoundTrip, ThePersistInterfaceOfBothCollections) {
  struct Case {
    const char* what;
    ComPtr<IUnknown> collection;
    CLSID clsid;
  };
  ComPtr<IUnknown> days, styles;
  NewDays()->QueryInterface(IID_IUnknown, days.ReceiveVoid());
  NewStyles()->QueryInterface(IID_IUnknown, styles.ReceiveVoid());
  const Case cases[] = {{"Days", days, CLSID_Days}, {"HolidayStyles", styles, CLSID_HolidayStyles}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IPersistStream> persist = PersistOf(c.collection.Get());
    CLSID clsid{};
    ASSERT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, c.clsid));
    EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
    ComPtr<IPersist> plain;
    ASSERT_EQ(c.collection->QueryInterface(IID_IPersist, plain.ReceiveVoid()), S_OK);
    ASSERT_EQ(plain->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, c.clsid));
    ComPtr<IUnknown> identity;
    persist->QueryInterface(IID_IUnknown, identity.ReceiveVoid());
    EXPECT_EQ(identity.Get(), c.collection.Get()) << "the same object";

    EXPECT_EQ(persist->IsDirty(), S_OK);
    Saved(c.collection.Get());
    EXPECT_EQ(persist->IsDirty(), S_OK) << "still, after a save";
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), E_NOTIMPL);
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);
    EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
  }
  ComPtr<IPersistStream> none;
  EXPECT_EQ(NewDay()->QueryInterface(IID_IPersistStream, none.ReceiveVoid()), E_NOINTERFACE)
      << "a Day is not persistable on its own";
  EXPECT_EQ(NewStyle()->QueryInterface(IID_IPersistStream, none.ReceiveVoid()), E_NOINTERFACE);
}

}  // namespace
}  // namespace persisttest

// HolidayStyles: placing styles, copying them in, the owner's
// ResolveUseStyles and the notifications in their order, and Parent inside a
// collection.
#include "engine/use_styles.h"
#include "tests/definitions/support.h"

namespace deftest {
namespace {

class HolidayStylesTest : public DefinitionsTest {};

const std::u16string_view kStylesSource = u"Qor.Dovrel_HLDYStyles6.6";

// Stands in for the main object: keeps a UseStyles text and rebuilds its
// style list with the engine whenever the collection says its membership
// changed, writing each call into a shared log.
class OwnerDouble final : public dovrel::HolidayStylesOwner {
 public:
  OwnerDouble(dovrel::HolidayStyles& styles, std::u16string useStyles, std::vector<std::string>& log)
      : styles_(styles), useStyles_(std::move(useStyles)), log_(log) {
    styles_.SetOwner(this);
  }
  ~OwnerDouble() { styles_.CutOwner(); }
  void ResolveUseStyles() override {
    log_.push_back("resolved");
    dovrel::engine::ResolveUseStyles<OLECHAR>(useStyles_, dovrel::HolidayStylesDirectory(styles_), list);
  }
  dovrel::engine::StyleList list;

 private:
  dovrel::HolidayStyles& styles_;
  std::u16string useStyles_;
  std::vector<std::string>& log_;
};

// A collection with an owner double and a notification probe, both writing
// to one log, so that the order of the two can be checked.
struct OwnedStyles {
  ComPtr<IHLDYStyles> styles = NewStyles();
  dovrel::HolidayStyles& object = *dovrel::HolidayStyles::FromInterface(styles.Get());
  std::vector<std::string> log;
  OwnerDouble owner;
  NotificationProbe probe;
  explicit OwnedStyles(std::u16string useStyles = u"") : owner(object, std::move(useStyles), log) {
    probe.log = &log;
    object.SetNotify(probe.Window(), probe.Message());
  }
  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }
};

const std::vector<std::string> kResolvedThenNotified{"resolved", "notified"};
const std::vector<std::string> kNotifiedOnly{"notified"};
const std::vector<std::string> kNothing{};

struct AddIndexCase {
  const char* what;
  Var index;
  HRESULT result;
  std::vector<std::u16string> keys;
};

TEST_F(HolidayStylesTest, AddPlacesTheNewStyleByItsIndex) {
  AddIndexCase cases[] = {
      {"no index appends", Var::Missing(), S_OK, {u"A", u"B", u"N"}},
      {"position 0 appends", Var::I4(0), S_OK, {u"A", u"B", u"N"}},
      {"Count + 5 appends", Var::I4(7), S_OK, {u"A", u"B", u"N"}},
      {"position 1 inserts first", Var::I2(1), S_OK, {u"N", u"A", u"B"}},
      {"position 2 inserts between", Var::I4(2), S_OK, {u"A", u"N", u"B"}},
      {"a double is no position", Var::R8(1.0), kInvalidArgument, {u"A", u"B"}},
      {"a text is no position", Var::Str(u"1"), kInvalidArgument, {u"A", u"B"}},
      {"Null is no position", Var::Null(), kInvalidArgument, {u"A", u"B"}},
  };
  for (AddIndexCase& c : cases) {
    SCOPED_TRACE(c.what);
    OwnedStyles owned;
    AddStyle(owned.styles.Get(), u"A");
    AddStyle(owned.styles.Get(), u"B");
    owned.TakeLog();
    Bstr key(u"N");
    ComPtr<IHLDYStyle> added;
    EXPECT_EQ(owned.styles->Add(c.index.v, key.b, Var::Str(u"new").v, added.Receive()), c.result);
    EXPECT_EQ(KeysOf(owned.styles.Get()), c.keys);
    ExpectIndexConsistent(owned.object);
    if (c.result == S_OK) {
      EXPECT_EQ(owned.TakeLog(), kResolvedThenNotified);
      EXPECT_EQ(NameOf(added.Get()), u"new");
      EXPECT_EQ(RefCount(added.Get()), 2u);
      ComPtr<IHLDYStyle> b;
      ASSERT_EQ(owned.styles->get_Item(Var::Str(u"b").v, b.Receive()), S_OK);
      EXPECT_EQ(KeyOf(b.Get()), u"B") << "keys still find their styles after an insertion";
    } else {
      EXPECT_EQ(owned.TakeLog(), kNothing);
    }
  }
}

TEST_F(HolidayStylesTest, AddChecksTheKeyAndTheName) {
  OwnedStyles owned;
  AddStyle(owned.styles.Get(), u"ABC");
  owned.TakeLog();
  Bstr empty(u""), taken(u"abc"), fresh(u"N");
  ComPtr<IHLDYStyle> none;
  ExpectRaised(owned.styles->Add(Var::Missing().v, nullptr, Var::Missing().v, none.Receive()), DVERR_KEY_INVALID,
               kKeyInvalid, kStylesSource, IID_IHLDYStyles);
  ExpectRaised(owned.styles->Add(Var::Missing().v, empty.b, Var::Missing().v, none.Receive()), DVERR_KEY_INVALID,
               kKeyInvalid, kStylesSource, IID_IHLDYStyles);
  ExpectRaised(owned.styles->Add(Var::Missing().v, taken.b, Var::Missing().v, none.Receive()),
               DVERR_KEY_NOT_UNIQUE, kKeyNotUnique, kStylesSource, IID_IHLDYStyles);
  EXPECT_EQ(owned.styles->Add(Var::R8(1).v, nullptr, Var::Missing().v, none.Receive()), kInvalidArgument)
      << "the index is checked before the key";
  EXPECT_EQ(owned.styles->Add(Var::Missing().v, fresh.b, Var::Null().v, none.Receive()), kInvalidArgument);
  EXPECT_FALSE(none);
  EXPECT_EQ(owned.TakeLog(), kNothing);
  EXPECT_EQ(KeysOf(owned.styles.Get()), std::vector<std::u16string>{u"ABC"});
}

TEST_F(HolidayStylesTest, ItemRefusesAStyleObjectAsIndex) {
  OwnedStyles owned;
  ComPtr<IHLDYStyle> a = AddStyle(owned.styles.Get(), u"A");
  ComPtr<IHLDYStyle> found;
  EXPECT_EQ(owned.styles->get_Item(Var::Object(a.Get()).v, found.Receive()), kInvalidArgument);
  ExpectRaised(owned.styles->get_Item(Var::I4(2).v, found.Receive()), DVERR_INDEX_OUT_OF_RANGE, kIndexOutOfRange,
               kStylesSource, IID_IHLDYStyles);
  ExpectRaised(owned.styles->get_Item(Var::Str(u"").v, found.Receive()), DVERR_ELEMENT_NOT_FOUND,
               kElementNotFound, kStylesSource, IID_IHLDYStyles);
  EXPECT_EQ(owned.styles->get_Item(Var::R8(0.6).v, found.Receive()), S_OK);
  EXPECT_EQ(found.Get(), a.Get());
}

TEST_F(HolidayStylesTest, RemoveAndClearLetTheStylesGoThenResolveThenAnnounce) {
  OwnedStyles owned(u"B,{1}");
  ComPtr<IHLDYStyle> a = AddStyle(owned.styles.Get(), u"A");
  ComPtr<IHLDYStyle> b = AddStyle(owned.styles.Get(), u"B");
  AddStyle(owned.styles.Get(), u"C");
  EXPECT_EQ(owned.owner.list, (dovrel::engine::StyleList{1, 0}));
  owned.TakeLog();

  ExpectRaised(owned.styles->Remove(Var::I4(0).v), DVERR_INDEX_OUT_OF_RANGE, kIndexOutOfRange, kStylesSource,
               IID_IHLDYStyles);
  ExpectRaised(owned.styles->Remove(Var::NullStr().v), DVERR_KEY_INVALID, kKeyInvalid, kStylesSource,
               IID_IHLDYStyles);
  EXPECT_EQ(owned.TakeLog(), kNothing);

  EXPECT_EQ(owned.styles->Remove(Var::Str(u"b").v), S_OK);
  EXPECT_EQ(owned.TakeLog(), kResolvedThenNotified);
  EXPECT_EQ(owned.owner.list, (dovrel::engine::StyleList{0})) << "the key of a removed style drops out";
  EXPECT_EQ(RefCount(b.Get()), 1u);
  // The removed style belongs to no collection any more.
  ExpectRaised(b->put_Parent(Var::Str(u"A").v), DVERR_NO_COLLECTION, kNoCollection, u"Qor.Dovrel_HLDYStyle6.6",
               IID_IHLDYStyle);

  AddStyle(owned.styles.Get(), u"B");
  EXPECT_EQ(owned.owner.list, (dovrel::engine::StyleList{2, 0})) << "and comes back with the key";
  owned.TakeLog();

  EXPECT_EQ(owned.styles->Clear(), S_OK);
  EXPECT_EQ(owned.TakeLog(), kResolvedThenNotified);
  EXPECT_TRUE(owned.owner.list.empty());
  EXPECT_EQ(RefCount(a.Get()), 1u);
  ExpectRaised(a->put_Parent(Var::I4(1).v), DVERR_NO_COLLECTION, kNoCollection, u"Qor.Dovrel_HLDYStyle6.6",
               IID_IHLDYStyle);
  EXPECT_EQ(owned.styles->Clear(), S_OK);
  EXPECT_EQ(owned.TakeLog(), kNothing) << "clearing an empty collection does nothing at all";
}

TEST_F(HolidayStylesTest, ReplaceKeyIsAnnouncedEvenWhenTheKeyStays) {
  OwnedStyles owned;
  AddStyle(owned.styles.Get(), u"X");
  AddStyle(owned.styles.Get(), u"Y");
  owned.TakeLog();
  Bstr same(u"x"), taken(u"Y"), fresh(u"Z");
  EXPECT_EQ(owned.styles->_ReplaceKey(0, same.b), S_OK);
  EXPECT_EQ(owned.TakeLog(), kNotifiedOnly);
  EXPECT_EQ(KeysOf(owned.styles.Get()), (std::vector<std::u16string>{u"X", u"Y"}));
  ExpectRaised(owned.styles->_ReplaceKey(0, taken.b), DVERR_KEY_NOT_UNIQUE, kKeyNotUnique, kStylesSource,
               IID_IHLDYStyles);
  ExpectRaised(owned.styles->_ReplaceKey(2, fresh.b), DVERR_INDEX_OUT_OF_RANGE, kIndexOutOfRange, kStylesSource,
               IID_IHLDYStyles);
  EXPECT_EQ(owned.TakeLog(), kNothing);
  EXPECT_EQ(owned.styles->_ReplaceKey(1, fresh.b), S_OK);
  EXPECT_EQ(owned.TakeLog(), kNotifiedOnly) << "renaming does not resolve the styles in use";
  EXPECT_EQ(KeysOf(owned.styles.Get()), (std::vector<std::u16string>{u"X", u"Z"}));
  ExpectIndexConsistent(owned.object);
}

TEST_F(HolidayStylesTest, ParentInsideACollectionResolvesByPositionAndKey) {
  OwnedStyles owned;
  ComPtr<IHLDYStyle> a = AddStyle(owned.styles.Get(), u"A", u"first");
  ComPtr<IHLDYStyle> b = AddStyle(owned.styles.Get(), u"B", u"second");
  b->put_ForeColor(0x00123456);
  ComPtr<IDays> bDays;
  b->get_Days(bDays.Receive());
  AddDay(bDays.Get(), u"D1", DateOf(2024, 2, 11));
  AddDay(bDays.Get(), u"D2", DateOf(2024, 2, 23));
  owned.TakeLog();

  EXPECT_EQ(a->put_Parent(Var::I4(2).v), S_OK);
  EXPECT_EQ(NameOf(a.Get()), u"second");
  OLE_COLOR color = 0;
  a->get_ForeColor(&color);
  EXPECT_EQ(color, 0x00123456u);
  EXPECT_EQ(KeyOf(a.Get()), u"A");
  ComPtr<IDays> aDays;
  a->get_Days(aDays.Receive());
  EXPECT_EQ(KeysOf(aDays.Get()), (std::vector<std::u16string>{u"D1", u"D2"}));
  EXPECT_EQ(owned.TakeLog(), kNothing) << "a style's change is not the collection's";

  // Parent by position follows the collection's order at the time it is read.
  ComPtr<IHLDYStyle> parent;
  ASSERT_EQ(a->get_Parent(parent.Receive()), S_OK);
  EXPECT_EQ(parent.Get(), b.Get());
  Bstr key(u"N");
  ComPtr<IHLDYStyle> inserted;
  ASSERT_EQ(owned.styles->Add(Var::I4(1).v, key.b, Var::Missing().v, inserted.Receive()), S_OK);
  ASSERT_EQ(a->get_Parent(parent.Receive()), S_OK);
  EXPECT_EQ(parent.Get(), a.Get()) << "position 2 is now A itself";

  EXPECT_EQ(inserted->put_Parent(Var::Str(u"b").v), S_OK);
  EXPECT_EQ(NameOf(inserted.Get()), u"second");
  ASSERT_EQ(inserted->get_Parent(parent.Receive()), S_OK);
  EXPECT_EQ(parent.Get(), b.Get());

  ExpectRaised(a->put_Parent(Var::I4(9).v), DVERR_INDEX_OUT_OF_RANGE, kIndexOutOfRange, kStylesSource,
               IID_IHLDYStyles);
  ExpectRaised(a->put_Parent(Var::Str(u"Z").v), DVERR_ELEMENT_NOT_FOUND, kElementNotFound, kStylesSource,
               IID_IHLDYStyles);
  ExpectRaised(a->get_Parent(parent.Receive()), DVERR_ELEMENT_NOT_FOUND, kElementNotFound, kStylesSource,
               IID_IHLDYStyles);
  EXPECT_FALSE(parent);
}

TEST_F(HolidayStylesTest, AddObjCopiesTheStyleWithItsStoredParentAndLeavesItAlone) {
  OwnedStyles owned;
  AddStyle(owned.styles.Get(), u"A", u"the parent");
  ComPtr<IHLDYStyle> source = NewStyle();
  Bstr name(u"source");
  source->put_Name(name.b);
  source->put_Underline(VARIANT_TRUE);
  ComPtr<IDays> sourceDays;
  source->get_Days(sourceDays.Receive());
  AddDay(sourceDays.Get(), u"One", DateOf(2024, 3, 20));
  AddDay(sourceDays.Get(), u"Two", DateOf(2024, 9, 22));
  // Outside a collection the key cannot be resolved, but it is stored.
  EXPECT_EQ(source->put_Parent(Var::Str(u"A").v), DVERR_NO_COLLECTION);
  owned.TakeLog();

  Bstr key(u"Copy");
  ComPtr<IHLDYStyle> none;
  EXPECT_EQ(owned.styles->AddObj(Var::Missing().v, nullptr, nullptr, none.Receive()), kInvalidArgument)
      << "a missing object is refused before anything else";
  EXPECT_EQ(owned.styles->AddObj(Var::Str(u"x").v, key.b, source.Get(), none.Receive()), kInvalidArgument);
  ExpectRaised(owned.styles->AddObj(Var::Missing().v, nullptr, source.Get(), none.Receive()), DVERR_KEY_INVALID,
               kKeyInvalid, kStylesSource, IID_IHLDYStyles);
  EXPECT_EQ(owned.TakeLog(), kNothing);

  ComPtr<IHLDYStyle> copy;
  ASSERT_EQ(owned.styles->AddObj(Var::I4(1).v, key.b, source.Get(), copy.Receive()), S_OK);
  EXPECT_EQ(owned.TakeLog(), kResolvedThenNotified);
  EXPECT_NE(copy.Get(), source.Get());
  EXPECT_EQ(RefCount(source.Get()), 1u) << "the source is not inserted";
  EXPECT_EQ(KeysOf(owned.styles.Get()), (std::vector<std::u16string>{u"Copy", u"A"}));
  EXPECT_EQ(KeyOf(source.Get()), u"");
  EXPECT_EQ(NameOf(copy.Get()), u"source");
  VARIANT_BOOL underline = 0;
  copy->get_Underline(&underline);
  EXPECT_EQ(underline, VARIANT_TRUE);
  ComPtr<IDays> copyDays;
  copy->get_Days(copyDays.Receive());
  EXPECT_EQ(KeysOf(copyDays.Get()), (std::vector<std::u16string>{u"One", u"Two"}));
  ComPtr<IDay> copied;
  copyDays->get_Item(Var::I4(1).v, copied.Receive());
  copied->put_Date(Var::Date(DateOf(2025, 3, 20)).v);
  ComPtr<IDay> original;
  sourceDays->get_Item(Var::I4(1).v, original.Receive());
  Var date;
  original->get_Date(&date.v);
  EXPECT_EQ(date.v.date, DateOf(2024, 3, 20)) << "the copies are the copy's own";
  // The stored Parent came along and resolves in the new collection.
  ComPtr<IHLDYStyle> parent;
  ASSERT_EQ(copy->get_Parent(parent.Receive()), S_OK);
  ASSERT_TRUE(parent);
  EXPECT_EQ(NameOf(parent.Get()), u"the parent");
}

TEST_F(HolidayStylesTest, ItemPutCopiesAStyleIntoAMember) {
  OwnedStyles owned;
  ComPtr<IHLDYStyle> first = AddStyle(owned.styles.Get(), u"ABC", u"one");
  ComPtr<IHLDYStyle> second = AddStyle(owned.styles.Get(), u"DEF", u"two");
  // Values that carry a key: made in a collection of their own.
  ComPtr<IHLDYStyles> others = NewStyles();
  ComPtr<IHLDYStyle> likeSecond = AddStyle(others.Get(), u"def");
  ComPtr<IHLDYStyle> likeFirst = AddStyle(others.Get(), u"abc", u"replacement");
  ComPtr<IDays> likeFirstDays;
  likeFirst->get_Days(likeFirstDays.Receive());
  AddDay(likeFirstDays.Get(), u"X", DateOf(2024, 11, 3));
  ComPtr<IHLDYStyle> keyless = NewStyle();
  owned.TakeLog();

  ExpectRaised(owned.styles->put_Item(Var::I4(1).v, likeSecond.Get()), DVERR_KEY_BELONGS_TO_OTHER,
               kKeyBelongsToOther, kStylesSource, IID_IHLDYStyles);
  ExpectRaised(owned.styles->put_Item(Var::I4(1).v, keyless.Get()), DVERR_KEY_INVALID, kKeyInvalid, kStylesSource,
               IID_IHLDYStyles);
  ExpectRaised(owned.styles->put_Item(Var::I4(3).v, likeFirst.Get()), DVERR_INDEX_OUT_OF_RANGE, kIndexOutOfRange,
               kStylesSource, IID_IHLDYStyles);
  EXPECT_EQ(owned.styles->put_Item(Var::I4(1).v, nullptr), kInvalidArgument) << "a null value is no style";
  EXPECT_EQ(owned.styles->put_Item(Var::I4(1).v, first.Get()), S_OK) << "the member itself";
  EXPECT_EQ(owned.TakeLog(), kNothing);

  EXPECT_EQ(owned.styles->putref_Item(Var::Str(u"ABC").v, likeFirst.Get()), S_OK);
  EXPECT_EQ(owned.TakeLog(), kNotifiedOnly) << "no ResolveUseStyles: membership did not change";
  EXPECT_EQ(KeysOf(owned.styles.Get()), (std::vector<std::u16string>{u"abc", u"DEF"})) << "the new spelling";
  ExpectIndexConsistent(owned.object);
  ComPtr<IHLDYStyle> member;
  ASSERT_EQ(owned.styles->get_Item(Var::Str(u"ABC").v, member.Receive()), S_OK);
  EXPECT_EQ(member.Get(), first.Get()) << "the member stays, with the value's contents";
  EXPECT_EQ(NameOf(first.Get()), u"replacement");
  ComPtr<IDays> firstDays;
  first->get_Days(firstDays.Receive());
  EXPECT_EQ(KeysOf(firstDays.Get()), std::vector<std::u16string>{u"X"});
  EXPECT_EQ(RefCount(likeFirst.Get()), 2u) << "the value is not inserted";

  // A value with a key nobody bears: the member changes its key.
  ComPtr<IHLDYStyle> renamed = AddStyle(others.Get(), u"GHI");
  EXPECT_EQ(owned.styles->put_Item(Var::I4(2).v, renamed.Get()), S_OK);
  EXPECT_EQ(KeysOf(owned.styles.Get()), (std::vector<std::u16string>{u"abc", u"GHI"}));
  ExpectIndexConsistent(owned.object);
  EXPECT_EQ(owned.styles->get_Item(Var::Str(u"ghi").v, member.Receive()), S_OK);
  EXPECT_EQ(member.Get(), second.Get());
  EXPECT_EQ(owned.styles->get_Item(Var::Str(u"DEF").v, member.Receive()), DVERR_ELEMENT_NOT_FOUND);
}

TEST_F(HolidayStylesTest, NotificationTargetsDoNotReachTheStyles) {
  OwnedStyles owned;
  ComPtr<IHLDYStyle> a = AddStyle(owned.styles.Get(), u"A");
  owned.TakeLog();
  Bstr name(u"renamed");
  a->put_Name(name.b);
  EXPECT_EQ(owned.TakeLog(), kNothing) << "styles start without a target";
  ComPtr<IHLDYStylesNotify> notify;
  ASSERT_EQ(owned.styles->QueryInterface(IID_IHLDYStylesNotify, notify.ReceiveVoid()), S_OK);
  NotificationProbe other;
  notify->SetNotify(other.Window(), other.Message());
  a->put_Name(name.b);
  EXPECT_EQ(other.Count(), 0);
  AddStyle(owned.styles.Get(), u"B");
  EXPECT_EQ(other.Count(), 1);
}

TEST_F(HolidayStylesTest, AStyleOutlivesItsCollectionAndTheCollectionItsOwner) {
  ComPtr<IHLDYStyle> kept;
  {
    ComPtr<IHLDYStyles> styles = NewStyles();
    kept = AddStyle(styles.Get(), u"A");
    EXPECT_EQ(kept->put_Parent(Var::Str(u"A").v), S_OK) << "resolved in its collection";
  }
  ExpectRaised(kept->put_Parent(Var::Str(u"A").v), DVERR_NO_COLLECTION, kNoCollection, u"Qor.Dovrel_HLDYStyle6.6",
               IID_IHLDYStyle);
  ComPtr<IHLDYStyle> parent;
  EXPECT_EQ(kept->get_Parent(parent.Receive()), S_OK);
  EXPECT_FALSE(parent);

  // The main object cuts its link when it dies; the collection calls nobody
  // afterwards.
  ComPtr<IHLDYStyles> styles = NewStyles();
  std::vector<std::string> log;
  {
    OwnerDouble owner(*dovrel::HolidayStyles::FromInterface(styles.Get()), u"A", log);
    AddStyle(styles.Get(), u"A");
    EXPECT_EQ(log.size(), 1u);
  }
  AddStyle(styles.Get(), u"B");
  EXPECT_EQ(styles->Remove(Var::I4(1).v), S_OK);
  EXPECT_EQ(styles->Clear(), S_OK);
  EXPECT_EQ(log.size(), 1u);
}

}  // namespace
}  // namespace deftest

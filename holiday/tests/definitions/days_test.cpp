// The Days collection: adding with its checks, the key index under
// insertions and removals, the Index argument in all its forms, key
// replacement and the snapshot enumerator.
#include <random>

#include "tests/definitions/support.h"

namespace deftest {
namespace {

class DaysTest : public DefinitionsTest {};

const std::u16string_view kDaysSource = u"Qor.Dovrel_Days6.6";

// A host's own object whose default member is a text: collections read it
// as a key, the way they read a Day.
class HostObject final : public IDispatch {
 public:
  explicit HostObject(std::u16string value) : value_(std::move(value)) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch)) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (id != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(value_.data(), static_cast<UINT>(value_.size()));
    return S_OK;
  }
  ULONG refs_ = 1;

 private:
  std::u16string value_;
};

// Days keyed A, B, C (and 2, to tell keys from positions) on the days 1-4 of
// January 2024.
ComPtr<IDays> DaysABC2() {
  ComPtr<IDays> days = NewDays();
  AddDay(days.Get(), u"A", DateOf(2024, 1, 1));
  AddDay(days.Get(), u"B", DateOf(2024, 1, 2));
  AddDay(days.Get(), u"C", DateOf(2024, 1, 3));
  AddDay(days.Get(), u"2", DateOf(2024, 1, 4));
  return days;
}

struct IndexCase {
  const char* what;
  Var index;
  HRESULT result;
  std::u16string found;  // the key of the Day selected
  std::u16string_view text = {};  // error text when one is raised
};

TEST_F(DaysTest, ItemReadsIndexAsPositionKeyOrRefusesIt) {
  ComPtr<IDays> days = DaysABC2();
  Var referred = Var::I4(3);
  Bstr two(u"2");
  Bstr word(u"abc");
  ComPtr<IHLDYStyle> style = NewStyle();
  HostObject host(u"C");

  VARIANT stringByReference;
  VariantInit(&stringByReference);
  stringByReference.vt = VT_BYREF | VT_BSTR;
  stringByReference.pbstrVal = &two.b;
  VARIANT wordByReference = stringByReference;
  wordByReference.pbstrVal = &word.b;
  Var referredKey = Var::Str(u"A");

  {
    IndexCase cases[] = {
        {"position 1", Var::I4(1), S_OK, u"A"},
        {"a 16-bit position", Var::I2(2), S_OK, u"B"},
        {"position 0", Var::I4(0), DVERR_INDEX_OUT_OF_RANGE, u"", kIndexOutOfRange},
        {"position Count + 1", Var::I4(5), DVERR_INDEX_OUT_OF_RANGE, u"", kIndexOutOfRange},
        {"a double is rounded: 2.6 is 3", Var::R8(2.6), S_OK, u"C"},
        {"the string 2 is a key, not a position", Var::Str(u"2"), S_OK, u"2"},
        {"keys ignore the case of A-Z", Var::Str(u"c"), S_OK, u"C"},
        {"a null string", Var::NullStr(), DVERR_KEY_INVALID, u"", kKeyInvalid},
        {"the empty string is looked up", Var::Str(u""), DVERR_ELEMENT_NOT_FOUND, u"", kElementNotFound},
        {"an unknown key", Var::Str(u"Z"), DVERR_ELEMENT_NOT_FOUND, u"", kElementNotFound},
        {"a full-width letter is another key", Var::Str(u"Ａ"), DVERR_ELEMENT_NOT_FOUND, u"", kElementNotFound},
        {"Null", Var::Null(), kInvalidArgument, u""},
        {"Empty is position 0", Var::Empty(), DVERR_INDEX_OUT_OF_RANGE, u"", kIndexOutOfRange},
        {"an omitted argument", Var::Missing(), kInvalidArgument, u""},
        {"a null object", Var::NullObject(), kInvalidArgument, u""},
        {"a style stays an object", Var::Object(style.Get()), kInvalidArgument, u""},
        {"another object is read by its default member", Var::Object(&host), S_OK, u"C"},
    };
    for (IndexCase& c : cases) {
      SCOPED_TRACE(c.what);
      PlantSentinelErrorInfo();
      ComPtr<IDay> day;
      HRESULT hr = days->get_Item(c.index.v, day.Receive());
      if (!c.text.empty()) {
        ExpectRaised(hr, c.result, c.text, kDaysSource, IID_IDays);
      } else {
        EXPECT_EQ(hr, c.result);
        EXPECT_TRUE(SentinelErrorInfoStillThere()) << "no error information";
      }
      if (c.result == S_OK) {
        ASSERT_TRUE(day);
        EXPECT_EQ(KeyOf(day.Get()), c.found);
      } else {
        EXPECT_FALSE(day);
      }
    }
  }
  EXPECT_EQ(host.refs_, 1u) << "the collection let go of the host's object";

  // By reference: a VARIANT is unwrapped first; a string by reference is
  // read as a position ("2" is position 2), and a word by reference is no
  // position at all.
  const struct {
    const char* what;
    VARIANT index;
    HRESULT result;
    std::u16string found;
  } byReference[] = {
      {"a VARIANT by reference", RefTo(referred.v), S_OK, u"C"},
      {"a key by reference", RefTo(referredKey.v), S_OK, u"A"},
      {"a string by reference", stringByReference, S_OK, u"B"},
      {"a word by reference", wordByReference, kInvalidArgument, u""},
  };
  for (const auto& c : byReference) {
    SCOPED_TRACE(c.what);
    ComPtr<IDay> day;
    EXPECT_EQ(days->get_Item(c.index, day.Receive()), c.result);
    if (day) {
      EXPECT_EQ(KeyOf(day.Get()), c.found);
    }
  }
}

TEST_F(DaysTest, ADaySelectsByItsKeyThroughItsDefaultMember) {
  ComPtr<IDays> days = DaysABC2();
  ComPtr<IDay> c;
  ASSERT_EQ(days->get_Item(Var::I4(3).v, c.Receive()), S_OK);
  // The default member is read through IDispatch, which the type library
  // drives; until it answers, the Day cannot be read as its key.
  Var probe;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  if (c->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &probe.v, nullptr, nullptr) == E_NOTIMPL)
    GTEST_SKIP() << "IDispatch of the objects does not answer yet";
  ComPtr<IDay> found;
  EXPECT_EQ(days->get_Item(Var::Object(c.Get()).v, found.Receive()), S_OK);
  EXPECT_EQ(found.Get(), c.Get());
  EXPECT_EQ(days->Remove(Var::Object(c.Get()).v), S_OK);
  EXPECT_EQ(KeysOf(days.Get()), (std::vector<std::u16string>{u"A", u"B", u"2"}));
}

TEST_F(DaysTest, ItemWithoutAResultSlotStillAnswers) {
  ComPtr<IDays> days = DaysABC2();
  EXPECT_EQ(days->get_Item(Var::Str(u"B").v, nullptr), S_OK);
  EXPECT_EQ(days->get_Item(Var::Str(u"Q").v, nullptr), DVERR_ELEMENT_NOT_FOUND);
}

struct AddCase {
  const char* what;
  std::optional<std::u16string> key;  // nothing: a null BSTR
  Var name, date, date2;
  LONG type;
  HRESULT result;
  std::u16string_view text = {};
};

TEST_F(DaysTest, AddChecksItsArgumentsInOrderAndChangesNothingOnFailure) {
  const Var date = Var::Date(DateOf(2024, 5, 3));
  const Var name = Var::Str(u"憲法記念日");
  AddCase cases[] = {
      {"a null key", std::nullopt, name, date, Var::Missing(), 0, DVERR_KEY_INVALID, kKeyInvalid},
      {"an empty key", u"", name, date, Var::Missing(), 0, DVERR_KEY_INVALID, kKeyInvalid},
      {"a key in other case", u"abc", name, date, Var::Missing(), 0, DVERR_KEY_NOT_UNIQUE, kKeyNotUnique},
      {"key before Name", u"ABC", Var::Null(), date, Var::Missing(), 0, DVERR_KEY_NOT_UNIQUE, kKeyNotUnique},
      {"a Null Name", u"N", Var::Null(), date, Var::Missing(), 0, kInvalidArgument},
      {"no date", u"N", name, Var::Null(), Var::Missing(), 0, kInvalidArgument},
      {"a text that is no date", u"N", name, Var::Str(u"someday"), Var::Missing(), 0, kInvalidArgument},
      {"a date before 0100-01-01", u"N", name, Var::Date(DateOf(100, 1, 1) - 1), Var::Missing(), 0,
       kInvalidArgument},
      {"a range end that is no date", u"N", name, date, Var::Str(u"later"), 0, kInvalidArgument},
      {"a range end after 9999-12-31", u"N", name, date, Var::Date(DateOf(9999, 12, 31) + 1), 0, kInvalidArgument},
      {"type 3", u"N", name, date, Var::Missing(), 3, kInvalidArgument},
      {"type -1", u"N", name, date, Var::Missing(), -1, kInvalidArgument},
  };
  ComPtr<IDays> days = NewDays();
  AddDay(days.Get(), u"ABC", DateOf(2024, 1, 1));
  NotificationProbe probe;
  dovrel::Days::FromInterface(days.Get())->SetNotify(probe.Window(), probe.Message());
  for (AddCase& c : cases) {
    SCOPED_TRACE(c.what);
    PlantSentinelErrorInfo();
    Bstr key;
    if (c.key) key.b = SysAllocStringLen(c.key->data(), static_cast<UINT>(c.key->size()));
    ComPtr<IDay> day;
    const HRESULT hr =
        days->Add(key.b, c.name.v, c.date.v, c.date2.v, AsEnum<dvDayTypeConst>(c.type), day.Receive());
    if (!c.text.empty()) {
      ExpectRaised(hr, c.result, c.text, kDaysSource, IID_IDays);
    } else {
      EXPECT_EQ(hr, c.result);
      EXPECT_TRUE(SentinelErrorInfoStillThere());
    }
    EXPECT_FALSE(day);
    EXPECT_EQ(KeysOf(days.Get()), std::vector<std::u16string>{u"ABC"});
    EXPECT_EQ(probe.Count(), 0);
  }
}

TEST_F(DaysTest, AddMakesADayFromItsArgumentsAndTheCollectionHoldsOneReference) {
  ComPtr<IDays> days = NewDays();
  NotificationProbe probe;
  dovrel::Days::FromInterface(days.Get())->SetNotify(probe.Window(), probe.Message());

  const struct {
    const char* key;
    Var name;
    std::u16string storedName;
    Var date2;
    std::optional<double> storedDate2;
    LONG type;
  } cases[] = {
      {"full", Var::Str(u"年末年始"), u"年末年始", Var::Date(DateOf(2025, 1, 3)), DateOf(2025, 1, 3), 0},
      {"no name, Null range end", Var::Missing(), u"", Var::Null(), std::nullopt, 1},
      {"Empty name", Var::Empty(), u"", Var::Missing(), std::nullopt, 2},
      {"a number as name", Var::I4(12), u"12", Var::Str(u"2024/12/31"), DateOf(2024, 12, 31), 0},
  };
  int added = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    Bstr key(std::u16string(c.key, c.key + std::char_traits<char>::length(c.key)));
    ComPtr<IDay> day;
    ASSERT_EQ(days->Add(key.b, c.name.v, Var::Str(u"2024-12-29").v, c.date2.v, AsEnum<dvDayTypeConst>(c.type),
                        day.Receive()),
              S_OK);
    ++added;
    EXPECT_EQ(probe.TakeCount(), 1) << "the collection announces the new member";
    EXPECT_EQ(RefCount(day.Get()), 2u) << "the caller's reference and the collection's";
    Bstr name;
    day->get_Name(name.Receive());
    EXPECT_EQ(name.Text(), c.storedName);
    EXPECT_EQ(KeyOf(day.Get()), key.Text());
    Var date, date2;
    day->get_Date(&date.v);
    EXPECT_EQ(date.v.date, DateOf(2024, 12, 29));
    day->get_Date2(&date2.v);
    EXPECT_EQ(date2.v.vt == VT_NULL ? std::nullopt : std::optional<double>(date2.v.date), c.storedDate2);
    dvDayTypeConst type{};
    day->get_Type(&type);
    EXPECT_EQ(dovrel::EnumArgument(type), c.type);
    // The new member announces its own changes to the collection's target.
    EXPECT_EQ(day->put_Type(c.type == 2 ? dvTypeHoliday : dvTypeForcedWorkday), S_OK);
    EXPECT_EQ(probe.TakeCount(), 1);
  }
  LONG count = 0;
  days->get_Count(&count);
  EXPECT_EQ(count, added);
  ExpectIndexConsistent(*dovrel::Days::FromInterface(days.Get()));
}

TEST_F(DaysTest, FullWidthLettersMakeDifferentKeysAndKeysKeepEmbeddedNulls) {
  ComPtr<IDays> days = NewDays();
  AddDay(days.Get(), u"ａ", DateOf(2024, 1, 1));
  AddDay(days.Get(), u"Ａ", DateOf(2024, 1, 2));
  ComPtr<IDay> withNull = AddDay(days.Get(), std::u16string(u"k\0x", 3), DateOf(2024, 1, 3));
  EXPECT_EQ(KeyOf(withNull.Get()), std::u16string(u"k\0x", 3));
  ComPtr<IDay> found;
  EXPECT_EQ(days->get_Item(Var::Str(std::u16string(u"K\0X", 3)).v, found.Receive()), S_OK);
  EXPECT_EQ(found.Get(), withNull.Get());
  EXPECT_EQ(days->get_Item(Var::Str(u"k").v, found.Receive()), DVERR_ELEMENT_NOT_FOUND);
  EXPECT_EQ(KeysOf(days.Get()).size(), 3u);
}

TEST_F(DaysTest, RemoveShiftsTheIndexAndReleasesTheMember) {
  ComPtr<IDays> days = NewDays();
  ComPtr<IDay> a = AddDay(days.Get(), u"A", DateOf(2024, 1, 1));
  AddDay(days.Get(), u"B", DateOf(2024, 1, 2));
  AddDay(days.Get(), u"C", DateOf(2024, 1, 3));
  NotificationProbe probe;
  dovrel::Days::FromInterface(days.Get())->SetNotify(probe.Window(), probe.Message());

  ExpectRaised(days->Remove(Var::I4(0).v), DVERR_INDEX_OUT_OF_RANGE, kIndexOutOfRange, kDaysSource, IID_IDays);
  ExpectRaised(days->Remove(Var::I4(4).v), DVERR_INDEX_OUT_OF_RANGE, kIndexOutOfRange, kDaysSource, IID_IDays);
  ExpectRaised(days->Remove(Var::NullStr().v), DVERR_KEY_INVALID, kKeyInvalid, kDaysSource, IID_IDays);
  ExpectRaised(days->Remove(Var::Str(u"").v), DVERR_ELEMENT_NOT_FOUND, kElementNotFound, kDaysSource, IID_IDays);
  EXPECT_EQ(days->Remove(Var::Null().v), kInvalidArgument);
  EXPECT_EQ(probe.TakeCount(), 0);

  EXPECT_EQ(days->Remove(Var::I4(1).v), S_OK);
  EXPECT_EQ(probe.TakeCount(), 1);
  EXPECT_EQ(RefCount(a.Get()), 1u) << "the collection let go of the removed Day";
  ComPtr<IDay> c;
  ASSERT_EQ(days->get_Item(Var::Str(u"C").v, c.Receive()), S_OK);
  ComPtr<IDay> second;
  ASSERT_EQ(days->get_Item(Var::I4(2).v, second.Receive()), S_OK);
  EXPECT_EQ(c.Get(), second.Get()) << "C moved to position 2";

  EXPECT_EQ(days->Remove(Var::Str(u"c").v), S_OK);
  EXPECT_EQ(KeysOf(days.Get()), std::vector<std::u16string>{u"B"});
  ExpectIndexConsistent(*dovrel::Days::FromInterface(days.Get()));

  // A removed Day keeps its fields and keeps notifying the old target.
  Bstr name(u"still here");
  EXPECT_EQ(a->put_Name(name.b), S_OK);
  EXPECT_EQ(probe.Count(), 2) << "one for the removal of C, one from the removed A";
  EXPECT_EQ(KeyOf(a.Get()), u"A");
}

TEST_F(DaysTest, ClearReleasesEveryMemberAndAnnouncesEvenWhenEmpty) {
  ComPtr<IDays> days = NewDays();
  NotificationProbe probe;
  dovrel::Days::FromInterface(days.Get())->SetNotify(probe.Window(), probe.Message());
  EXPECT_EQ(days->Clear(), S_OK);
  EXPECT_EQ(probe.TakeCount(), 1);
  ComPtr<IDay> kept = AddDay(days.Get(), u"A", DateOf(2024, 1, 1));
  AddDay(days.Get(), u"B", DateOf(2024, 1, 2));
  probe.TakeCount();
  EXPECT_EQ(days->Clear(), S_OK);
  EXPECT_EQ(probe.TakeCount(), 1);
  EXPECT_EQ(RefCount(kept.Get()), 1u);
  LONG count = -1;
  days->get_Count(&count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(dovrel::Days::FromInterface(days.Get())->Index().Size(), 0u);
  // The same keys can come back.
  AddDay(days.Get(), u"a", DateOf(2024, 1, 1));
}

struct ReplaceKeyCase {
  const char* what;
  LONG position;
  std::optional<std::u16string> key;
  HRESULT result;
  std::vector<std::u16string> keys;  // afterwards
  std::u16string_view text = {};
};

TEST_F(DaysTest, ReplaceKeyGoesThroughTheAnsiCodePage) {
  const std::vector<std::u16string> before{u"X", u"Y", u"?"};
  const ReplaceKeyCase cases[] = {
      {"the same key in other case keeps the key", 0, u"x", S_OK, before},
      {"a new key", 1, u"New", S_OK, {u"X", u"New", u"?"}},
      {"a Japanese key", 1, u"祝日", S_OK, {u"X", u"祝日", u"?"}},
      {"a null key", 0, std::nullopt, DVERR_KEY_INVALID, before, kKeyInvalid},
      {"an empty key", 0, u"", DVERR_KEY_INVALID, before, kKeyInvalid},
      {"another member's key", 0, u"y", DVERR_KEY_NOT_UNIQUE, before, kKeyNotUnique},
      {"a key that lands on another member's through the code page", 0, u"\u2603", DVERR_KEY_NOT_UNIQUE, before,
       kKeyNotUnique},
      {"a character the code page lacks comes back replaced", 1, u"a\u2603", S_OK, {u"X", u"a?", u"?"}},
      {"position -1", -1, u"Q", DVERR_INDEX_OUT_OF_RANGE, before, kIndexOutOfRange},
      {"position Count", 3, u"Q", DVERR_INDEX_OUT_OF_RANGE, before, kIndexOutOfRange},
  };
  for (const ReplaceKeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IDays> days = NewDays();
    for (const auto& key : before) AddDay(days.Get(), key, DateOf(2024, 1, 1));
    NotificationProbe probe;
    dovrel::Days::FromInterface(days.Get())->SetNotify(probe.Window(), probe.Message());
    Bstr key;
    if (c.key) key.b = SysAllocStringLen(c.key->data(), static_cast<UINT>(c.key->size()));
    const HRESULT hr = days->_ReplaceKey(c.position, key.b);
    if (!c.text.empty()) {
      ExpectRaised(hr, c.result, c.text, kDaysSource, IID_IDays);
    } else {
      EXPECT_EQ(hr, c.result);
    }
    EXPECT_EQ(KeysOf(days.Get()), c.keys);
    EXPECT_EQ(probe.Count(), 0) << "renaming a Day is not announced";
    ExpectIndexConsistent(*dovrel::Days::FromInterface(days.Get()));
  }
}

// Random additions, removals and renamings against a plain list of keys:
// the index must find every key at its member's current position.
TEST_F(DaysTest, TheIndexFollowsEveryInsertionAndRemoval) {
  std::mt19937 random(20240101);
  const std::u16string alphabet = u"aAbBcCdD";
  ComPtr<IDays> days = NewDays();
  std::vector<std::u16string> model;
  auto inModel = [&](const std::u16string& key) {
    for (std::size_t i = 0; i < model.size(); ++i)
      if (dovrel::KeysEqual(model[i], key)) return static_cast<LONG>(i);
    return LONG{-1};
  };
  for (int step = 0; step < 400; ++step) {
    std::u16string key{alphabet[random() % alphabet.size()], alphabet[random() % alphabet.size()]};
    const int action = static_cast<int>(random() % 4);
    if (action <= 1) {
      Bstr keyText(key);
      ComPtr<IDay> day;
      const HRESULT hr = days->Add(keyText.b, Var::Missing().v, Var::Date(1.0).v, Var::Missing().v, dvTypeHoliday,
                                   day.Receive());
      EXPECT_EQ(hr, inModel(key) < 0 ? S_OK : DVERR_KEY_NOT_UNIQUE);
      if (hr == S_OK) model.push_back(key);
    } else if (action == 2 && !model.empty()) {
      const LONG p = static_cast<LONG>(random() % model.size());
      if (random() % 2) {
        EXPECT_EQ(days->Remove(Var::I4(p + 1).v), S_OK);
      } else {
        EXPECT_EQ(days->Remove(Var::Str(model[p]).v), S_OK);
      }
      model.erase(model.begin() + p);
    } else if (!model.empty()) {
      const LONG p = static_cast<LONG>(random() % model.size());
      Bstr keyText(key);
      const LONG holder = inModel(key);
      EXPECT_EQ(days->_ReplaceKey(p, keyText.b), (holder < 0 || holder == p) ? S_OK : DVERR_KEY_NOT_UNIQUE);
      if (holder < 0) model[p] = key;
    }
    ASSERT_EQ(KeysOf(days.Get()), model) << "step " << step;
    for (std::size_t p = 0; p < model.size(); ++p) {
      ComPtr<IDay> byKey, byPosition;
      ASSERT_EQ(days->get_Item(Var::Str(model[p]).v, byKey.Receive()), S_OK);
      ASSERT_EQ(days->get_Item(Var::I4(static_cast<LONG>(p + 1)).v, byPosition.Receive()), S_OK);
      ASSERT_EQ(byKey.Get(), byPosition.Get()) << "step " << step << ", key " << Printable(model[p]);
    }
  }
  ExpectIndexConsistent(*dovrel::Days::FromInterface(days.Get()));
}

std::vector<IUnknown*> Identities(VARIANT* items, ULONG count) {
  std::vector<IUnknown*> identities;
  for (ULONG i = 0; i < count; ++i) {
    EXPECT_EQ(items[i].vt, VT_DISPATCH);
    IUnknown* identity = nullptr;
    items[i].pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    identity->Release();  // the item still holds it
    identities.push_back(identity);
  }
  return identities;
}

IUnknown* IdentityOf(IUnknown* object) {
  IUnknown* identity = nullptr;
  object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
  identity->Release();
  return identity;
}

TEST_F(DaysTest, TheEnumeratorIsASnapshotThatSurvivesClear) {
  ComPtr<IDays> days = NewDays();
  ComPtr<IDay> a = AddDay(days.Get(), u"A", DateOf(2024, 1, 1));
  ComPtr<IDay> b = AddDay(days.Get(), u"B", DateOf(2024, 1, 2));
  ComPtr<IDay> c = AddDay(days.Get(), u"C", DateOf(2024, 1, 3));
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(days->get__NewEnum(unknown.Receive()), S_OK);
  ComPtr<IEnumVARIANT> items;
  ASSERT_EQ(unknown->QueryInterface(IID_IEnumVARIANT, items.ReceiveVoid()), S_OK);
  ASSERT_EQ(days->Clear(), S_OK);
  EXPECT_EQ(RefCount(a.Get()), 2u) << "the snapshot holds each Day it copied";

  VARIANT got[4];
  ULONG fetched = 99;
  EXPECT_EQ(items->Next(2, nullptr, &fetched), E_POINTER);
  EXPECT_EQ(items->Next(2, got, nullptr), E_POINTER) << "more than one item needs a count";
  EXPECT_EQ(items->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(Identities(got, 1), std::vector<IUnknown*>{IdentityOf(a.Get())});
  VariantClear(&got[0]);

  ComPtr<IEnumVARIANT> clone;
  EXPECT_EQ(items->Clone(nullptr), E_POINTER);
  ASSERT_EQ(items->Clone(clone.Receive()), S_OK);
  EXPECT_EQ(items->Next(4, got, &fetched), S_FALSE) << "fewer than asked for";
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(Identities(got, 2), (std::vector<IUnknown*>{IdentityOf(b.Get()), IdentityOf(c.Get())}));
  for (ULONG i = 0; i < fetched; ++i) VariantClear(&got[i]);
  EXPECT_EQ(items->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);

  // The clone stands where the original stood and outlives it.
  items = ComPtr<IEnumVARIANT>();
  unknown = ComPtr<IUnknown>();
  EXPECT_EQ(clone->Skip(2), S_FALSE) << "skipping exactly to the end";
  EXPECT_EQ(clone->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(clone->Skip(1), S_OK);
  EXPECT_EQ(clone->Skip(7), S_FALSE);
  EXPECT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(clone->Next(3, got, &fetched), S_OK);
  EXPECT_EQ(fetched, 3u);
  for (ULONG i = 0; i < fetched; ++i) VariantClear(&got[i]);
  clone = ComPtr<IEnumVARIANT>();
  EXPECT_EQ(RefCount(a.Get()), 1u) << "the last enumerator released the copies";
}

TEST_F(DaysTest, AnEnumeratorOfAnEmptyCollection) {
  ComPtr<IDays> days = NewDays();
  ComPtr<IUnknown> unknown;
  ASSERT_EQ(days->get__NewEnum(unknown.Receive()), S_OK);
  ComPtr<IEnumVARIANT> items;
  ASSERT_EQ(unknown->QueryInterface(IID_IEnumVARIANT, items.ReceiveVoid()), S_OK);
  VARIANT got;
  ULONG fetched = 5;
  EXPECT_EQ(items->Next(1, &got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(items->Skip(0), S_FALSE) << "nothing remains, so even no step reaches the end";
}

}  // namespace
}  // namespace deftest

// What the definition objects' tests share: owned VARIANTs and BSTRs, the
// thread's error information, notification targets that count, the module
// lock count that every object moves, and dates by the calendar.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "com_object.h"
#include "days.h"
#include "dovrel60.h"
#include "engine/day_number.h"
#include "holiday_style.h"
#include "holiday_styles.h"
#include "module_lock.h"
#include "notify_target.h"

namespace deftest {

using dovrel::ComPtr;
using dovrel::DVERR_ELEMENT_NOT_FOUND;
using dovrel::DVERR_INDEX_OUT_OF_RANGE;
using dovrel::DVERR_KEY_BELONGS_TO_OTHER;
using dovrel::DVERR_KEY_INVALID;
using dovrel::DVERR_KEY_NOT_UNIQUE;
using dovrel::DVERR_NO_COLLECTION;

// An owned VARIANT; pass .v to a method (it is passed by value and borrowed).
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
  Var(const Var& other) : Var() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
  Var& operator=(const Var&) = delete;

  static Var I2(SHORT value) { Var r; r.v.vt = VT_I2; r.v.iVal = value; return r; }
  static Var I4(LONG value) { Var r; r.v.vt = VT_I4; r.v.lVal = value; return r; }
  static Var R8(double value) { Var r; r.v.vt = VT_R8; r.v.dblVal = value; return r; }
  static Var Date(double value) { Var r; r.v.vt = VT_DATE; r.v.date = value; return r; }
  static Var Str(std::u16string_view text) {
    Var r;
    r.v.vt = VT_BSTR;
    r.v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return r;
  }
  static Var NullStr() { Var r; r.v.vt = VT_BSTR; r.v.bstrVal = nullptr; return r; }
  static Var Null() { Var r; r.v.vt = VT_NULL; return r; }
  static Var Empty() { return Var(); }
  static Var Missing() { Var r; r.v.vt = VT_ERROR; r.v.scode = DISP_E_PARAMNOTFOUND; return r; }
  static Var Object(IUnknown* object) {
    Var r;
    r.v.vt = VT_DISPATCH;
    IDispatch* dispatch = nullptr;
    if (object) object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    r.v.pdispVal = dispatch;
    return r;
  }
  static Var NullObject() { Var r; r.v.vt = VT_DISPATCH; r.v.pdispVal = nullptr; return r; }
};

// A VARIANT that refers to another by reference (VT_BYREF | VT_VARIANT);
// the referred one must outlive it.
inline VARIANT RefTo(VARIANT& target) {
  VARIANT r;
  VariantInit(&r);
  r.vt = VT_BYREF | VT_VARIANT;
  r.pvarVal = &target;
  return r;
}

// An owned BSTR; null unless given a text.
struct Bstr {
  BSTR b = nullptr;
  Bstr() = default;
  explicit Bstr(std::u16string_view text) : b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* Receive() {
    SysFreeString(b);
    b = nullptr;
    return &b;
  }
  std::u16string Text() const { return b ? std::u16string(b, SysStringLen(b)) : std::u16string(); }
};

// Printable form of UTF-16 text for failure messages.
std::string Printable(std::u16string_view text);

// The thread's current error information, taken (and so cleared).
struct Raised {
  std::u16string description;
  std::u16string source;
  GUID iid{};
};
std::optional<Raised> TakeErrorInfo();
// Leaves a recognisable error information on the thread, to show that a
// failure without error information does not touch it.
void PlantSentinelErrorInfo();
bool SentinelErrorInfoStillThere();

// Expects hr to be the code and the thread's error information to carry the
// string-table text, the class's program identifier and the interface.
void ExpectRaised(HRESULT hr, HRESULT code, std::u16string_view text, std::u16string_view source, REFIID iid);

inline constexpr std::u16string_view kKeyNotUnique = u"ｷｰ文字列がｺﾚｸｼｮﾝ内でﾕﾆｰｸでありません";
inline constexpr std::u16string_view kIndexOutOfRange = u"範囲外のｲﾝﾃﾞｯｸｽです";
inline constexpr std::u16string_view kElementNotFound = u"指定された要素が見つかりません。";
inline constexpr std::u16string_view kKeyInvalid = u"ｷｰは無効または空白の状態です。";
inline constexpr std::u16string_view kKeyBelongsToOther = u"ｷｰが存在しますが、現在のｱｲﾃﾑのｷｰと異なります";
inline constexpr std::u16string_view kNoCollection = u"ｺﾚｸｼｮﾝ内にｵﾌﾞｼﾞｪｸﾄがありません";

inline constexpr HRESULT kInvalidArgument = static_cast<HRESULT>(0x800A0005);
inline constexpr HRESULT kInvalidPropertyValue = static_cast<HRESULT>(0x800A017C);

// A window stand-in that records the messages it receives.
class NotificationProbe {
 public:
  explicit NotificationProbe(UINT message = WM_APP + 7);
  ~NotificationProbe();
  NotificationProbe(const NotificationProbe&) = delete;
  NotificationProbe& operator=(const NotificationProbe&) = delete;

  HWND Window() const { return window_; }
  UINT Message() const { return message_; }
  int Count() const { return count_; }
  // Count since the last call.
  int TakeCount() { return std::exchange(count_, 0); }
  // Something to run inside the notification (to watch the order of events).
  std::vector<std::string>* log = nullptr;
  void Destroy();

 private:
  static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void* context);
  HWND window_ = nullptr;
  UINT message_;
  int count_ = 0;
};

// Every object counts towards the module lock: a test that ends with the
// count where it began released everything it made and nothing twice.
class DefinitionsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  LONG baseline_ = 0;
};

// A reference count as the object reports it.
inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

ComPtr<IDay> NewDay();
ComPtr<IDays> NewDays();
ComPtr<IHLDYStyle> NewStyle();
ComPtr<IHLDYStyles> NewStyles();

// Automation date and day number of a calendar date.
inline dovrel::engine::DayNumber DayOf(int year, int month, int day) {
  return dovrel::engine::DayNumberFromCivil(year, month, day).day;
}
inline double DateOf(int year, int month, int day) {
  return dovrel::engine::AutomationDateFromDayNumber(DayOf(year, month, day));
}

// Adds a Day through the interface and expects success.
ComPtr<IDay> AddDay(IDays* days, std::u16string_view key, double date, std::optional<double> date2 = std::nullopt,
                    LONG type = dvTypeHoliday, std::optional<std::u16string_view> name = std::nullopt);
ComPtr<IHLDYStyle> AddStyle(IHLDYStyles* styles, std::u16string_view key,
                            std::optional<std::u16string_view> name = std::nullopt);

std::u16string KeyOf(IDay* day);
std::u16string KeyOf(IHLDYStyle* style);
std::u16string NameOf(IHLDYStyle* style);
// The keys of a collection's members in order, read through the interface.
std::vector<std::u16string> KeysOf(IDays* days);
std::vector<std::u16string> KeysOf(IHLDYStyles* styles);

// The key index agrees with the members: every member with a key is found
// by it at its own position, and the index holds nothing else.
template <class Collection>
void ExpectIndexConsistent(const Collection& collection) {
  const auto& members = collection.Members();
  std::size_t keyed = 0;
  for (std::size_t p = 0; p < members.size(); ++p) {
    if (members[p]->Key().IsEmpty()) continue;
    ++keyed;
    const auto found = collection.Index().Find(members[p]->Key().View());
    ASSERT_TRUE(found) << "member " << p + 1 << " not in the index";
    EXPECT_EQ(*found, static_cast<LONG>(p)) << "member " << p + 1 << " indexed at the wrong position";
  }
  EXPECT_EQ(collection.Index().Size(), keyed);
}

// Enumeration arguments as hosts pass them, any 32-bit value. Converted,
// never stored and loaded as the enumeration type: a value outside it (3 or
// -1 for a dvDayTypeConst) is exactly what the tests pass.
template <class Enum>
Enum AsEnum(LONG value) {
  return static_cast<Enum>(value);
}

}  // namespace deftest

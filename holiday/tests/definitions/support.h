// What the definition objects' tests share: the error texts of the
// collections, notification targets that count, the module lock count that
// every object moves, dates by the calendar, and the objects made and filled
// through their interfaces. Owned values and the thread's error information
// come from the tests' common support.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "automation/notify_target.h"
#include "definitions/days.h"
#include "definitions/holiday_style.h"
#include "definitions/holiday_styles.h"
#include "dovrel60.h"
#include "engine/day_number.h"
#include "frame/com_object.h"
#include "frame/module_lock.h"
#include "tests/support/error_info.h"
#include "tests/support/text.h"
#include "tests/support/values.h"

namespace deftest {

using dovrel::ComPtr;
using dovrel::DVERR_ELEMENT_NOT_FOUND;
using dovrel::DVERR_INDEX_OUT_OF_RANGE;
using dovrel::DVERR_KEY_BELONGS_TO_OTHER;
using dovrel::DVERR_KEY_INVALID;
using dovrel::DVERR_KEY_NOT_UNIQUE;
using dovrel::DVERR_NO_COLLECTION;

using testsupport::Bstr;
using testsupport::ExpectRaised;
using testsupport::PlantSentinelErrorInfo;
using testsupport::Printable;
using testsupport::Raised;
using testsupport::RefTo;
using testsupport::SentinelErrorInfoStillThere;
using testsupport::TakeErrorInfo;
using testsupport::Var;

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

using testsupport::AsEnum;

}  // namespace deftest

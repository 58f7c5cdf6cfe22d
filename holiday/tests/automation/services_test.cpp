// Thread error information, notification targets, local time, the first day
// of the week, GUID texts.
#include <gtest/gtest.h>

#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "automation/notify_target.h"
#include "tests/automation/ordinary_com.h"
#include "tests/automation/test_support.h"

using testing_support::Narrow;

namespace {

IErrorInfo* MakeError(const char16_t* description) {
  ICreateErrorInfo* create = nullptr;
  EXPECT_EQ(CreateErrorInfo(&create), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(description));
  IErrorInfo* info = nullptr;
  create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
  create->Release();
  return info;
}

std::string DescriptionOf(IErrorInfo* info) {
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::string result = Narrow(text ? text : u"");
  SysFreeString(text);
  return result;
}

TEST(ErrorInfo, EachThreadHasItsOwnCurrentError) {
  IErrorInfo* mine = MakeError(u"main");
  ASSERT_EQ(SetErrorInfo(0, mine), S_OK);
  mine->Release();

  std::string seenByOther;
  HRESULT otherBefore = S_OK;
  std::thread other([&] {
    IErrorInfo* none = nullptr;
    otherBefore = GetErrorInfo(0, &none);
    IErrorInfo* own = MakeError(u"other");
    SetErrorInfo(0, own);
    own->Release();
    IErrorInfo* back = nullptr;
    GetErrorInfo(0, &back);
    seenByOther = DescriptionOf(back);
    back->Release();
  });
  other.join();
  EXPECT_EQ(otherBefore, S_FALSE) << "a new thread starts without error information";
  EXPECT_EQ(seenByOther, "other");

  IErrorInfo* back = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &back), S_OK);
  EXPECT_EQ(DescriptionOf(back), "main");
  back->Release();
  EXPECT_EQ(GetErrorInfo(0, &back), S_FALSE) << "taking the error information clears it";
  EXPECT_EQ(back, nullptr);
}

TEST(ErrorInfo, ReplacingReleasesThePreviousObjectAndFieldsReadBack) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  const GUID someIid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  create->SetGUID(someIid);
  create->SetSource(const_cast<LPOLESTR>(u"Qor.Test"));
  create->SetHelpContext(24000);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  create->Release();
  SetErrorInfo(0, info);
  ULONG afterSet = info->AddRef() - 1;
  info->Release();
  EXPECT_EQ(afterSet, 2u) << "the thread holds a reference";
  SetErrorInfo(0, nullptr);
  GUID guid{};
  info->GetGUID(&guid);
  EXPECT_TRUE(IsEqualGUID(guid, someIid));
  BSTR source = nullptr, file = nullptr;
  info->GetSource(&source);
  info->GetHelpFile(&file);
  EXPECT_EQ(Narrow(source), "Qor.Test");
  EXPECT_EQ(file, nullptr) << "never set";
  DWORD context = 0;
  info->GetHelpContext(&context);
  EXPECT_EQ(context, 24000u);
  SysFreeString(source);
  EXPECT_EQ(info->Release(), 0u) << "clearing released the thread's reference";
}

struct Received {
  int count = 0;
  UINT message = 0;
  WPARAM wParam = 1;
  LPARAM lParam = 1;
  HWND destroyInside = nullptr;
};

LRESULT CALLBACK Record(HWND, UINT msg, WPARAM wParam, LPARAM lParam, void* context) {
  auto* r = static_cast<Received*>(context);
  ++r->count;
  r->message = msg;
  r->wParam = wParam;
  r->lParam = lParam;
  if (r->destroyInside) DestroyNotificationTarget(r->destroyInside);
  return 7;
}

TEST(Notification, ReachesTheTargetBeforeSendReturnsAndSkipsDestroyedOnes) {
  Received received;
  HWND target = CreateNotificationTarget(Record, &received);
  ASSERT_NE(target, nullptr);
  EXPECT_TRUE(IsWindow(target));
  EXPECT_EQ(SendMessageW(target, WM_USER + 5, 0, 0), 7);
  EXPECT_EQ(received.count, 1);
  EXPECT_EQ(received.message, WM_USER + 5u);
  EXPECT_EQ(received.wParam, 0u);
  EXPECT_EQ(received.lParam, 0);

  sample::Notify(target, WM_USER + 6);
  EXPECT_EQ(received.count, 2);

  ASSERT_TRUE(DestroyNotificationTarget(target));
  EXPECT_FALSE(IsWindow(target));
  sample::Notify(target, WM_USER + 7);
  EXPECT_EQ(SendMessageW(target, WM_USER, 0, 0), 0);
  EXPECT_EQ(received.count, 2) << "a destroyed target gets nothing";
  EXPECT_FALSE(DestroyNotificationTarget(target));

  HWND next = CreateNotificationTarget(Record, &received);
  EXPECT_NE(next, target) << "handles are not reused";
  EXPECT_FALSE(IsWindow(nullptr));
  DestroyNotificationTarget(next);
}

TEST(Notification, ATargetMayDestroyItselfWhileHandlingAMessage) {
  Received received;
  HWND target = CreateNotificationTarget(Record, &received);
  received.destroyInside = target;
  EXPECT_EQ(SendMessageW(target, WM_USER, 0, 0), 7);
  EXPECT_FALSE(IsWindow(target));
}

TEST(LocalTime, IsTodayOnTheLocalClock) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  EXPECT_EQ(st.wYear, local.tm_year + 1900);
  EXPECT_EQ(st.wMonth, local.tm_mon + 1);
  EXPECT_EQ(st.wDayOfWeek, local.tm_wday);
  EXPECT_LE(st.wMilliseconds, 999);
}

// The first day of the week under a named LC_TIME locale, or -1 when the
// locale is not installed.
int FirstDayUnder(const char* locale) {
  locale_t probe = newlocale(LC_TIME_MASK, locale, nullptr);
  if (!probe) return -1;
  freelocale(probe);
  unsetenv("LC_ALL");
  setenv("LC_TIME", locale, 1);
  OLECHAR digit[4] = {0};
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, digit, 4);
  unsetenv("LC_TIME");
  return n == 2 ? digit[0] - u'0' : -2;
}

TEST(Locale, FirstDayOfWeekFollowsLcTime) {
  EXPECT_EQ(FirstDayUnder("C"), 6) << "C weeks start on Sunday";
  int checked = 0;
  for (const char* monday : {"de_DE.UTF-8", "en_GB.UTF-8", "fr_FR.UTF-8"}) {
    int day = FirstDayUnder(monday);
    if (day == -1) continue;
    EXPECT_EQ(day, 0) << monday << " weeks start on Monday";
    ++checked;
  }
  for (const char* sunday : {"ja_JP.UTF-8", "en_US.UTF-8"}) {
    int day = FirstDayUnder(sunday);
    if (day == -1) continue;
    EXPECT_EQ(day, 6) << sunday << " weeks start on Sunday";
    ++checked;
  }
  if (!checked) GTEST_SKIP() << "only the C locale is installed";
}

TEST(Locale, NumbersAndUnknownItems) {
  DWORD value = 99;
  unsetenv("LC_ALL");
  setenv("LC_TIME", "C", 1);
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<LPWSTR>(&value), 2),
            2);
  EXPECT_EQ(value, 6u);
  EXPECT_EQ(sample::FirstWeekday(), 1) << "Sunday in dvWeekdayConst numbering";
  OLECHAR buffer[8];
  EXPECT_EQ(GetLocaleInfoW(LOCALE_USER_DEFAULT, 0x0001, buffer, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
  unsetenv("LC_TIME");
}

TEST(Guid, RegistryFormRoundTrip) {
  OLECHAR text[39];
  ASSERT_EQ(StringFromGUID2(IID_IDispatch, text, 39), 39);
  EXPECT_EQ(Narrow(text), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(StringFromGUID2(IID_IDispatch, text, 38), 0);
  CLSID parsed;
  ASSERT_EQ(CLSIDFromString(u"{1cf2b120-547d-101b-8e65-08002b2bd119}", &parsed), S_OK);
  EXPECT_TRUE(IsEqualGUID(parsed, IID_IErrorInfo)) << "either case of hexadecimal digits";
  EXPECT_EQ(CLSIDFromString(u"{1CF2B120-547D-101B-8E65-08002B2BD11}", &parsed), CO_E_CLASSSTRING);
  EXPECT_EQ(IIDFromString(u"1CF2B120-547D-101B-8E65-08002B2BD119", &parsed), E_INVALIDARG);
  LPOLESTR allocated = nullptr;
  ASSERT_EQ(StringFromCLSID(IID_IStream, &allocated), S_OK);
  EXPECT_EQ(Narrow(allocated), "{0000000C-0000-0000-C000-000000000046}");
  CoTaskMemFree(allocated);
}

TEST(CodePage, AnsiIsCodePage932BothWays) {
  const char sjis[] = "\x94\xcd\x88\xcd\xb2\xdd";  // 範囲ｲﾝ
  OLECHAR wide[8];
  int n = MultiByteToWideChar(CP_ACP, 0, sjis, 6, wide, 8);
  ASSERT_EQ(n, 4);
  EXPECT_EQ(std::u16string(wide, 4), u"範囲ｲﾝ");
  char back[16];
  BOOL usedDefault = TRUE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 4, back, 16, nullptr, &usedDefault), 6);
  EXPECT_EQ(std::string(back, 6), std::string(sjis, 6));
  EXPECT_FALSE(usedDefault);
  // A character code page 932 lacks comes back as '?'.
  const OLECHAR hangul[] = {u'a', 0xAC00, u'b'};
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, hangul, 3, back, 16, nullptr, &usedDefault), 3);
  EXPECT_EQ(std::string(back, 3), "a?b");
  EXPECT_TRUE(usedDefault);
}

// UTF-8 is what file names, the registry file and the tests' own messages go
// through: every length of sequence both ways, and broken text kept with
// U+FFFD in place of what cannot be read, never cut short.
TEST(CodePage, Utf8BothWaysAndBrokenTextReplaced) {
  const struct {
    const char* what;
    std::u16string wide;
    std::string utf8;
    bool roundTrip;
  } cases[] = {
      {"ASCII", u"Qor.Test", "Qor.Test", true},
      {"two bytes", u"caf\u00E9", "caf\xC3\xA9", true},
      {"three bytes, half-width kana", u"範囲ｲﾝ", "\xE7\xAF\x84\xE5\x9B\xB2\xEF\xBD\xB2\xEF\xBE\x9D", true},
      {"a surrogate pair", u"a\U0001F600b", "a\xF0\x9F\x98\x80" "b", true},
      {"an unpaired high surrogate", std::u16string{u'a', char16_t(0xD800), u'b'}, "a\xEF\xBF\xBD" "b", false},
      {"an unpaired low surrogate", std::u16string{char16_t(0xDC00), u'b'}, "\xEF\xBF\xBD" "b", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int units = static_cast<int>(c.wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, c.wide.data(), units, nullptr, 0, nullptr, nullptr);
    ASSERT_EQ(bytes, static_cast<int>(c.utf8.size())) << "the size asked for first";
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, c.wide.data(), units, narrow.data(), bytes, nullptr, nullptr), bytes);
    EXPECT_EQ(narrow, c.utf8);
    if (!c.roundTrip) continue;
    OLECHAR wide[32];
    const int back = MultiByteToWideChar(CP_UTF8, 0, c.utf8.data(), static_cast<int>(c.utf8.size()), wide, 32);
    EXPECT_EQ(std::u16string(wide, static_cast<std::size_t>(std::max(back, 0))), c.wide);
  }
  // A byte that starts no sequence is replaced; the text after it is kept.
  OLECHAR wide[8];
  const int n = MultiByteToWideChar(CP_UTF8, 0, "a\xFF" "b", 3, wide, 8);
  EXPECT_EQ(std::u16string(wide, static_cast<std::size_t>(std::max(n, 0))), u"a\uFFFDb");
}

}  // namespace

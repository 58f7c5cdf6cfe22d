// RaiseError and the library's own resources: the texts of the string
// table, the source from the registry, the interface, the result codes.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dovrel60.h"
#include "frame/raise_error.h"
#include "tests/support/error_info.h"
#include "tests/support/registry.h"

namespace {

using namespace dovrel;

using testsupport::Raised;
using testsupport::RegisterProgId;
using testsupport::TakeErrorInfo;

// Each test with a registry file of its own and no error information left
// over from another.
class RaiseErrorTest : public ::testing::Test {
 protected:
  void SetUp() override { SetErrorInfo(0, nullptr); }
  void TearDown() override { SetErrorInfo(0, nullptr); }

 private:
  testsupport::TempRegistry registry_{"raise"};
};

struct Entry {
  UINT number;
  HRESULT code;
  const char16_t* text;
};

// The error texts of the string table, exactly.
const Entry kEntries[] = {
    {513, static_cast<HRESULT>(0x800A0201), u"ｷｰ文字列がｺﾚｸｼｮﾝ内でﾕﾆｰｸでありません"},
    {514, static_cast<HRESULT>(0x800A0202), u"範囲外のｲﾝﾃﾞｯｸｽです"},
    {515, static_cast<HRESULT>(0x800A0203), u"指定された要素が見つかりません。"},
    {516, static_cast<HRESULT>(0x800A0204), u"ｷｰは無効または空白の状態です。"},
    {517, static_cast<HRESULT>(0x800A0205), u"ｷｰが存在しますが、現在のｱｲﾃﾑのｷｰと異なります"},
    {518, static_cast<HRESULT>(0x800A0206), u"1000年より大きな期間を指定しました"},
    {519, static_cast<HRESULT>(0x800A0207), u"ｺﾚｸｼｮﾝ内にｵﾌﾞｼﾞｪｸﾄがありません"},
};

TEST_F(RaiseErrorTest, EveryEntryGivesItsTextSourceAndInterface) {
  RegisterProgId(CLSID_Days, DOVREL_PROGID_DAYS);
  for (const Entry& e : kEntries) {
    EXPECT_EQ(ErrorCodeOf(e.number), e.code);
    EXPECT_EQ(RaiseError(CLSID_Days, e.number, IID_IDays, e.code), e.code);
    auto raised = TakeErrorInfo();
    ASSERT_TRUE(raised) << e.number;
    EXPECT_TRUE(raised->description == e.text) << e.number;
    EXPECT_TRUE(raised->source == u"Qor.Dovrel_Days6.6") << e.number;
    EXPECT_TRUE(IsEqualGUID(raised->iid, IID_IDays)) << e.number;
    EXPECT_TRUE(raised->helpFile.empty()) << "no help file";
    EXPECT_EQ(raised->helpContext, 0u) << "no help context";
  }
}

TEST_F(RaiseErrorTest, AnUnregisteredClassLeavesTheSourceEmpty) {
  EXPECT_EQ(RaiseError(CLSID_dvDovrel, IDS_E_INDEX_OUT_OF_RANGE, IID_IDovrel, DVERR_INDEX_OUT_OF_RANGE),
            DVERR_INDEX_OUT_OF_RANGE);
  auto raised = TakeErrorInfo();
  ASSERT_TRUE(raised);
  EXPECT_TRUE(raised->source.empty());
  EXPECT_TRUE(raised->description == u"範囲外のｲﾝﾃﾞｯｸｽです");
  EXPECT_TRUE(IsEqualGUID(raised->iid, IID_IDovrel));
}

TEST_F(RaiseErrorTest, AMissingEntryIsUnknownErrorAndCodeZeroBecomesAnInterfaceCode) {
  EXPECT_EQ(RaiseError(CLSID_Days, 600, IID_IDays, 0), static_cast<HRESULT>(0x80040258));
  auto raised = TakeErrorInfo();
  ASSERT_TRUE(raised);
  EXPECT_TRUE(raised->description == u"Unknown Error");
}

TEST_F(RaiseErrorTest, ReplacesThePreviousErrorOfTheThreadOnly) {
  RegisterProgId(CLSID_HolidayStyles, DOVREL_PROGID_HOLIDAYSTYLES);
  RaiseError(CLSID_HolidayStyles, IDS_E_KEY_NOT_UNIQUE, IID_IHLDYStyles, DVERR_KEY_NOT_UNIQUE);
  std::optional<Raised> seenByOther;
  std::thread other([&] {
    RaiseError(CLSID_HolidayStyles, IDS_E_NO_COLLECTION, IID_IHLDYStyles, DVERR_NO_COLLECTION);
    seenByOther = TakeErrorInfo();
  });
  other.join();
  ASSERT_TRUE(seenByOther);
  EXPECT_TRUE(seenByOther->description == u"ｺﾚｸｼｮﾝ内にｵﾌﾞｼﾞｪｸﾄがありません");
  RaiseError(CLSID_HolidayStyles, IDS_E_ELEMENT_NOT_FOUND, IID_IHLDYStyles, DVERR_ELEMENT_NOT_FOUND);
  auto raised = TakeErrorInfo();
  ASSERT_TRUE(raised);
  EXPECT_TRUE(raised->description == u"指定された要素が見つかりません。") << "the later raise replaced the earlier";
  EXPECT_TRUE(raised->source == u"Qor.Dovrel_HLDYStyles6.6");
  EXPECT_FALSE(TakeErrorInfo()) << "taken once";
}

TEST(LibraryResources, StringHundredAndTheVersion) {
  static const int anchor = 0;
  HMODULE self = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&anchor), &self));
  char ansi[1024];
  ASSERT_EQ(LoadStringA(self, IDS_PRODUCT_NAME, ansi, sizeof ansi), 6);
  EXPECT_STREQ(ansi, "Dovrel");
  ASSERT_EQ(LoadStringA(self, IDS_E_INDEX_OUT_OF_RANGE, ansi, sizeof ansi), 19) << "code page 932 bytes";
  EXPECT_STREQ(ansi, "\x94\xcd\x88\xcd\x8a\x4f\x82\xcc\xb2\xdd\xc3\xde\xaf\xb8\xbd\x82\xc5\x82\xb7");
  EXPECT_EQ(LoadStringA(self, 520, ansi, sizeof ansi), 0);

  OLECHAR path[1024];
  ASSERT_GT(GetModuleFileNameW(self, path, 1024), 0u);
  DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), OLESTR("\\"), reinterpret_cast<LPVOID*>(&fixed), &length));
  char version[32];
  snprintf(version, sizeof version, "%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  EXPECT_STREQ(version, "6.0.2.3");
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00060000u);
  OLECHAR* product = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), OLESTR("\\StringFileInfo\\041104B0\\ProductName"),
                             reinterpret_cast<LPVOID*>(&product), &length));
  EXPECT_TRUE(std::u16string(product) == u"QOR Dovrel Object 6.0");
}

// The published identifiers, in registry form: they never change.
TEST(PublicHeader, IdentifiersAreFixedAndDistinct) {
  struct Known {
    const GUID* id;
    const char* text;
  } known[] = {
      {&LIBID_dvDovrel6Lib, "{E86176E6-719F-48BD-91CD-4CAE6C8DDBD9}"},
      {&CLSID_Day, "{876C5C5D-C327-4ED1-96C8-A8516AA28DAD}"},
      {&CLSID_Days, "{71CD6B99-2ADE-49AF-81D4-4137C2FCA7ED}"},
      {&CLSID_HolidayStyle, "{73580B4D-FD08-4DF2-A302-72686B3AF765}"},
      {&CLSID_HolidayStyles, "{76AF041F-7874-43BC-A5EA-EF66BCEB45A9}"},
      {&CLSID_dvDovrel, "{4E451F8E-7EFE-4EB8-BF93-D3876D228518}"},
      {&IID_IDay, "{13121EAD-42A0-431D-BA5B-9A7B36D0E009}"},
      {&IID_IDays, "{AFC03C59-E6D7-4BE6-B5EB-54BC98FC6389}"},
      {&IID_IHLDYStyle, "{C6D8C535-2A71-46B0-B6CE-D6B1DA5107BB}"},
      {&IID_IHLDYStyles, "{003EC647-056F-4007-8C99-3EA48CA3FEBC}"},
      {&IID_IDovrel, "{A9AA6D28-D76E-45E7-A322-9CA3DFE3CB3D}"},
      {&IID_IHLDYStyleApply, "{C540D04C-5903-4EFF-B7FE-D92CC8CA7479}"},
      {&IID_IHLDYStylesNotify, "{39EBFB87-A17A-4B3F-A9C5-DCA6A8596195}"},
  };
  for (const auto& k : known) {
    OLECHAR text[39];
    ASSERT_EQ(StringFromGUID2(*k.id, text, 39), 39);
    std::string narrow(text, text + 38);
    EXPECT_EQ(narrow, k.text);
    for (const auto& other : known) {
      if (&other != &k) {
        EXPECT_FALSE(IsEqualGUID(*k.id, *other.id)) << k.text;
      }
    }
  }
  EXPECT_EQ(dvAllWeeks, -1);
  EXPECT_EQ(dvValueNull, -1);
  EXPECT_EQ(dvSaturday, 7);
  EXPECT_EQ(dvNavNormal, 3);
  EXPECT_EQ(sizeof(dvWeekRestsConst), 4u) << "enumerations cross the interfaces as 32 bits";
}

}  // namespace

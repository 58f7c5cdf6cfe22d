#include "tests/support/error_info.h"

#include <gtest/gtest.h>

#include "tests/support/text.h"

namespace testsupport {
namespace {

constexpr GUID kSentinelGuid = {0x01020304, 0x0506, 0x0708, {1, 2, 3, 4, 5, 6, 7, 8}};

// A BSTR an [out] parameter handed over, as text; freed.
std::u16string TakeText(BSTR text) {
  std::u16string out = text ? std::u16string(text, SysStringLen(text)) : std::u16string();
  SysFreeString(text);
  return out;
}

}  // namespace

std::optional<Raised> TakeErrorInfo() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return std::nullopt;
  Raised raised;
  BSTR text = nullptr;
  info->GetDescription(&text);
  raised.description = TakeText(text);
  text = nullptr;
  info->GetSource(&text);
  raised.source = TakeText(text);
  text = nullptr;
  info->GetHelpFile(&text);
  raised.helpFile = TakeText(text);
  info->GetHelpContext(&raised.helpContext);
  info->GetGUID(&raised.iid);
  info->Release();
  return raised;
}

void PlantSentinelErrorInfo() {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  create->SetGUID(kSentinelGuid);
  create->SetDescription(const_cast<LPOLESTR>(OLESTR("sentinel")));
  IErrorInfo* info = nullptr;
  create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
  SetErrorInfo(0, info);
  info->Release();
  create->Release();
}

bool SentinelErrorInfoStillThere() {
  auto raised = TakeErrorInfo();
  return raised && raised->description == u"sentinel" && IsEqualGUID(raised->iid, kSentinelGuid);
}

void ExpectRaised(HRESULT hr, HRESULT code, std::u16string_view text, std::u16string_view source, REFIID iid) {
  EXPECT_EQ(hr, code);
  auto raised = TakeErrorInfo();
  ASSERT_TRUE(raised) << "no error information";
  EXPECT_EQ(Printable(raised->description), Printable(text));
  EXPECT_EQ(Printable(raised->source), Printable(source));
  EXPECT_TRUE(IsEqualGUID(raised->iid, iid)) << "the failing interface";
}

}  // namespace testsupport

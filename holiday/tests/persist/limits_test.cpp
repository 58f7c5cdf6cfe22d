// Counts and lengths that claim more than the stream holds. Memory follows
// the data that arrives, never the count: this program runs with an
// allocation limit under the sanitizers (see CMakeLists.txt), where one
// allocation sized from a damaged count would stop it.
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "tests/persist/persist_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define PERSIST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PERSIST_UNDER_ASAN 1
#endif
#endif

namespace persisttest {
namespace {

class PersistLimits : public DefinitionsTest {};

// A Days stream with one Day whose Name is nameUnits times the letter x,
// made up as it is read, so that a long Name costs the test no memory.
class LongNameStream final : public StreamStandIn {
 public:
  explicit LongNameStream(ULONG nameUnits) : units_(nameUnits) {
    head_ = StreamBytes().I32(kVersion).I32(1).I32(2451545).I32(kNoDate2).I16(0).Str(u"long").I32(nameUnits * 2 + 2);
  }
  ULONGLONG Size() const { return head_.size() + ULONGLONG{units_} * 2 + 2; }

  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    auto* out = static_cast<std::uint8_t*>(pv);
    ULONG n = 0;
    for (; n < cb && position_ < Size(); ++n, ++position_) {
      if (position_ < head_.size())
        out[n] = head_[position_];
      else if (position_ >= Size() - 2)
        out[n] = 0;  // the closing zero
      else
        out[n] = (position_ - head_.size()) % 2 == 0 ? 'x' : 0;
    }
    if (pcbRead) *pcbRead = n;
    return S_OK;
  }
  STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

 private:
  Bytes head_;
  ULONG units_;
  ULONGLONG position_ = 0;
};

struct ClaimCase {
  const char* what;
  Bytes bytes;
  bool styles;
};

TEST_F(PersistLimits, CountsAndLengthsBeyondTheDataEndTheLoadWithoutAllocatingThem) {
  const StreamBytes oneDay = StreamBytes().I32(2451545).I32(kNoDate2).I16(0).Str(u"A").NullStr();
  const StreamBytes style = StreamBytes().I32(0).I32(0).I32(0).I32(0).I16(0).Str(u"S").NullStr();
  const ClaimCase cases[] = {
      {"the largest count of Days", StreamBytes().I32(kVersion).I32(INT32_MAX).Raw(oneDay), false},
      {"the largest count of styles", StreamBytes().I32(kVersion).I32(INT32_MAX).Raw(style).I32(kVersion).I32(0), true},
      {"the largest count of a style's Days", StreamBytes().I32(kVersion).I32(1).Raw(style).I32(kVersion).I32(INT32_MAX),
       true},
      {"the largest key",
       StreamBytes().I32(kVersion).I32(1).I32(2451545).I32(kNoDate2).I16(0).I32(0x7FFFFFFE).Str(u"only this"), false},
      {"the largest style name", StreamBytes().I32(kVersion).I32(1).I32(0).I32(0).I32(0).I32(0).I16(0).Str(u"S").I32(
                                     0x7FFFFFFE),
       true},
  };
  for (const ClaimCase& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IUnknown> collection;
    if (c.styles)
      NewStyles()->QueryInterface(IID_IUnknown, collection.ReceiveVoid());
    else
      NewDays()->QueryInterface(IID_IUnknown, collection.ReceiveVoid());
    const Bytes before = Saved(collection.Get());
    EXPECT_EQ(LoadBytes(collection.Get(), c.bytes), STG_E_READFAULT);
    EXPECT_EQ(Hex(Saved(collection.Get())), Hex(before));
  }
}

// A long text that is really there loads whole, in pieces that stay below
// the allocation limit.
TEST_F(PersistLimits, ALongNameThatIsThereLoads) {
  constexpr ULONG kUnits = 3 * 1024 * 1024;  // 6 MiB of text
  LongNameStream stream(kUnits);
  ComPtr<IDays> days = NewDays();
  ASSERT_EQ(PersistOf(days.Get())->Load(&stream), S_OK);
  ComPtr<IDay> day;
  ASSERT_EQ(days->get_Item(Var::Str(u"long").v, day.Receive()), S_OK);
  Bstr name;
  ASSERT_EQ(day->get_Name(name.Receive()), S_OK);
  ASSERT_EQ(SysStringLen(name.b), kUnits);
  EXPECT_EQ(name.b[0], u'x');
  EXPECT_EQ(name.b[kUnits - 1], u'x');
}

#ifndef PERSIST_UNDER_ASAN
// The address space of the process this many bytes above what it uses now.
void LimitAddressSpaceTo(std::size_t moreBytes) {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  const rlim_t limit = pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + moreBytes;
  const rlimit rl{limit, limit};
  setrlimit(RLIMIT_AS, &rl);
}

// Memory that runs out while a stream is read: E_OUTOFMEMORY, and the
// collection as it was. In a child process whose address space is limited
// (the sanitizers reserve too much address space for such a limit).
TEST_F(PersistLimits, RunningOutOfMemoryLoadsNothing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ComPtr<IDays> days = NewDays();
        AddDay(days.Get(), u"Keep", DateOf(2030, 1, 1));
        const Bytes before = Saved(days.Get());
        LongNameStream stream(512u * 1024 * 1024);  // a GiB of text
        LimitAddressSpaceTo(64u * 1024 * 1024);
        const HRESULT hr = PersistOf(days.Get())->Load(&stream);
        const bool unchanged = Saved(days.Get()) == before;
        _exit(hr == E_OUTOFMEMORY && unchanged ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace persisttest

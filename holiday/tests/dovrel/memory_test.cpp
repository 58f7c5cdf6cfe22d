// Running out of memory: this program's operator new fails on request, so
// that every allocation the main object makes with it can be made to fail
// in turn. Creation then fails with E_OUTOFMEMORY and leaves nothing alive;
// a query fails with E_OUTOFMEMORY and leaves its out arguments alone; a
// UseStyles assignment fails and changes nothing; a classification that runs
// out keeps nothing of its half-made rules for the next query.
#include <cstdlib>
#include <new>

#include "dovrel/dv_dovrel.h"
#include "tests/dovrel/support.h"

namespace {
// Allocations left before the next one fails; negative: none fails.
thread_local long allocationsBeforeFailure = -1;
}  // namespace

void* operator new(std::size_t size) {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    throw std::bad_alloc();
  }
  if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// Every other form goes the same way, so that each allocation is a malloc
// and each release a free, whichever form made it (the sanitizer checks
// that they pair up).
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
// These are the replacements' own releases: malloc and free are their
// matching pair, which GCC cannot see.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace dovtest {
namespace {

// Runs attempt with the n-th allocation failing, n = 0, 1, ..., until an
// attempt makes no more than n allocations and so succeeds; each failing
// attempt is checked by failed. Returns the number of allocations made.
template <class Attempt, class Failed>
long EveryAllocationFailingInTurn(Attempt attempt, Failed failed) {
  for (long n = 0; n < 1000; ++n) {
    allocationsBeforeFailure = n;
    const HRESULT hr = attempt();
    const bool injected = allocationsBeforeFailure == -1;
    allocationsBeforeFailure = -1;
    if (!injected) {
      EXPECT_EQ(hr, S_OK) << "with every allocation granted";
      return n;
    }
    SCOPED_TRACE(::testing::Message() << "allocation " << n << " failed");
    failed(hr);
  }
  ADD_FAILURE() << "never succeeded";
  return -1;
}

class OutOfMemory : public DovrelTest {};

TEST_F(OutOfMemory, CreationFailsWithEOutOfMemoryAndLeavesNothingAlive) {
  const LONG locks = dovrel::ModuleLockCount();
  IDovrel* made = nullptr;
  const long allocations = EveryAllocationFailingInTurn(
      [&] { return dovrel::CreatedvDovrel(nullptr, IID_IDovrel, reinterpret_cast<void**>(&made)); },
      [&](HRESULT hr) {
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(made, nullptr);
        EXPECT_EQ(dovrel::ModuleLockCount(), locks) << "no object left alive";
      });
  EXPECT_GE(allocations, 2) << "the object and its HolidayStyles";
  ASSERT_NE(made, nullptr);
  made->Release();
}

TEST_F(OutOfMemory, AQueryFailsWithEOutOfMemoryAndWritesNothing) {
  ComPtr<IDovrel> dovrel = NewDovrel();
  BuildJapaneseStyleCalendar(dovrel.Get());
  Var array = Var::Str(u"kept");
  const BSTR text = array.v.bstrVal;
  SHORT listed = -7;
  EveryAllocationFailingInTurn(
      [&] {
        listed = -7;
        return dovrel->DatesInRange(Var::Day(Jdn(2024, 1, 1)).v, Var::Day(Jdn(2024, 12, 31)).v, &array.v,
                                    AsEnum<dvDateTypeConst>(dvHoliday), &listed);
      },
      [&](HRESULT hr) {
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(listed, -7);
        EXPECT_EQ(array.v.vt, VT_BSTR) << "Array left as it was";
      });
  EXPECT_EQ(listed, 25);
  // The successful attempt wrote its array over the text without releasing
  // it (an out argument's old content is the caller's): both are ours now.
  ASSERT_EQ(array.v.vt, VT_ARRAY | VT_VARIANT);
  SysFreeString(text);

  Var answer = Var::I4(5);
  EveryAllocationFailingInTurn(
      [&] {
        return dovrel->DaysFromNow(Var::Day(Jdn(2024, 1, 1)).v, 400, AsEnum<dvDateTypeExConst>(dvWorkdays), &answer.v);
      },
      [&](HRESULT hr) {
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(answer.v.vt, VT_I4);
      });
  EXPECT_EQ(answer.v.vt, VT_DATE);
}

TEST_F(OutOfMemory, AUseStylesAssignmentThatRunsOutChangesNothing) {
  ComPtr<IDovrel> dovrel = NewDovrel();
  BuildJapaneseStyleCalendar(dovrel.Get());
  ASSERT_EQ(SetUseStyles(dovrel.Get(), u"National"), S_OK);
  const std::int64_t companyHoliday = Jdn(2024, 12, 30);
  EveryAllocationFailingInTurn([&] { return SetUseStyles(dovrel.Get(), u"Company,{1},Company,National"); },
                               [&](HRESULT hr) {
                                 EXPECT_EQ(hr, E_OUTOFMEMORY);
                                 EXPECT_EQ(Printable(UseStylesOf(dovrel.Get())), "National");
                                 EXPECT_EQ(ValueTypeOf(dovrel.Get(), companyHoliday), 0) << "the list as it was";
                               });
  EXPECT_EQ(Printable(UseStylesOf(dovrel.Get())), "Company,{1},Company,National");
  EXPECT_EQ(ValueTypeOf(dovrel.Get(), companyHoliday), 1);
}

// A style's Override and its Days changed together: the query that runs out
// of memory while it prepares the new Days must not leave them recorded under
// the new Override, or the next query keeps the days prepared under the old
// one. Founding day 2026-06-14 is a Sunday: moved to Monday 06-15 while
// Override is dvOverrideNextDay, a plain working day once it is not.
TEST_F(OutOfMemory, AClassificationThatRunsOutKeepsNoDayPreparedUnderTheOldOverride) {
  const std::int64_t monday = Jdn(2026, 6, 15);
  for (long n = 0; n < 1000; ++n) {
    SCOPED_TRACE(::testing::Message() << "allocation " << n << " failed");
    ComPtr<IDovrel> dovrel = NewDovrel();
    SetWeekRests(dovrel.Get(), dvSunday, dvAllWeeks);
    ComPtr<IHLDYStyle> company = AddStyle(dovrel.Get(), u"Company", dvOverrideNextDay);
    AddDay(company.Get(), {u"Founding", dvTypeHoliday, Jdn(2026, 6, 14), {}});
    ASSERT_EQ(SetUseStyles(dovrel.Get(), u"Company"), S_OK);
    ASSERT_EQ(ValueTypeOf(dovrel.Get(), monday), 9) << "moved onto the Monday";
    ASSERT_EQ(company->put_Override(dvOverrideNone), S_OK);
    AddDay(company.Get(), {u"Summer", dvTypeHoliday, Jdn(2026, 8, 13), Jdn(2026, 8, 16)});

    dvValueTypeConst type{};
    allocationsBeforeFailure = n;
    const HRESULT hr = dovrel->get_ValueType(&type);
    const bool injected = allocationsBeforeFailure == -1;
    allocationsBeforeFailure = -1;
    if (injected) {
      EXPECT_EQ(hr, E_OUTOFMEMORY);
    }
    EXPECT_EQ(ValueTypeOf(dovrel.Get(), monday), 0) << "the Sunday's holiday no longer moves";
    EXPECT_EQ(ValueTypeOf(dovrel.Get(), Jdn(2026, 8, 13)), 1) << "the Day added with the change";
    if (!injected) {
      EXPECT_EQ(hr, S_OK);
      EXPECT_GE(n, 2) << "the copy of the rules and their preparation allocate";
      return;
    }
  }
  ADD_FAILURE() << "never succeeded";
}

}  // namespace
}  // namespace dovtest

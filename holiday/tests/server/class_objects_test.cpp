// The class objects of the five classes, the module lock count that hosts'
// references keep, and aggregation, through the library's entry points.
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "frame/com_object.h"
#include "frame/module_lock.h"
#include "tests/typelib/typelib_support.h"

namespace {

using namespace typelib_testing;
using dovrel::ComPtr;

ComPtr<IClassFactory> ClassObject(REFCLSID clsid) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, factory.ReceiveVoid()), S_OK);
  return factory;
}

class ClassObjects : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(DllCanUnloadNow(), S_OK) << "nothing of an earlier test is alive"; }
  void TearDown() override { EXPECT_EQ(DllCanUnloadNow(), S_OK) << "every object and class object was released"; }
};

TEST_F(ClassObjects, TheSameClassObjectEveryTime) {
  ComPtr<IClassFactory> first = ClassObject(CLSID_Days);
  ComPtr<IClassFactory> second = ClassObject(CLSID_Days);
  ASSERT_TRUE(first);
  EXPECT_EQ(first.Get(), second.Get());
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(DllGetClassObject(CLSID_Days, IID_IUnknown, unknown.ReceiveVoid()), S_OK);
  EXPECT_EQ(unknown.Get(), static_cast<IUnknown*>(first.Get()));
}

TEST_F(ClassObjects, WhatIsNotAClassOfTheLibraryOrNotAClassObjectsInterfaceIsRefused) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(IID_IDays, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(CLSID_Day, IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DllGetClassObject(CLSID_Day, IID_IClassFactory, nullptr), E_POINTER);
}

// The cache holds one reference; a host's reference, however many, holds
// exactly one module lock.
TEST_F(ClassObjects, AHeldClassObjectKeepsTheLibraryLoaded) {
  LONG before = dovrel::ModuleLockCount();
  IClassFactory* factory = nullptr;
  ASSERT_EQ(DllGetClassObject(CLSID_HolidayStyle, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  factory->AddRef();
  factory->AddRef();
  EXPECT_EQ(dovrel::ModuleLockCount(), before + 1);
  factory->Release();
  factory->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  factory->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  EXPECT_EQ(dovrel::ModuleLockCount(), before);
}

TEST_F(ClassObjects, LockServerCountsAndUnlocks) {
  {
    ComPtr<IClassFactory> factory = ClassObject(CLSID_Day);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "locked twice, class object released";
  ComPtr<IClassFactory> factory = ClassObject(CLSID_Day);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  factory = ComPtr<IClassFactory>();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ClassObjects, ObjectsCountUntilTheyAreReleased) {
  ComPtr<IDay> day;
  {
    ComPtr<IClassFactory> factory = ClassObject(CLSID_Day);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDay, day.ReceiveVoid()), S_OK);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(day->QueryInterface(IID_ISupportErrorInfo, support.ReceiveVoid()), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDay), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
  support = ComPtr<ISupportErrorInfo>();
  day = ComPtr<IDay>();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

// A minimal outer object: it holds the inner object's own IUnknown.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }
  IUnknown* inner = nullptr;
  ULONG refs = 1;
};

struct ClassCase {
  const char* name;
  const CLSID* clsid;
  const IID* iid;
};

const ClassCase kClasses[] = {
    {"Day", &CLSID_Day, &IID_IDay},
    {"Days", &CLSID_Days, &IID_IDays},
    {"HolidayStyle", &CLSID_HolidayStyle, &IID_IHLDYStyle},
    {"HolidayStyles", &CLSID_HolidayStyles, &IID_IHLDYStyles},
    {"dvDovrel", &CLSID_dvDovrel, &IID_IDovrel},
};

TEST_F(ClassObjects, EveryClassFollowsTheAggregationRules) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    ComPtr<IClassFactory> factory = ClassObject(*c.clsid);
    Outer outer;
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, *c.iid, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, *c.iid, nullptr), E_POINTER);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    // Through the aggregate: the outer object is the identity.
    ComPtr<IUnknown> viaOuter;
    ASSERT_EQ(outer.QueryInterface(*c.iid, viaOuter.ReceiveVoid()), S_OK);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(viaOuter->QueryInterface(IID_IUnknown, identity.ReceiveVoid()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    identity = ComPtr<IUnknown>();
    viaOuter = ComPtr<IUnknown>();
    EXPECT_EQ(outer.refs, 1u);
    outer.inner->Release();
    // A plain instance answers its class's interface.
    ComPtr<IUnknown> plain;
    ASSERT_EQ(factory->CreateInstance(nullptr, *c.iid, plain.ReceiveVoid()), S_OK);
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(plain->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()), S_OK);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
  }
}

// The main object is made with its own HolidayStyles, which lives as long as
// the host holds either of them.
TEST_F(ClassObjects, TheMainObjectIsMadeWithItsOwnHolidayStyles) {
  ComPtr<IClassFactory> factory = ClassObject(CLSID_dvDovrel);
  ASSERT_TRUE(factory);
  ComPtr<IDovrel> dovrel;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDovrel, dovrel.ReceiveVoid()), S_OK);
  ComPtr<IHLDYStyles> styles;
  ASSERT_EQ(dovrel->get_HolidayStyles(styles.Receive()), S_OK);
  ASSERT_TRUE(styles);
  LONG count = -1;
  EXPECT_EQ(styles->get_Count(&count), S_OK);
  EXPECT_EQ(count, 0);
  dovrel = ComPtr<IDovrel>();
  factory = ComPtr<IClassFactory>();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE) << "the collection the host still holds";
  styles = ComPtr<IHLDYStyles>();
}

TEST_F(ClassObjects, ThreadsAskingAtOnceGetOneClassObject) {
  // Run alone (as ctest runs each case), the first request is one of these.
  std::vector<IClassFactory*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i)
    threads.emplace_back([&, i] {
      DllGetClassObject(CLSID_HolidayStyles, IID_IClassFactory, reinterpret_cast<void**>(&seen[i]));
    });
  for (auto& t : threads) t.join();
  std::set<IClassFactory*> distinct(seen.begin(), seen.end());
  EXPECT_EQ(distinct.size(), 1u);
  EXPECT_NE(*distinct.begin(), nullptr);
  for (IClassFactory* f : seen)
    if (f) f->Release();
}

}  // namespace

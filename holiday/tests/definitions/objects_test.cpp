// What all four classes share: identity and interfaces, error information
// support, the module lock, and creation alone or inside an aggregate.
#include "tests/definitions/support.h"

namespace deftest {
namespace {

using CreateFunction = HRESULT (*)(IUnknown*, REFIID, void**);

struct ClassCase {
  const char* name;
  CreateFunction create;
  const IID* iid;
  LONG objects;  // module locks one instance holds (a style holds its Days)
};

const ClassCase kClasses[] = {
    {"Day", dovrel::CreateDay, &IID_IDay, 1},
    {"Days", dovrel::CreateDays, &IID_IDays, 1},
    {"HolidayStyle", dovrel::CreateHolidayStyle, &IID_IHLDYStyle, 2},
    {"HolidayStyles", dovrel::CreateHolidayStyles, &IID_IHLDYStyles, 1},
};

class ObjectsTest : public DefinitionsTest, public ::testing::WithParamInterface<ClassCase> {};

// A host object that aggregates one of ours: it holds the inner unknown and
// hands out the inner interfaces as its own.
class Outer final : public IUnknown {
 public:
  explicit Outer(CreateFunction create) { created = create(this, IID_IUnknown, reinterpret_cast<void**>(&inner)); }
  ~Outer() {
    if (inner) inner->Release();
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs;
    if (left == 0) delete this;
    return left;
  }
  HRESULT created = E_FAIL;
  IUnknown* inner = nullptr;
  ULONG refs = 1;
};

TEST_P(ObjectsTest, StandingAloneItHasOneIdentityAndItsInterfaces) {
  const ClassCase& c = GetParam();
  const LONG before = dovrel::ModuleLockCount();
  IUnknown* object = nullptr;
  ASSERT_EQ(c.create(nullptr, *c.iid, reinterpret_cast<void**>(&object)), S_OK);
  EXPECT_EQ(dovrel::ModuleLockCount(), before + c.objects) << "every object holds the module";
  EXPECT_EQ(RefCount(object), 1u);

  IUnknown* identity = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  EXPECT_EQ(static_cast<void*>(dispatch), static_cast<void*>(object)) << "IDispatch is the dual interface";
  ISupportErrorInfo* support = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)), S_OK);
  IUnknown* again = nullptr;
  support->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again));
  EXPECT_EQ(again, identity) << "one identity whatever interface is asked";
  again->Release();
  EXPECT_EQ(RefCount(object), 4u) << "one reference for each interface handed out";

  EXPECT_EQ(support->InterfaceSupportsErrorInfo(*c.iid), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDovrel), S_FALSE);

  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(object->QueryInterface(IID_IDovrel, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(object->QueryInterface(IID_IDay, nullptr), E_POINTER);

  support->Release();
  dispatch->Release();
  identity->Release();
  EXPECT_EQ(object->Release(), 0u);
  EXPECT_EQ(dovrel::ModuleLockCount(), before) << "and lets go of it when it is destroyed";
}

TEST_P(ObjectsTest, CreationRefusesWhatTheClassObjectMustRefuse) {
  const ClassCase& c = GetParam();
  EXPECT_EQ(c.create(nullptr, *c.iid, nullptr), E_POINTER);
  Outer* outer = new Outer(c.create);  // aggregating works only through IID_IUnknown
  void* result = reinterpret_cast<void*>(1);
  EXPECT_EQ(c.create(outer, *c.iid, &result), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(c.create(nullptr, IID_IClassFactory, &result), E_NOINTERFACE) << "an interface it lacks";
  EXPECT_EQ(result, nullptr);
  outer->Release();
}

TEST_P(ObjectsTest, InsideAnAggregateTheOuterObjectOwnsIdentityAndLifetime) {
  const ClassCase& c = GetParam();
  const LONG before = dovrel::ModuleLockCount();
  Outer* outer = new Outer(c.create);
  ASSERT_EQ(outer->created, S_OK);
  ASSERT_NE(outer->inner, nullptr);
  EXPECT_EQ(dovrel::ModuleLockCount(), before + c.objects);

  // The inner unknown is not the outer identity, and answers as itself.
  IUnknown* innerAgain = nullptr;
  ASSERT_EQ(outer->inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&innerAgain)), S_OK);
  EXPECT_EQ(innerAgain, outer->inner);
  EXPECT_EQ(innerAgain->Release(), 1u) << "the inner unknown counts for itself";

  // An interface asked through the outer object counts on the outer object,
  // and its IUnknown leads back to the outer identity.
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(outer->QueryInterface(*c.iid, reinterpret_cast<void**>(&dispatch)), S_OK);
  EXPECT_EQ(outer->refs, 2u);
  EXPECT_EQ(dispatch->AddRef(), 3u);
  EXPECT_EQ(dispatch->Release(), 2u);
  IUnknown* identity = nullptr;
  ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(outer));
  identity->Release();
  ISupportErrorInfo* support = nullptr;
  ASSERT_EQ(dispatch->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(*c.iid), S_OK);
  support->Release();
  dispatch->Release();
  EXPECT_EQ(outer->refs, 1u);

  outer->Release();  // releases the inner object with it
  EXPECT_EQ(dovrel::ModuleLockCount(), before);
}

INSTANTIATE_TEST_SUITE_P(EveryClass, ObjectsTest, ::testing::ValuesIn(kClasses),
                         [](const ::testing::TestParamInfo<ClassCase>& info) { return std::string(info.param.name); });

TEST(ObjectsInternal, TheInternalInterfacesAnswerOnTheirObjectsOnly) {
  ComPtr<IHLDYStyle> style = NewStyle();
  ComPtr<IHLDYStyles> styles = NewStyles();
  ComPtr<IHLDYStyleApply> apply;
  EXPECT_EQ(style->QueryInterface(IID_IHLDYStyleApply, apply.ReceiveVoid()), S_OK);
  ComPtr<IHLDYStylesNotify> notify;
  EXPECT_EQ(styles->QueryInterface(IID_IHLDYStylesNotify, notify.ReceiveVoid()), S_OK);
  ComPtr<IUnknown> none;
  EXPECT_EQ(styles->QueryInterface(IID_IHLDYStyleApply, none.ReceiveVoid()), E_NOINTERFACE);
  EXPECT_EQ(style->QueryInterface(IID_IHLDYStylesNotify, none.ReceiveVoid()), E_NOINTERFACE);
  // Our own objects are found behind their interfaces; nothing else is.
  EXPECT_NE(dovrel::HolidayStyle::FromInterface(apply.Get()), nullptr);
  EXPECT_EQ(dovrel::HolidayStyle::FromInterface(styles.Get()), nullptr);
  EXPECT_EQ(dovrel::Days::FromInterface(style.Get()), nullptr);
}

}  // namespace
}  // namespace deftest

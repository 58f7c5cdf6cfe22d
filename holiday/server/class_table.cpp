#include "server/class_table.h"

#include <new>

#include "dovrel60.h"
#include "frame/critical_section.h"
#include "frame/module_lock.h"
#include "resources/resource.h"

namespace dovrel {
namespace {

// A class object. The cache holds one reference; a host that holds it too
// keeps the library loaded: the count going from 1 to 2 takes a module
// lock, and going back from 2 to 1 gives it back.
class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateInstanceFunction create) : create_(create) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
      *ppv = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    Entered guard(countSection_);
    if (++refs_ == 2) LockModule();
    return refs_;
  }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left;
    {
      Entered guard(countSection_);
      left = --refs_;
      if (left == 1) UnlockModule();
    }
    if (left == 0) delete this;
    return left;
  }

  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    // The class's own routine says the same; asked here as well so that the
    // rule holds for every class of the table.
    if (pUnkOuter && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return create_(pUnkOuter, riid, ppvObject);
  }
  STDMETHODIMP LockServer(BOOL fLock) override {
    if (fLock)
      LockModule();
    else
      UnlockModule();
    return S_OK;
  }

 private:
  CreateInstanceFunction create_;
  CriticalSection countSection_;  // the class object's own, for its count
  ULONG refs_ = 1;
};

struct Slot {
  const CLSID* clsid;
  UINT script;
};

constexpr Slot kSlots[] = {
    {&CLSID_Day, IDR_REGISTRY_DAY},
    {&CLSID_Days, IDR_REGISTRY_DAYS},
    {&CLSID_HolidayStyle, IDR_REGISTRY_HOLIDAYSTYLE},
    {&CLSID_HolidayStyles, IDR_REGISTRY_HOLIDAYSTYLES},
    {&CLSID_dvDovrel, IDR_REGISTRY_DOVREL},
};
constexpr UINT kClassCount = sizeof kSlots / sizeof kSlots[0];

// The table and the cached class objects: module state, guarded by the
// class-object critical section.
struct ClassState {
  ClassEntry entries[kClassCount];
  IClassFactory* cached[kClassCount] = {};
  CriticalSection classObjectSection;

  ClassState() {
    for (UINT i = 0; i < kClassCount; ++i) entries[i] = {kSlots[i].clsid, kSlots[i].script, CreatorOf(i)};
  }
};

ClassState& State() {
  static ClassState state;
  return state;
}

}  // namespace

const ClassEntry* ClassTable() { return State().entries; }
UINT ClassCount() { return kClassCount; }

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  ClassState& state = State();
  for (UINT i = 0; i < kClassCount; ++i) {
    if (!IsEqualGUID(*state.entries[i].clsid, clsid)) continue;
    IClassFactory* factory;
    {
      Entered guard(state.classObjectSection);
      if (!state.cached[i]) state.cached[i] = new (std::nothrow) ClassFactory(state.entries[i].create);
      factory = state.cached[i];
      if (!factory) return E_OUTOFMEMORY;
      // Held while the lock is released, so that ReleaseClassObjects
      // cannot take it away under us.
      factory->AddRef();
    }
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

void ReleaseClassObjects() {
  ClassState& state = State();
  IClassFactory* cached[kClassCount];
  {
    Entered guard(state.classObjectSection);
    for (UINT i = 0; i < kClassCount; ++i) {
      cached[i] = state.cached[i];
      state.cached[i] = nullptr;
    }
  }
  for (IClassFactory* factory : cached)
    if (factory) factory->Release();
}

}  // namespace dovrel

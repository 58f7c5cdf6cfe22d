#include "server/class_table.h"

#include <new>

#include "definitions/day.h"
#include "definitions/days.h"
#include "definitions/holiday_style.h"
#include "definitions/holiday_styles.h"
#include "dovrel/dv_dovrel.h"
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

// Each class with its registration script and its creation routine, in one
// row: the order of registration and of the class-object search.
constexpr ClassEntry kClasses[] = {
    {&CLSID_Day, IDR_REGISTRY_DAY, CreateDay},
    {&CLSID_Days, IDR_REGISTRY_DAYS, CreateDays},
    {&CLSID_HolidayStyle, IDR_REGISTRY_HOLIDAYSTYLE, CreateHolidayStyle},
    {&CLSID_HolidayStyles, IDR_REGISTRY_HOLIDAYSTYLES, CreateHolidayStyles},
    {&CLSID_dvDovrel, IDR_REGISTRY_DOVREL, CreatedvDovrel},
};
constexpr UINT kClassCount = sizeof kClasses / sizeof kClasses[0];

// The cached class objects: module state, guarded by the class-object
// critical section.
struct ClassObjectCache {
  IClassFactory* cached[kClassCount] = {};
  CriticalSection section;
};

ClassObjectCache& Cache() {
  static ClassObjectCache cache;
  return cache;
}

}  // namespace

std::span<const ClassEntry> ClassTable() { return kClasses; }

void PrepareClassObjects() { Cache(); }

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  ClassObjectCache& cache = Cache();
  for (UINT i = 0; i < kClassCount; ++i) {
    if (!IsEqualGUID(*kClasses[i].clsid, clsid)) continue;
    IClassFactory* factory;
    {
      Entered guard(cache.section);
      if (!cache.cached[i]) cache.cached[i] = new (std::nothrow) ClassFactory(kClasses[i].create);
      factory = cache.cached[i];
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
  ClassObjectCache& cache = Cache();
  IClassFactory* cached[kClassCount];
  {
    Entered guard(cache.section);
    for (UINT i = 0; i < kClassCount; ++i) {
      cached[i] = cache.cached[i];
      cache.cached[i] = nullptr;
    }
  }
  for (IClassFactory* factory : cached)
    if (factory) factory->Release();
}

}  // namespace dovrel

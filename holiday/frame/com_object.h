// The machinery every dovrel60 object shares: reference counting, the module
// lock, aggregation, the dual interface's IDispatch and ISupportErrorInfo.
//
// An object class derives from ComObject<...> with the interfaces it
// implements, answers FindInterface for them, and is created through
// CreateComObject (for hosts and class objects) or CreateOwnedObject (for the
// library's own use):
//
//   class Day final : public ComObject<DualInterface<IDay, IID_IDay>,
//                                      SupportsErrorInfoFor<IID_IDay>> {
//    public:
//     explicit Day(IUnknown* outer) : ComObject(outer) {}
//    protected:
//     IUnknown* FindInterface(REFIID riid) override {
//       if (riid == IID_IDay || riid == IID_IDispatch) return static_cast<IDay*>(this);
//       if (riid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
//       return nullptr;
//     }
//   };
//   HRESULT CreateDay(IUnknown* outer, REFIID riid, void** ppv) {
//     return CreateComObject<Day>(outer, riid, ppv);
//   }
//
// Aggregation. Every object has two IUnknowns: its own, non-delegating one
// (the inner unknown, which counts references and answers for the object's
// interfaces), and the IUnknown methods of its interfaces, which delegate to
// the controlling unknown. Standing alone, the controlling unknown is the
// inner one; inside an aggregate it is the outer object's, so that identity
// and lifetime belong to the aggregate. An outer object holds the inner
// unknown, which is why it may only ask for IID_IUnknown at creation.
//
// Objects live in a single-threaded apartment: their reference counts are
// plain integers. Only the module lock count is shared across threads.
#pragma once

#include <new>
#include <utility>

#include "automation/com.h"
#include "frame/dispatch.h"
#include "frame/module_lock.h"

namespace dovrel {

class ComObjectRoot {
 public:
  ComObjectRoot(const ComObjectRoot&) = delete;
  ComObjectRoot& operator=(const ComObjectRoot&) = delete;

  // The object's own IUnknown: its identity when it stands alone, and what an
  // aggregating outer object holds and asks for the inner interfaces.
  IUnknown* NonDelegatingUnknown() { return &inner_; }
  // Where the IUnknown methods of every interface of the object go.
  IUnknown* ControllingUnknown() const { return controlling_; }
  bool IsAggregated() const { return controlling_ != &inner_; }

  // Second phase of construction, for work that can fail (creating owned
  // objects): a failure destroys the object and is what creation returns.
  // Runs with one reference held by the creator.
  virtual HRESULT FinalConstruct() { return S_OK; }

 protected:
  explicit ComObjectRoot(IUnknown* outer) : inner_(this), controlling_(outer ? outer : &inner_) {}
  virtual ~ComObjectRoot() = default;

  // The object's interface pointer for riid, without a reference added, or
  // nullptr when it does not implement riid. IID_IUnknown never reaches it.
  virtual IUnknown* FindInterface(REFIID riid) = 0;

 private:
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(ComObjectRoot* owner) : owner_(owner) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
      if (!ppv) return E_POINTER;
      if (IsEqualGUID(riid, IID_IUnknown)) {
        *ppv = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
      }
      IUnknown* found = owner_->FindInterface(riid);
      if (!found) {
        *ppv = nullptr;
        return E_NOINTERFACE;
      }
      // Through the interface itself, so that inside an aggregate the
      // reference is counted by the outer object that will receive Release.
      found->AddRef();
      *ppv = found;
      return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
      ULONG left = --refs_;
      if (left == 0) {
        // Held at one while the destructor runs, so that an object that
        // briefly takes and drops a reference to itself there is not
        // destroyed twice.
        refs_ = 1;
        delete owner_;
      }
      return left;
    }

   private:
    ComObjectRoot* owner_;
    ULONG refs_ = 0;
  };

  InnerUnknown inner_;
  IUnknown* controlling_;
  ModuleLock moduleLock_;
};

// An object class: the interfaces it implements, whose IUnknown methods all
// delegate to the controlling unknown, plus the root. The first interface
// comes first in the object, so that it shares the object's address: a host's
// call through it reaches the member directly, where an interface further in
// goes through a stub that moves the object pointer first (and, for VARIANTs
// passed by value, copies them again before the member reads them).
template <class... Interfaces>
class ComObject : public Interfaces..., public ComObjectRoot {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return ControllingUnknown()->QueryInterface(riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ControllingUnknown()->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return ControllingUnknown()->Release(); }

 protected:
  explicit ComObject(IUnknown* outer) : ComObjectRoot(outer) {}
};

// A dual interface: the vtable members are the object's own; the four
// IDispatch members go to the library's one IDispatch (dispatch.h), which
// drives the vtable from the type library's description of Iid.
template <class Interface, const IID& Iid>
class DualInterface : public Interface {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override { return DispatchGetTypeInfoCount(pctinfo); }
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override {
    return DispatchGetTypeInfo(Iid, iTInfo, lcid, ppTInfo);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override {
    return DispatchGetIDsOfNames(Iid, riid, rgszNames, cNames, lcid, rgDispId);
  }
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
    return DispatchInvoke(Iid, static_cast<Interface*>(this), dispIdMember, riid, lcid, wFlags, pDispParams,
                          pVarResult, pExcepInfo, puArgErr);
  }
};

// Error information is promised for the object's own automation interface
// only: hosts ask before they read the thread's error information.
template <const IID& Iid>
class SupportsErrorInfoFor : public ISupportErrorInfo {
 public:
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return IsEqualGUID(riid, Iid) ? S_OK : S_FALSE;
  }
};

// Creation for hosts and class objects, with the class object's rules: out
// null -> E_POINTER; an outer unknown may only ask for IID_IUnknown
// (CLASS_E_NOAGGREGATION otherwise); no memory -> E_OUTOFMEMORY; a failing
// FinalConstruct returns its failure; the new object is asked for riid and
// destroyed again if it does not answer.
template <class T, class... Args>
HRESULT CreateComObject(IUnknown* outer, REFIID riid, void** ppv, Args&&... args) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  T* object = nullptr;
  try {
    object = new T(outer, std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  IUnknown* inner = object->NonDelegatingUnknown();
  inner->AddRef();
  HRESULT hr = object->FinalConstruct();
  if (SUCCEEDED(hr)) hr = inner->QueryInterface(riid, ppv);
  inner->Release();  // destroys the object when either step failed
  return hr;
}

// Creation for the library's own use: a stand-alone object and its class
// pointer, with one reference that the caller releases through Release().
template <class T, class... Args>
HRESULT CreateOwnedObject(T** out, Args&&... args) {
  if (!out) return E_POINTER;
  *out = nullptr;
  T* object = nullptr;
  try {
    object = new T(nullptr, std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  object->NonDelegatingUnknown()->AddRef();
  HRESULT hr = object->FinalConstruct();
  if (FAILED(hr)) {
    object->NonDelegatingUnknown()->Release();
    return hr;
  }
  *out = object;
  return S_OK;
}

// The object of class T behind an interface pointer, when it is one of the
// library's own: such a class answers an identifier that only it knows,
// privateIid, with its Interface. nullptr for a null pointer and for any
// other implementation of the same interface, which a host may pass where
// ours is expected. The pointer is the caller's; no reference is kept.
template <class T, class Interface>
T* ObjectBehind(IUnknown* object, REFIID privateIid) {
  if (!object) return nullptr;
  Interface* found = nullptr;
  if (FAILED(object->QueryInterface(privateIid, reinterpret_cast<void**>(&found))) || !found) return nullptr;
  found->Release();
  return static_cast<T*>(found);
}

// An owned interface reference: released when it goes, so that early returns
// cannot leak.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  // Adds a reference of its own.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() {
    if (p_) p_->Release();
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out arguments: releases what it held first.
  T** Receive() {
    *this = ComPtr();
    return &p_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

}  // namespace dovrel

// Days: the ordered, keyed collection of Day objects that every
// HolidayStyle owns (and that a host may also create on its own).
#pragma once

#include "definitions/day.h"
#include "definitions/keyed_members.h"
#include "definitions/persist.h"
#include "frame/com_object.h"

namespace dovrel {

class Days final : public ComObject<DualInterface<IDays, IID_IDays>, SupportsErrorInfoFor<IID_IDays>,
                                    PersistStreamOf<Days, CLSID_Days>> {
 public:
  explicit Days(IUnknown* outer) : ComObject(outer) {}

  // Our Days behind an interface pointer, or nullptr; no reference added.
  static Days* FromInterface(IUnknown* object);

  // IDays
  STDMETHODIMP get__NewEnum(IUnknown** pVal) override;
  STDMETHODIMP get_Count(LONG* pVal) override;
  STDMETHODIMP get_Item(VARIANT Index, IDay** pVal) override;
  STDMETHODIMP Add(BSTR Key, VARIANT Name, VARIANT Date, VARIANT Date2, dvDayTypeConst Type, IDay** pVal) override;
  STDMETHODIMP Clear() override;
  STDMETHODIMP Remove(VARIANT Index) override;
  STDMETHODIMP _ReplaceKey(LONG nIndex, BSTR szKey) override;

  // Internal operations of the library.
  IDispatch* AsDispatch() { return static_cast<IDays*>(this); }

  // Stores the change-notification target and passes it on to every member.
  void SetNotify(HWND window, UINT message);

  // Makes this collection a copy of source's definitions, as a style does
  // when it takes over another style's Days: Clear (which notifies this
  // collection's target), then a new Day for every Day of source, in order,
  // with its Name, Key, Date, Date2 and Type, keys entered in the index,
  // without checks and without Day notifications. The copies notify this
  // collection's target when they change later, like every other member.
  // Out of memory changes nothing and returns 0x800A0007.
  HRESULT CopyFrom(const Days& source);

  // The members in order, for the styles' marking and lookup.
  const std::vector<Day*>& Members() const { return members_.All(); }
  const KeyIndex& Index() const { return members_.Index(); }

  // For the persisted form: the version field, and appending Days whose
  // fields were read (no checks, no notification, no target), all of them or
  // (out of memory) none; a key, when not empty, takes over an index entry
  // of the same key. The collection adds a reference of its own to each.
  LONG& Version() { return version_; }
  HRESULT AppendLoaded(const std::vector<Day*>& loaded);

 protected:
  IUnknown* FindInterface(REFIID riid) override;

 private:
  static const ErrorSource kErrors;

  KeyedMembers<Day> members_;
  LONG version_ = 0x00010000;
  ChangeNotification notification_;
};

HRESULT CreateDays(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace dovrel

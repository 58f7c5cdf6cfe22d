// HolidayStyles: the ordered, keyed collection of styles. The main object
// owns one and selects the styles in use by key or position; the collection
// tells it when its membership changes.
#pragma once

#include <optional>

#include "definitions/holiday_style.h"
#include "definitions/internal_interfaces.h"
#include "definitions/keyed_members.h"
#include "definitions/persist.h"
#include "engine/use_styles.h"
#include "frame/com_object.h"

namespace dovrel {

class HolidayStyles final
    : public ComObject<DualInterface<IHLDYStyles, IID_IHLDYStyles>, SupportsErrorInfoFor<IID_IHLDYStyles>,
                       IHLDYStylesNotify, PersistStreamOf<HolidayStyles, CLSID_HolidayStyles>> {
 public:
  explicit HolidayStyles(IUnknown* outer) : ComObject(outer) {}
  ~HolidayStyles() override;

  // Our HolidayStyles behind an interface pointer, or nullptr; no reference
  // added.
  static HolidayStyles* FromInterface(IUnknown* object);

  // IHLDYStyles
  STDMETHODIMP get__NewEnum(IUnknown** pVal) override;
  STDMETHODIMP get_Count(LONG* pVal) override;
  STDMETHODIMP get_Item(VARIANT Index, IHLDYStyle** pVal) override;
  STDMETHODIMP put_Item(VARIANT Index, IHLDYStyle* newVal) override;
  STDMETHODIMP putref_Item(VARIANT Index, IHLDYStyle* newVal) override;
  STDMETHODIMP Add(VARIANT Index, BSTR Key, VARIANT Name, IHLDYStyle** pVal) override;
  STDMETHODIMP Clear() override;
  STDMETHODIMP Remove(VARIANT Index) override;
  STDMETHODIMP AddObj(VARIANT Index, BSTR Key, IHLDYStyle* Obj, IHLDYStyle** pVal) override;
  STDMETHODIMP _ReplaceKey(LONG nIndex, BSTR szKey) override;

  // IHLDYStylesNotify: the collection's own target only.
  STDMETHODIMP SetNotify(HWND window, UINT message) override;

  // Internal operations of the library.
  IDispatch* AsDispatch() { return static_cast<IHLDYStyles*>(this); }

  // The owning main object (not counted). The main object sets it when it
  // creates the collection and cuts it before it dies; from then on the
  // collection calls nobody.
  void SetOwner(HolidayStylesOwner* owner) { owner_ = owner; }
  void CutOwner() { owner_ = nullptr; }

  // What the main object's style list reads: the number of styles, the
  // 0-based position of a key, and the style at a 0-based position (valid
  // while it is a member; no reference added).
  LONG StyleCount() const { return members_.Count(); }
  std::optional<LONG> FindKey(OleStringView key) const { return members_.Index().Find(key); }
  HolidayStyle* StyleAt(LONG position) const { return members_.At(position); }
  IHLDYStyleApply* StyleApplyAt(LONG position) const { return members_.At(position); }

  const std::vector<HolidayStyle*>& Members() const { return members_.All(); }
  const KeyIndex& Index() const { return members_.Index(); }

  // For the persisted form: the version field, and appending styles whose
  // fields were read (no notification, no ResolveUseStyles), all of them or
  // (out of memory) none; a key, when not empty, takes over an index entry
  // of the same key, and their owner becomes this collection. The
  // collection adds a reference of its own to each.
  LONG& Version() { return version_; }
  HRESULT AppendLoaded(const std::vector<HolidayStyle*>& loaded);

 protected:
  IUnknown* FindInterface(REFIID riid) override;

 private:
  static const ErrorSource kErrors;

  // Where Add and AddObj put a new style: 0-based, or Count() to append.
  HRESULT InsertionPoint(const VARIANT& index, LONG* position) const;
  // Places a new style (whose fields are set) at position with key; the
  // collection takes over the caller's reference.
  HRESULT Place(LONG position, BSTR key, HolidayStyle* style);
  // After a new style took its place: the caller's reference, the main
  // object's ResolveUseStyles, the notification.
  void Announce(HolidayStyle* style, IHLDYStyle** pVal);
  void ResolveUseStyles() {
    if (owner_) owner_->ResolveUseStyles();
  }

  LONG version_ = 0x00010000;
  KeyedMembers<HolidayStyle> members_;
  HolidayStylesOwner* owner_ = nullptr;
  ChangeNotification notification_;
};

HRESULT CreateHolidayStyles(IUnknown* outer, REFIID riid, void** ppv);

// The collection as the engine's style list reads it, for the main object's
// UseStyles and ResolveUseStyles.
class HolidayStylesDirectory final : public engine::StyleDirectory<OLECHAR> {
 public:
  explicit HolidayStylesDirectory(const HolidayStyles& styles) : styles_(styles) {}
  std::int32_t StyleCount() const override { return styles_.StyleCount(); }
  std::optional<std::int32_t> FindStyleKey(std::basic_string_view<OLECHAR> key) const override {
    return styles_.FindKey(key);
  }

 private:
  const HolidayStyles& styles_;
};

}  // namespace dovrel

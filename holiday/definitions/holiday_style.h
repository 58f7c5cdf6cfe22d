// HolidayStyle: a named set of holiday definitions (its own Days) with the
// colours and font attributes a calendar shows its days in, and the Override
// rule that lets its holidays move off certain weekly rest days.
#pragma once

#include "definitions/days.h"
#include "definitions/internal_interfaces.h"
#include "engine/classification.h"
#include "frame/com_object.h"

namespace dovrel {

class HolidayStyles;

// What a style carries besides its definitions, its name and its key.
struct StyleAttributes {
  OLE_COLOR backColor = 0x80000005;  // system colour 5, window background
  OLE_COLOR foreColor = 0x80000008;  // system colour 8, window text
  LONG bold = 0;                     // 0 or 1
  LONG underline = 0;                // 0 or 1
  SHORT override_ = dvOverrideNone;  // dvOverrideConst
};

class HolidayStyle final : public ComObject<DualInterface<IHLDYStyle, IID_IHLDYStyle>,
                                            SupportsErrorInfoFor<IID_IHLDYStyle>, IHLDYStyleApply> {
 public:
  explicit HolidayStyle(IUnknown* outer);
  ~HolidayStyle() override;
  HRESULT FinalConstruct() override;  // creates the style's Days

  // Our HolidayStyle behind an interface pointer, or nullptr for anyone
  // else's object. No reference is added.
  static HolidayStyle* FromInterface(IUnknown* object);

  // IHLDYStyle
  STDMETHODIMP get_BackColor(OLE_COLOR* pVal) override;
  STDMETHODIMP put_BackColor(OLE_COLOR newVal) override;
  STDMETHODIMP get_Bold(VARIANT_BOOL* pVal) override;
  STDMETHODIMP put_Bold(VARIANT_BOOL newVal) override;
  STDMETHODIMP get_Days(IDays** pVal) override;
  STDMETHODIMP get_ForeColor(OLE_COLOR* pVal) override;
  STDMETHODIMP put_ForeColor(OLE_COLOR newVal) override;
  STDMETHODIMP get_Key(BSTR* pVal) override;
  STDMETHODIMP get_Name(BSTR* pVal) override;
  STDMETHODIMP put_Name(BSTR newVal) override;
  STDMETHODIMP get_Override(dvOverrideConst* pVal) override;
  STDMETHODIMP put_Override(dvOverrideConst newVal) override;
  STDMETHODIMP get_Parent(IHLDYStyle** pVal) override;
  STDMETHODIMP put_Parent(VARIANT newVal) override;
  STDMETHODIMP putref_Parent(IHLDYStyle* newVal) override;
  STDMETHODIMP get_Underline(VARIANT_BOOL* pVal) override;
  STDMETHODIMP put_Underline(VARIANT_BOOL newVal) override;

  // IHLDYStyleApply
  STDMETHODIMP SetNotify(HWND window, UINT message) override;
  STDMETHODIMP ApplyToRange(engine::DayCell* cells, LONG first, LONG count, LONG styleNumber) override;
  STDMETHODIMP FindDay(LONG dayNumber, BOOL* found, IDay** day, BOOL backward) override;

  // Internal operations of the library.
  IDispatch* AsDispatch() { return static_cast<IHLDYStyle*>(this); }
  BstrField& Key() { return key_; }
  const BstrField& Key() const { return key_; }
  BstrField& Name() { return name_; }
  const BstrField& Name() const { return name_; }
  StyleAttributes& Attributes() { return attributes_; }
  const StyleAttributes& Attributes() const { return attributes_; }
  Days& DaysCollection() { return *days_; }
  const Days& DaysCollection() const { return *days_; }
  const VARIANT& StoredParent() const { return parent_; }

  // The collection that holds the style (not counted): set when it enters a
  // HolidayStyles collection, cleared when it leaves.
  void SetOwner(HolidayStyles* owner) { owner_ = owner; }
  HolidayStyles* Owner() const { return owner_; }

  // Takes another style's colours, attributes, Name and Days (copied as new
  // Days), and with withKeyAndParent also its Key and stored Parent value.
  // Sends no notification of the style's own. 0x800A0007 when out of memory.
  HRESULT CopyStyleFrom(const HolidayStyle& source, bool withKeyAndParent);

  // What a classification reads of the style: Override and the fields of
  // its Days, in collection order. Throws std::bad_alloc.
  void CopyRulesTo(engine::HolidayStyleRules& rules) const;

 protected:
  IUnknown* FindInterface(REFIID riid) override;

 private:
  static const ErrorSource kErrors;

  HRESULT PutColor(OLE_COLOR& field, OLE_COLOR value);
  HRESULT PutFlag(LONG& field, VARIANT_BOOL value);

  VARIANT parent_;
  StyleAttributes attributes_;
  BstrField name_;
  BstrField key_;
  Days* days_ = nullptr;
  ChangeNotification notification_;
  HolidayStyles* owner_ = nullptr;
};

HRESULT CreateHolidayStyle(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace dovrel

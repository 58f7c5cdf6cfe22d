// Day: one holiday definition (a date or a date range; a yearly holiday, a
// forced holiday or a forced working day) with a name and a key. The
// calendar fields live in the engine's DayDefinition, so the match rule, the
// marking of day cells and the persisted form read the same three fields.
#pragma once

#include "definitions/values.h"
#include "engine/day_definition.h"
#include "frame/com_object.h"

namespace dovrel {

class Day final : public ComObject<DualInterface<IDay, IID_IDay>, SupportsErrorInfoFor<IID_IDay>> {
 public:
  explicit Day(IUnknown* outer);

  // Our Day behind an interface pointer, or nullptr for anyone else's object.
  // No reference is added: the caller's own keeps it alive.
  static Day* FromInterface(IUnknown* object);

  // IDay
  STDMETHODIMP get_Date(VARIANT* pVal) override;
  STDMETHODIMP put_Date(VARIANT newVal) override;
  STDMETHODIMP get_Date2(VARIANT* pVal) override;
  STDMETHODIMP put_Date2(VARIANT newVal) override;
  STDMETHODIMP get_Key(BSTR* pVal) override;
  STDMETHODIMP get_Name(BSTR* pVal) override;
  STDMETHODIMP put_Name(BSTR newVal) override;
  STDMETHODIMP get_Type(dvDayTypeConst* pVal) override;
  STDMETHODIMP put_Type(dvDayTypeConst newVal) override;

  // Internal operations of the library.
  IDispatch* AsDispatch() { return static_cast<IDay*>(this); }
  void SetNotify(HWND window, UINT message) { notification_.Set(window, message); }
  const ChangeNotification& Notification() const { return notification_; }
  bool Matches(engine::DayNumber day) const { return engine::Matches(fields_, day); }

  // The stored fields, read and written without the properties' checks or
  // notifications: for the collections' copies and the persisted form.
  const engine::DayDefinition& Fields() const { return fields_; }
  engine::DayDefinition& Fields() { return fields_; }
  BstrField& Key() { return key_; }
  const BstrField& Key() const { return key_; }
  BstrField& Name() { return name_; }
  const BstrField& Name() const { return name_; }

  // Takes Name, Key, Date, Date2 and Type of another Day, as they are.
  void CopyDefinitionFrom(const Day& other);

 protected:
  IUnknown* FindInterface(REFIID riid) override;

 private:
  engine::DayDefinition fields_;
  BstrField name_;
  BstrField key_;
  ChangeNotification notification_;
};

HRESULT CreateDay(IUnknown* outer, REFIID riid, void** ppv);

}  // namespace dovrel

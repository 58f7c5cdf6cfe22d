// The persisted form of the Days and HolidayStyles collections: IPersistStream
// over one field order, which ExchangeItems (persist.cpp) walks both to save
// and to load, so that the two directions cannot drift apart.
//
// What Load and Save report, besides the stream's own failures from Read and
// Write, which come back unchanged:
//
//   STG_E_READFAULT       the stream ended before the data it announced
//   kDamagedStreamData    a count or string byte count that no saved
//                         collection can hold (negative, odd, a string
//                         without its closing zero)
//   E_OUTOFMEMORY         memory ran out while the members were being made
//   STG_E_WRITEFAULT      a stream that took fewer bytes than it was given
//   E_POINTER             no stream
//
// A Load that fails adds nothing: the members are read into new objects and
// join the collection only once the whole stream has been read, so a host
// may retry with another stream, or carry on with what it had.
#pragma once

#include "frame/com_object.h"

#ifndef STG_E_DOCFILECORRUPT
// The platform's code for storage data that is not what it claims to be
// (winerror.h has it on Windows).
#define STG_E_DOCFILECORRUPT ((HRESULT)0x80030109)
#endif

namespace dovrel {

class Days;
class HolidayStyles;

inline constexpr HRESULT kDamagedStreamData = STG_E_DOCFILECORRUPT;

// Load appends what the stream holds to the collection; Save writes the
// collection as it is. Both report as listed above.
HRESULT LoadCollection(Days& days, IStream* stream);
HRESULT LoadCollection(HolidayStyles& styles, IStream* stream);
HRESULT SaveCollection(Days& days, IStream* stream);
HRESULT SaveCollection(HolidayStyles& styles, IStream* stream);

// IPersistStream of a collection class (Collection derives from it).
template <class Collection, const CLSID& Clsid>
class PersistStreamOf : public IPersistStream {
 public:
  STDMETHODIMP GetClassID(CLSID* pClassID) override {
    if (!pClassID) return E_POINTER;
    *pClassID = Clsid;
    return S_OK;
  }
  // The collections keep no record of changes since the last save, so they
  // always have some to offer: a host that asks saves.
  STDMETHODIMP IsDirty() override { return S_OK; }
  STDMETHODIMP Load(IStream* pStm) override { return LoadCollection(static_cast<Collection&>(*this), pStm); }
  // There is nothing dirty to clear (IsDirty always answers S_OK).
  STDMETHODIMP Save(IStream* pStm, BOOL /*fClearDirty*/) override {
    return SaveCollection(static_cast<Collection&>(*this), pStm);
  }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* /*pcbSize*/) override { return E_NOTIMPL; }
};

}  // namespace dovrel

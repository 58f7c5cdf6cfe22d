#include "definitions/snapshot_enum.h"

#include <memory>

#include "frame/com_object.h"
#include "frame/errors.h"

namespace dovrel {

namespace {

// The copied members, shared by an enumerator and its clones: the last of
// them to go releases the copies.
class Snapshot {
 public:
  explicit Snapshot(const std::vector<IDispatch*>& members) {
    items_.reserve(members.size());
    for (IDispatch* member : members) {
      VARIANT item;
      VariantInit(&item);
      item.vt = VT_DISPATCH;
      item.pdispVal = member;
      if (member) member->AddRef();
      items_.push_back(item);
    }
  }
  ~Snapshot() {
    for (VARIANT& item : items_) VariantClear(&item);
  }
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;

  ULONG Size() const { return static_cast<ULONG>(items_.size()); }
  VARIANT& operator[](ULONG i) { return items_[i]; }

 private:
  std::vector<VARIANT> items_;
};

class SnapshotEnumerator final : public ComObject<IEnumVARIANT> {
 public:
  SnapshotEnumerator(IUnknown* outer, std::shared_ptr<Snapshot> items, ULONG position)
      : ComObject(outer), items_(std::move(items)), position_(position) {}

  STDMETHODIMP Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override {
    // Asking for more than one item needs a place to say how many came.
    if (!rgVar || (celt != 1 && !pCeltFetched)) return E_POINTER;
    ULONG fetched = 0;
    while (fetched < celt && position_ < items_->Size()) {
      VariantInit(&rgVar[fetched]);
      VariantCopy(&rgVar[fetched], &(*items_)[position_]);
      ++fetched;
      ++position_;
    }
    if (pCeltFetched) *pCeltFetched = fetched;
    return fetched < celt ? S_FALSE : S_OK;
  }

  // Skipping exactly to the end already answers S_FALSE: nothing is left.
  STDMETHODIMP Skip(ULONG celt) override {
    const ULONG remaining = items_->Size() - position_;
    if (celt >= remaining) {
      position_ = items_->Size();
      return S_FALSE;
    }
    position_ += celt;
    return S_OK;
  }

  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }

  STDMETHODIMP Clone(IEnumVARIANT** ppEnum) override {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    SnapshotEnumerator* clone = nullptr;
    if (FAILED(CreateOwnedObject(&clone, items_, position_))) return E_OUTOFMEMORY;
    *ppEnum = clone;
    return S_OK;
  }

 protected:
  IUnknown* FindInterface(REFIID riid) override {
    if (IsEqualGUID(riid, IID_IEnumVARIANT)) return static_cast<IEnumVARIANT*>(this);
    return nullptr;
  }

 private:
  std::shared_ptr<Snapshot> items_;
  ULONG position_;
};

}  // namespace

HRESULT CreateSnapshotEnumerator(const std::vector<IDispatch*>& members, IUnknown** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::shared_ptr<Snapshot> items;
  try {
    items = std::make_shared<Snapshot>(members);
  } catch (const std::bad_alloc&) {
    return S_OK;  // no copy: success with no enumerator, as hosts have always seen it
  }
  SnapshotEnumerator* enumerator = nullptr;
  if (FAILED(CreateOwnedObject(&enumerator, std::move(items), ULONG{0}))) return DVERR_OUT_OF_MEMORY;
  *out = static_cast<IEnumVARIANT*>(enumerator);
  return S_OK;
}

}  // namespace dovrel

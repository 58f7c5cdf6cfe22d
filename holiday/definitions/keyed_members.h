// The ordered, keyed membership both collections share: members in order
// (0-based inside, 1-based at the interface), each held by one reference,
// and the key index that must follow every insertion and removal.
//
// Member is Day or HolidayStyle: an object of ours with a Key() field and an
// AsDispatch() interface, created stand-alone (never aggregated).
//
// Every change of membership or of a key counts as a change of calendar
// rules (engine/rules_generation.h), after it is made: a style's Days are
// what it marks, and the styles and their keys what the style list reads.
#pragma once

#include <new>
#include <utility>
#include <vector>

#include "definitions/index_argument.h"
#include "definitions/key_index.h"
#include "definitions/snapshot_enum.h"
#include "definitions/values.h"
#include "engine/rules_generation.h"
#include "frame/errors.h"

namespace dovrel {

template <class Member>
class KeyedMembers {
 public:
  KeyedMembers() = default;
  KeyedMembers(const KeyedMembers&) = delete;
  KeyedMembers& operator=(const KeyedMembers&) = delete;
  ~KeyedMembers() {
    for (Member* member : TakeAll()) member->Release();
  }

  LONG Count() const { return static_cast<LONG>(members_.size()); }
  Member* At(LONG position) const { return members_[static_cast<std::size_t>(position)]; }
  const std::vector<Member*>& All() const { return members_; }
  const KeyIndex& Index() const { return index_; }

  // The 0-based position of the member that Index names: a 1-based position
  // (514 when outside 1..Count), or a key (516 for a null string, 515 for one
  // no member bears, the empty string included); any other kind is 0x800A0005.
  HRESULT Select(const VARIANT& index, const ErrorSource& errors, LONG* position) const {
    IndexArgument argument(index);
    switch (argument.Kind()) {
      case IndexKind::Position: {
        const LONG p = argument.Position();
        if (p < 1 || p > Count()) return errors.Raise(IDS_E_INDEX_OUT_OF_RANGE, DVERR_INDEX_OUT_OF_RANGE);
        *position = p - 1;
        return S_OK;
      }
      case IndexKind::Key: {
        if (!argument.Key()) return errors.Raise(IDS_E_KEY_INVALID, DVERR_KEY_INVALID);
        const auto found = index_.Find(ViewOf(argument.Key()));
        if (!found) return errors.Raise(IDS_E_ELEMENT_NOT_FOUND, DVERR_ELEMENT_NOT_FOUND);
        *position = *found;
        return S_OK;
      }
      default: return DVERR_INVALID_ARGUMENT;
    }
  }

  // Count and Item of both collections' interfaces.
  HRESULT CountInto(LONG* count) const {
    if (!count) return E_POINTER;
    *count = Count();
    return S_OK;
  }
  template <class Interface>
  HRESULT ItemInto(const VARIANT& index, const ErrorSource& errors, Interface** item) const {
    LONG position = 0;
    const HRESULT hr = Select(index, errors, &position);
    if (FAILED(hr)) return hr;
    // A caller that passes no result slot still learns that the member exists.
    if (item) {
      *item = At(position);
      (*item)->AddRef();
    }
    return S_OK;
  }

  // The key a new member is added under: not empty (516), and borne by no
  // member yet, compared as the index compares (513).
  HRESULT CheckNewKey(BSTR key, const ErrorSource& errors) const {
    if (SysStringLen(key) == 0) return errors.Raise(IDS_E_KEY_INVALID, DVERR_KEY_INVALID);
    if (index_.Contains(ViewOf(key))) return errors.Raise(IDS_E_KEY_NOT_UNIQUE, DVERR_KEY_NOT_UNIQUE);
    return S_OK;
  }

  // Puts member at position (0..Count), taking over the caller's reference;
  // a non-empty key is entered in the index, taking over an entry of the same
  // key (only loading can bring such a key). Those behind it move up. On
  // failure (no memory) nothing changes and the caller keeps its reference.
  HRESULT Insert(LONG position, Member* member) {
    try {
      members_.reserve(members_.size() + 1);
      index_.ShiftUpFrom(position);
      try {
        if (!member->Key().IsEmpty()) index_.Map(member->Key().View(), position);
      } catch (const std::bad_alloc&) {
        index_.ShiftDownAfter(position);
        throw;
      }
    } catch (const std::bad_alloc&) {
      return DVERR_OUT_OF_MEMORY;
    }
    members_.insert(members_.begin() + position, member);
    engine::NoteRulesChanged();
    return S_OK;
  }
  HRESULT Append(Member* member) { return Insert(Count(), member); }

  // Appends several members in their order as one step: all of them, each
  // non-empty key entering the index (and taking over an entry of the same
  // key), or, when memory runs out, none. The index is rebuilt aside and
  // swapped in, so a failure halfway leaves the collection as it was. The
  // pointers are appended as given; references are the caller's concern.
  HRESULT AppendAll(const std::vector<Member*>& added) {
    try {
      members_.reserve(members_.size() + added.size());
      KeyIndex index = index_;
      LONG position = Count();
      for (Member* member : added) {
        if (!member->Key().IsEmpty()) index.Map(member->Key().View(), position);
        ++position;
      }
      index_ = std::move(index);
    } catch (const std::bad_alloc&) {
      return DVERR_OUT_OF_MEMORY;
    }
    members_.insert(members_.end(), added.begin(), added.end());  // within the capacity reserved
    engine::NoteRulesChanged();
    return S_OK;
  }

  // Takes the member at position out of the sequence and its key out of the
  // index; those behind it move down. The collection's reference goes to the
  // caller.
  Member* TakeOut(LONG position) {
    Member* member = At(position);
    if (!member->Key().IsEmpty()) index_.EraseIfAt(member->Key().View(), position);
    members_.erase(members_.begin() + position);
    index_.ShiftDownAfter(position);
    engine::NoteRulesChanged();
    return member;
  }

  // The member at position now bears a different key than oldKey (a copy
  // gave it another style's key): its index entry follows.
  HRESULT Rekey(LONG position, OleStringView oldKey) {
    const OleStringView newKey = At(position)->Key().View();
    try {
      if (KeysEqual(oldKey, newKey)) {
        index_.Map(newKey, position);  // the same entry, in the new spelling
      } else {
        if (!newKey.empty()) index_.Map(newKey, position);
        if (!oldKey.empty()) index_.EraseIfAt(oldKey, position);
      }
    } catch (const std::bad_alloc&) {
      return DVERR_OUT_OF_MEMORY;
    }
    engine::NoteRulesChanged();
    return S_OK;
  }

  // Empties the collection; the references go to the caller.
  std::vector<Member*> TakeAll() {
    index_.Clear();
    std::vector<Member*> all = std::exchange(members_, {});
    engine::NoteRulesChanged();
    return all;
  }

  // Gives the member at 0-based position nIndex a new key, in the form it
  // takes through the system's ANSI code page. *changed tells whether the key
  // changed: a new key equal to the current one (through the code page,
  // without regard to ASCII case) changes nothing and succeeds.
  HRESULT ReplaceKey(LONG nIndex, BSTR szKey, const ErrorSource& errors, bool* changed) {
    *changed = false;
    if (SysStringLen(szKey) == 0) return errors.Raise(IDS_E_KEY_INVALID, DVERR_KEY_INVALID);
    // The caller must name a member; a position that names none is refused
    // like any other index out of range.
    if (nIndex < 0 || nIndex >= Count()) return errors.Raise(IDS_E_INDEX_OUT_OF_RANGE, DVERR_INDEX_OUT_OF_RANGE);
    Member* member = At(nIndex);
    const auto newKey = ThroughAnsiCodePage(ViewOf(szKey));
    const auto currentKey = ThroughAnsiCodePage(member->Key().View());
    if (!newKey || !currentKey) return DVERR_OUT_OF_MEMORY;
    if (KeysEqual(*newKey, *currentKey)) return S_OK;
    // The key given and the key that will be stored must both be free: a
    // character the code page lacks must not let the stored key collide
    // with another member's.
    if (index_.Contains(ViewOf(szKey)) || index_.Contains(*newKey))
      return errors.Raise(IDS_E_KEY_NOT_UNIQUE, DVERR_KEY_NOT_UNIQUE);
    BSTR stored = SysAllocStringLen(newKey->data(), static_cast<UINT>(newKey->size()));
    if (!stored) return DVERR_OUT_OF_MEMORY;
    try {
      index_.Map(*newKey, nIndex);
    } catch (const std::bad_alloc&) {
      SysFreeString(stored);
      return DVERR_OUT_OF_MEMORY;
    }
    if (!member->Key().IsEmpty()) index_.EraseIfAt(member->Key().View(), nIndex);
    member->Key().Adopt(stored);
    *changed = true;
    engine::NoteRulesChanged();
    return S_OK;
  }

  // A snapshot enumerator over the members as they are now.
  HRESULT NewEnum(IUnknown** out) const {
    std::vector<IDispatch*> dispatches;
    try {
      dispatches.reserve(members_.size());
      for (Member* member : members_) dispatches.push_back(member->AsDispatch());
    } catch (const std::bad_alloc&) {
      if (out) *out = nullptr;
      return out ? S_OK : E_POINTER;
    }
    return CreateSnapshotEnumerator(dispatches, out);
  }

 private:
  std::vector<Member*> members_;
  KeyIndex index_;
};

}  // namespace dovrel

// The key index of a collection: key -> 0-based position of the member that
// bears it, ordered by the key comparison (ASCII letters without regard to
// case). It must follow every insertion and removal, since positions shift.
#pragma once

#include <map>
#include <optional>

#include "definitions/values.h"

namespace dovrel {

class KeyIndex {
 public:
  std::optional<LONG> Find(OleStringView key) const {
    auto it = entries_.find(key);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
  }
  bool Contains(OleStringView key) const { return entries_.find(key) != entries_.end(); }

  // Maps key to position; an entry for the same key (in any ASCII case) is
  // taken over, keeping its spelling replaced by this one. Throws
  // std::bad_alloc.
  void Map(OleStringView key, LONG position) {
    auto it = entries_.find(key);
    if (it != entries_.end()) entries_.erase(it);
    entries_.emplace(OleString(key), position);
  }

  // Removes the entry of key when it is the one of the member at position.
  // A member whose key another member took over (loading does that) does not
  // take the other member's entry with it.
  void EraseIfAt(OleStringView key, LONG position) {
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second == position) entries_.erase(it);
  }

  // A member was inserted at position: those at or after it moved up.
  void ShiftUpFrom(LONG position) {
    for (auto& entry : entries_)
      if (entry.second >= position) ++entry.second;
  }
  // The member at position was taken out: those after it moved down.
  void ShiftDownAfter(LONG position) {
    for (auto& entry : entries_)
      if (entry.second > position) --entry.second;
  }

  void Clear() { entries_.clear(); }
  std::size_t Size() const { return entries_.size(); }

  // Every entry, in index order (for checks of consistency).
  template <class Visit>
  void ForEach(Visit&& visit) const {
    for (const auto& entry : entries_) visit(OleStringView(entry.first), entry.second);
  }

 private:
  struct Less {
    using is_transparent = void;
    bool operator()(OleStringView a, OleStringView b) const { return CompareKeys(a, b) < 0; }
  };
  std::map<OleString, LONG, Less> entries_;
};

}  // namespace dovrel

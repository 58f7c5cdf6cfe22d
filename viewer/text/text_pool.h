#pragma once
// Room for texts side by side in blocks that never move: many short texts
// (the fields of a claim file's service records) without a string object,
// and a heap block, each. A pooled text stays where it is while the pool
// lives, however much is added after it, and moving the pool keeps it too.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace pellora {

class TextPool {
 public:
  // Room for `units` UTF-16 units side by side, to be written by the caller.
  char16_t* Room(std::size_t units) {
    if (units > left_) {
      const std::size_t size = std::max(kBlockUnits, units);
      blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(size));
      next_ = blocks_.back().get();
      left_ = size;
    }
    char16_t* const room = next_;
    next_ += units;
    left_ -= units;
    return room;
  }

 private:
  static constexpr std::size_t kBlockUnits = 256 * 1024;
  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  char16_t* next_ = nullptr;
  std::size_t left_ = 0;
};

}  // namespace pellora

// The count of changes to calendar rules, one for the whole process.
//
// Every member of every object that changes something a classification
// reads (a Day's fields, a style's Override or Days, a collection's members
// or keys, the main object's WeekRests and style list, a Load) counts one
// change here, after the change is made. A main object remembers the count
// its kept classification was made under and, at every query, makes it
// again when the count moved: a Day or a style may belong to collections the
// main object does not know of (a host may hold a Day after adding it, or a
// style's Days; a style may be copied into another collection), so only a
// count that every object reaches is sure to see every change.
//
// One count for all objects and threads: a change to one calendar makes the
// others classify again on their next query too, which costs them one
// block's classification, and nothing can be missed. The count is read with
// relaxed order: the objects are used on the thread of their apartment, and
// a host that hands them to another thread synchronises that hand-over
// itself, which orders the count's change before the other thread's reading.
#pragma once

#include <atomic>
#include <cstdint>

namespace dovrel::engine {

namespace detail {
extern std::atomic<std::uint64_t> rules_generation;
}  // namespace detail

inline std::uint64_t RulesGeneration() { return detail::rules_generation.load(std::memory_order_relaxed); }

// Called by every member that changed calendar rules, after the change.
inline void NoteRulesChanged() { detail::rules_generation.fetch_add(1, std::memory_order_relaxed); }

}  // namespace dovrel::engine

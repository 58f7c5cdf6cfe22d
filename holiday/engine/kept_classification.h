// The classification the main object keeps between calls: the flags of
// every day it was asked about, as bit planes in blocks of 256 days, each
// block with the number of days of each category it holds. Queries answer
// from it by scanning bits and adding counts instead of classifying day
// cells afresh on every call.
//
// What is kept is always exactly what a fresh classification gives (each
// block is classified from its rules together with the days before it, so a
// holiday moved onto its first day is seen), as long as the rules it was
// given are the calendar's: whoever changes them calls Reset, which drops
// every block. The main object copies its objects' rules in again whenever
// the process-wide count of rule changes (rules_generation.h) moved since
// its last query.
//
// Blocks are classified when a query first touches them, so the first query
// after a change costs about what a query cost when every query classified
// its days afresh: a walk classifies the block it stands in, then ever
// longer runs of blocks as it goes on; a count classifies the blocks of its
// range in runs of up to a page.
//
// Memory: 256 days take four planes of four words (128 bytes) and four
// 16-bit counts, allocated a page of 64 blocks (8.7 KB, about 45 years) at a
// time, the first time a query touches the page. The whole supported range
// is 221 pages, about 1.9 MB; pages stay allocated when the rules change,
// so a calendar that is asked about the same years again does not allocate.
//
// Not safe for concurrent use: a const query may classify blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/classification.h"
#include "engine/day_cell.h"
#include "engine/day_number.h"

namespace dovrel::engine {

struct FindNthResult {
  std::int32_t missing;  // matches still missing; 0 = found
  DayNumber day;         // the n-th match when missing is 0
};

class KeptClassification {
 public:
  static constexpr std::int64_t kBlockDays = 256;
  static constexpr std::int64_t kBlocksPerPage = 64;
  static constexpr std::int64_t kWordsPerPlane = kBlockDays / 64;
  static constexpr std::int64_t kKeptPlanes = 4;  // holiday, forced, moved, rest
  static constexpr std::int64_t kWordsPerBlock = kKeptPlanes * kWordsPerPlane;
  // Blocks count from 0100-01-01; the last one reaches past 9999-12-31.
  static constexpr std::int64_t kBlockCount =
      (std::int64_t{kLastValidDay} - kFirstValidDay + kBlockDays) / kBlockDays;
  static constexpr std::int64_t kPageCount = (kBlockCount + kBlocksPerPage - 1) / kBlocksPerPage;

  KeptClassification();
  explicit KeptClassification(const CalendarRules& rules);
  ~KeptClassification();
  KeptClassification(KeptClassification&&) noexcept;
  KeptClassification& operator=(KeptClassification&&) noexcept;

  // New rules; everything kept is dropped (the pages stay allocated).
  // Throws std::bad_alloc; the prepared rules are then those of before, but
  // nothing can match until the caller resets again, which it does before it
  // asks anything.
  void Reset(const CalendarRules& rules);

  // Holidays need a style in use and rest days a rest rule; without them no
  // day can be of the category, and nothing needs classifying. Nor can a
  // day be a holiday when no style in use defines one (its answers are the
  // same as after a walk to the end of the range, only sooner).
  bool CanNeverMatch(DayCategory category) const {
    return (category == DayCategory::Holiday && (style_list_empty_ || !any_holiday_)) ||
           (category == DayCategory::Weekend && no_week_rests_);
  }

  // The days below are valid day numbers (lo <= hi); callers check.

  // The flags of day d as ValueType reports them (flag 32 is not kept): the
  // bit of each plane, looked up in the table of their combinations.
  std::uint16_t ValueType(DayNumber d) const {
    const auto offset = static_cast<std::uint64_t>(std::int64_t{d} - kFirstValidDay);  // never negative
    const std::uint64_t* block = Block(static_cast<std::int64_t>(offset / kBlockDays));
    const std::uint64_t w = (offset % kBlockDays) / 64, bit = offset % 64;
    const auto at = [&](Plane p) { return static_cast<unsigned>((block[p * kWordsPerPlane + w] >> bit) & 1) << p; };
    return kValueTypes[at(kHolidayPlane) | at(kForcedPlane) | at(kMovedPlane) | at(kRestPlane)];
  }

  // The n-th day of the category in lo ... hi, counted from lo upwards
  // (direction +1) or from hi downwards (-1).
  FindNthResult FindNth(DayNumber lo, DayNumber hi, DayCategory category, int direction, std::int32_t n) const;

  // The days of the category in lo ... hi.
  std::int64_t Count(DayNumber lo, DayNumber hi, DayCategory category) const;

  // Appends the days of the category in lo ... hi, in ascending order.
  void AppendDays(DayNumber lo, DayNumber hi, DayCategory category, std::vector<DayNumber>& days) const;

  // What the kept classification takes now: itself, the pages allocated so
  // far, the prepared rules and the buffer blocks are classified in.
  std::size_t MemoryBytes() const;

 private:
  // The flags of each combination of the four planes' bits (holiday 1,
  // forced 2, moved 4, rest 8).
  static constexpr std::array<std::uint8_t, 16> kValueTypes = [] {
    std::array<std::uint8_t, 16> flags{};
    for (unsigned k = 0; k < 16; ++k) {
      flags[k] = static_cast<std::uint8_t>(KindFromPlanes((k & 1) != 0, (k & 2) != 0, (k & 4) != 0) |
                                           ((k & 8) != 0 ? cell_flag::kWeekend : 0));
    }
    return flags;
  }();

  struct Page {
    std::uint64_t kept = 0;  // bit b: block b of the page is classified
    std::array<std::array<std::uint16_t, kBlocksPerPage>, 4> counts{};  // [category][block]
    std::array<std::uint64_t, kBlocksPerPage * kWordsPerBlock> words{};  // [block][plane][word]
  };

  // The words of a block (planes holiday, forced, moved, rest; four words
  // each), classifying it first if it is not kept: together with the blocks
  // after it (direction > 0) or before it that are not kept either, up to
  // `run` blocks inside its page.
  const std::uint64_t* Block(std::int64_t block, int direction = 1, std::int64_t run = 1) const {
    const auto unsigned_block = static_cast<std::uint64_t>(block);  // never negative: divisions become shifts
    const Page* page = pages_[unsigned_block / kBlocksPerPage].get();
    const std::uint64_t slot = unsigned_block % kBlocksPerPage;
    if (page && ((page->kept >> slot) & 1)) [[likely]] {
      return page->words.data() + slot * kWordsPerBlock;
    }
    return Classify(block, direction, run);
  }
  const std::uint64_t* Classify(std::int64_t block, int direction, std::int64_t run) const;
  template <int Direction, class WordsOf>
  std::int64_t FirstOffset(WordsOf words_of, std::int64_t from, std::int64_t to) const;
  template <int Direction, class WordsOf>
  FindNthResult Walk(WordsOf words_of, DayCategory category, std::int64_t from, std::int64_t to, std::int32_t n) const;
  Page& PageOf(std::int64_t block) const;
  void Build(Page& page, std::int64_t first_block, std::int64_t last_block) const;
  // Makes sure every block of first ... last is kept.
  void KeepBlocks(std::int64_t first_block, std::int64_t last_block) const;

  PreparedRules rules_;
  bool style_list_empty_ = true;
  bool no_week_rests_ = true;
  bool any_holiday_ = false;  // a style in use has a definition that marks holidays
  mutable std::array<std::unique_ptr<Page>, kPageCount> pages_;
  mutable std::vector<Page*> allocated_;       // the pages of pages_ that exist, for Reset
  mutable std::vector<std::uint64_t> planes_;  // the classification of a run of blocks
};

}  // namespace dovrel::engine

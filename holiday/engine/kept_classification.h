// The classification the main object keeps between calls: the flags of
// every day it was asked about, as bit planes in blocks of 256 days, each
// block with the number of days of each category it holds. Queries answer
// from it by scanning bits and adding counts instead of classifying day
// cells afresh on every call.
//
// What is kept is always exactly what a fresh classification gives (each
// block is classified from its rules together with the days before it, so a
// holiday moved onto its first day is seen), as long as the rules it holds
// are the calendar's: whoever changes them calls Reset, which drops every
// block. The main object copies its objects' rules in again whenever the
// process-wide count of rule changes (rules_generation.h) moved since its
// last query.
//
// Blocks are classified when a query first touches them, so the first query
// after a change costs about what one of today's classifications cost:
// a walk builds the block it stands in, then ever longer runs of blocks as
// it goes on; a count builds the blocks of its range in runs of up to 64.
//
// Memory: 256 days take four planes of four words (128 bytes) and four
// 16-bit counts, allocated a page of 64 blocks (8.7 KB, about 45 years) at a
// time, the first time a query touches the page. The whole supported range
// is 221 pages, about 1.9 MB; pages stay allocated when the rules change,
// so a calendar that is asked about the same years again does not allocate.
//
// Not safe for concurrent use: a const query may build blocks.
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
  // Blocks count from 0100-01-01; the last one reaches past 9999-12-31.
  static constexpr std::int64_t kBlockCount =
      (std::int64_t{kLastValidDay} - kFirstValidDay + kBlockDays) / kBlockDays;
  static constexpr std::int64_t kPageCount = (kBlockCount + kBlocksPerPage - 1) / kBlocksPerPage;

  KeptClassification();
  explicit KeptClassification(CalendarRules rules);
  ~KeptClassification();
  KeptClassification(KeptClassification&&) noexcept;
  KeptClassification& operator=(KeptClassification&&) noexcept;

  // New rules; everything kept is dropped (the pages stay allocated).
  void Reset(CalendarRules rules);
  const CalendarRules& Rules() const { return rules_; }

  // The days below are valid day numbers (lo <= hi); callers check.

  // The flags of day d as ValueType reports them (flag 32 is not kept).
  std::uint16_t ValueType(DayNumber d) const;

  // The n-th day of the category in lo ... hi, counted from lo upwards
  // (direction +1) or from hi downwards (-1).
  FindNthResult FindNth(DayNumber lo, DayNumber hi, DayCategory category, int direction, std::int32_t n) const;

  // The days of the category in lo ... hi.
  std::int64_t Count(DayNumber lo, DayNumber hi, DayCategory category) const;

  // Appends the days of the category in lo ... hi, in ascending order.
  void AppendDays(DayNumber lo, DayNumber hi, DayCategory category, std::vector<DayNumber>& days) const;

  // What the kept classification takes now: the page table, the pages
  // allocated so far and the buffer blocks are classified in.
  std::size_t MemoryBytes() const;

 private:
  struct Page;
  struct Walk;

  Page& PageOf(std::int64_t block) const;
  // The words of a block (planes holiday, forced, moved, rest; four words
  // each), classifying it first if it is not kept: with the blocks after it
  // (direction > 0) or before it that are not kept either, up to `run`
  // blocks inside its page.
  const std::uint64_t* Block(std::int64_t block, int direction = 1, std::int64_t run = 1) const;
  void Build(Page& page, std::int64_t first_block, std::int64_t last_block) const;
  std::int32_t BlockCount(std::int64_t block, DayCategory category) const;

  CalendarRules rules_;
  mutable std::unique_ptr<std::unique_ptr<Page>[]> pages_;
  mutable std::vector<std::uint64_t> planes_;  // the classification of a run of blocks
};

}  // namespace dovrel::engine

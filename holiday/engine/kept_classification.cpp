#include "engine/kept_classification.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace dovrel::engine {

namespace {

constexpr std::int64_t kWordsPerPlane = KeptClassification::kBlockDays / 64;
constexpr std::int64_t kKeptPlanes = 4;  // holiday, forced, moved, rest
constexpr std::int64_t kWordsPerBlock = kKeptPlanes * kWordsPerPlane;
constexpr int kCategoriesCounted = 4;  // Holiday, Workday, Weekend, WeekendOrHoliday

static_assert(kHolidayPlane == 0 && kForcedPlane == 1 && kMovedPlane == 2 && kRestPlane == 3,
              "a block keeps the first four planes, in their order");
static_assert(KeptClassification::kBlockDays % 64 == 0 && KeptClassification::kBlockDays <= 65535);

// Day offsets count from 0100-01-01, the first day of block 0.
constexpr std::int64_t Offset(DayNumber d) { return std::int64_t{d} - kFirstValidDay; }
constexpr DayNumber DayAt(std::int64_t offset) { return static_cast<DayNumber>(offset + kFirstValidDay); }

// The days of a category in word w (0-3) of a block, as bits. These read the
// planes exactly as the four category tests of day_cell.h read the flags.
std::uint64_t Holidays(const std::uint64_t* block, std::int64_t w) { return block[w]; }
std::uint64_t Workdays(const std::uint64_t* block, std::int64_t w) {
  // Neither a holiday nor a rest day, or forced to work: the forced bit of a
  // day that is not a holiday is flag 4.
  const std::uint64_t holiday = block[w], forced = block[kWordsPerPlane + w], rest = block[3 * kWordsPerPlane + w];
  return ~holiday & (~rest | forced);
}
std::uint64_t RestDays(const std::uint64_t* block, std::int64_t w) { return block[3 * kWordsPerPlane + w]; }
std::uint64_t RestDaysOrHolidays(const std::uint64_t* block, std::int64_t w) {
  return block[w] | block[3 * kWordsPerPlane + w];
}
std::uint64_t AnyDays(const std::uint64_t*, std::int64_t) { return ~std::uint64_t{0}; }

static_assert(static_cast<int>(DayCategory::Holiday) == 0 && static_cast<int>(DayCategory::Workday) == 1 &&
              static_cast<int>(DayCategory::Weekend) == 2 && static_cast<int>(DayCategory::WeekendOrHoliday) == 3);

// Calls body with the category's word function, so that the loops over
// words do not switch on the category for every word.
template <class Body>
decltype(auto) WithWordsOf(DayCategory category, Body&& body) {
  switch (category) {
    case DayCategory::Holiday: return body(Holidays);
    case DayCategory::Workday: return body(Workdays);
    case DayCategory::Weekend: return body(RestDays);
    case DayCategory::WeekendOrHoliday: return body(RestDaysOrHolidays);
    case DayCategory::AnyDay: break;
  }
  return body(AnyDays);
}

// The bits lo ... hi of a word (0 <= lo <= hi <= 63).
constexpr std::uint64_t Bits(std::int64_t lo, std::int64_t hi) {
  return (~std::uint64_t{0} >> (63 - hi)) & (~std::uint64_t{0} << lo);
}

// The position of the n-th set bit counted from bit 0 (from bit 63 for
// SelectFromTop); the word has at least n.
int Select(std::uint64_t bits, int n) {
  for (; n > 1; --n) bits &= bits - 1;
  return std::countr_zero(bits);
}
int SelectFromTop(std::uint64_t bits, int n) {
  for (; n > 1; --n) bits &= ~(std::uint64_t{1} << (63 - std::countl_zero(bits)));
  return 63 - std::countl_zero(bits);
}

}  // namespace

struct KeptClassification::Page {
  std::uint64_t kept = 0;  // bit b: block b of the page is classified
  std::array<std::array<std::uint16_t, kBlocksPerPage>, kCategoriesCounted> counts{};
  std::array<std::uint64_t, kBlocksPerPage * kWordsPerBlock> words{};
};

KeptClassification::KeptClassification() = default;
KeptClassification::KeptClassification(CalendarRules rules) : rules_(std::move(rules)) {}
KeptClassification::~KeptClassification() = default;
KeptClassification::KeptClassification(KeptClassification&&) noexcept = default;
KeptClassification& KeptClassification::operator=(KeptClassification&&) noexcept = default;

void KeptClassification::Reset(CalendarRules rules) {
  rules_ = std::move(rules);
  if (!pages_) return;
  for (std::int64_t p = 0; p < kPageCount; ++p) {
    if (pages_[p]) pages_[p]->kept = 0;
  }
}

std::size_t KeptClassification::MemoryBytes() const {
  std::size_t bytes = sizeof(*this) + planes_.capacity() * sizeof(std::uint64_t);
  if (!pages_) return bytes;
  bytes += kPageCount * sizeof(pages_[0]);
  for (std::int64_t p = 0; p < kPageCount; ++p) {
    if (pages_[p]) bytes += sizeof(Page);
  }
  return bytes;
}

KeptClassification::Page& KeptClassification::PageOf(std::int64_t block) const {
  if (!pages_) pages_ = std::make_unique<std::unique_ptr<Page>[]>(kPageCount);
  std::unique_ptr<Page>& page = pages_[block / kBlocksPerPage];
  if (!page) page = std::make_unique<Page>();
  return *page;
}

void KeptClassification::Build(Page& page, std::int64_t first_block, std::int64_t last_block) const {
  // The run starts a word before the first block, so that a holiday moved
  // from the day before the block is seen and every block lies on whole
  // words of the run.
  const std::int64_t blocks = last_block - first_block + 1;
  const std::size_t words = static_cast<std::size_t>(blocks * kWordsPerPlane + 1);
  planes_.resize(words * kPlaneCount);
  const PlaneRun run{DayAt(first_block * kBlockDays - 64), words, planes_.data()};
  ClassifyRange(run, rules_);
  for (std::int64_t b = first_block; b <= last_block; ++b) {
    const std::size_t at = static_cast<std::size_t>((b % kBlocksPerPage) * kWordsPerBlock);
    std::uint64_t* block = page.words.data() + at;
    for (std::int64_t p = 0; p < kKeptPlanes; ++p) {
      std::copy_n(run.plane(static_cast<Plane>(p)) + 1 + (b - first_block) * kWordsPerPlane, kWordsPerPlane,
                  block + p * kWordsPerPlane);
    }
    const auto count = [block](auto words_of) {
      int n = 0;
      for (std::int64_t w = 0; w < kWordsPerPlane; ++w) n += std::popcount(words_of(block, w));
      return static_cast<std::uint16_t>(n);
    };
    const std::size_t slot = static_cast<std::size_t>(b % kBlocksPerPage);
    page.counts[0][slot] = count(Holidays);
    page.counts[1][slot] = count(Workdays);
    page.counts[2][slot] = count(RestDays);
    page.counts[3][slot] = count(RestDaysOrHolidays);
    page.kept |= std::uint64_t{1} << slot;
  }
}

const std::uint64_t* KeptClassification::Block(std::int64_t block, int direction, std::int64_t run) const {
  Page& page = PageOf(block);
  const std::int64_t slot = block % kBlocksPerPage;
  const auto kept = [&page](std::int64_t s) { return ((page.kept >> s) & 1) != 0; };
  if (!kept(slot)) {
    std::int64_t first = slot, last = slot;
    if (direction > 0) {
      const std::int64_t end = std::min(kBlocksPerPage, kBlockCount - (block - slot));
      while (last + 1 < end && last - first + 1 < run && !kept(last + 1)) ++last;
    } else {
      while (first > 0 && last - first + 1 < run && !kept(first - 1)) --first;
    }
    Build(page, block - slot + first, block - slot + last);
  }
  return page.words.data() + slot * kWordsPerBlock;
}

std::int32_t KeptClassification::BlockCount(std::int64_t block, DayCategory category) const {
  if (category == DayCategory::AnyDay) return kBlockDays;
  return PageOf(block).counts[static_cast<std::size_t>(category)][static_cast<std::size_t>(block % kBlocksPerPage)];
}

std::uint16_t KeptClassification::ValueType(DayNumber d) const {
  const std::int64_t offset = Offset(d);
  const std::uint64_t* block = Block(offset / kBlockDays);
  const std::int64_t w = (offset % kBlockDays) / 64, bit = offset % 64;
  const auto at = [&](Plane p) { return ((block[p * kWordsPerPlane + w] >> bit) & 1) != 0; };
  return static_cast<std::uint16_t>(KindFromPlanes(at(kHolidayPlane), at(kForcedPlane), at(kMovedPlane)) |
                                    (at(kRestPlane) ? cell_flag::kWeekend : 0));
}

FindNthResult KeptClassification::FindNth(DayNumber lo, DayNumber hi, DayCategory category, int direction,
                                          std::int32_t n) const {
  if (lo > hi || n <= 0) return {n, kNullDayNumber};
  const std::int64_t first = Offset(lo), last = Offset(hi);
  return WithWordsOf(category, [&](auto words_of) -> FindNthResult {
    // Blocks not kept yet are classified one at first, then in ever longer
    // runs, so that a short walk classifies little and a long one does not
    // pay for each block on its own.
    std::int64_t run = 1;
    const auto next_run = [&run] { run = std::min(run * 2, kBlocksPerPage); };
    if (direction > 0) {
      for (std::int64_t i = first; i <= last;) {
        const std::int64_t block = i / kBlockDays;
        const std::int64_t block_first = block * kBlockDays, end = std::min(last, block_first + kBlockDays - 1);
        const std::uint64_t* words = Block(block, +1, run);
        next_run();
        if (i == block_first && end == block_first + kBlockDays - 1) {
          const std::int32_t whole = BlockCount(block, category);
          if (whole < n) {
            n -= whole;
            i = end + 1;
            continue;
          }
        }
        for (std::int64_t w = i / 64; w <= end / 64; ++w) {
          const std::uint64_t bits = words_of(words, w % kWordsPerPlane) &
                                     Bits(std::max(i, w * 64) - w * 64, std::min(end, w * 64 + 63) - w * 64);
          const int found = std::popcount(bits);
          if (found >= n) return {0, DayAt(w * 64 + Select(bits, n))};
          n -= found;
        }
        i = end + 1;
      }
    } else {
      for (std::int64_t i = last; i >= first;) {
        const std::int64_t block = i / kBlockDays;
        const std::int64_t block_first = block * kBlockDays, start = std::max(first, block_first);
        const std::uint64_t* words = Block(block, -1, run);
        next_run();
        if (start == block_first && i == block_first + kBlockDays - 1) {
          const std::int32_t whole = BlockCount(block, category);
          if (whole < n) {
            n -= whole;
            i = start - 1;
            continue;
          }
        }
        for (std::int64_t w = i / 64; w >= start / 64; --w) {
          const std::uint64_t bits = words_of(words, w % kWordsPerPlane) &
                                     Bits(std::max(start, w * 64) - w * 64, std::min(i, w * 64 + 63) - w * 64);
          const int found = std::popcount(bits);
          if (found >= n) return {0, DayAt(w * 64 + SelectFromTop(bits, n))};
          n -= found;
        }
        i = start - 1;
      }
    }
    return {n, kNullDayNumber};
  });
}

std::int64_t KeptClassification::Count(DayNumber lo, DayNumber hi, DayCategory category) const {
  if (lo > hi) return 0;
  const std::int64_t first = Offset(lo), last = Offset(hi);
  const std::int64_t first_block = first / kBlockDays, last_block = last / kBlockDays;
  return WithWordsOf(category, [&](auto words_of) {
    // The blocks not kept yet are classified first, in runs inside a page.
    for (std::int64_t b = first_block; b <= last_block; ++b) {
      Page& page = PageOf(b);
      if ((page.kept >> (b % kBlocksPerPage)) & 1) continue;
      std::int64_t e = b;
      while (e < last_block && (e + 1) % kBlocksPerPage != 0 && !((page.kept >> ((e + 1) % kBlocksPerPage)) & 1)) ++e;
      Build(page, b, e);
      b = e;
    }
    // Whole blocks by their counts, the days at either end bit by bit.
    const auto partial = [&](std::int64_t from, std::int64_t to) {
      const std::uint64_t* words = Block(from / kBlockDays);
      std::int64_t n = 0;
      for (std::int64_t w = from / 64; w <= to / 64; ++w) {
        n += std::popcount(words_of(words, w % kWordsPerPlane) &
                           Bits(std::max(from, w * 64) - w * 64, std::min(to, w * 64 + 63) - w * 64));
      }
      return n;
    };
    if (first_block == last_block) return partial(first, last);
    std::int64_t n = partial(first, first_block * kBlockDays + kBlockDays - 1) + partial(last_block * kBlockDays, last);
    for (std::int64_t b = first_block + 1; b < last_block;) {
      const std::int64_t page_end = std::min(last_block, (b / kBlocksPerPage + 1) * kBlocksPerPage);
      if (category == DayCategory::AnyDay) {
        n += (page_end - b) * kBlockDays;
      } else {
        const auto& counts = PageOf(b).counts[static_cast<std::size_t>(category)];
        n += std::accumulate(counts.begin() + b % kBlocksPerPage, counts.begin() + (page_end - 1) % kBlocksPerPage + 1,
                             std::int64_t{0});
      }
      b = page_end;
    }
    return n;
  });
}

void KeptClassification::AppendDays(DayNumber lo, DayNumber hi, DayCategory category,
                                    std::vector<DayNumber>& days) const {
  if (lo > hi) return;
  days.reserve(days.size() + static_cast<std::size_t>(Count(lo, hi, category)));
  const std::int64_t first = Offset(lo), last = Offset(hi);
  WithWordsOf(category, [&](auto words_of) {
    for (std::int64_t w = first / 64; w <= last / 64; ++w) {
      const std::uint64_t* words = Block(w * 64 / kBlockDays);
      std::uint64_t bits = words_of(words, w % kWordsPerPlane) &
                           Bits(std::max(first, w * 64) - w * 64, std::min(last, w * 64 + 63) - w * 64);
      for (; bits != 0; bits &= bits - 1) days.push_back(DayAt(w * 64 + std::countr_zero(bits)));
    }
  });
}

}  // namespace dovrel::engine

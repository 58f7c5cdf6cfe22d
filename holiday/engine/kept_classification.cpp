#include "engine/kept_classification.h"

#include <algorithm>
#include <array>
#include <bit>

namespace dovrel::engine {

namespace {

using Kept = KeptClassification;
constexpr std::int64_t kWords = Kept::kWordsPerPlane;

static_assert(kHolidayPlane == 0 && kForcedPlane == 1 && kMovedPlane == 2 && kRestPlane == 3,
              "a block keeps the first four planes, in their order");
static_assert(Kept::kBlockDays % 64 == 0 && Kept::kBlockDays <= 65535);
static_assert(static_cast<int>(DayCategory::Holiday) == 0 && static_cast<int>(DayCategory::Workday) == 1 &&
              static_cast<int>(DayCategory::Weekend) == 2 && static_cast<int>(DayCategory::WeekendOrHoliday) == 3,
              "a page counts the four categories in their order");

// Day offsets count from 0100-01-01, the first day of block 0.
constexpr std::int64_t Offset(DayNumber d) { return std::int64_t{d} - kFirstValidDay; }
constexpr DayNumber DayAt(std::int64_t offset) { return static_cast<DayNumber>(offset + kFirstValidDay); }

// The days of a category in word w (0-3) of a block, as bits. These read the
// planes exactly as the four category tests of day_cell.h read the flags.
std::uint64_t Holidays(const std::uint64_t* block, std::int64_t w) { return block[w]; }
std::uint64_t Workdays(const std::uint64_t* block, std::int64_t w) {
  // Neither a holiday nor a rest day, or forced to work: the forced bit of a
  // day that is not a holiday is flag 4.
  const std::uint64_t holiday = block[w], forced = block[kWords + w], rest = block[3 * kWords + w];
  return ~holiday & (~rest | forced);
}
std::uint64_t RestDays(const std::uint64_t* block, std::int64_t w) { return block[3 * kWords + w]; }
std::uint64_t RestDaysOrHolidays(const std::uint64_t* block, std::int64_t w) {
  return block[w] | block[3 * kWords + w];
}
std::uint64_t AnyDays(const std::uint64_t*, std::int64_t) { return ~std::uint64_t{0}; }

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

// The bits of word w (counted from offset 0) that lie in the offsets
// from ... to.
constexpr std::uint64_t WordMask(std::int64_t from, std::int64_t to, std::int64_t w) {
  const std::int64_t lo = std::max(from, w * 64) - w * 64;
  const std::int64_t hi = std::min(to, w * 64 + 63) - w * 64;
  return (~std::uint64_t{0} >> (63 - hi)) & (~std::uint64_t{0} << lo);
}

constexpr std::uint64_t kEveryByte = 0x0101010101010101u;

// The set bits of each of the eight bytes, each in its byte.
constexpr std::uint64_t ByteCounts(std::uint64_t bits) {
  bits -= (bits >> 1) & 0x5555555555555555u;
  bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
  return (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
}

// Set bits, counted in a few operations where the processor has no
// instruction for it (the compiler would call a library function).
constexpr int BitCount(std::uint64_t bits) {
#if defined(__POPCNT__)
  return std::popcount(bits);
#else
  return static_cast<int>((ByteCounts(bits) * kEveryByte) >> 56);
#endif
}

// For each byte value and k < 8, the position of its set bit of rank k
// (counted from 0); 8 where the byte has fewer.
constexpr std::array<std::array<std::uint8_t, 8>, 256> kSelectInByte = [] {
  std::array<std::array<std::uint8_t, 8>, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    unsigned k = 0;
    for (auto& rank : table[byte]) rank = 8;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((byte >> bit) & 1) table[byte][k++] = static_cast<std::uint8_t>(bit);
    }
  }
  return table;
}();

// The position of the n-th set bit counted from bit 0 (from bit 63 for
// SelectFromTop); the word has at least n. A walk of n working days lands
// here once with n up to 64, so there is no loop over the bits: the running
// counts of the eight bytes, made at once, say which byte holds the bit, and
// the table where in that byte it lies.
int Select(std::uint64_t bits, int n) {
  if (n == 1) return std::countr_zero(bits);
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  const std::uint64_t running = ByteCounts(bits) * kEveryByte;  // byte i: the bits of bytes 0 ... i, at most 64
  // The high bit of each byte whose running count is below n. Each byte of
  // the difference lies between 128 + 0 - 64 and 128 + 63 - 0, so none
  // borrows from the next.
  const auto wanted = static_cast<std::uint64_t>(n - 1);
  const std::uint64_t before = ((wanted * kEveryByte | kHighs) - running) & kHighs;
  const unsigned byte = static_cast<unsigned>(((before >> 7) * kEveryByte) >> 56);  // the bytes before the one
  const unsigned shift = 8 * byte;
  const auto passed = static_cast<std::uint64_t>(((running << 8) >> shift) & 0xFF);
  return static_cast<int>(shift + kSelectInByte[(bits >> shift) & 0xFF][wanted - passed]);
}
int SelectFromTop(std::uint64_t bits, int n) {
  if (n == 1) return 63 - std::countl_zero(bits);
  return Select(bits, BitCount(bits) - n + 1);
}

}  // namespace

KeptClassification::KeptClassification() = default;
KeptClassification::KeptClassification(const CalendarRules& rules) { Reset(rules); }
KeptClassification::~KeptClassification() = default;
KeptClassification::KeptClassification(KeptClassification&&) noexcept = default;
KeptClassification& KeptClassification::operator=(KeptClassification&&) noexcept = default;

void KeptClassification::Reset(const CalendarRules& rules) {
  for (Page* page : allocated_) page->kept = 0;
  // Until the rules are in, nothing can match (a failure keeps nothing).
  style_list_empty_ = no_week_rests_ = true;
  any_holiday_ = false;
  rules_.Prepare(rules);
  style_list_empty_ = rules.StyleListEmpty();
  no_week_rests_ = rules.NoWeekRests();
  for (const PreparedRules::Style& style : rules_.styles) {
    for (const PreparedDefinition& def : style.days) {
      any_holiday_ = any_holiday_ ||
                     (def.shape != PreparedDefinition::Shape::Nothing && (def.kind & cell_flag::kHolidayOrWorkday) != 0);
    }
  }
}

std::size_t KeptClassification::MemoryBytes() const {
  std::size_t bytes = sizeof(*this) + allocated_.size() * (sizeof(Page) + sizeof(Page*)) +
                      planes_.capacity() * sizeof(std::uint64_t) + rules_.styles.capacity() * sizeof(PreparedRules::Style);
  for (const PreparedRules::Style& style : rules_.styles) bytes += style.days.capacity() * sizeof(PreparedDefinition);
  return bytes;
}

KeptClassification::Page& KeptClassification::PageOf(std::int64_t block) const {
  std::unique_ptr<Page>& page = pages_[static_cast<std::size_t>(block / kBlocksPerPage)];
  if (!page) {
    allocated_.reserve(allocated_.size() + 1);
    page = std::make_unique<Page>();
    allocated_.push_back(page.get());
  }
  return *page;
}

void KeptClassification::Build(Page& page, std::int64_t first_block, std::int64_t last_block) const {
  // The run starts a word before the first block, so that a holiday moved
  // from the day before the block is seen and every block lies on whole
  // words of the run.
  const std::int64_t blocks = last_block - first_block + 1;
  const std::size_t words = static_cast<std::size_t>(blocks * kWords + 1);
  planes_.resize(words * kPlaneCount);
  const PlaneRun run{DayAt(first_block * kBlockDays - 64), words, planes_.data()};
  ClassifyRange(run, rules_);
  for (std::int64_t b = first_block; b <= last_block; ++b) {
    const auto slot = static_cast<std::size_t>(b % kBlocksPerPage);
    std::uint64_t* block = page.words.data() + slot * kWordsPerBlock;
    for (std::int64_t p = 0; p < kKeptPlanes; ++p) {
      std::copy_n(run.plane(static_cast<Plane>(p)) + 1 + (b - first_block) * kWords, kWords, block + p * kWords);
    }
    int holidays = 0, workdays = 0, rest = 0, rest_or_holidays = 0;
    for (std::int64_t w = 0; w < kWords; ++w) {
      holidays += BitCount(Holidays(block, w));
      workdays += BitCount(Workdays(block, w));
      rest += BitCount(RestDays(block, w));
      rest_or_holidays += BitCount(RestDaysOrHolidays(block, w));
    }
    page.counts[0][slot] = static_cast<std::uint16_t>(holidays);
    page.counts[1][slot] = static_cast<std::uint16_t>(workdays);
    page.counts[2][slot] = static_cast<std::uint16_t>(rest);
    page.counts[3][slot] = static_cast<std::uint16_t>(rest_or_holidays);
    page.kept |= std::uint64_t{1} << slot;
  }
}

const std::uint64_t* KeptClassification::Classify(std::int64_t block, int direction, std::int64_t run) const {
  Page& page = PageOf(block);
  const std::int64_t slot = block % kBlocksPerPage, page_first = block - slot;
  const auto kept = [&page](std::int64_t s) { return ((page.kept >> s) & 1) != 0; };
  std::int64_t first = slot, last = slot;
  if (direction > 0) {
    const std::int64_t end = std::min(kBlocksPerPage, kBlockCount - page_first);
    while (last + 1 < end && last - first + 1 < run && !kept(last + 1)) ++last;
  } else {
    while (first > 0 && last - first + 1 < run && !kept(first - 1)) --first;
  }
  Build(page, page_first + first, page_first + last);
  return page.words.data() + slot * kWordsPerBlock;
}

void KeptClassification::KeepBlocks(std::int64_t first_block, std::int64_t last_block) const {
  for (std::int64_t b = first_block; b <= last_block;) {
    Page& page = PageOf(b);
    const std::int64_t page_first = b - b % kBlocksPerPage;
    const std::int64_t end = std::min(last_block, page_first + kBlocksPerPage - 1);
    // Runs of blocks not kept, inside the page.
    while (b <= end) {
      if ((page.kept >> (b - page_first)) & 1) {
        ++b;
        continue;
      }
      std::int64_t e = b;
      while (e < end && !((page.kept >> (e + 1 - page_first)) & 1)) ++e;
      Build(page, b, e);
      b = e + 1;
    }
  }
}

// The first day of the category from offset `from` on towards `to`: the
// question most queries ask, with as little work per block as there can be.
// Words of the last block beyond `to` are looked at too (they are kept like
// the others), and a day found there is no answer.
template <int Direction, class WordsOf>
std::int64_t KeptClassification::FirstOffset(WordsOf words_of, std::int64_t from, std::int64_t to) const {
  constexpr bool kForward = Direction > 0;
  constexpr std::int64_t kLastWord = kForward ? kWords - 1 : 0;
  std::int64_t run = 1;
  for (std::int64_t i = from;;) {
    const std::uint64_t* words = Block(i / kBlockDays, Direction, run);
    const std::int64_t block_first = i - i % kBlockDays;
    std::int64_t w = (i % kBlockDays) / 64;
    std::uint64_t bits = words_of(words, w) & (kForward ? ~std::uint64_t{0} << (i % 64) : ~std::uint64_t{0} >> (63 - i % 64));
    for (;;) {
      if (bits != 0) {
        const std::int64_t at = block_first + w * 64 + (kForward ? std::countr_zero(bits) : 63 - std::countl_zero(bits));
        return (kForward ? at <= to : at >= to) ? at : -1;
      }
      if (w == kLastWord) break;
      w += Direction;
      bits = words_of(words, w);
    }
    i = kForward ? block_first + kBlockDays : block_first - 1;
    if (kForward ? i > to : i < to) return -1;
    run = std::min(run * 2, kBlocksPerPage);
  }
}

// From offset `from` to offset `to` in the direction, block by block and
// word by word: the n-th day of the category. Blocks not kept yet are
// classified one at first, then in ever longer runs, so that a short walk
// classifies little and a long one does not pay for each block on its own.
template <int Direction, class WordsOf>
FindNthResult KeptClassification::Walk(WordsOf words_of, DayCategory category, std::int64_t from, std::int64_t to,
                                       std::int32_t n) const {
  constexpr bool kForward = Direction > 0;
  const auto beyond = [](std::int64_t a, std::int64_t b) { return kForward ? a > b : a < b; };
  std::int64_t run = 1;
  for (std::int64_t i = from; !beyond(i, to);) {
    const std::int64_t block = i / kBlockDays, block_first = block * kBlockDays;
    const std::int64_t block_end = kForward ? block_first + kBlockDays - 1 : block_first;
    const std::int64_t end = beyond(block_end, to) ? to : block_end;  // the last offset to look at here
    const std::uint64_t* words = Block(block, Direction, run);
    run = std::min(run * 2, kBlocksPerPage);
    // A whole block with fewer days of the category than still wanted is
    // passed by its count.
    if (n > 1 && i == (kForward ? block_first : block_first + kBlockDays - 1) && end == block_end &&
        category != DayCategory::AnyDay) {
      const Page& page = *pages_[static_cast<std::size_t>(block / kBlocksPerPage)];
      const std::int32_t whole =
          page.counts[static_cast<std::size_t>(category)][static_cast<std::size_t>(block % kBlocksPerPage)];
      if (whole < n) {
        n -= whole;
        i = end + Direction;
        continue;
      }
    }
    const std::int64_t end_word = (end - block_first) / 64;
    std::int64_t w = (i - block_first) / 64;
    std::uint64_t bits = words_of(words, w) & (kForward ? ~std::uint64_t{0} << (i % 64) : ~std::uint64_t{0} >> (63 - i % 64));
    for (;;) {
      if (w == end_word) bits &= kForward ? ~std::uint64_t{0} >> (63 - end % 64) : ~std::uint64_t{0} << (end % 64);
      if (bits != 0) {
        const int found = n == 1 ? 1 : BitCount(bits);
        if (found >= n) {
          const int bit = kForward ? Select(bits, n) : SelectFromTop(bits, n);
          return {0, DayAt(block_first + w * 64 + bit)};
        }
        n -= found;
      }
      if (w == end_word) break;
      w += Direction;
      bits = words_of(words, w);
    }
    i = end + Direction;
  }
  return {n, kNullDayNumber};
}

FindNthResult KeptClassification::FindNth(DayNumber lo, DayNumber hi, DayCategory category, int direction,
                                          std::int32_t n) const {
  if (lo > hi || n <= 0) return {n, kNullDayNumber};
  return WithWordsOf(category, [&](auto words_of) -> FindNthResult {
    if (n == 1) {
      const std::int64_t at = direction > 0 ? FirstOffset<+1>(words_of, Offset(lo), Offset(hi))
                                            : FirstOffset<-1>(words_of, Offset(hi), Offset(lo));
      return at < 0 ? FindNthResult{1, kNullDayNumber} : FindNthResult{0, DayAt(at)};
    }
    return direction > 0 ? Walk<+1>(words_of, category, Offset(lo), Offset(hi), n)
                         : Walk<-1>(words_of, category, Offset(hi), Offset(lo), n);
  });
}

std::int64_t KeptClassification::Count(DayNumber lo, DayNumber hi, DayCategory category) const {
  if (lo > hi) return 0;
  const std::int64_t first = Offset(lo), last = Offset(hi);
  const std::int64_t first_block = first / kBlockDays, last_block = last / kBlockDays;
  KeepBlocks(first_block, last_block);
  return WithWordsOf(category, [&](auto words_of) {
    // The days at either end bit by bit, the whole blocks between by their
    // counts, a page at a time.
    const auto bits_in = [&](std::int64_t from, std::int64_t to) {
      const std::uint64_t* words = Block(from / kBlockDays);
      std::int64_t n = 0;
      for (std::int64_t w = from / 64; w <= to / 64; ++w) n += BitCount(words_of(words, w % kWords) & WordMask(from, to, w));
      return n;
    };
    if (first_block == last_block) return bits_in(first, last);
    std::int64_t n = bits_in(first, first_block * kBlockDays + kBlockDays - 1) + bits_in(last_block * kBlockDays, last);
    for (std::int64_t b = first_block + 1; b < last_block;) {
      const std::int64_t end = std::min(last_block, (b / kBlocksPerPage + 1) * kBlocksPerPage);
      if (category == DayCategory::AnyDay) {
        n += (end - b) * kBlockDays;
      } else {
        const auto& counts = pages_[static_cast<std::size_t>(b / kBlocksPerPage)]->counts[static_cast<std::size_t>(category)];
        std::uint32_t sum = 0;  // at most 64 blocks of 256 days
        for (std::int64_t k = b % kBlocksPerPage; k <= (end - 1) % kBlocksPerPage; ++k) sum += counts[static_cast<std::size_t>(k)];
        n += sum;
      }
      b = end;
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
      for (std::uint64_t bits = words_of(words, w % kWords) & WordMask(first, last, w); bits != 0; bits &= bits - 1) {
        days.push_back(DayAt(w * 64 + std::countr_zero(bits)));
      }
    }
  });
}

}  // namespace dovrel::engine

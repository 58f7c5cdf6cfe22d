#include "csv/field_splitter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/cp932.h"

namespace pellora {
namespace {

// Writes the positions of the commas and quotes of `line` to `positions`
// (room for `length` entries) and returns how many there are. Eight
// characters are compared at a time where the processor allows it.
std::size_t FindFieldMarks(const char16_t* line, std::size_t length, std::uint32_t* positions) {
  std::size_t n = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi16(u',');
  const __m128i quote = _mm_set1_epi16(u'"');
  for (; i + 8 <= length; i += 8) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(chars, comma), _mm_cmpeq_epi16(chars, quote))));
    while (mask != 0) {  // two mask bits per character
      positions[n++] = static_cast<std::uint32_t>(i + static_cast<unsigned>(__builtin_ctz(mask)) / 2);
      mask &= mask - 1;
      mask &= mask - 1;
    }
  }
#endif
  for (; i < length; ++i) {
    positions[n] = static_cast<std::uint32_t>(i);
    n += (line[i] == u',') | (line[i] == u'"');
  }
  return n;
}

// Room for `length` items in `buffer`. The old buffer goes before the new
// one is made, so that a line too long for memory leaves the reader empty
// rather than half-grown.
template <typename T>
T* Room(std::unique_ptr<T[]>& buffer, std::size_t& capacity, std::size_t length) {
  if (length > capacity) {
    const std::size_t grown = std::max(length, 2 * capacity);
    buffer.reset();
    capacity = 0;
    buffer.reset(new T[grown]);
    capacity = grown;
  }
  return buffer.get();
}

}  // namespace

std::size_t FieldSplitter::CountFields(std::string_view bytes) {
  std::size_t fields = 1;
  bool quoted = false;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: the commas counted at once while no quote is
  // among them, as in most lines of a claim file.
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i quote = _mm_set1_epi8('"');
  for (; i + 16 <= bytes.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    const unsigned commas = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, comma)));
    const unsigned quotes = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, quote)));
    if (quotes == 0) {
      if (!quoted) fields += static_cast<std::size_t>(std::popcount(commas));
      continue;
    }
    for (std::size_t k = 0; k < 16; ++k) {
      if (bytes[i + k] == '"') quoted = !quoted;
      else if (bytes[i + k] == ',' && !quoted) ++fields;
    }
  }
#endif
  for (; i < bytes.size(); ++i) {
    if (bytes[i] == '"') quoted = !quoted;
    else if (bytes[i] == ',' && !quoted) ++fields;
  }
  return fields;
}

std::span<const std::u16string_view> FieldSplitter::SplitBytes(std::string_view bytes) {
  char16_t* const decoded = Room(decoded_, decodedCapacity_, bytes.size() + 1);
  return Split(std::u16string_view(decoded, common::cp932::DecodeInto(bytes, decoded)));
}

std::span<const std::u16string_view> FieldSplitter::Split(std::u16string_view line) {
  fields_.clear();
  unquoted_.clear();
  unquoted_.reserve(line.size());
  // Positions are 32-bit; a line of four billion characters or more is
  // split the slow way.
  if (line.size() >= UINT32_MAX) {
    for (std::size_t rest = 0; rest != std::u16string_view::npos;) rest = QuotedField(line, rest);
    return fields_;
  }
  std::uint32_t* const marks = Room(marks_, marksCapacity_, line.size() + 1);
  marks[FindFieldMarks(line.data(), line.size(), marks)] = static_cast<std::uint32_t>(line.size());
  std::size_t rest = 0;
  for (std::size_t next = 0;;) {
    const std::size_t at = marks[next];
    if (at < line.size() && line[at] == u'"') {
      rest = QuotedField(line, rest);
      if (rest == std::u16string_view::npos) return fields_;
      while (marks[next] < rest) ++next;  // the marks inside that field
      continue;
    }
    fields_.push_back(line.substr(rest, at - rest));
    if (at == line.size()) return fields_;
    rest = at + 1;
    ++next;
  }
}

// Quotes toggle a quoted stretch and vanish, a doubled quote inside one
// stands for a quote, and only a comma outside ends the field.
std::size_t FieldSplitter::QuotedField(std::u16string_view line, std::size_t start) {
  const std::size_t begin = unquoted_.size();
  auto field = [&] { return std::u16string_view(unquoted_.data() + begin, unquoted_.size() - begin); };
  bool quoted = false;
  for (std::size_t i = start; i < line.size(); ++i) {
    const char16_t c = line[i];
    if (c == u'"') {
      if (!quoted) {
        quoted = true;
      } else if (i + 1 < line.size() && line[i + 1] == u'"') {
        unquoted_.push_back(u'"');
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == u',' && !quoted) {
      fields_.push_back(field());
      return i + 1;
    } else {
      unquoted_.push_back(c);
    }
  }
  fields_.push_back(field());
  return std::u16string_view::npos;
}

void FieldScanner::Start(std::string_view bytes) {
  bytes_ = bytes;
  Room(ends_, endsCapacity_, bytes.size() + 1);
  found_ = 0;
  scanned_ = 0;
  complete_ = false;
  Room(decoded_, decodedCapacity_, bytes.size() + 1);
  decodedUsed_ = 0;
  decodedFields_.clear();
  quoted_ = false;
  all_ = {};
}

bool FieldScanner::Mark(std::size_t at) {
  if (bytes_[at] == '"') {
    quoted_ = true;
    all_ = splitter_.SplitBytes(bytes_);
    return false;
  }
  ends_[found_++] = static_cast<std::uint32_t>(at);
  return true;
}

// The line is looked at sixteen bytes at a time where the processor allows,
// each piece's commas noted at once, and no further than the fields asked
// for need: the code in field 3 is found in the line's first piece.
bool FieldScanner::Scan(int field) {
  if (quoted_) return false;
  const std::size_t wanted = static_cast<std::size_t>(field);
  const std::size_t size = bytes_.size();
  while (found_ < wanted && !complete_) {
    if (scanned_ == size) {
      ends_[found_++] = static_cast<std::uint32_t>(size);  // the last field runs to the line's end
      complete_ = true;
      break;
    }
#if defined(__SSE2__)
    if (scanned_ + 16 <= size) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_.data() + scanned_));
      unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(',')), _mm_cmpeq_epi8(chunk, _mm_set1_epi8('"')))));
      for (; bits != 0; bits &= bits - 1)
        if (!Mark(scanned_ + static_cast<unsigned>(__builtin_ctz(bits)))) return false;
      scanned_ += 16;
      continue;
    }
#endif
    const char c = bytes_[scanned_];
    if ((c == ',' || c == '"') && !Mark(scanned_)) return false;
    ++scanned_;
  }
  return true;
}

std::u16string_view FieldScanner::Field(int field) {
  if (field < 1) return {};
  if (!Scan(field)) return static_cast<std::size_t>(field) <= all_.size() ? all_[field - 1] : std::u16string_view();
  const std::size_t i = static_cast<std::size_t>(field - 1);
  if (i >= found_) return {};
  if (decodedFields_.size() <= i) decodedFields_.resize(found_);
  if (decodedFields_[i].data() == nullptr) {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1] + std::size_t{1};
    const std::string_view bytes = bytes_.substr(begin, ends_[i] - begin);
    char16_t* const at = decoded_.get() + decodedUsed_;
    // Most fields are a few ASCII digits, widened as they are.
    std::size_t units = 0;
    while (units < bytes.size() && static_cast<unsigned char>(bytes[units]) < 0x80) {
      at[units] = static_cast<char16_t>(bytes[units]);
      ++units;
    }
    if (units < bytes.size()) units = common::cp932::DecodeInto(bytes, at);
    decodedUsed_ += units;
    decodedFields_[i] = std::u16string_view(at, units);
  }
  return decodedFields_[i];
}

}  // namespace pellora

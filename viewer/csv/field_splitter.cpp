#include "csv/field_splitter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
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
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  for (;;) {
    // Most lines hold no quote: between quotes, the commas are counted in
    // one go.
    const char* quote = static_cast<const char*>(std::memchr(at, '"', static_cast<std::size_t>(end - at)));
    const char* const stretchEnd = quote ? quote : end;
    if (!quoted) fields += static_cast<std::size_t>(std::count(at, stretchEnd, ','));
    if (!quote) return fields;
    quoted = !quoted;
    at = quote + 1;
  }
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
  found_.clear();
  next_ = 0;
  Room(decoded_, decodedCapacity_, bytes.size() + 1);
  decodedUsed_ = 0;
  decodedFields_.clear();
  quoted_ = false;
  all_ = {};
}

// The first field or two are found byte by byte (the record type, the
// code); asked for more, the scanner finds every comma and quote of the rest
// of the line at once, sixteen bytes at a time where the processor allows.
bool FieldScanner::Scan(int field) {
  if (quoted_) return false;
  if (static_cast<int>(found_.size()) >= field || next_ == std::string_view::npos) return true;
  const auto mark = [&](std::size_t at) {
    if (bytes_[at] == '"') {
      quoted_ = true;
      all_ = splitter_.SplitBytes(bytes_);
      return false;
    }
    found_.push_back(bytes_.substr(next_, at - next_));
    next_ = at + 1;
    return true;
  };
  std::size_t at = next_;
  if (field - static_cast<int>(found_.size()) <= 2) {
    for (; static_cast<int>(found_.size()) < field && at < bytes_.size(); ++at)
      if ((bytes_[at] == ',' || bytes_[at] == '"') && !mark(at)) return false;
    if (static_cast<int>(found_.size()) >= field) return true;
  } else {
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i quote = _mm_set1_epi8('"');
    for (; at + 16 <= bytes_.size(); at += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes_.data() + at));
      unsigned bits = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, comma), _mm_cmpeq_epi8(chunk, quote))));
      for (; bits != 0; bits &= bits - 1)
        if (!mark(at + static_cast<unsigned>(__builtin_ctz(bits)))) return false;
    }
#endif
    for (; at < bytes_.size(); ++at)
      if ((bytes_[at] == ',' || bytes_[at] == '"') && !mark(at)) return false;
  }
  // The line's last field runs to its end.
  found_.push_back(bytes_.substr(next_));
  next_ = std::string_view::npos;
  return true;
}

std::u16string_view FieldScanner::Field(int field) {
  if (field < 1) return {};
  if (!Scan(field)) return static_cast<std::size_t>(field) <= all_.size() ? all_[field - 1] : std::u16string_view();
  if (static_cast<std::size_t>(field) > found_.size()) return {};
  const std::size_t i = static_cast<std::size_t>(field - 1);
  if (decodedFields_.size() <= i) decodedFields_.resize(found_.size());
  if (decodedFields_[i].data() == nullptr) {  // not decoded yet: a decoded view points into decoded_
    char16_t* const at = decoded_.get() + decodedUsed_;
    const std::size_t units = common::cp932::DecodeInto(found_[i], at);
    decodedUsed_ += units;
    decodedFields_[i] = std::u16string_view(at, units);
  }
  return decodedFields_[i];
}

}  // namespace pellora

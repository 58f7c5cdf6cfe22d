#include "check/line_fields.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>

namespace pellora::check {

void LineFields::Keep(std::string_view field) {
  if (count_ == fields_.size()) fields_.resize(std::max<std::size_t>(64, 2 * fields_.size()));
  fields_[count_++] = field;
}

void LineFields::Split(std::string_view line) {
  count_ = 0;
  beyondAscii_ = apostrophe_ = false;
  std::size_t start = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: their commas as a mask, each a field's end,
  // while no quote comes; a quote sends the rest of the line the slow way.
  // Room for sixteen fields more is made before each sixteen bytes.
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i apostrophe = _mm_set1_epi8('\'');
  // The high bits and the apostrophes of all chunks, told at the end.
  __m128i high = _mm_setzero_si128(), apostrophes = _mm_setzero_si128();
  std::size_t n = count_;
  const char* const data = line.data();
  // The last bytes, fewer than sixteen, in a chunk of their own padded
  // with NUL bytes, which are none of the marks.
  alignas(16) char tail[16];
  for (; i < line.size(); i += 16) {
    __m128i chunk;
    if (i + 16 <= line.size()) {
      chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    } else {
      std::memset(tail, 0, sizeof tail);
      std::memcpy(tail, data + i, line.size() - i);
      chunk = _mm_load_si128(reinterpret_cast<const __m128i*>(tail));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, quote)) != 0) break;
    high = _mm_or_si128(high, chunk);
    apostrophes = _mm_or_si128(apostrophes, _mm_cmpeq_epi8(chunk, apostrophe));
    if (n + 16 > fields_.size()) fields_.resize(std::max<std::size_t>(64, 2 * fields_.size()));
    std::string_view* out = fields_.data();
    for (unsigned commas = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, comma))); commas != 0;
         commas &= commas - 1) {
      const std::size_t at = i + static_cast<unsigned>(std::countr_zero(commas));
      out[n++] = std::string_view(data + start, at - start);
      start = at + 1;
    }
  }
  beyondAscii_ = _mm_movemask_epi8(high) != 0;
  apostrophe_ = _mm_movemask_epi8(apostrophes) != 0;
  count_ = n;
  if (i >= line.size()) {
    Keep(std::string_view(data + start, line.size() - start));
    return;
  }
#endif
  for (; i < line.size(); ++i) {
    const char c = line[i];
    beyondAscii_ |= static_cast<unsigned char>(c) >= 0x80;
    apostrophe_ |= c == '\'';
    if (c == ',') {
      Keep(line.substr(start, i - start));
      start = i + 1;
    } else if (c == '"') {
      break;
    }
  }
  if (i >= line.size()) {
    Keep(line.substr(start));
    return;
  }
  // From the field of the first quote on, field by field with its quotes.
  for (std::size_t j = i; j < line.size(); ++j) {
    beyondAscii_ |= static_cast<unsigned char>(line[j]) >= 0x80;
    apostrophe_ |= line[j] == '\'';
  }
  unquoted_.clear();
  unquoted_.reserve(line.size());
  for (std::size_t rest = start; rest != std::string_view::npos;) rest = QuotedField(line, rest);
}

// Quotes toggle a quoted stretch and vanish, a doubled quote inside one
// stands for a quote, and only a comma outside ends the field.
std::size_t LineFields::QuotedField(std::string_view line, std::size_t start) {
  const std::size_t begin = unquoted_.size();
  auto field = [&] { return std::string_view(unquoted_.data() + begin, unquoted_.size() - begin); };
  bool quoted = false;
  for (std::size_t i = start; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      if (!quoted) {
        quoted = true;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        unquoted_.push_back('"');
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == ',' && !quoted) {
      Keep(field());
      return i + 1;
    } else {
      unquoted_.push_back(c);
    }
  }
  Keep(field());
  return std::string_view::npos;
}

}  // namespace pellora::check

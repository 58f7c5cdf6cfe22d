#include "csv/byte_census.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/cp932.h"

namespace pellora {
namespace {

constexpr unsigned char kEndOfFileMark = 0x1A;

bool IsCp932TrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Bytes that are single characters of code page 932 when no lead byte is
// pending: ASCII and the half-width katakana.
bool IsCp932SingleByte(unsigned char b) { return b < 0x80 || (b >= 0xA1 && b <= 0xDF); }

// How many continuation bytes a UTF-8 lead byte announces; -1 for a byte
// that cannot start a character.
int Utf8Continuations(unsigned char b) {
  if (b < 0x80) return 0;
  if (b >= 0xC2 && b <= 0xDF) return 1;
  if (b >= 0xE0 && b <= 0xEF) return 2;
  if (b >= 0xF0 && b <= 0xF4) return 3;
  return -1;
}

// Bytes that change no count when no character is half read: printable
// ASCII, TAB, CR and LF. A claim file is mostly these, so they are skipped
// in a tight loop and only the others are looked at one by one.
constexpr std::array<bool, 256> kQuietBytes = [] {
  std::array<bool, 256> quiet{};
  for (int b = 0x20; b < 0x7F; ++b) quiet[b] = true;
  quiet['\t'] = quiet['\r'] = quiet['\n'] = true;
  return quiet;
}();

// The first byte from `i` on that is not quiet, or `n`; sixteen bytes at a
// time where the processor allows it.
std::size_t QuietUntil(const unsigned char* data, std::size_t i, std::size_t n) {
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi8(0x1F);
  const __m128i del = _mm_set1_epi8(0x7F);
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= n; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    // Printable ASCII is above 0x1F as a signed byte (bytes from 0x80 on
    // are negative) and is not DEL.
    const __m128i printable = _mm_andnot_si128(_mm_cmpeq_epi8(b, del), _mm_cmpgt_epi8(b, space));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(b, tab), _mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf)));
    if (_mm_movemask_epi8(_mm_or_si128(printable, ends)) != 0xFFFF) break;
  }
#endif
  while (i < n && kQuietBytes[data[i]]) ++i;
  return i;
}

}  // namespace

void ByteCensus::Add(std::string_view block) {
  const auto* const data = reinterpret_cast<const unsigned char*>(block.data());
  const std::size_t n = block.size();
  for (std::size_t i = 0; i < n && bytes_ + i < head_.size(); ++i) head_[bytes_ + i] = data[i];
  for (std::size_t i = 0; i < n; ++i) {
    if (!leadPending_ && utf8Pending_ == 0) {
      i = QuietUntil(data, i, n);
      if (i == n) break;
    }
    Count(data[i], bytes_ + i);
  }
  if (n > 0) last_ = data[n - 1];
  bytes_ += n;
}

void ByteCensus::Count(unsigned char b, std::uint64_t offset) {
  if (b < 0x20 || b == 0x7F) {
    if (b == 0) {
      ++nulAt_[offset & 1];
    } else if (b == kEndOfFileMark) {
      ++endMarks_;
    } else if (b != '\t' && b != '\r' && b != '\n') {
      ++controls_;
    }
  }
  if (leadPending_) {
    leadPending_ = false;
    if (!IsCp932TrailByte(b)) ++notCp932_;
  } else if (common::cp932::IsLeadByte(b)) {
    leadPending_ = true;
  } else if (!IsCp932SingleByte(b)) {
    ++notCp932_;
  }
  if (utf8Pending_ > 0) {
    if ((b & 0xC0) == 0x80) {
      --utf8Pending_;
    } else {
      utf8WellFormed_ = false;
      utf8Pending_ = 0;
    }
  } else if (const int continuations = Utf8Continuations(b); continuations > 0) {
    utf8Pending_ = continuations;
    // Only the three- and four-byte characters count: two bytes of
    // half-width katakana in code page 932 can pass for a two-byte one.
    utf8BeyondAscii_ = utf8BeyondAscii_ || continuations >= 2;
  } else if (continuations < 0) {
    utf8WellFormed_ = false;
  }
}

bool ByteCensus::LooksLikeUtf16() const {
  const bool bom = bytes_ >= 2 && ((head_[0] == 0xFF && head_[1] == 0xFE) || (head_[0] == 0xFE && head_[1] == 0xFF));
  if (bom) return true;
  // The high bytes of ASCII text in UTF-16 are NUL, every other byte: nine
  // in ten NUL bytes on one side, and at least a quarter of that side's
  // bytes NUL. A program's NUL bytes fall on both sides alike.
  const std::uint64_t nuls = nulAt_[0] + nulAt_[1];
  if (nuls == 0) return false;
  const std::uint64_t side = nulAt_[0] > nulAt_[1] ? nulAt_[0] : nulAt_[1];
  const std::uint64_t sideBytes = bytes_ / 2;
  return side * 10 >= nuls * 9 && side * 4 >= sideBytes;
}

bool ByteCensus::HasStrayControlBytes() const {
  if (nulAt_[0] + nulAt_[1] > 0 || controls_ > 0) return true;
  // The end-of-file mark of old editors, once and as the last byte.
  return endMarks_ > 1 || (endMarks_ == 1 && last_ != kEndOfFileMark);
}

ByteCensus::Encoding ByteCensus::Guess() const {
  if (LooksLikeUtf16()) return Encoding::Utf16;
  if (HasStrayControlBytes()) return Encoding::NotText;
  const bool utf8Bom = bytes_ >= 3 && head_[0] == 0xEF && head_[1] == 0xBB && head_[2] == 0xBF;
  if (utf8Bom || (utf8WellFormed_ && utf8Pending_ == 0 && utf8BeyondAscii_)) return Encoding::Utf8;
  // A few broken characters are a damaged claim file; one byte in twenty is
  // not text at all.
  const std::uint64_t notCp932 = notCp932_ + (leadPending_ ? 1 : 0);
  if (notCp932 * 20 > bytes_) return Encoding::NotText;
  return Encoding::Cp932;
}

}  // namespace pellora

#include "common/cp932.h"

#include <cstdint>
#include <cstring>

#include "common/cp932_tables.h"

namespace common::cp932 {
namespace {

using tables::kNone;

// Claim files are mostly digits and commas: eight ASCII bytes at a time are
// widened without looking them up (code page 932 keeps ASCII as it is).
std::size_t WidenAsciiRun(const unsigned char* in, std::size_t size, char16_t* out) {
  std::size_t i = 0;
  while (i + 8 <= size) {
    std::uint64_t word;
    std::memcpy(&word, in + i, 8);
    if (word & 0x8080808080808080ULL) break;
    for (int k = 0; k < 8; ++k) out[i + k] = in[i + k];
    i += 8;
  }
  return i;
}

// The character at in[i], and how many bytes it takes; kNone for a sequence
// that is not code page 932 (see kReplacementChar for how many bytes that is).
struct Step {
  std::uint16_t unit;
  std::size_t length;
};

Step Next(const unsigned char* in, std::size_t size, std::size_t i) {
  const unsigned char b = in[i];
  const unsigned row = tables::kLeadRow[b];
  if (row == 0) return {tables::kSingle[b], 1};
  if (i + 1 == size) return {kNone, 1};  // a lead byte with nothing after it
  const unsigned char trail = in[i + 1];
  const std::uint16_t unit = tables::kPairs[(row - 1) * 256 + trail];
  if (unit != kNone) return {unit, 2};
  return {kNone, trail < 0x80 ? std::size_t{1} : std::size_t{2}};
}

std::uint16_t CodeOf(char16_t c) {
  const unsigned page = tables::kEncodePage[c >> 8];
  return page == 0 ? kNone : tables::kEncodeCodes[(page - 1) * 256 + (c & 0xFF)];
}

}  // namespace

bool IsLeadByte(unsigned char byte) { return tables::kLeadRow[byte] != 0; }

std::size_t DecodeInto(std::string_view bytes, char16_t* out, char16_t replacement) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  char16_t* dst = out;
  std::size_t i = 0;
  while (i < size) {
    const std::size_t run = WidenAsciiRun(in + i, size - i, dst);
    i += run;
    dst += run;
    // The last few ASCII bytes of a run, and the short fields that are
    // nothing but them, without the tables either.
    while (i < size && in[i] < 0x80) *dst++ = in[i++];
    if (i == size) break;
    const Step step = Next(in, size, i);
    *dst++ = step.unit == kNone ? replacement : static_cast<char16_t>(step.unit);
    i += step.length;
  }
  return static_cast<std::size_t>(dst - out);
}

void DecodeAppend(std::string_view bytes, std::u16string& out, char16_t replacement) {
  const std::size_t start = out.size();
  out.resize(start + bytes.size());  // never more units than bytes
  out.resize(start + DecodeInto(bytes, out.data() + start, replacement));
}

std::u16string Decode(std::string_view bytes, char16_t replacement) {
  std::u16string out;
  DecodeAppend(bytes, out, replacement);
  return out;
}

bool IsWellFormed(std::string_view bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < bytes.size();) {
    const Step step = Next(in, bytes.size(), i);
    if (step.unit == kNone) return false;
    i += step.length;
  }
  return true;
}

std::size_t EncodeAppend(std::u16string_view text, std::string& out, char defaultChar) {
  std::size_t defaulted = 0;
  out.reserve(out.size() + text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const std::uint16_t code = c >= 0xD800 && c <= 0xDFFF ? kNone : CodeOf(c);
    if (code == kNone) {
      // Nothing outside the BMP is in code page 932; a surrogate pair is one
      // character and gets one default byte.
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
      out.push_back(defaultChar);
      ++defaulted;
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return defaulted;
}

std::string Encode(std::u16string_view text) {
  std::string out;
  EncodeAppend(text, out);
  return out;
}

std::optional<std::string> EncodeExact(std::u16string_view text) {
  std::string out;
  if (EncodeAppend(text, out) != 0) return std::nullopt;
  return out;
}

}  // namespace common::cp932

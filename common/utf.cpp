#include "common/utf.h"

#include <cstdint>

namespace common {
namespace {

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Writes `text` as UTF-8; an unpaired surrogate stops it (returning false)
// or becomes U+FFFD.
bool WriteUtf8(std::u16string_view text, std::string& out, bool lossy) {
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      if (!lossy) return false;
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return true;
}

// The character that starts at text[i] and how many bytes it takes; an
// invalid piece takes the bytes up to the first that cannot continue it.
struct Utf8Step {
  bool valid;
  char32_t c;
  std::size_t length;
};

Utf8Step NextUtf8(std::string_view text, std::size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x80) return {true, b, 1};
  // Length of the sequence and the smallest value it may carry (longer
  // forms of smaller values are not UTF-8).
  std::size_t length = 0;
  std::uint32_t c = 0;
  std::uint32_t minimum = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, c = b & 0x1F, minimum = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, c = b & 0x0F, minimum = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, c = b & 0x07, minimum = 0x10000;
  }
  if (length == 0) return {false, 0, 1};
  std::size_t k = 1;
  for (; k < length && i + k < text.size(); ++k) {
    const auto t = static_cast<unsigned char>(text[i + k]);
    if ((t & 0xC0) != 0x80) break;
    c = c << 6 | (t & 0x3F);
  }
  if (k < length || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {false, 0, k};
  return {true, c, length};
}

}  // namespace

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  if (!WriteUtf8(text, out, false)) return std::nullopt;
  return out;
}

std::string Utf16ToUtf8Lossy(std::u16string_view text) {
  std::string out;
  WriteUtf8(text, out, true);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Step step = NextUtf8(text, i);
    i += step.length;
    if (!step.valid) {
      out.push_back(u'\uFFFD');
    } else if (step.c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((step.c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((step.c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(step.c));
    }
  }
  return out;
}

bool IsWellFormedUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Step step = NextUtf8(text, i);
    if (!step.valid) return false;
    i += step.length;
  }
  return true;
}

}  // namespace common

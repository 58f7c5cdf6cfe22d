#include "jet/jet_text.h"

#include <string_view>

#include "common/cp932.h"

namespace pellora::jet {
namespace {

char16_t Unit(std::uint8_t low, std::uint8_t high) { return static_cast<char16_t>(low | high << 8); }

constexpr std::uint16_t kWesternCodePage = 1252;

// Code page 1252 is Latin-1 but for 0x80-0x9F, where Windows put
// typographic characters instead of control codes. The five unassigned
// bytes decode to U+FFFD.
constexpr char16_t kCp1252High[32] = {
    u'\u20AC', u'\uFFFD', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\uFFFD', u'\u017D', u'\uFFFD',
    u'\uFFFD', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\uFFFD', u'\u017E', u'\u0178',
};

}  // namespace

void AppendJet4Text(std::span<const std::uint8_t> stored, std::u16string& out) {
  // Compressed text starts FF FE, then one byte per character until a 00
  // byte switches to two bytes per character (and the next 00 back).
  if (stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE) {
    // Never more characters than bytes: written in place, then cut to size.
    const std::size_t start = out.size();
    out.resize(start + stored.size());
    char16_t* next = out.data() + start;
    bool oneByteMode = true;
    for (std::size_t i = 2; i < stored.size();) {
      if (stored[i] == 0x00) {
        oneByteMode = !oneByteMode;
        ++i;
      } else if (oneByteMode) {
        *next++ = stored[i++];
      } else if (i + 1 < stored.size()) {
        *next++ = Unit(stored[i], stored[i + 1]);
        i += 2;
      } else {
        *next++ = kReplacementCharacter;  // half a character at the end
        ++i;
      }
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + stored.size() / 2);
  for (std::size_t i = 0; i + 1 < stored.size(); i += 2) out[start + i / 2] = Unit(stored[i], stored[i + 1]);
  if (stored.size() % 2 != 0) out.push_back(kReplacementCharacter);
}

void AppendJet3Text(std::uint16_t codePage, std::span<const std::uint8_t> stored, std::u16string& out) {
  if (codePage != kWesternCodePage) {
    common::cp932::DecodeAppend(
        std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()), out, kReplacementCharacter);
    return;
  }
  for (const std::uint8_t b : stored) out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t{b});
}

}  // namespace pellora::jet

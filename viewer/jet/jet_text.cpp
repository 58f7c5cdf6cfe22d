#include "jet_text.h"

#include <algorithm>
#include <array>
#include <cerrno>

namespace pellora::jet {
namespace {

char16_t Unit(std::uint8_t low, std::uint8_t high) { return static_cast<char16_t>(low | high << 8); }

}  // namespace

void AppendJet4Text(std::span<const std::uint8_t> stored, std::u16string& out) {
  // Compressed text starts FF FE, then one byte per character until a 00
  // byte switches to two bytes per character (and the next 00 back).
  if (stored.size() >= 2 && stored[0] == 0xFF && stored[1] == 0xFE) {
    bool oneByteMode = true;
    for (std::size_t i = 2; i < stored.size();) {
      if (stored[i] == 0x00) {
        oneByteMode = !oneByteMode;
        ++i;
      } else if (oneByteMode) {
        out.push_back(stored[i++]);
      } else if (i + 1 < stored.size()) {
        out.push_back(Unit(stored[i], stored[i + 1]));
        i += 2;
      } else {
        out.push_back(kReplacementCharacter);  // half a character at the end
        ++i;
      }
    }
    return;
  }
  for (std::size_t i = 0; i + 1 < stored.size(); i += 2) out.push_back(Unit(stored[i], stored[i + 1]));
  if (stored.size() % 2 != 0) out.push_back(kReplacementCharacter);
}

CodePageDecoder::CodePageDecoder(const std::string& codePage)
    : cd_(iconv_open("UTF-16LE", codePage.c_str())) {}

CodePageDecoder::~CodePageDecoder() {
  if (usable()) iconv_close(cd_);
}

void CodePageDecoder::Append(std::span<const std::uint8_t> stored, std::u16string& out) {
  // Every Windows code page keeps ASCII as it is, and numbers -- most of a
  // master table -- are ASCII: those need no converter.
  if (std::all_of(stored.begin(), stored.end(), [](std::uint8_t b) { return b < 0x80; })) {
    out.append(stored.begin(), stored.end());
    return;
  }
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
  char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(stored.data()));
  std::size_t inLeft = stored.size();
  std::array<char, 1024> buffer;
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
    const int err = errno;
    const std::size_t produced = buffer.size() - outLeft;
    for (std::size_t i = 0; i + 1 < produced; i += 2) {
      out.push_back(Unit(static_cast<std::uint8_t>(buffer[i]), static_cast<std::uint8_t>(buffer[i + 1])));
    }
    if (rc != static_cast<std::size_t>(-1) || err == E2BIG) continue;
    // EILSEQ or EINVAL (a lead byte at the end): skip one byte, go on.
    out.push_back(kReplacementCharacter);
    ++in;
    --inLeft;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  }
}

}  // namespace pellora::jet

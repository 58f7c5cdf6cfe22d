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
  const std::size_t start = out.size();
  for (std::size_t i = 0; i < stored.size();) {
    const std::uint8_t b = stored[i];
    if (b < 0x80) {  // ASCII is itself in every Windows code page
      out.push_back(b);
      ++i;
      continue;
    }
    const Learnt* got = &Byte(b);
    std::size_t length = 1;
    if (got->kind == Kind::Lead) {
      if (i + 1 == stored.size()) {  // a lead byte at the end
        out.push_back(kReplacementCharacter);
        break;
      }
      got = &Pair(b, stored[i + 1]);
      length = 2;
    }
    switch (got->kind) {
      case Kind::Character:
        out.push_back(got->character);
        i += length;
        break;
      case Kind::Invalid:
        // As the converter goes on: one replacement, then from the next byte.
        out.push_back(kReplacementCharacter);
        ++i;
        break;
      default:  // more than one unit, or anything unforeseen
        out.resize(start);
        AppendThroughConverter(stored, out);
        return;
    }
  }
}

CodePageDecoder::Learnt CodePageDecoder::Learn(std::span<const std::uint8_t> bytes) {
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(bytes.data()));
  std::size_t inLeft = bytes.size();
  std::array<char, 16> buffer;
  char* outPtr = buffer.data();
  std::size_t outLeft = buffer.size();
  const std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
  const int err = errno;
  const std::size_t produced = buffer.size() - outLeft;
  if (rc == static_cast<std::size_t>(-1)) {
    // An incomplete sequence from one byte: it starts a pair.
    return {err == EINVAL && bytes.size() == 1 ? Kind::Lead : Kind::Invalid, 0};
  }
  if (produced != 2) return {Kind::Complex, 0};
  return {Kind::Character, Unit(static_cast<std::uint8_t>(buffer[0]), static_cast<std::uint8_t>(buffer[1]))};
}

const CodePageDecoder::Learnt& CodePageDecoder::Byte(std::uint8_t b) {
  Learnt& l = bytes_[b];
  if (l.kind == Kind::Unknown) {
    const std::uint8_t one[] = {b};
    l = Learn(one);
  }
  return l;
}

const CodePageDecoder::Learnt& CodePageDecoder::Pair(std::uint8_t lead, std::uint8_t trail) {
  if (pairs_.empty()) pairs_.resize(65536);
  Learnt& l = pairs_[lead << 8 | trail];
  if (l.kind == Kind::Unknown) {
    const std::uint8_t two[] = {lead, trail};
    l = Learn(two);
    // A lead byte whose pair is incomplete or invalid: the converter stops
    // at the lead byte, and so does the caller.
    if (l.kind == Kind::Lead) l.kind = Kind::Invalid;
  }
  return l;
}

void CodePageDecoder::AppendThroughConverter(std::span<const std::uint8_t> stored, std::u16string& out) {
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

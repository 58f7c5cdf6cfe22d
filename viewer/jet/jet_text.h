// Decoding text values as they are stored in Jet files.
//
// Jet 4 stores UTF-16LE, sometimes "compressed"; Jet 3 stores the bytes of
// the database's code page. A Japanese provider's Jet 3 file is code page
// 932 (Shift_JIS with the NEC and IBM extensions: ①, 髙, ～, and 0x5C as a
// backslash), which iconv knows as "CP932" -- not as "SHIFT-JIS", which
// libmdb would pick and which corrupts exactly those characters.
//
// Bytes that cannot be decoded become U+FFFD, so one damaged character
// does not lose a whole name.
#pragma once

#include <iconv.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pellora::jet {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// Appends a Jet 4 text value (plain or compressed UTF-16LE) to out.
void AppendJet4Text(std::span<const std::uint8_t> stored, std::u16string& out);

// Decodes a code page to UTF-16. What each byte and each lead/trail byte
// pair decodes to is asked of iconv once, on first sight, and kept: a
// master table repeats the same few thousand characters, and calling the
// converter for every value would be a quarter of the whole read.
class CodePageDecoder {
 public:
  explicit CodePageDecoder(const std::string& codePage);  // e.g. "CP932"
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  bool usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  void Append(std::span<const std::uint8_t> stored, std::u16string& out);
  // The same decoding, every value through iconv: the reference the cached
  // way must equal, and the way for what it cannot keep.
  void AppendThroughConverter(std::span<const std::uint8_t> stored, std::u16string& out);

 private:
  // One byte or pair as learnt: its character, or that it starts a pair,
  // is invalid, or decodes to more than one UTF-16 unit.
  enum class Kind : std::uint8_t { Unknown, Character, Lead, Invalid, Complex };
  struct Learnt {
    Kind kind = Kind::Unknown;
    char16_t character = 0;
  };
  Learnt Learn(std::span<const std::uint8_t> bytes);
  const Learnt& Byte(std::uint8_t b);
  const Learnt& Pair(std::uint8_t lead, std::uint8_t trail);

  iconv_t cd_;
  std::array<Learnt, 256> bytes_{};
  std::vector<Learnt> pairs_;  // 65536, made on the first lead byte
};

}  // namespace pellora::jet

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

#include <cstdint>
#include <span>
#include <string>

namespace pellora::jet {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// Appends a Jet 4 text value (plain or compressed UTF-16LE) to out.
void AppendJet4Text(std::span<const std::uint8_t> stored, std::u16string& out);

// Decodes a code page to UTF-16 through iconv; one converter, reused.
class CodePageDecoder {
 public:
  explicit CodePageDecoder(const std::string& codePage);  // e.g. "CP932"
  ~CodePageDecoder();
  CodePageDecoder(const CodePageDecoder&) = delete;
  CodePageDecoder& operator=(const CodePageDecoder&) = delete;

  bool usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  void Append(std::span<const std::uint8_t> stored, std::u16string& out);

 private:
  iconv_t cd_;
};

}  // namespace pellora::jet

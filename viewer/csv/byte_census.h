#pragma once
// What a file's bytes say about its encoding, counted block by block as the
// reader reads them: a claim file, which may be a pipe, is read once, and
// the counts come free with the reading.
//
// A claim file is code page 932 text: printable bytes, TAB, CR and LF, and
// at most an end-of-file mark (0x1A) as its very last byte. What else may
// arrive is told apart by the marks each kind leaves:
// - UTF-16: a byte order mark, or NUL bytes nearly all at even or nearly
//   all at odd offsets (the high bytes of ASCII characters);
// - not text: NUL bytes in any other pattern, other control bytes, or many
//   bytes that start no code page 932 character;
// - UTF-8: a UTF-8 byte order mark, or a file that is well-formed UTF-8
//   with three- or four-byte characters, as Japanese text has them (real
//   code page 932 text with kanji or kana almost never is: most of its lead
//   bytes are UTF-8's continuation bytes).

#include <array>
#include <cstdint>
#include <string_view>

namespace pellora {

class ByteCensus {
 public:
  enum class Encoding { Cp932, Utf16, Utf8, NotText };

  // The next bytes of the file, in order.
  void Add(std::string_view block);

  std::uint64_t Bytes() const { return bytes_; }
  // The encoding the bytes counted so far look like.
  Encoding Guess() const;

 private:
  // One byte that may change a count, at `offset` from the file's start.
  void Count(unsigned char b, std::uint64_t offset);
  bool LooksLikeUtf16() const;
  bool HasStrayControlBytes() const;

  std::uint64_t bytes_ = 0;
  std::array<unsigned char, 3> head_{};   // the first three bytes
  std::array<std::uint64_t, 2> nulAt_{};  // NUL bytes at even, odd offsets
  std::uint64_t controls_ = 0;            // control bytes but TAB, CR, LF, 0x1A
  std::uint64_t endMarks_ = 0;            // 0x1A bytes
  unsigned char last_ = 0;
  // Code page 932: bytes that start no character or break one, and whether
  // the previous byte was a lead byte waiting for its second byte.
  std::uint64_t notCp932_ = 0;
  bool leadPending_ = false;
  // UTF-8: continuation bytes still expected, whether all was well-formed
  // so far, and whether a three- or four-byte character was seen.
  int utf8Pending_ = 0;
  bool utf8WellFormed_ = true;
  bool utf8BeyondAscii_ = false;
};

}  // namespace pellora

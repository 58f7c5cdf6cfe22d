#include "csv/codepage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace pellora::cp932 {
namespace {

// Marks "no mapping" in both tables: U+FFFF is not a character, and FF is
// not a valid code page 932 lead byte.
constexpr std::uint16_t kNone = 0xFFFF;

// One conversion through iconv, from a fresh state. Returns the number of
// output bytes, or -1 when iconv rejects the input (invalid or incomplete).
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  int Convert(const void* input, std::size_t inputSize, unsigned char* output, std::size_t outputSize) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = static_cast<char*>(const_cast<void*>(input));
    char* out = reinterpret_cast<char*>(output);
    std::size_t inLeft = inputSize;
    std::size_t outLeft = outputSize;
    if (iconv(cd_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
      return -1;
    }
    // A converter may hold back a shift sequence until it is flushed.
    if (iconv(cd_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) return -1;
    return static_cast<int>(outputSize - outLeft);
  }

 private:
  iconv_t cd_;
};

// The decoding direction, asked of iconv once for every single byte and
// every double-byte pair, so that the hot loop is a table look-up.
struct DecodeTables {
  std::array<std::uint16_t, 256> single{};   // kNone: invalid or a lead byte
  std::array<std::int8_t, 256> leadIndex{};  // -1: not a lead byte
  std::unique_ptr<std::uint16_t[]> pairs;    // [leadIndex * 256 + trail]
  bool asciiIsIdentity = true;

  DecodeTables() {
    Iconv cd("UTF-16LE", "CP932");
    unsigned char out[8];
    int leads = 0;
    for (int b = 0; b < 256; ++b) {
      const unsigned char in = static_cast<unsigned char>(b);
      leadIndex[b] = -1;
      single[b] = kNone;
      const int n = cd.Convert(&in, 1, out, sizeof out);
      if (n == 2) {
        single[b] = static_cast<std::uint16_t>(out[0] | out[1] << 8);
      } else if (n < 0 && errno == EINVAL) {
        leadIndex[b] = static_cast<std::int8_t>(leads++);
      }
    }
    pairs = std::make_unique<std::uint16_t[]>(static_cast<std::size_t>(leads) * 256);
    for (int lead = 0; lead < 256; ++lead) {
      if (leadIndex[lead] < 0) continue;
      std::uint16_t* row = &pairs[static_cast<std::size_t>(leadIndex[lead]) * 256];
      for (int trail = 0; trail < 256; ++trail) {
        const unsigned char in[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
        const int n = cd.Convert(in, 2, out, sizeof out);
        row[trail] = n == 2 ? static_cast<std::uint16_t>(out[0] | out[1] << 8) : kNone;
      }
    }
    for (int b = 0; b < 0x80; ++b) asciiIsIdentity = asciiIsIdentity && single[b] == b;
  }
};

const DecodeTables& Decoding() {
  static const DecodeTables tables;
  return tables;
}

// The encoding direction: for every BMP code unit, its code page 932 code
// (below 0x100 a single byte, otherwise lead << 8 | trail) or kNone. Built on
// first use only, since most runs never encode.
struct EncodeTable {
  std::unique_ptr<std::uint16_t[]> codes = std::make_unique<std::uint16_t[]>(0x10000);

  EncodeTable() {
    Iconv cd("CP932", "UTF-16LE");
    unsigned char out[8];
    for (std::uint32_t c = 0; c < 0x10000; ++c) {
      codes[c] = kNone;
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      const unsigned char in[2] = {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>(c >> 8)};
      const int n = cd.Convert(in, 2, out, sizeof out);
      if (n == 1) codes[c] = out[0];
      if (n == 2) codes[c] = static_cast<std::uint16_t>(out[0] << 8 | out[1]);
    }
  }
};

const EncodeTable& Encoding() {
  static const EncodeTable table;
  return table;
}

// Claim files are mostly digits and commas: eight ASCII bytes at a time are
// widened without looking them up.
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

}  // namespace

bool IsLeadByte(unsigned char byte) { return Decoding().leadIndex[byte] >= 0; }

std::size_t DecodeInto(std::string_view bytes, char16_t* out) {
  const DecodeTables& t = Decoding();
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  char16_t* dst = out;
  std::size_t i = 0;
  while (i < size) {
    if (t.asciiIsIdentity) {
      const std::size_t run = WidenAsciiRun(in + i, size - i, dst);
      i += run;
      dst += run;
      if (i == size) break;
    }
    const unsigned char b = in[i];
    const int lead = t.leadIndex[b];
    if (lead < 0) {
      const std::uint16_t u = t.single[b];
      *dst++ = u == kNone ? kReplacementChar : static_cast<char16_t>(u);
      ++i;
      continue;
    }
    if (i + 1 == size) {  // truncated: a lead byte with nothing after it
      *dst++ = kReplacementChar;
      ++i;
      continue;
    }
    const unsigned char trail = in[i + 1];
    const std::uint16_t u = t.pairs[static_cast<std::size_t>(lead) * 256 + trail];
    if (u != kNone) {
      *dst++ = static_cast<char16_t>(u);
      i += 2;
    } else {
      *dst++ = kReplacementChar;
      i += trail < 0x80 ? 1 : 2;
    }
  }
  return static_cast<std::size_t>(dst - out);
}

void DecodeAppend(std::string_view bytes, std::u16string& out) {
  const std::size_t start = out.size();
  out.resize(start + bytes.size());  // never more units than bytes
  out.resize(start + DecodeInto(bytes, out.data() + start));
}

std::u16string Decode(std::string_view bytes) {
  std::u16string out;
  DecodeAppend(bytes, out);
  return out;
}

void EncodeAppend(std::u16string_view text, std::string& out) {
  const std::uint16_t* codes = Encoding().codes.get();
  out.reserve(out.size() + text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      // Nothing outside the BMP is in code page 932; a surrogate pair is one
      // character and gets one default byte.
      if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
      out.push_back(kDefaultChar);
      continue;
    }
    const std::uint16_t code = codes[c];
    if (code == kNone) {
      out.push_back(kDefaultChar);
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
}

std::string Encode(std::u16string_view text) {
  std::string out;
  EncodeAppend(text, out);
  return out;
}

}  // namespace pellora::cp932

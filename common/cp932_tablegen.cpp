// cp932_tablegen: writes the code page 932 tables of common/cp932.cpp as a
// C++ source, asking iconv's "CP932" converter about every single byte,
// every byte pair and every BMP code unit. It runs on the build machine
// only, so that the programs themselves (on every platform, Windows
// included) decode and encode with the same fixed tables and never open a
// converter at run time.
//
//   cp932_tablegen <output.cpp>
//
// glibc's CP932 is Microsoft's table: 0x5C is the backslash, 81 60 is
// U+FF5E, the NEC row 13 and both IBM extension blocks are there, F0-F9 map
// to the private use area, and the encoding direction carries Windows'
// one-way mappings (U+301C -> 81 60, U+7E8A -> FA 5C).

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kNone = 0xFFFF;

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      std::cerr << "cp932_tablegen: iconv cannot convert from " << from << " to " << to << "\n";
      std::exit(1);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Output bytes of one conversion from a fresh state; -1 when iconv rejects
  // the input, with errno telling whether it was incomplete (EINVAL).
  int Convert(const unsigned char* input, std::size_t size, unsigned char* output, std::size_t room) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(input));
    char* out = reinterpret_cast<char*>(output);
    std::size_t inLeft = size;
    std::size_t outLeft = room;
    if (iconv(cd_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return -1;
    if (iconv(cd_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) return -1;
    return static_cast<int>(room - outLeft);
  }

 private:
  iconv_t cd_;
};

void WriteArray(std::ostream& out, const std::string& declaration, const std::vector<unsigned>& values, int width) {
  out << declaration << " = {";
  for (std::size_t i = 0; i < values.size(); ++i) {
    out << (i % 16 == 0 ? "\n    " : " ");
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, width == 4 ? "0x%04X," : "%d,", values[i]);
    out << buffer;
  }
  out << "\n};\n\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: cp932_tablegen <output.cpp>\n";
    return 2;
  }

  // Decoding: single bytes, and for each lead byte (a byte that iconv finds
  // incomplete on its own) a row of 256 trail bytes.
  Converter decoder("UTF-16LE", "CP932");
  unsigned char out[8];
  std::vector<unsigned> single(256, kNone);
  std::vector<unsigned> leadIndex(256, 0);  // stored as index + 1; 0 = not a lead byte
  std::vector<unsigned> pairs;
  int leads = 0;
  for (int b = 0; b < 256; ++b) {
    const auto in = static_cast<unsigned char>(b);
    const int n = decoder.Convert(&in, 1, out, sizeof out);
    if (n == 2) {
      single[b] = static_cast<unsigned>(out[0] | out[1] << 8);
    } else if (n < 0 && errno == EINVAL) {
      leadIndex[b] = static_cast<unsigned>(++leads);
      for (int trail = 0; trail < 256; ++trail) {
        const unsigned char pair[2] = {in, static_cast<unsigned char>(trail)};
        const int m = decoder.Convert(pair, 2, out, sizeof out);
        pairs.push_back(m == 2 ? static_cast<unsigned>(out[0] | out[1] << 8) : kNone);
      }
    }
  }

  // Encoding: the code of every BMP code unit (below 0x100 a single byte,
  // otherwise lead << 8 | trail), kept only for the 256-unit pages that have
  // any, with an index of pages (stored as page + 1; 0 = no code at all).
  Converter encoder("CP932", "UTF-16LE");
  std::vector<unsigned> pageIndex(256, 0);
  std::vector<unsigned> codes;
  int pages = 0;
  for (unsigned page = 0; page < 256; ++page) {
    std::vector<unsigned> row(256, kNone);
    bool any = false;
    for (unsigned low = 0; low < 256; ++low) {
      const unsigned c = page << 8 | low;
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      const unsigned char in[2] = {static_cast<unsigned char>(low), static_cast<unsigned char>(page)};
      const int n = encoder.Convert(in, 2, out, sizeof out);
      if (n == 1) row[low] = out[0];
      if (n == 2) row[low] = static_cast<unsigned>(out[0] << 8 | out[1]);
      any = any || row[low] != kNone;
    }
    if (!any) continue;
    pageIndex[page] = static_cast<unsigned>(++pages);
    codes.insert(codes.end(), row.begin(), row.end());
  }

  std::ostringstream text;
  text << "// Written by cp932_tablegen from iconv's CP932 converter; not to be edited.\n"
          "#include \"common/cp932_tables.h\"\n\n"
          "namespace common::cp932::tables {\n\n";
  WriteArray(text, "const std::uint16_t kSingle[256]", single, 4);
  WriteArray(text, "const std::uint8_t kLeadRow[256]", leadIndex, 0);
  WriteArray(text, "const std::uint16_t kPairs[" + std::to_string(pairs.size()) + "]", pairs, 4);
  WriteArray(text, "const std::uint8_t kEncodePage[256]", pageIndex, 0);
  WriteArray(text, "const std::uint16_t kEncodeCodes[" + std::to_string(codes.size()) + "]", codes, 4);
  text << "}  // namespace common::cp932::tables\n";

  // Written only when it changes, so that a re-run does not rebuild what
  // depends on it.
  {
    std::ifstream old(argv[1], std::ios::binary);
    std::ostringstream previous;
    previous << old.rdbuf();
    if (old && previous.str() == text.str()) return 0;
  }
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << text.str();
  if (!file.flush()) {
    std::cerr << "cp932_tablegen: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}

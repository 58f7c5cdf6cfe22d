// The page formats of Jet files, and checked reads of their fields: the
// layer every other part of the reader stands on. Nothing here trusts a
// number from the file; a read past the bytes it was given fails the whole
// read with a ReadFailure that names what was being read.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace pellora::jet {

// What ends a read of a file that is damaged, or not a database, or asks
// for what this reader does not read: the message is the read's error.
class ReadFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Everything that differs between the Jet 3 layout (Access 97) and the Jet 4
// layout (Access 2000-2003, and ACE, whose pages are laid out alike) is a
// number here, so that each structure is read by one piece of code.
struct Format {
  bool jet4;
  std::size_t pageSize;
  std::size_t rowCountAt;    // data page: u16 row count, row offsets after it
  std::size_t countSize;     // inside a row: column counts and offsets (1 or 2 bytes)
  std::size_t encryptedHeaderBytes;  // header page: RC4 area from 0x18
  // Table definition: the row count, then a block that both versions lay
  // out alike from the table type on (max columns +1, variable columns +3,
  // columns +5, logical indexes +7, real indexes +11, used-pages map +15).
  std::size_t tdefRowCountAt;
  std::size_t tdefTableTypeAt;
  std::size_t tdefEntriesAt;          // real-index entries, then columns
  std::size_t realIndexEntrySize;
  std::size_t columnEntrySize;
  // Inside a column entry.
  std::size_t columnNumberAt;
  std::size_t columnVarIndexAt;
  std::size_t columnFlagsAt;
  std::size_t columnFixedOffsetAt;
  std::size_t columnSizeAt;
};

inline constexpr Format kJet3Format{false, 2048, 8, 1, 126, 0x0C, 0x14, 0x2B, 8, 18, 1, 3, 13, 14, 16};
inline constexpr Format kJet4Format{true, 4096, 12, 2, 128, 0x10, 0x28, 0x3F, 12, 25, 5, 7, 15, 21, 23};

// Page types (byte 0 of a page).
inline constexpr std::uint8_t kDataPage = 0x01;
inline constexpr std::uint8_t kTableDefinitionPage = 0x02;
inline constexpr std::uint8_t kUsageBitmapPage = 0x05;

// A row pointer: page << 8 | row index.
struct PageRow {
  std::uint32_t page;
  unsigned row;
};
inline PageRow SplitPageRow(std::uint32_t value) { return {value >> 8, value & 0xFF}; }

// Bytes of the file with checked little-endian reads. `what` names them in
// the failure a read past their end raises ("damaged <what>").
class Bytes {
 public:
  Bytes(std::span<const std::uint8_t> bytes, const char* what) : bytes_(bytes), what_(what) {}

  std::size_t size() const { return bytes_.size(); }
  std::span<const std::uint8_t> span() const { return bytes_; }

  std::uint8_t u8(std::size_t at) const { return bytes_[Check(at, 1)]; }
  std::uint16_t u16(std::size_t at) const {
    const std::size_t i = Check(at, 2);
    return static_cast<std::uint16_t>(bytes_[i] | bytes_[i + 1] << 8);
  }
  std::uint32_t u32(std::size_t at) const {
    const std::size_t i = Check(at, 4);
    return static_cast<std::uint32_t>(bytes_[i] | bytes_[i + 1] << 8 | bytes_[i + 2] << 16) |
           static_cast<std::uint32_t>(bytes_[i + 3]) << 24;
  }
  std::uint64_t u64(std::size_t at) const { return u32(at) | static_cast<std::uint64_t>(u32(at + 4)) << 32; }
  double f64(std::size_t at) const {
    const std::uint64_t bits = u64(at);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  float f32(std::size_t at) const {
    const std::uint32_t bits = u32(at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  // A count or offset inside a row: one byte in Jet 3, two in Jet 4.
  std::size_t count(const Format& format, std::size_t at) const { return format.jet4 ? u16(at) : u8(at); }

  std::span<const std::uint8_t> slice(std::size_t at, std::size_t length) const {
    return bytes_.subspan(Check(at, length), length);
  }

  [[noreturn]] void Fail() const { throw ReadFailure(std::string("damaged ") + what_); }

 private:
  std::size_t Check(std::size_t at, std::size_t length) const {
    if (at > bytes_.size() || length > bytes_.size() - at) Fail();
    return at;
  }

  std::span<const std::uint8_t> bytes_;
  const char* what_;
};

}  // namespace pellora::jet

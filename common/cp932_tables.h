#pragma once
// The tables behind common/cp932.h, written at build time by cp932_tablegen
// (see there for where they come from). Only cp932.cpp reads them.

#include <cstdint>

namespace common::cp932::tables {

inline constexpr std::uint16_t kNone = 0xFFFF;  // no mapping: U+FFFF is no character, FF FF no code

// The character of each single byte; kNone for a lead byte or a byte that
// is not code page 932.
extern const std::uint16_t kSingle[256];
// For a lead byte, 1 + its row in kPairs; 0 for every other byte.
extern const std::uint8_t kLeadRow[256];
// Rows of 256 trail bytes, one for each lead byte: the character, or kNone.
extern const std::uint16_t kPairs[];
// For each 256-unit page of the BMP, 1 + its row in kEncodeCodes; 0 for a
// page that has no character of code page 932.
extern const std::uint8_t kEncodePage[256];
// Rows of 256 codes: below 0x100 a single byte, otherwise lead << 8 | trail;
// kNone for a character that has no code.
extern const std::uint16_t kEncodeCodes[];

}  // namespace common::cp932::tables

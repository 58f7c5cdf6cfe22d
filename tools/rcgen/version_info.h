#pragma once
// VERSIONINFO: the fixed part (FILEVERSION, PRODUCTVERSION, flags, OS and
// type) and the blocks of values, as the platform's VS_VERSIONINFO that
// GetFileVersionInfo and VerQueryValue read.

#include <cstdint>
#include <string>
#include <vector>

#include "rcgen/binary.h"
#include "rcgen/token_reader.h"

namespace rcgen {

struct VersionItem {
  bool isBlock = false;
  std::string key;
  std::vector<VersionItem> children;  // of a BLOCK
  std::vector<Token> values;          // of a VALUE: all texts or all numbers
};

struct VersionInfo {
  // VS_FIXEDFILEINFO, with the defaults of an unspecified statement.
  std::uint32_t fixed[13] = {0xFEEF04BD, 0x00010000, 0, 0, 0, 0, 0x3F, 0, 0x40004, 2, 0, 0, 0};
  std::vector<VersionItem> items;
};

// The statements after "<name> VERSIONINFO", up to the END of its block.
VersionInfo ReadVersionInfo(TokenReader& in);

// Each node is its length, the length of its value (in characters for a
// text), its type (1 text, 0 binary), its key and value, and its children,
// each part aligned to 32 bits. Fails for a value that mixes texts and
// numbers.
Bytes EncodeVersionInfo(const VersionInfo& info);

}  // namespace rcgen

// The one place the reader touches the file system: a database file read
// whole into memory through the platform's files (platform/). Everything
// after this works on bytes, the same on every platform.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace pellora::jet {

// Larger than any Jet database: Jet 4 and ACE files end at 2 GB. A bigger
// file is refused before its size is ever allocated.
inline constexpr std::uint64_t kLargestDatabaseFile = std::uint64_t{2} << 30;

// The whole file. Throws ReadFailure ("no such file: ...", "not a file:
// ...", "cannot read ...") for a path that names no ordinary readable file
// or one larger than kLargestDatabaseFile.
std::vector<std::uint8_t> ReadDatabaseFile(std::u16string_view path);

}  // namespace pellora::jet

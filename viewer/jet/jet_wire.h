// How pellora-jetread hands a read back to the viewer: the ReadResult in a
// simple binary form on file descriptor 3 (not standard output, which
// libmdb prints to now and then).
//
//   "PJR1"  u32 ok  u32 n, n bytes of error text  u32 table count
//   per table: u32 n, name; u32 column count, per column u32 n, name;
//              u64 rows; u64 characters; rows*columns cells (u32 offset,
//              u32 length); characters * u16
//   "PJR."
//
// Integers are in the machine's own byte order: both ends are the same
// build. The parser trusts nothing: every count is checked against the
// bytes that are there and against what was asked for.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jet_reader.h"

namespace pellora::jet {

inline constexpr int kWireFd = 3;

std::vector<std::uint8_t> EncodeWire(const ReadResult& result);
// The same bytes written straight to fd, without building them in memory
// first (a large table is megabytes). False if the write failed.
bool WriteWire(int fd, const ReadResult& result);

// Fails (ok false, error "garbled ...") on anything malformed, or on
// tables and columns other than the ones requested.
ReadResult DecodeWire(std::span<const std::uint8_t> bytes, const std::vector<TableRequest>& requests);

// An upper bound on the output for a database of this size. Real tables
// give far less; a damaged file can make libmdb return the same bytes over
// and over, and this keeps both processes from filling memory with them.
std::uint64_t MaxWireBytes(std::uint64_t databaseBytes);

}  // namespace pellora::jet

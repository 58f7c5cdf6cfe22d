#pragma once
// Little-endian fields of the platform's resource formats.

#include <cstdint>
#include <vector>

namespace rcgen {

using Bytes = std::vector<unsigned char>;

inline void Put16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}

inline void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}

// Zeros up to the next multiple of four bytes.
inline void Pad4(Bytes& out) {
  while (out.size() % 4) out.push_back(0);
}

}  // namespace rcgen

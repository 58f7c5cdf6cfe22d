#pragma once
// RC4, the stream cipher with which Jet files hide their header page and,
// when the database is encoded, every other page. The cipher XORs a key
// stream into the bytes, so the same call encrypts and decrypts.

#include <array>
#include <cstdint>
#include <span>
#include <utility>

namespace common {

inline void Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) {
  std::array<std::uint8_t, 256> s;
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  for (std::size_t i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % key.size()]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  std::size_t i = 0, j = 0;
  for (std::uint8_t& b : data) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    b ^= s[(s[i] + s[j]) & 0xFF];
  }
}

}  // namespace common

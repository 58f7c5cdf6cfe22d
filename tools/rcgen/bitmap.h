#pragma once
// A picture kept as text in the repository (which holds no binary files),
// drawn as a 24-bit BMP file at build time:
//
//   size <width> <height>            (1 to 1024 each)
//   color <character> <RRGGBB>       (one line per colour)
//   pixels
//   <height lines of width characters, the top row first>
//
// Lines starting with # before the pixels are comments.

#include <cstdint>
#include <string>
#include <vector>

namespace rcgen {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row from the top
};

// Fails with "<where>:<line>: " for a line that breaks the form, and with
// `where` alone for too few rows.
Picture ReadPicture(const std::string& text, const std::string& where);

// The BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, then the rows from the
// bottom up, each padded to 32 bits.
std::string EncodeBmp(const Picture& picture);

}  // namespace rcgen

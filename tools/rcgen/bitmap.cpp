#include "rcgen/bitmap.h"

#include <map>
#include <sstream>

#include "rcgen/binary.h"
#include "rcgen/tokens.h"

namespace rcgen {

Picture ReadPicture(const std::string& text, const std::string& where) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  Picture picture;
  int& width = picture.width;
  int& height = picture.height;
  std::map<char, std::uint32_t> colours;
  int rows = 0;
  bool pixels = false;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string at = where + ":" + std::to_string(number);
    if (pixels) {
      if (rows == height) {
        if (!line.empty()) throw Error(at + ": more rows than the size says");
        continue;
      }
      if (static_cast<int>(line.size()) != width)
        throw Error(at + ": a row must have " + std::to_string(width) + " pixels");
      for (char c : line) {
        auto colour = colours.find(c);
        if (colour == colours.end()) throw Error(at + ": no colour for '" + std::string(1, c) + "'");
        picture.pixels.push_back(colour->second);
      }
      ++rows;
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "size") {
      words >> width >> height;
      if (!words || width <= 0 || height <= 0 || width > 1024 || height > 1024) throw Error(at + ": bad size");
    } else if (word == "color") {
      std::string key, rgb;
      words >> key >> rgb;
      if (key.size() != 1 || rgb.size() != 6 || rgb.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw Error(at + ": write a colour as: color <character> RRGGBB");
      colours[key[0]] = static_cast<std::uint32_t>(std::stoul(rgb, nullptr, 16));
    } else if (word == "pixels") {
      if (!width) throw Error(at + ": the size comes before the pixels");
      pixels = true;
    } else {
      throw Error(at + ": unknown line " + word);
    }
  }
  if (rows != height) throw Error(where + ": " + std::to_string(height) + " rows expected");
  return picture;
}

std::string EncodeBmp(const Picture& picture) {
  const auto width = static_cast<std::size_t>(picture.width);
  const auto height = static_cast<std::size_t>(picture.height);
  const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
  const std::size_t imageSize = stride * height;
  Bytes out = {'B', 'M'};
  Put32(out, static_cast<std::uint32_t>(14 + 40 + imageSize));
  Put32(out, 0);
  Put32(out, 14 + 40);
  Put32(out, 40);  // BITMAPINFOHEADER
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));  // positive: the bottom row first
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, static_cast<std::uint32_t>(imageSize));
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (std::size_t y = height; y-- > 0;) {
    for (std::size_t x = 0; x < width; ++x) {
      std::uint32_t rgb = picture.pixels[y * width + x];
      out.push_back(static_cast<unsigned char>(rgb & 0xFF));          // blue
      out.push_back(static_cast<unsigned char>((rgb >> 8) & 0xFF));   // green
      out.push_back(static_cast<unsigned char>((rgb >> 16) & 0xFF));  // red
    }
    out.resize(out.size() + stride - width * 3, 0);  // rows are 32-bit aligned within the image
  }
  return std::string(out.begin(), out.end());
}

}  // namespace rcgen

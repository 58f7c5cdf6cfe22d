#include "jet_file_check.h"

#include <array>
#include <cstring>
#include <fstream>
#include <system_error>

namespace pellora::jet {
namespace {

constexpr std::size_t kJet3PageSize = 2048;
constexpr std::size_t kJet4PageSize = 4096;
// Header page, catalog usage map and catalog definition at least.
constexpr std::uint64_t kMinimumPages = 3;

}  // namespace

JetFileShape ExamineJetFile(const std::filesystem::path& file) {
  JetFileShape shape;
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (ec || !std::filesystem::exists(status)) {
    shape.error = "no such file: " + file.string();
    return shape;
  }
  if (!std::filesystem::is_regular_file(status)) {
    shape.error = "not a file: " + file.string();
    return shape;
  }
  shape.fileSize = std::filesystem::file_size(file, ec);
  if (ec) {
    shape.error = "cannot read the size of " + file.string();
    return shape;
  }

  std::array<unsigned char, 0x18> head{};
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) {
    shape.error = "not a Jet database (too short): " + file.string();
    return shape;
  }
  static constexpr unsigned char kMagic[] = {0x00, 0x01, 0x00, 0x00, 'S', 't', 'a', 'n', 'd', 'a',
                                             'r',  'd',  ' ',  'J',  'e', 't', ' ', 'D', 'B', 0x00};
  if (std::memcmp(head.data(), kMagic, sizeof kMagic) != 0) {
    shape.error = "not a Jet database: " + file.string();
    return shape;
  }
  // The version is a 32-bit field: 0 Jet 3, 1 Jet 4; 2 and above are the
  // ACE (accdb) formats, which the viewer's database never uses.
  const std::uint32_t version = head[0x14] | head[0x15] << 8 | head[0x16] << 16 |
                                static_cast<std::uint32_t>(head[0x17]) << 24;
  if (version > 1) {
    shape.error = "not a Jet 3 or Jet 4 database (version " + std::to_string(version) + "): " + file.string();
    return shape;
  }
  shape.jet4 = version == 1;
  shape.pageSize = shape.jet4 ? kJet4PageSize : kJet3PageSize;
  // A file cut inside a page reads as rows of NULLs in libmdb; refuse it.
  if (shape.fileSize % shape.pageSize != 0 || shape.fileSize / shape.pageSize < kMinimumPages) {
    shape.error = "damaged Jet database (size " + std::to_string(shape.fileSize) +
                  " is not a whole number of pages): " + file.string();
    return shape;
  }
  shape.pageCount = shape.fileSize / shape.pageSize;
  return shape;
}

}  // namespace pellora::jet

// The checks a file must pass before libmdb may see it. libmdb trusts the
// file's own sizes and offsets; these checks keep out what it cannot cope
// with at all (not a Jet file, an ACE file, a file cut inside a page).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace pellora::jet {

struct JetFileShape {
  std::string error;  // empty when the file passed
  bool jet4 = false;
  std::size_t pageSize = 0;
  std::uint64_t pageCount = 0;
  std::uint64_t fileSize = 0;

  bool ok() const { return error.empty(); }
};

JetFileShape ExamineJetFile(const std::filesystem::path& file);

}  // namespace pellora::jet

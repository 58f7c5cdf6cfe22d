#pragma once
// Real files on disk for the reader's tests: a private folder per test,
// removed afterwards, and files written byte for byte.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "common/utf.h"

namespace pellora::testing {

class TempFolder {
 public:
  // A new folder of a name nobody else has taken (create_directory fails
  // for a folder that exists, on every platform).
  TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate =
          std::filesystem::temp_directory_path() / ("pellora-test-" + std::to_string(random() % 1000000000));
      std::error_code ec;
      if (std::filesystem::create_directory(candidate, ec)) {
        path_ = candidate;
        return;
      }
    }
    throw std::runtime_error("no temporary folder could be made");
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to the file `name` in the folder and returns its path.
  std::filesystem::path Write(const std::string& name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
  }

 private:
  std::filesystem::path path_;
};

// A path as the viewer receives it: UTF-16.
#ifdef _WIN32
inline std::u16string U16Path(const std::filesystem::path& path) { return path.u16string(); }
inline bool RunningAsRoot() { return false; }
// Windows has no file that opens and then fails at its first read.
inline std::string FileThatFailsAtRead() { return {}; }
#else
inline std::u16string U16Path(const std::filesystem::path& path) { return common::Utf8ToUtf16(path.string()); }

inline bool RunningAsRoot() { return ::geteuid() == 0; }

// A real file that opens as a regular file and fails when it is read: a
// kernel attribute that has no value for the loopback interface (reading
// it gives EINVAL). Empty when this machine has none.
inline std::string FileThatFailsAtRead() {
  for (const char* candidate : {"/sys/class/net/lo/speed", "/sys/class/net/lo/duplex"}) {
    const int fd = ::open(candidate, O_RDONLY);
    if (fd < 0) continue;
    char byte;
    const bool fails = ::read(fd, &byte, 1) < 0;
    ::close(fd);
    if (fails) return candidate;
  }
  return {};
}
#endif

}  // namespace pellora::testing

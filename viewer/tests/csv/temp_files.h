#pragma once
// Real files on disk for the reader's tests: a private folder per test,
// removed afterwards, and files written byte for byte.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "common/utf.h"

namespace pellora::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pellora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
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

}  // namespace pellora::testing

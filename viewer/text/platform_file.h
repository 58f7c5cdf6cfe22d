#pragma once
// A file of this platform opened for reading through the system's own
// calls: a descriptor here, a handle on Windows. The claim reader and the
// settings reader read through it, so that everything above it is the same
// code on every platform.
//
// Failures come back as the error numbers of errors/basic_error.h. The
// system's own codes (errno, or GetLastError() on Windows) are mapped to
// them in the platform's implementation of this class and nowhere else.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pellora {

class PlatformFile {
 public:
  // What an open accepts besides an ordinary file.
  enum class Accept {
    OrdinaryFiles,
    // Also a pipe, whose reads wait for its writer. Opening one without a
    // writer does not wait: it reads as an empty file.
    OrdinaryFilesAndPipes,
  };

  PlatformFile() = default;
  // Closes a file still open; a failure then has nobody to tell.
  ~PlatformFile();
  PlatformFile(PlatformFile&& other) noexcept;
  PlatformFile& operator=(PlatformFile&& other) noexcept;
  PlatformFile(const PlatformFile&) = delete;
  PlatformFile& operator=(const PlatformFile&) = delete;

  // Opens `path` for reading, closing quietly whatever was open before.
  // Returns 0, or the error number of the failure: 52 for a text no file can
  // be named by, 53 a missing file, 76 a missing folder, 75 a folder, a
  // device or a file not ours to read, 70 a file another program holds
  // locked, 67 too many open files, 7 no memory.
  std::int16_t Open(std::u16string_view path, Accept accept);
  bool IsOpen() const { return handle_ != kNoHandle; }

  // Reads up to `size` bytes into `buffer` and returns how many were read,
  // 0 at the end of the file. On a failure returns 0 with `failure` set to
  // its error number (57 in general); `failure` is 0 otherwise.
  std::size_t Read(char* buffer, std::size_t size, std::int16_t& failure);

  // Closes the file: 0, or the error number of a failed close. The file
  // counts as closed either way (the system has let go of it: closing again
  // could hit a file the program has opened since).
  std::int16_t Close();

 private:
  // A descriptor or a handle, both of which fit; -1 is neither.
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;
};

}  // namespace pellora

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
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Why a file could not be written: its error number (52 a text no file can
// be named by, 76 a missing folder, 70 a folder or file not ours to write,
// 75 a folder where the file should be, 57 a full disk or another failure
// of the device, 67 too many open files, 7 no memory) and the system's own
// words for it, as the system gave them.
struct WriteFailure {
  std::int16_t number = 0;
  std::u16string systemText;
};

#ifdef _WIN32
// The system's words for a Windows error code (GetLastError's), in the
// user's language: what a failure's box tells besides its own text.
std::u16string SystemErrorText(std::uint32_t error);
#endif

// Makes `bytes` the whole content of the file `path`, replacing a file
// there. They are written to a new file in the same folder, flushed to the
// disk, and only then renamed over `path`: whatever fails on the way, the
// temporary file is removed and an earlier file at `path` is untouched, so
// that no half-written file is ever left under that name.
std::optional<WriteFailure> ReplaceFileContents(std::u16string_view path, std::string_view bytes);

// An ordinary file read whole into memory, for a reader that needs all of it
// at once (the database reader). A pipe, a folder or a device is no such
// file, and a file larger than `largest` bytes is refused before its size is
// ever allocated. A file that shrinks while it is read is read as it then is.
struct WholeFile {
  enum class Failure {
    None,
    NoSuchFile,  // nothing there, or a path no file can be named by
    CannotOpen,  // there, but not ours to open
    NotAFile,    // a folder, a pipe, a device
    TooLarge,
    CannotRead,
  };
  std::vector<std::uint8_t> bytes;
  Failure failure = Failure::None;
};
WholeFile ReadWholeFile(std::u16string_view path, std::uint64_t largest);

// Something (a file, a folder, ...) exists at `path`.
bool PathExists(std::u16string_view path);
// A folder exists at `path`.
bool IsFolder(std::u16string_view path);

// `a` and `b` name one existing file, however each names it (another form
// of the path, a link, a letter case the file system ignores). False when
// either cannot be looked at.
bool IsSameFile(std::u16string_view a, std::u16string_view b);

}  // namespace pellora

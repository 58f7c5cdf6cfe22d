#pragma once
// Lines of an open file, read in large blocks. A line ends at CR LF or at a
// lone CR; a lone LF is an ordinary byte of its line. The last line needs no
// terminator, and a terminator at the very end of the file does not start
// another line. CR is never the second byte of a code page 932 character, so
// splitting bytes here gives the same lines as splitting decoded text.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "text/platform_file.h"

namespace pellora {

class LineReader {
 public:
  // Reads from `file`, which stays owned by the caller.
  explicit LineReader(PlatformFile& file);

  // True once every byte of the file has been delivered. May read ahead; a
  // read failure met while looking ahead is kept and raised by the next
  // ReadLine, so that it reaches whoever asks for data.
  bool AtEnd();

  // The next line without its terminator, valid until the next call.
  // Throws FileError on a read failure, std::bad_alloc for a line that does
  // not fit in memory.
  std::string_view ReadLine();

 private:
  // Reads more bytes behind those not yet delivered, making room first.
  // Returns 0, or the error number of a failed read.
  std::int16_t Fill();

  static constexpr std::size_t kBlockSize = 256 * 1024;

  PlatformFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = kBlockSize;
  std::size_t begin_ = 0;  // first byte not yet delivered
  std::size_t end_ = 0;    // one past the last byte read
  bool endOfFile_ = false;
  std::int16_t pendingFailure_ = 0;
};

}  // namespace pellora

#pragma once
// Lines of an open file, read in large blocks. A line ends at CR LF or at a
// lone CR; a lone LF is an ordinary byte of its line. A file without any CR
// whose lines end in LF (one that went through a Linux or Mac tool) would be
// a single line by that rule, so in a file that holds no CR at all a line
// ends at LF instead. The last line needs no terminator, and a terminator at
// the very end of the file does not start another line. Neither CR nor LF is
// ever the second byte of a code page 932 character, so splitting bytes here
// gives the same lines as splitting decoded text.
//
// Which rule holds is decided before the first line is delivered: at the
// first CR, or at the end of the file when there is none. A file whose
// first LF comes before its first CR is therefore read ahead up to that CR,
// and a file of LF line ends is held in memory whole (as the raw record
// grid holds it anyway).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "csv/byte_census.h"
#include "platform/platform_file.h"

namespace pellora {

class LineReader {
 public:
  // Reads from `file`, which stays owned by the caller, and counts every
  // byte read in `census`.
  LineReader(PlatformFile& file, ByteCensus& census);

  // True once every byte of the file has been delivered. May read ahead; a
  // read failure met while looking ahead is kept and raised by the next
  // ReadLine, so that it reaches whoever asks for data.
  bool AtEnd();

  // The next line without its terminator, valid until the next call.
  // Throws FileError on a read failure, std::bad_alloc for a line that does
  // not fit in memory.
  std::string_view ReadLine();

  // The file holds no CR, and its lines were read as ending at LF (known
  // once the first line has been read).
  bool LinesEndInLf() const { return lineEnd_ == LineEnd::Lf; }

 private:
  enum class LineEnd { Undecided, Cr, Lf };

  // Reads ahead until a CR is in the buffer or the file has ended, and
  // decides the line end by what was found.
  void DecideLineEnd();

  // Reads more bytes behind those not yet delivered, making room first.
  // Returns 0, or the error number of a failed read.
  std::int16_t Fill();

  static constexpr std::size_t kBlockSize = 256 * 1024;

  PlatformFile& file_;
  ByteCensus& census_;
  LineEnd lineEnd_ = LineEnd::Undecided;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = kBlockSize;
  std::size_t begin_ = 0;  // first byte not yet delivered
  std::size_t end_ = 0;    // one past the last byte read
  bool endOfFile_ = false;
  std::int16_t pendingFailure_ = 0;
};

}  // namespace pellora

#include "csv/line_reader.h"

#include <cstring>
#include <utility>

#include "csv/file_errors.h"

namespace pellora {

LineReader::LineReader(PlatformFile& file, ByteCensus& census)
    : file_(file), census_(census), buffer_(new char[kBlockSize]) {}

std::int16_t LineReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) {  // one line fills the whole buffer: make it bigger
    std::unique_ptr<char[]> bigger(new char[capacity_ * 2]);
    std::memcpy(bigger.get(), buffer_.get(), end_);
    buffer_ = std::move(bigger);
    capacity_ *= 2;
  }
  std::int16_t failure = 0;
  const std::size_t n = file_.Read(buffer_.get() + end_, capacity_ - end_, failure);
  if (failure != 0) return failure;
  if (n == 0) endOfFile_ = true;
  census_.Add(std::string_view(buffer_.get() + end_, n));
  end_ += n;
  return 0;
}

bool LineReader::AtEnd() {
  if (begin_ < end_) return false;
  if (endOfFile_) return true;
  if (pendingFailure_ != 0) return false;
  pendingFailure_ = Fill();
  return pendingFailure_ == 0 && begin_ == end_ && endOfFile_;
}

void LineReader::DecideLineEnd() {
  std::size_t searched = 0;  // bytes after begin_ known to hold no CR
  for (;;) {
    const char* const data = buffer_.get() + begin_;
    if (std::memchr(data + searched, '\r', end_ - begin_ - searched) != nullptr) {
      lineEnd_ = LineEnd::Cr;
      return;
    }
    if (endOfFile_) {
      lineEnd_ = std::memchr(data, '\n', end_ - begin_) != nullptr ? LineEnd::Lf : LineEnd::Cr;
      return;
    }
    searched = end_ - begin_;
    if (const std::int16_t failure = Fill()) throw FileError(failure);
  }
}

std::string_view LineReader::ReadLine() {
  if (pendingFailure_ != 0) throw FileError(std::exchange(pendingFailure_, 0));
  if (lineEnd_ == LineEnd::Undecided) DecideLineEnd();
  const char terminator = lineEnd_ == LineEnd::Lf ? '\n' : '\r';
  std::size_t scanned = 0;  // bytes after begin_ already known to hold no line end
  for (;;) {
    char* const data = buffer_.get();
    const std::size_t size = end_ - begin_;
    const void* found = std::memchr(data + begin_ + scanned, terminator, size - scanned);
    if (found != nullptr) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - data);
      if (lineEnd_ == LineEnd::Lf) {
        const std::string_view line(data + begin_, at - begin_);
        begin_ = at + 1;
        return line;
      }
      // Whether an LF follows is known once the next byte is here (or the
      // file has ended).
      if (at + 1 < end_ || endOfFile_) {
        const std::string_view line(data + begin_, at - begin_);
        begin_ = at + 1 < end_ && data[at + 1] == '\n' ? at + 2 : at + 1;
        return line;
      }
      scanned = at - begin_;
    } else {
      if (endOfFile_) {
        const std::string_view line(data + begin_, size);
        begin_ = end_;
        return line;
      }
      scanned = size;
    }
    if (const std::int16_t failure = Fill()) throw FileError(failure);
  }
}

}  // namespace pellora

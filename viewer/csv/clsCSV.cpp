#include "csv/clsCSV.h"

#include <fcntl.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <new>

#include "common/cp932.h"
#include "common/utf.h"

namespace pellora {
namespace {

// Opens `path` for reading and checks that it is something a claim file can
// be. Returns the descriptor, or throws the FileError to record.
//
// O_NONBLOCK keeps the open of a FIFO without a writer from hanging the
// program; it is taken off again so that reading a FIFO waits for its data.
int OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw OpenFailure(errno, path);

  struct stat st;
  const int statErrno = ::fstat(fd, &st) == 0 ? 0 : errno;
  // A folder opens fine for reading on this platform and fails only at the
  // first read; a device could block for ever. Both are refused at open.
  const bool readable = statErrno == 0 && (S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode));
  if (readable && S_ISFIFO(st.st_mode)) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  }
  if (!readable) {
    ::close(fd);
    throw statErrno != 0 ? OpenFailure(statErrno, path) : FileError(kErrPathFileAccess);
  }
  return fd;
}

// Writes the positions of the commas and quotes of `line` to `positions`
// (room for `length` entries) and returns how many there are. Eight
// characters are compared at a time where the processor allows it.
std::size_t FindFieldMarks(const char16_t* line, std::size_t length, std::uint32_t* positions) {
  std::size_t n = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi16(u',');
  const __m128i quote = _mm_set1_epi16(u'"');
  for (; i + 8 <= length; i += 8) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(chars, comma), _mm_cmpeq_epi16(chars, quote))));
    while (mask != 0) {  // two mask bits per character
      positions[n++] = static_cast<std::uint32_t>(i + static_cast<unsigned>(__builtin_ctz(mask)) / 2);
      mask &= mask - 1;
      mask &= mask - 1;
    }
  }
#endif
  for (; i < length; ++i) {
    positions[n] = static_cast<std::uint32_t>(i);
    n += (line[i] == u',') | (line[i] == u'"');
  }
  return n;
}

}  // namespace

clsCSV::~clsCSV() {
  if (open_) ::close(fd_);  // a failure here has nobody to tell
}

void clsCSV::RecordFailure(const FileError& failure) {
  errNo_ = failure.number();
  errDesc_ = failure.description();
}

void clsCSV::OpenFile(std::u16string_view FileName) {
  // A file still open from before is closed quietly rather than leaked.
  if (open_) ::close(fd_);
  fd_ = -1;
  open_ = false;
  endOfLine_ = true;
  reader_.reset();
  lineLength_ = 0;
  rest_ = 0;

  const std::optional<std::string> path = common::Utf16ToUtf8(FileName);
  if (!path || path->empty() || path->find('\0') != std::string::npos) {
    RecordFailure(FileError(kErrBadFileName));
    return;
  }
  try {
    fd_ = OpenForReading(*path);
    reader_.emplace(fd_);
    open_ = true;
  } catch (const FileError& failure) {
    fd_ = -1;
    RecordFailure(failure);
  } catch (const std::bad_alloc&) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    RecordFailure(FileError(kErrOutOfMemory));
  }
}

void clsCSV::CloseFile() {
  if (open_) {
    // The descriptor is gone after close(2) whatever it returns, so the
    // reader counts as closed even when the close reports a failure: a
    // second close could hit a descriptor the program has opened since.
    const int rc = ::close(fd_);
    const int closeErrno = rc == 0 ? 0 : errno;
    fd_ = -1;
    open_ = false;
    reader_.reset();
    if (rc != 0 && closeErrno != EINTR) {
      RecordFailure(CloseFailure(closeErrno));
      return;
    }
  }
  errNo_ = 0;
  errDesc_.clear();
}

bool clsCSV::CSVEOF() {
  if (!open_) return true;
  return endOfLine_ && reader_->AtEnd();
}

std::u16string_view clsCSV::ValueView() {
  if (CSVEOF()) return {};
  try {
    if (endOfLine_) {
      StartLine(reader_->ReadLine());
      endOfLine_ = false;
    }
    return NextFieldOfLine();
  } catch (const FileError& failure) {
    errNo_ = failure.number();
    throw;
  } catch (const std::bad_alloc&) {
    errNo_ = kErrOutOfMemory;
    throw FileError(kErrOutOfMemory);
  }
}

void clsCSV::StartLine(std::string_view bytes) {
  if (bytes.size() + 1 > lineCapacity_) {
    const std::size_t capacity = std::max(bytes.size() + 1, 2 * lineCapacity_);
    line_.reset();
    marks_.reset();
    lineCapacity_ = 0;
    line_.reset(new char16_t[capacity]);
    marks_.reset(new std::uint32_t[capacity]);
    lineCapacity_ = capacity;
  }
  lineLength_ = common::cp932::DecodeInto(bytes, line_.get());
  rest_ = 0;
  nextMark_ = 0;
  // Positions are 32-bit; a line of four billion characters or more is
  // split the slow way.
  marksKnown_ = lineLength_ < UINT32_MAX;
  if (!marksKnown_) return;
  marks_[FindFieldMarks(line_.get(), lineLength_, marks_.get())] = static_cast<std::uint32_t>(lineLength_);
}

std::u16string_view clsCSV::NextFieldOfLine() {
  if (!marksKnown_) return FieldWithQuotes();
  const std::size_t at = marks_[nextMark_];
  if (at < lineLength_ && line_[at] == u'"') return FieldWithQuotes();
  const std::u16string_view field(line_.get() + rest_, at - rest_);
  if (at == lineLength_) {
    rest_ = lineLength_;
    endOfLine_ = true;
  } else {
    rest_ = at + 1;
    ++nextMark_;
  }
  return field;
}

// The rest of the line from rest_, character by character: quotes toggle a
// quoted stretch and vanish, a doubled quote inside one stands for a quote,
// and only a comma outside ends the field.
std::u16string_view clsCSV::FieldWithQuotes() {
  const char16_t* const line = line_.get();
  std::size_t i = rest_;
  field_.clear();
  bool quoted = false;
  bool ended = false;
  for (; i < lineLength_; ++i) {
    const char16_t c = line[i];
    if (c == u'"') {
      if (!quoted) {
        quoted = true;
      } else if (i + 1 < lineLength_ && line[i + 1] == u'"') {
        field_.push_back(u'"');
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == u',' && !quoted) {
      ended = true;
      break;
    } else {
      field_.push_back(c);
    }
  }
  if (ended) {
    rest_ = i + 1;
  } else {
    rest_ = lineLength_;
    endOfLine_ = true;
  }
  if (marksKnown_) {
    while (marks_[nextMark_] < rest_ && marks_[nextMark_] < lineLength_) ++nextMark_;
  }
  return field_;
}

}  // namespace pellora

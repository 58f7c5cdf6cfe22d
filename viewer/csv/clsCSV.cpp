#include "csv/clsCSV.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "csv/codepage.h"
#include "csv/utf.h"

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
  line_.clear();
  rest_ = 0;

  const std::optional<std::string> path = Utf16ToUtf8(FileName);
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
      const std::string_view bytes = reader_->ReadLine();
      line_.clear();
      rest_ = 0;
      cp932::DecodeAppend(bytes, line_);
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

std::u16string_view clsCSV::NextFieldOfLine() {
  const char16_t* const begin = line_.data() + rest_;
  const char16_t* const end = line_.data() + line_.size();
  const char16_t* p = begin;
  // Most fields hold no quote: they are a plain slice of the line.
  while (p != end && *p != u',' && *p != u'"') ++p;
  if (p == end || *p == u',') {
    if (p == end) {
      rest_ = line_.size();
      endOfLine_ = true;
    } else {
      rest_ = static_cast<std::size_t>(p + 1 - line_.data());
    }
    return {begin, static_cast<std::size_t>(p - begin)};
  }

  field_.assign(begin, p);
  bool quoted = false;
  for (; p != end; ++p) {
    const char16_t c = *p;
    if (c == u'"') {
      if (!quoted) {
        quoted = true;
      } else if (p + 1 != end && p[1] == u'"') {
        field_.push_back(u'"');
        ++p;
      } else {
        quoted = false;
      }
    } else if (c == u',' && !quoted) {
      rest_ = static_cast<std::size_t>(p + 1 - line_.data());
      return field_;
    } else {
      field_.push_back(c);
    }
  }
  rest_ = line_.size();
  endOfLine_ = true;
  return field_;
}

}  // namespace pellora

// The platform file on POSIX systems: open(2), read(2) and close(2), and
// what their errno values mean to the user; a file written whole through a
// temporary file and rename(2).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "common/utf.h"
#include "errors/basic_error.h"
#include "platform/platform_file.h"

namespace pellora {
namespace {

// Errors that mean the same whatever the operation.
std::int16_t CommonNumber(int errnum) {
  switch (errnum) {
    case ENOMEM:
      return kErrOutOfMemory;
    case EMFILE:
    case ENFILE:
      return kErrTooManyFiles;
    case EIO:
      return kErrDeviceIO;
    default:
      return 0;
  }
}

bool FolderOfExists(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A missing file and a missing folder both give ENOENT; the folder is
// looked at to tell them apart.
std::int16_t OpenFailure(int errnum, const std::string& path) {
  if (const std::int16_t n = CommonNumber(errnum)) return n;
  switch (errnum) {
    case ENOENT:
      return FolderOfExists(path) ? kErrFileNotFound : kErrPathNotFound;
    case ENOTDIR:
    case ELOOP:
      return kErrPathNotFound;
    case ENAMETOOLONG:
    case EINVAL:
      return kErrBadFileName;
    default:  // EACCES, EPERM, EISDIR, ENXIO, ...: the path is there but not ours to read
      return kErrPathFileAccess;
  }
}

std::int16_t ReadFailure(int errnum) {
  if (const std::int16_t n = CommonNumber(errnum)) return n;
  return kErrDeviceIO;
}

}  // namespace

// O_NONBLOCK keeps the open of a FIFO without a writer from hanging the
// program; it is taken off again so that reading a FIFO waits for its data.
std::int16_t PlatformFile::Open(std::u16string_view path, Accept accept) {
  Close();
  const std::optional<std::string> name = common::Utf16ToUtf8(path);
  if (!name || name->empty() || name->find('\0') != std::string::npos) return kErrBadFileName;
  int fd;
  do {
    fd = ::open(name->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return OpenFailure(errno, *name);

  struct stat st;
  const int statErrno = ::fstat(fd, &st) == 0 ? 0 : errno;
  // A folder opens fine for reading on this platform and fails only at the
  // first read; a device could block for ever. Both are refused at open.
  const bool pipe = statErrno == 0 && S_ISFIFO(st.st_mode) && accept == Accept::OrdinaryFilesAndPipes;
  const bool readable = statErrno == 0 && (S_ISREG(st.st_mode) || pipe);
  if (!readable) {
    ::close(fd);
    return statErrno != 0 ? OpenFailure(statErrno, *name) : std::int16_t{kErrPathFileAccess};
  }
  if (pipe) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  }
  handle_ = fd;
  return 0;
}

std::size_t PlatformFile::Read(char* buffer, std::size_t size, std::int16_t& failure) {
  failure = 0;
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) {
      failure = ReadFailure(errno);
      return 0;
    }
  }
}

std::int16_t PlatformFile::Close() {
  if (!IsOpen()) return 0;
  const int rc = ::close(static_cast<int>(std::exchange(handle_, kNoHandle)));
  // EINTR: the descriptor is gone all the same, and nothing was lost.
  return rc != 0 && errno != EINTR ? ReadFailure(errno) : 0;
}

// ---- Reading a file whole ----

// Without O_NONBLOCK, opening a FIFO would wait for a writer that may never
// come; the check below then refuses it as no file.
WholeFile ReadWholeFile(std::u16string_view path, std::uint64_t largest) {
  WholeFile whole;
  const std::optional<std::string> name = common::Utf16ToUtf8(path);
  if (!name || name->empty() || name->find('\0') != std::string::npos) {
    whole.failure = WholeFile::Failure::NoSuchFile;
    return whole;
  }
  const int fd = ::open(name->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    whole.failure = errno == ENOENT || errno == ENOTDIR ? WholeFile::Failure::NoSuchFile : WholeFile::Failure::CannotOpen;
    return whole;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    whole.failure = WholeFile::Failure::NotAFile;
    return whole;
  }
  if (static_cast<std::uint64_t>(st.st_size) > largest) {
    ::close(fd);
    whole.failure = WholeFile::Failure::TooLarge;
    return whole;
  }
  whole.bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < whole.bytes.size()) {
    const ssize_t n = ::read(fd, whole.bytes.data() + got, whole.bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return {{}, WholeFile::Failure::CannotRead};
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  whole.bytes.resize(got);
  return whole;
}

// ---- Writing a file whole ----

namespace {

// As an open's failure, but for what only writing meets: a missing entry
// is the folder (the file is being created), and what is there but not
// ours is a permission the user may have to ask for.
std::int16_t WriteFailureNumber(int errnum) {
  switch (errnum) {
    case ENOENT:
      return kErrPathNotFound;
    case EISDIR:
    case ENOTEMPTY:
    case EEXIST:
      return kErrPathFileAccess;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return kErrPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kErrDeviceIO;
    default:
      return OpenFailure(errnum, std::string());
  }
}

WriteFailure FailureOf(int errnum) {
  return {WriteFailureNumber(errnum), common::Utf8ToUtf16(std::strerror(errnum))};
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

// The temporary file is hidden (a leading dot) beside its target, so that
// the rename stays within one file system and is atomic. It is created with
// the ordinary mode a new file gets (the umask applies), not mkstemp's 0600.
std::optional<WriteFailure> ReplaceFileContents(std::u16string_view path, std::string_view bytes) {
  const std::optional<std::string> name = common::Utf16ToUtf8(path);
  if (!name || name->empty() || name->find('\0') != std::string::npos || name->back() == '/')
    return WriteFailure{kErrBadFileName, common::Utf8ToUtf16(std::strerror(EINVAL))};
  const std::size_t slash = name->find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : name->substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? *name : name->substr(slash + 1);

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temporary = folder + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && (errno != EEXIST || attempt == 99)) return FailureOf(errno);
  }
  int failed = 0;
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) failed = errno;
  if (::close(fd) != 0 && failed == 0 && errno != EINTR) failed = errno;
  if (failed == 0 && ::rename(temporary.c_str(), name->c_str()) != 0) failed = errno;
  if (failed == 0) return std::nullopt;
  ::unlink(temporary.c_str());
  return FailureOf(failed);
}

bool PathExists(std::u16string_view path) {
  const std::optional<std::string> name = common::Utf16ToUtf8(path);
  struct stat st;
  return name && !name->empty() && ::stat(name->c_str(), &st) == 0;
}

bool IsFolder(std::u16string_view path) {
  const std::optional<std::string> name = common::Utf16ToUtf8(path);
  struct stat st;
  return name && !name->empty() && ::stat(name->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsSameFile(std::u16string_view a, std::u16string_view b) {
  const std::optional<std::string> nameA = common::Utf16ToUtf8(a);
  const std::optional<std::string> nameB = common::Utf16ToUtf8(b);
  struct stat stA;
  struct stat stB;
  return nameA && nameB && !nameA->empty() && !nameB->empty() && ::stat(nameA->c_str(), &stA) == 0 &&
         ::stat(nameB->c_str(), &stB) == 0 && stA.st_dev == stB.st_dev && stA.st_ino == stB.st_ino;
}

}  // namespace pellora

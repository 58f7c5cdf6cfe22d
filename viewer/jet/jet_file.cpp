#include "jet/jet_file.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "common/utf.h"
#include "jet/jet_format.h"

#ifdef _WIN32
#include <sys/stat.h>

#include <cstdio>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pellora::jet {
namespace {

[[noreturn]] void Fail(const std::string& what, std::u16string_view path) {
  throw ReadFailure(what + ": " + common::Utf16ToUtf8Lossy(path));
}

}  // namespace

#ifdef _WIN32

std::vector<std::uint8_t> ReadDatabaseFile(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) Fail("no such file", path);
  const std::wstring name(path.begin(), path.end());
  FILE* file = _wfopen(name.c_str(), L"rb");
  if (!file) Fail(errno == ENOENT ? "no such file" : "cannot open", path);
  struct _stat64 st;
  if (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(file);
    Fail("not a file", path);
  }
  if (static_cast<std::uint64_t>(st.st_size) > kLargestDatabaseFile) {
    std::fclose(file);
    Fail("larger than any Jet database", path);
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (got != bytes.size()) Fail("cannot read", path);
  return bytes;
}

#else

std::vector<std::uint8_t> ReadDatabaseFile(std::u16string_view path) {
  const std::optional<std::string> name = common::Utf16ToUtf8(path);
  if (!name || name->empty() || name->find('\0') != std::string::npos) Fail("no such file", path);
  // Without O_NONBLOCK, opening a FIFO would wait for a writer that may
  // never come; the check below then refuses it as no file.
  const int fd = open(name->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) Fail(errno == ENOENT || errno == ENOTDIR ? "no such file" : "cannot open", path);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    Fail("not a file", path);
  }
  if (static_cast<std::uint64_t>(st.st_size) > kLargestDatabaseFile) {
    close(fd);
    Fail("larger than any Jet database", path);
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      Fail("cannot read", path);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  // A file that shrank while it was read is read as it now is.
  bytes.resize(got);
  return bytes;
}

#endif

}  // namespace pellora::jet

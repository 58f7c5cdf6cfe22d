// The platform file on Windows: CreateFileW, ReadFile and CloseHandle, and
// what GetLastError() then says, in the numbers users of Windows BASIC
// programs know.

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "errors/basic_error.h"
#include "text/platform_file.h"

namespace pellora {
namespace {

std::int16_t OpenFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return kErrFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:    // \\server that does not answer
    case ERROR_BAD_NET_NAME:   // \\server\share that it does not share
    case ERROR_DIRECTORY:
      return kErrPathNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return kErrBadFileName;
    case ERROR_SHARING_VIOLATION:  // another program has the file open without sharing it
    case ERROR_LOCK_VIOLATION:
      return kErrPermissionDenied;
    case ERROR_TOO_MANY_OPEN_FILES:
      return kErrTooManyFiles;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return kErrOutOfMemory;
    default:  // ERROR_ACCESS_DENIED (also for a folder), ...: there, but not ours to read
      return kErrPathFileAccess;
  }
}

std::int16_t ReadFailure(DWORD error) {
  switch (error) {
    case ERROR_LOCK_VIOLATION:  // the part to read is locked by another program
      return kErrPermissionDenied;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return kErrOutOfMemory;
    default:
      return kErrDeviceIO;
  }
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Longer than a name in a folder can be on any of Windows' file systems.
// Windows says so itself (ERROR_INVALID_NAME), but not every implementation
// of its calls does, and a missing file would be the wrong thing to tell.
bool HasOverlongName(std::u16string_view path) {
  constexpr std::size_t kLongestName = 255;
  std::size_t length = 0;
  for (const char16_t c : path) {
    length = c == u'\\' || c == u'/' ? 0 : length + 1;
    if (length > kLongestName) return true;
  }
  return false;
}

}  // namespace

// Other programs may go on reading, writing and even deleting the file
// while it is read: the claim software may keep it open. A program that
// opened it without sharing it makes the open fail with error 70.
std::int16_t PlatformFile::Open(std::u16string_view path, Accept accept) {
  Close();
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos || HasOverlongName(path)) return kErrBadFileName;
  const std::wstring name(path.begin(), path.end());
  const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return OpenFailure(::GetLastError());
  // A folder does not open without backup semantics; a device (NUL, COM1)
  // does, and is refused here as the same access error.
  const DWORD type = ::GetFileType(file);
  if (type != FILE_TYPE_DISK && !(type == FILE_TYPE_PIPE && accept == Accept::OrdinaryFilesAndPipes)) {
    ::CloseHandle(file);
    return kErrPathFileAccess;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return 0;
}

std::size_t PlatformFile::Read(char* buffer, std::size_t size, std::int16_t& failure) {
  failure = 0;
  // ReadFile counts in 32 bits.
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  DWORD got = 0;
  if (::ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr)) return got;
  const DWORD error = ::GetLastError();
  // A pipe whose writer has gone has ended, as a file does.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  failure = ReadFailure(error);
  return 0;
}

std::int16_t PlatformFile::Close() {
  if (!IsOpen()) return 0;
  return ::CloseHandle(AsHandle(std::exchange(handle_, kNoHandle))) ? std::int16_t{0} : std::int16_t{kErrDeviceIO};
}

}  // namespace pellora

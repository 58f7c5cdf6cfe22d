// The platform file on Windows: CreateFileW, ReadFile and CloseHandle, and
// what GetLastError() then says, in the numbers users of Windows BASIC
// programs know; a file written whole through a temporary file and
// MoveFileExW.

#include <windows.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "errors/basic_error.h"
#include "errors/err_info.h"
#include "platform/platform_file.h"

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

// ---- Reading a file whole ----

WholeFile ReadWholeFile(std::u16string_view path, std::uint64_t largest) {
  WholeFile whole;
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) {
    whole.failure = WholeFile::Failure::NoSuchFile;
    return whole;
  }
  const std::wstring name(path.begin(), path.end());
  FILE* file = _wfopen(name.c_str(), L"rb");
  if (!file) {
    whole.failure = errno == ENOENT ? WholeFile::Failure::NoSuchFile : WholeFile::Failure::CannotOpen;
    return whole;
  }
  struct _stat64 st;
  if (_fstat64(_fileno(file), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
    std::fclose(file);
    whole.failure = WholeFile::Failure::NotAFile;
    return whole;
  }
  if (static_cast<std::uint64_t>(st.st_size) > largest) {
    std::fclose(file);
    whole.failure = WholeFile::Failure::TooLarge;
    return whole;
  }
  whole.bytes.resize(static_cast<std::size_t>(st.st_size));
  const std::size_t got = std::fread(whole.bytes.data(), 1, whole.bytes.size(), file);
  std::fclose(file);
  if (got != whole.bytes.size()) return {{}, WholeFile::Failure::CannotRead};
  return whole;
}

// Without the line end FormatMessageW puts after the system's words.
std::u16string SystemErrorText(std::uint32_t error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message(text, text + length);
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
    message.pop_back();
  if (message.empty()) message = u"Windows error " + DecimalText(error);
  return message;
}

// ---- Writing a file whole ----

namespace {

// As an open's failure, but what is there and not ours to write is a
// permission the user may have to ask for, and a full disk a failure of
// the device.
std::int16_t WriteFailureNumber(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:  // the file is being created: its folder is missing
      return kErrPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return kErrPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kErrDeviceIO;
    default:
      return OpenFailure(error);
  }
}

WriteFailure FailureOf(DWORD error) { return {WriteFailureNumber(error), SystemErrorText(error)}; }

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

// The temporary file is created new (never opening another's) beside its
// target, so that the move replaces the target within one volume.
std::optional<WriteFailure> ReplaceFileContents(std::u16string_view path, std::string_view bytes) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos || HasOverlongName(path) ||
      path.back() == u'\\' || path.back() == u'/')
    return FailureOf(ERROR_INVALID_NAME);
  // A folder where the file should be: moving onto it is refused with
  // access denied, which would read as a permission the user could ask for.
  if (IsFolder(path)) return WriteFailure{kErrPathFileAccess, SystemErrorText(ERROR_ACCESS_DENIED)};
  const std::wstring name(path.begin(), path.end());

  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = name + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L".tmp";
    file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_EXISTS || attempt == 99) return FailureOf(error);
    }
  }
  DWORD failed = ERROR_SUCCESS;
  if (!WriteAll(file, bytes) || !::FlushFileBuffers(file)) failed = ::GetLastError();
  if (!::CloseHandle(file) && failed == ERROR_SUCCESS) failed = ::GetLastError();
  if (failed == ERROR_SUCCESS &&
      !::MoveFileExW(temporary.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    failed = ::GetLastError();
  if (failed == ERROR_SUCCESS) return std::nullopt;
  ::DeleteFileW(temporary.c_str());
  return FailureOf(failed);
}

bool PathExists(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return false;
  const std::wstring name(path.begin(), path.end());
  return ::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return false;
  const std::wstring name(path.begin(), path.end());
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// The volume and the file's index on it, which name one file whatever path
// reaches it; nothing when the file cannot be opened to ask.
std::optional<std::array<DWORD, 3>> FileIdentity(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  const std::wstring name(path.begin(), path.end());
  const HANDLE file = ::CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = ::GetFileInformationByHandle(file, &info) != 0;
  ::CloseHandle(file);
  if (!known) return std::nullopt;
  return std::array<DWORD, 3>{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

bool IsSameFile(std::u16string_view a, std::u16string_view b) {
  const auto identityA = FileIdentity(a);
  const auto identityB = FileIdentity(b);
  return identityA && identityB && *identityA == *identityB;
}

}  // namespace pellora

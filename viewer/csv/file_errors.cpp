#include "csv/file_errors.h"

#include <sys/stat.h>

#include <cerrno>

#include "common/utf.h"

namespace pellora {
namespace {

std::string WhatText(std::int16_t number, std::u16string_view description) {
  return std::to_string(number) + ": " + common::Utf16ToUtf8(description).value_or("");
}

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

}  // namespace

FileError::FileError(std::int16_t number)
    : BasicError(number, WhatText(number, BasicErrorText(number))) {}

FileError OpenFailure(int errnum, const std::string& path) {
  if (const std::int16_t n = CommonNumber(errnum)) return FileError(n);
  switch (errnum) {
    case ENOENT:
      return FileError(FolderOfExists(path) ? kErrFileNotFound : kErrPathNotFound);
    case ENOTDIR:
    case ELOOP:
      return FileError(kErrPathNotFound);
    case ENAMETOOLONG:
    case EINVAL:
      return FileError(kErrBadFileName);
    default:  // EACCES, EPERM, EISDIR, ENXIO, ...: the path is there but not ours to read
      return FileError(kErrPathFileAccess);
  }
}

FileError ReadFailure(int errnum) {
  if (const std::int16_t n = CommonNumber(errnum)) return FileError(n);
  return FileError(kErrDeviceIO);
}

FileError CloseFailure(int errnum) { return ReadFailure(errnum); }

}  // namespace pellora

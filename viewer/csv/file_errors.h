#pragma once
// Failures of the file layer, numbered and worded as the classic Windows
// BASIC run-time errors that users of this kind of software know, with the
// Japanese texts they read. errno values are mapped here and nowhere else.

#include <cstdint>
#include <string>
#include <string_view>

#include "csv/basic_error.h"

namespace pellora {

enum BasicErrorNumber : std::int16_t {
  kErrOutOfMemory = 7,       // メモリが不足しています。
  kErrBadFileName = 52,      // ファイル名または番号が不正です。
  kErrFileNotFound = 53,     // ファイルが見つかりません。
  kErrDeviceIO = 57,         // デバイス I/O エラーです。
  kErrTooManyFiles = 67,     // ファイルが多すぎます。
  kErrPathFileAccess = 75,   // パス/ファイル アクセス エラーです。
  kErrPathNotFound = 76,     // パスが見つかりません。
};

// The description that goes with a file-layer error number ("" for others).
std::u16string_view FileErrorText(std::int16_t number);

// A failure of the file layer, as the reader passes it to its caller.
class FileError : public BasicError {
 public:
  explicit FileError(std::int16_t number);
};

// What a failed open(2) of `path` (UTF-8) means to the user. A missing file
// and a missing folder both give ENOENT; the folder is looked at to tell them
// apart.
FileError OpenFailure(int errnum, const std::string& path);
// What a failed read(2) or close(2) means to the user.
FileError ReadFailure(int errnum);
FileError CloseFailure(int errnum);

}  // namespace pellora

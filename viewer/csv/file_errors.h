#pragma once
// Failures of the file layer. errno values are mapped to error numbers
// here and nowhere else.

#include <cstdint>
#include <string>

#include "errors/basic_error.h"

namespace pellora {

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

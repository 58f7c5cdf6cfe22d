#pragma once
// Failures of the file layer, as the reader passes them to its caller. The
// platform file (text/platform_file.h) says which number a failure of the
// system has.

#include <cstdint>

#include "errors/basic_error.h"

namespace pellora {

class FileError : public BasicError {
 public:
  explicit FileError(std::int16_t number);
};

}  // namespace pellora

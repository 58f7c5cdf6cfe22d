#pragma once
// Failures the window's own routines raise for a call they cannot serve,
// numbered and worded as the classic Windows BASIC run-time errors, like the
// file layer's and the grid's.

#include <cstdint>

#include "errors/basic_error.h"

namespace pellora {

class RoutineError : public BasicError {
 public:
  explicit RoutineError(std::int16_t number);
};

}  // namespace pellora

#pragma once
// A failing grid operation raises an error in the calling routine, numbered
// as the classic Windows BASIC run-time errors of a control's properties.

#include <cstdint>

#include "errors/basic_error.h"

namespace pellora {

class GridError : public BasicError {
 public:
  explicit GridError(std::int16_t number);
};

}  // namespace pellora

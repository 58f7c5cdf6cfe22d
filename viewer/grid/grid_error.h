#pragma once
// A failing grid operation raises an error in the calling routine, numbered
// as the classic Windows BASIC run-time errors of a control's properties.

#include <cstdint>

#include "csv/basic_error.h"

namespace pellora {

enum GridErrorNumber : std::int16_t {
  kErrOutOfMemoryInGrid = 7,     // メモリが不足しています。
  kErrInvalidPropertyValue = 380,  // プロパティの値が不正です。
  kErrInvalidPropertyIndex = 381,  // プロパティ配列のインデックスが不正です。
};

class GridError : public BasicError {
 public:
  explicit GridError(std::int16_t number);
};

}  // namespace pellora

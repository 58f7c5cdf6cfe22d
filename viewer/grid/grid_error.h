#pragma once
// A failing grid operation raises an error in the calling routine, numbered
// as the classic Windows BASIC run-time errors of a control's properties.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pellora {

enum GridErrorNumber : std::int16_t {
  kErrOutOfMemoryInGrid = 7,     // メモリが不足しています。
  kErrInvalidPropertyValue = 380,  // プロパティの値が不正です。
  kErrInvalidPropertyIndex = 381,  // プロパティ配列のインデックスが不正です。
};

class GridError : public std::runtime_error {
 public:
  explicit GridError(std::int16_t number);
  std::int16_t number() const { return number_; }
  const std::u16string& description() const { return description_; }

 private:
  std::int16_t number_;
  std::u16string description_;
};

}  // namespace pellora

#pragma once
// Failures the window's own routines raise for a call they cannot serve,
// numbered and worded as the classic Windows BASIC run-time errors, like the
// file layer's and the grid's.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pellora {

enum RoutineErrorNumber : std::int16_t {
  kErrInvalidProcedureCall = 5,  // プロシージャの呼び出し、または引数が不正です。
  kErrOverflow = 6,              // オーバーフローしました。
};

class RoutineError : public std::runtime_error {
 public:
  explicit RoutineError(std::int16_t number);
  std::int16_t number() const { return number_; }
  const std::u16string& description() const { return description_; }

 private:
  std::int16_t number_;
  std::u16string description_;
};

}  // namespace pellora

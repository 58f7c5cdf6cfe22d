#include "shell/routine_error.h"

#include <string>
#include <string_view>

namespace pellora {
namespace {

std::u16string_view Description(std::int16_t number) {
  switch (number) {
    case kErrInvalidProcedureCall:
      return u"プロシージャの呼び出し、または引数が不正です。";
    case kErrOverflow:
      return u"オーバーフローしました。";
    default:
      return u"";
  }
}

}  // namespace

RoutineError::RoutineError(std::int16_t number)
    : BasicError(number, Description(number), "routine error " + std::to_string(number)) {}

}  // namespace pellora

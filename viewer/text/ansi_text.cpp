#include "text/ansi_text.h"

#include <limits>

#include "common/cp932.h"
#include "errors/routine_error.h"

namespace pellora {

std::string AnsiStrConv(std::u16string_view StrArg, int code) {
  if (code != vbFromUnicode) throw RoutineError(kErrInvalidProcedureCall);
  return common::cp932::Encode(StrArg);
}

std::u16string AnsiStrConv(std::string_view StrArg, int code) {
  if (code != vbUnicode) throw RoutineError(kErrInvalidProcedureCall);
  return common::cp932::Decode(StrArg);
}

std::int32_t AnsiLenB(std::u16string_view StrArg) {
  const std::string bytes = AnsiStrConv(StrArg, vbFromUnicode);
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw RoutineError(kErrOverflow);
  return static_cast<std::int32_t>(bytes.size());
}

std::u16string AnsiLeftB(std::u16string_view StrArg, std::int32_t n) {
  if (n < 0) throw RoutineError(kErrInvalidProcedureCall);
  const std::string bytes = AnsiStrConv(StrArg, vbFromUnicode);
  const std::string_view taken = std::string_view(bytes).substr(0, static_cast<std::size_t>(n));
  return AnsiStrConv(taken, vbUnicode);
}

}  // namespace pellora

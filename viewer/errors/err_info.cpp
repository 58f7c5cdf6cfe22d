#include "errors/err_info.h"

#include <exception>
#include <new>

#include "errors/basic_error.h"

namespace pellora {

ErrInfo CurrentErr() {
  try {
    throw;
  } catch (const BasicError& e) {
    return {e.number(), e.description()};
  } catch (const std::bad_alloc&) {
    return {kErrOutOfMemory, std::u16string(BasicErrorText(kErrOutOfMemory))};
  } catch (...) {
    return {kErrInternal, std::u16string(BasicErrorText(kErrInternal))};
  }
}

std::u16string ErrText(const ErrInfo& err) { return DecimalText(err.Number) + u":" + err.Description; }

std::u16string DecimalText(std::int64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace pellora

#include "shell/err_info.h"

#include <exception>
#include <new>

#include "csv/basic_error.h"
#include "csv/file_errors.h"

namespace pellora {
namespace {

constexpr std::int16_t kErrInternal = 51;
constexpr std::u16string_view kInternalErrorText = u"内部エラーです。";

}  // namespace

ErrInfo CurrentErr() {
  try {
    throw;
  } catch (const BasicError& e) {
    return {e.number(), e.description()};
  } catch (const std::bad_alloc&) {
    return {kErrOutOfMemory, std::u16string(FileErrorText(kErrOutOfMemory))};
  } catch (...) {
    return {kErrInternal, std::u16string(kInternalErrorText)};
  }
}

std::u16string ErrText(const ErrInfo& err) {
  const std::string digits = std::to_string(err.Number);
  return std::u16string(digits.begin(), digits.end()) + u":" + err.Description;
}

}  // namespace pellora

#include "grid/grid_error.h"

#include <string>
#include <string_view>

namespace pellora {
namespace {

std::u16string_view Description(std::int16_t number) {
  switch (number) {
    case kErrOutOfMemoryInGrid:
      return u"メモリが不足しています。";
    case kErrInvalidPropertyValue:
      return u"プロパティの値が不正です。";
    case kErrInvalidPropertyIndex:
      return u"プロパティ配列のインデックスが不正です。";
    default:
      return u"";
  }
}

}  // namespace

GridError::GridError(std::int16_t number)
    : BasicError(number, Description(number), "grid error " + std::to_string(number)) {}

}  // namespace pellora

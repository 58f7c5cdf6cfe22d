#include "csv/file_errors.h"

#include <string>

#include "common/utf.h"

namespace pellora {
namespace {

std::string WhatText(std::int16_t number, std::u16string_view description) {
  return std::to_string(number) + ": " + common::Utf16ToUtf8(description).value_or("");
}

}  // namespace

FileError::FileError(std::int16_t number) : BasicError(number, WhatText(number, BasicErrorText(number))) {}

}  // namespace pellora

#pragma once
// A failure numbered and worded as the classic Windows BASIC run-time errors
// that users of this kind of software know. The file layer, the grid and the
// window's routines each raise their own kind; a caller that only reports the
// failure (number and text) catches this one.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pellora {

class BasicError : public std::runtime_error {
 public:
  std::int16_t number() const { return number_; }
  const std::u16string& description() const { return description_; }

 protected:
  BasicError(std::int16_t number, std::u16string_view description, const std::string& what)
      : std::runtime_error(what), number_(number), description_(description) {}

 private:
  std::int16_t number_;
  std::u16string description_;
};

}  // namespace pellora

#pragma once
// A failure as the user is told of it: its number and its text, the way the
// classic Err object of Windows BASIC describes whatever a routine raised.
// The display pipeline passes its steps' failures on to the shell action
// that started it (the command line at start-up, the file choice); the
// action decides what to do and, if it says anything, says this.

#include <cstdint>
#include <string>

namespace pellora {

struct ErrInfo {
  std::int16_t Number = 0;
  std::u16string Description;
};

// The failure being handled: call it only inside a catch block. The file
// layer's, the grid's and the routines' own errors keep their numbers; a
// lack of memory is error 7; anything else is error 51, an internal error.
ErrInfo CurrentErr();

// "number:description", the form in which Pellora reports a failure.
std::u16string ErrText(const ErrInfo& err);

// The decimal digits of a number, as the messages write error numbers and
// counts.
std::u16string DecimalText(std::int64_t number);

}  // namespace pellora

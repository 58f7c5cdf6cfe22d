#pragma once
// The arguments of a program's command line as one text, the way Windows
// hands a program its whole command line: the program's own name first,
// in double quotes if it holds blanks, then the arguments exactly as
// typed. Pellora takes all of them together as one path; its start-up
// takes one pair of quotes round the whole off, as no path has them.

#include <string_view>

namespace pellora {

// The part of `commandLine` after the program's name and the blanks that
// follow it.
std::u16string_view CommandLineArguments(std::u16string_view commandLine);

}  // namespace pellora

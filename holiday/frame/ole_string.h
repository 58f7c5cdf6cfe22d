// Text in the platform's UTF-16 characters (OLECHAR: char16_t here, wchar_t
// on Windows): the library's one name for a string of them and for a view of
// one, whether it holds a path, a key, a name or a resource text.
#pragma once

#include <string>
#include <string_view>

#include "automation/com.h"

namespace dovrel {

using OleString = std::basic_string<OLECHAR>;
using OleStringView = std::basic_string_view<OLECHAR>;

}  // namespace dovrel

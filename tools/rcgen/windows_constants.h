#pragma once
// The constants of the platform's headers that resource scripts use
// (<windows.h> and <winver.h> are not read): version flags and file types,
// languages, window, dialog, static, button and edit styles, and the common
// control ids.

#include <optional>
#include <string>

namespace rcgen {

std::optional<long long> WindowsConstant(const std::string& name);

}  // namespace rcgen

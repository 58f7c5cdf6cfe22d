#pragma once
// Where Pellora's UTF-16 paths meet the file system of this platform, whose
// names are bytes (UTF-8 here) and whose folders are separated by "/".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellora {

// The file system's form of a path, or nothing for a text no file can be
// named by: empty, holding a NUL (the system would read only the part before
// it, which names some other file) or an unpaired surrogate.
std::optional<std::filesystem::path> PlatformPath(std::u16string_view path);

// The folder of the running program's executable, without a trailing "/"
// (except for the root itself); the current folder if the system cannot say.
std::u16string ExecutableFolder();

}  // namespace pellora

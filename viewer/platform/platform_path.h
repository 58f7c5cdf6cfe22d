#pragma once
// Where Pellora's UTF-16 paths meet the file system of this platform: its
// folder separator, its form of a path, and the folders a program starts
// from. On POSIX systems names are bytes (UTF-8 here) and folders are
// separated by "/"; on Windows names are UTF-16 and folders are separated
// by "\", after a drive ("C:") or a server's share ("\\server\share").

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// The separator this platform writes, and every one it reads: Windows takes
// "/" as well as "\\"; elsewhere "\\" is a character of a name.
#ifdef _WIN32
inline constexpr char16_t kFolderSeparator = u'\\';
inline constexpr std::u16string_view kFolderSeparators = u"\\/";
#else
inline constexpr char16_t kFolderSeparator = u'/';
inline constexpr std::u16string_view kFolderSeparators = u"/";
#endif

// The name of a path: what follows its last folder separator (the whole
// path when it has none).
constexpr std::u16string_view FileNameOf(std::u16string_view path) {
  const std::size_t separator = path.find_last_of(kFolderSeparators);
  return separator == std::u16string_view::npos ? path : path.substr(separator + 1);
}

// The folder of a path: everything before its last folder separator, so
// that the folder of C:\\claim.csv is "C:"; "/" for a file in the root of a
// POSIX file system, which has nothing before it; the current folder for a
// bare file name.
std::u16string FolderOf(std::u16string_view path);

// The file system's form of a path, or nothing for a text no file can be
// named by: empty, holding a NUL (the system would read only the part before
// it, which names some other file) or, where names are bytes, an unpaired
// surrogate.
std::optional<std::filesystem::path> PlatformPath(std::u16string_view path);

// The folder of the running program's executable, without a trailing
// separator (except for a root itself); the current folder if the system
// cannot say.
std::u16string ExecutableFolder();

// The current folder; "." if the system cannot say.
std::u16string CurrentFolder();

// Where a program looks for its settings file besides its own folder:
// `first` before it, `then` after it.
//
// POSIX: nothing first, as an installed /usr/bin/pellora has no settings
// beside it and a build or copied folder keeps its own; then the user's own
// before the machine's, $XDG_CONFIG_HOME/<application> (or
// ~/.config/<application> when that is unset or not absolute, as the XDG
// base directories say), then /etc/<application>.
//
// Windows: the user's own first, %APPDATA%\<Application>, as the
// installed program's folder holds a settings file that only an
// administrator may change; nothing after.
struct SettingsFolders {
  std::vector<std::u16string> first;
  std::vector<std::u16string> then;
};
SettingsFolders ConfigurationFolders(std::string_view application);

}  // namespace pellora

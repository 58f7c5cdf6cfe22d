#include <windows.h>

#include <vector>

#include "platform/platform_path.h"

namespace pellora {
namespace {

std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

std::optional<std::filesystem::path> PlatformPath(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  return std::filesystem::path(std::wstring(path.begin(), path.end()));
}

// GetModuleFileNameW cuts a name that does not fit its buffer and says so
// only by filling it: the buffer grows until the name fits.
std::u16string ExecutableFolder() {
  std::vector<wchar_t> name(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (n == 0) return CurrentFolder();
    if (n < name.size()) {
      std::wstring_view path(name.data(), n);
      const std::size_t separator = path.find_last_of(L"\\/");
      if (separator == std::wstring_view::npos) return CurrentFolder();
      // The root of a drive keeps its separator: "C:\", not "C:".
      const bool root = separator == 2 && path[1] == L':';
      return FromWide(path.substr(0, root ? separator + 1 : separator));
    }
    if (name.size() >= 32768) return CurrentFolder();  // longer than any path can be
    name.resize(name.size() * 2);
  }
}

std::u16string CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return u".";
  std::wstring folder(size, L'\0');
  const DWORD n = ::GetCurrentDirectoryW(size, folder.data());
  if (n == 0 || n >= size) return u".";
  folder.resize(n);
  return FromWide(folder);
}

// Windows names a program's folders as the program is called: Pellora.
SettingsFolders ConfigurationFolders(std::string_view application) {
  const DWORD size = ::GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
  if (size == 0 || application.empty()) return {};
  std::wstring folder(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", folder.data(), size);
  if (length == 0 || length >= size) return {};
  folder.resize(length);
  std::u16string name(application.begin(), application.end());
  if (name[0] >= u'a' && name[0] <= u'z') name[0] = static_cast<char16_t>(name[0] - u'a' + u'A');
  const bool separated = folder.back() == L'\\' || folder.back() == L'/';
  return {{FromWide(folder) + (separated ? u"" : u"\\") + name}, {}};
}

}  // namespace pellora

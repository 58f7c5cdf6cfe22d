#include <cstdlib>
#include <string>

#include "common/utf.h"
#include "platform/platform_path.h"

namespace pellora {

std::optional<std::filesystem::path> PlatformPath(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  std::optional<std::string> bytes = common::Utf16ToUtf8(path);
  if (!bytes) return std::nullopt;
  return std::filesystem::path(std::move(*bytes));
}

std::u16string ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return CurrentFolder();
  return common::Utf8ToUtf16(self.parent_path().string());
}

std::u16string CurrentFolder() {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::current_path(ec);
  return ec ? std::u16string(u".") : common::Utf8ToUtf16(folder.string());
}

SettingsFolders ConfigurationFolders(std::string_view application) {
  std::vector<std::u16string> folders;
  const std::string name(application);
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (config && *config == '/')
    folders.push_back(common::Utf8ToUtf16(std::string(config) + "/" + name));
  else if (home && *home)
    folders.push_back(common::Utf8ToUtf16(std::string(home) + "/.config/" + name));
  // As GIT_CONFIG_NOSYSTEM does for git: a run that must not see the
  // machine's settings (a test, a script) leaves /etc out.
  const char* noSystem = std::getenv("PELLORA_CONFIG_NOSYSTEM");
  if (!noSystem || !*noSystem) folders.push_back(common::Utf8ToUtf16("/etc/" + name));
  return {{}, std::move(folders)};
}

}  // namespace pellora

#include "text/platform_path.h"

#include "common/utf.h"

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
  const std::filesystem::path folder = ec ? std::filesystem::current_path(ec) : self.parent_path();
  return common::Utf8ToUtf16(folder.string());
}

}  // namespace pellora

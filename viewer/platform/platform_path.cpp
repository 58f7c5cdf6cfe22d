#include "platform/platform_path.h"

namespace pellora {

std::u16string FolderOf(std::u16string_view path) {
  const std::size_t separator = path.find_last_of(kFolderSeparators);
  if (separator == std::u16string_view::npos) return CurrentFolder();
  // A file in the root: its folder is the root, not "".
  if (separator == 0) return std::u16string(1, path[0]);
  return std::u16string(path.substr(0, separator));
}

}  // namespace pellora

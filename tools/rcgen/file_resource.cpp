#include "rcgen/file_resource.h"

#include <fstream>

#include "rcgen/tokens.h"
#include "tool_support/files.h"

namespace rcgen {

Bytes FileResourceData(const std::string& file, bool bitmap, const std::string& where,
                       const std::vector<std::string>& includeDirs, std::set<std::string>& files) {
  const std::string script = where.substr(0, where.rfind(':'));
  std::string path = file[0] == '/' ? file : tool_support::DirectoryOf(script) + "/" + file;
  for (const auto& dir : includeDirs) {
    if (file[0] == '/' || std::ifstream(path).good()) break;
    path = dir + "/" + file;
  }
  files.insert(path);
  std::string content;
  try {
    content = tool_support::ReadFile(path);
  } catch (const std::exception& e) {
    throw Error(where + ": " + e.what());
  }
  if (bitmap) {
    if (content.size() < 14 || content.compare(0, 2, "BM") != 0)
      throw Error(where + ": " + path + " is not a BMP file");
    content.erase(0, 14);
  }
  return Bytes(content.begin(), content.end());
}

}  // namespace rcgen

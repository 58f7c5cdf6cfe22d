#include "tool_support/files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tool_support {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteIfChanged(const std::string& path, const std::string& content) {
  std::ifstream existing(path, std::ios::binary);
  if (existing) {
    std::string old((std::istreambuf_iterator<char>(existing)), std::istreambuf_iterator<char>());
    if (old == content) return;
  }
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string DirectoryOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace tool_support

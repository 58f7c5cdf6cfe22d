// What the platform file is on every system: the owner of one handle.
#include "platform/platform_file.h"

#include <utility>

namespace pellora {

PlatformFile::~PlatformFile() { Close(); }

PlatformFile::PlatformFile(PlatformFile&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}

PlatformFile& PlatformFile::operator=(PlatformFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kNoHandle);
  }
  return *this;
}

}  // namespace pellora

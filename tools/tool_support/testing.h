#pragma once
// For the tools' tests: the message of a refusal, and a folder of the test's
// own for the files it writes.

#include <stdlib.h>

#include <exception>
#include <filesystem>
#include <string>

namespace tool_support {

// The message of what `run` throws, or "(accepted)" when it throws nothing,
// so that a table of refusals is one comparison per case.
template <class Run>
std::string MessageOf(Run&& run) {
  try {
    run();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(accepted)";
}

// A new folder under /tmp, removed with everything in it at the end of the
// scope.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/tools-test-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Empty when the folder could not be made.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace tool_support

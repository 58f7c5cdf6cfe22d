#pragma once
// The files of a build-time generator: its input read whole, its output
// written only when the content changes. An output that keeps its time stamp
// does not make the build compile again what depends on it.

#include <string>

namespace tool_support {

// The bytes of `path`; throws std::runtime_error("cannot read <path>").
std::string ReadFile(const std::string& path);

// Writes `content` to `path` unless the file holds exactly that already;
// throws std::runtime_error("cannot write <path>").
void WriteIfChanged(const std::string& path, const std::string& content);

// The folder of `path` as written ("." for a bare file name), in which the
// files a source names are looked for.
std::string DirectoryOf(const std::string& path);

}  // namespace tool_support

#include "platform/command_line.h"

namespace pellora {

// The name ends at the closing quote if it begins with one, else at the
// first blank; the system's own parsing of a program name goes the same
// way (no escapes: a name cannot hold a quote).
std::u16string_view CommandLineArguments(std::u16string_view commandLine) {
  std::size_t end;
  if (commandLine.starts_with(u'"')) {
    const std::size_t close = commandLine.find(u'"', 1);
    end = close == std::u16string_view::npos ? commandLine.size() : close + 1;
  } else {
    end = commandLine.find_first_of(u" \t");
    if (end == std::u16string_view::npos) end = commandLine.size();
  }
  commandLine.remove_prefix(end);
  while (!commandLine.empty() && (commandLine.front() == u' ' || commandLine.front() == u'\t'))
    commandLine.remove_prefix(1);
  return commandLine;
}

}  // namespace pellora

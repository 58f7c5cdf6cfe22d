// What `pellora` answers before it opens a window: only the exact words
// --help, -h and --version; anything else is the window's command line.

#include "shell/program_help.h"

#include <gtest/gtest.h>

namespace pellora {
namespace {

TEST(ProgramHelp, OnlyTheExactWordsAreAnsweredWithoutAWindow) {
  const struct {
    std::u16string_view commandLine;
    bool help, version;
  } cases[] = {
      {u"--help", true, false},   {u"  -h ", true, false},        {u"--version", false, true},
      {u"", false, false},        {u"--help me.csv", false, false}, {u"./--help", false, false},
      {u"/debug --help", false, false}, {u"--HELP", false, false},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> info = ProgramInfoFor(c.commandLine);
    EXPECT_EQ(info && info->starts_with("Usage: pellora "), c.help) << std::string(c.commandLine.begin(), c.commandLine.end());
    EXPECT_EQ(info && *info == "pellora " + std::string(ProgramVersion()) + "\n", c.version);
  }
  EXPECT_FALSE(ProgramVersion().empty());
}

}  // namespace
}  // namespace pellora

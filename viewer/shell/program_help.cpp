#include "shell/program_help.h"

#include "text/plain_text.h"

namespace pellora {
namespace {

constexpr std::string_view kHelp =
    "Usage: pellora [CLAIMFILE]\n"
    "  or:  pellora /debug [INI]\n"
    "  or:  pellora --help | --version\n"
    "\n"
    "Shows a monthly claim file of a long-term-care provider -- care-fee claim\n"
    "information (711) or benefit-management information (821), a Shift_JIS CSV\n"
    "file -- in a window: the file kind, the year-month and the provider, one\n"
    "row per insured person and month with the values of four service kinds,\n"
    "the monthly totals, and the names from the provider's database. The window\n"
    "copies, saves and prints the display; it never writes the claim file, the\n"
    "database or the settings.\n"
    "\n"
    "  CLAIMFILE      the claim file to show at once: the whole command line,\n"
    "                 spaces and all, is its name\n"
    "  /debug [INI]   also show the hidden working grids (\"-debug\" too, in any\n"
    "                 letter case); INI names the settings file to read\n"
    "  --help         write this help and exit\n"
    "  --version      write the version and exit\n"
    "\n"
    "The settings file velkar.ini is read beside the program, else from\n"
    "~/.config/pellora/ ($XDG_CONFIG_HOME/pellora/), else from /etc/pellora/.\n"
    "Its key QdrPath in the section [qdr] names the provider database (a Jet\n"
    "file: data.qdr, *.mdb, *.accdb); without one, data.qdr beside the program.\n"
    "\n"
    "pellora needs a display; pellora-export shows the same display without a\n"
    "window, as JSON, CSV, a table or PDF.\n";

}  // namespace

std::string_view ProgramVersion() { return PELLORA_VERSION; }

std::string HelpText() { return std::string(kHelp); }

std::string VersionText() { return "pellora " + std::string(ProgramVersion()) + "\n"; }

std::optional<std::string> ProgramInfoFor(std::u16string_view commandLine) {
  const std::u16string_view word = TrimSpaces(commandLine);
  if (word == u"--help" || word == u"-h") return HelpText();
  if (word == u"--version") return VersionText();
  return std::nullopt;
}

std::string NoDisplayText(std::string_view why) {
  return "pellora: no display to open the window on (" + std::string(why) +
         "); pellora-export shows the same display without a window\n";
}

}  // namespace pellora

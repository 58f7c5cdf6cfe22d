#pragma once
// PDF files read back with Poppler's tools (Debian's poppler-utils): the
// pages and their size (pdfinfo), a page's text (pdftotext) and the fonts
// with whether each is embedded (pdffonts). Another reader than the one
// that wrote the file, as anybody opening it would use.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace pellora::testing {

// What a program writes to standard output, or nothing when it cannot run
// or fails.
inline std::optional<std::string> OutputOf(const std::vector<std::string>& command) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
  std::vector<char*> argv;
  for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::string out;
  char buffer[65536];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
  close(pipeEnds[0]);
  int status = 0;
  if (!started || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return out;
}

struct PdfInfo {
  int pages = 0;
  double width = 0, height = 0;  // of the first page, in points
};

inline std::optional<PdfInfo> ReadPdfInfo(const std::filesystem::path& pdf) {
  const std::optional<std::string> out = OutputOf({"pdfinfo", pdf.string()});
  if (!out) return std::nullopt;
  PdfInfo info;
  std::istringstream lines(*out);
  for (std::string line, by; std::getline(lines, line);) {
    if (line.starts_with("Pages:")) info.pages = std::stoi(line.substr(6));
    if (line.starts_with("Page size:")) std::istringstream(line.substr(10)) >> info.width >> by >> info.height;
  }
  return info;
}

// Page `page` (from 1) as text, its lines laid out as on the page.
inline std::string PageText(const std::filesystem::path& pdf, int page) {
  const std::string number = std::to_string(page);
  return OutputOf({"pdftotext", "-layout", "-f", number, "-l", number, pdf.string(), "-"}).value_or("");
}

// The fonts of the file by name, and whether each is embedded: pdffonts'
// rows below its headings and rule, the column "emb" where the headings
// have it.
inline std::vector<std::pair<std::string, bool>> PdfFonts(const std::filesystem::path& pdf) {
  std::istringstream lines(OutputOf({"pdffonts", pdf.string()}).value_or(""));
  std::string headings, line;
  std::getline(lines, headings);
  std::getline(lines, line);
  std::vector<std::pair<std::string, bool>> fonts;
  while (std::getline(lines, line))
    fonts.emplace_back(line.substr(0, line.find(' ')), line.compare(headings.find("emb"), 3, "yes") == 0);
  return fonts;
}

}  // namespace pellora::testing

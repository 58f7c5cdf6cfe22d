#pragma once
// pellora-export run as a program, in a folder of the test's, its standard
// output and error kept in files there.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/lookup/provider_database.h"

extern char** environ;

namespace pellora::testing {

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

inline std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the program in `dir` with its standard output and error in files
// there (or the output in `outputFile`, such as /dev/full).
inline ProgramRun RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                             const TempDir& dir, const std::string& outputFile = "") {
  const std::string out = outputFile.empty() ? (dir / "stdout").string() : outputFile;
  const std::string err = (dir / "stderr").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  ProgramRun run;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  if (outputFile.empty()) run.out = ReadAll(out);
  run.err = ReadAll(err);
  return run;
}

}  // namespace pellora::testing

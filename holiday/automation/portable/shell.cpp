// Starting a program as the shell does: on its own, detached from the
// caller, without a shell that would read the file name as a command line.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "automation/portable/internal.h"

using namespace automation;

namespace {

HINSTANCE Result(ULONG_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

// The parameters split at blanks: the platform's quoting rules belong to the
// started program there, and no caller of ours passes any.
std::vector<std::string> Arguments(const std::string& file, LPCWSTR parameters) {
  std::vector<std::string> args{file};
  if (!parameters) return args;
  std::string text = common::Utf16ToUtf8Lossy(parameters), word;
  for (char c : text + ' ') {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) args.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  return args;
}

}  // namespace

STDAPI_(HINSTANCE) ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                                 LPCWSTR lpDirectory, INT) {
  if (lpOperation && common::Utf16ToUtf8Lossy(lpOperation) != "open") return Result(SE_ERR_NOASSOC);
  if (!lpFile || !*lpFile) return Result(SE_ERR_FNF);
  std::string file = common::Utf16ToUtf8Lossy(lpFile);
  struct stat info;
  if (stat(file.c_str(), &info) != 0) return Result(SE_ERR_FNF);
  if (!S_ISREG(info.st_mode) || access(file.c_str(), X_OK) != 0) return Result(SE_ERR_NOASSOC);
  std::string directory = lpDirectory ? common::Utf16ToUtf8Lossy(lpDirectory) : std::string();

  // Everything the child needs is prepared before fork: between fork and
  // exec only async-signal-safe calls are allowed in a threaded process.
  std::vector<std::string> args = Arguments(file, lpParameters);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  // Fork twice so that the program is not our child: nobody here waits for
  // it, and it must not linger as a zombie of the host.
  pid_t child = fork();
  if (child < 0) return Result(SE_ERR_OOM);
  if (child == 0) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild == 0) {
      if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(127);
      execv(argv[0], argv.data());
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Result(SE_ERR_OOM);
  return Result(42);  // any value above 32 means success
}

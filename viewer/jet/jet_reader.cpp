#include "jet_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "jet_file_check.h"
#include "jet_wire.h"

extern char** environ;

namespace pellora::jet {
namespace {

using Clock = std::chrono::steady_clock;

ReadResult Failed(std::string error) {
  ReadResult r;
  r.error = std::move(error);
  return r;
}

// Everything the helper did, as seen from here.
struct HelperRun {
  enum class End { Exited, Signalled, TimedOut, TooMuchOutput, Unknown } end = End::Unknown;
  int code = 0;  // exit status or signal
  std::vector<std::uint8_t> output;
};

std::vector<std::string> HelperArguments(const std::filesystem::path& helper, const std::filesystem::path& database,
                                         const std::vector<TableRequest>& requests) {
  std::vector<std::string> args{helper.string(), std::filesystem::absolute(database).string()};
  for (const TableRequest& r : requests) {
    args.push_back(r.table);
    args.push_back(std::to_string(r.columns.size()));
    args.insert(args.end(), r.columns.begin(), r.columns.end());
  }
  return args;
}

void KillAndReap(pid_t pid, int& status) {
  kill(pid, SIGKILL);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// Waits for the helper to end, but never past the deadline.
HelperRun::End AwaitExit(pid_t pid, Clock::time_point deadline, int& status) {
  for (;;) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFSIGNALED(status) ? HelperRun::End::Signalled : HelperRun::End::Exited;
    if (r < 0 && errno == ECHILD) return HelperRun::End::Unknown;  // reaped by someone else
    if (Clock::now() >= deadline) {
      KillAndReap(pid, status);
      return HelperRun::End::TimedOut;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Starts the helper with its reply on descriptor 3 and everything else on
// /dev/null (libmdb prints its complaints to stderr, which is the user's
// terminal), collects the reply, and makes sure the helper is gone
// afterwards, whatever it did.
std::optional<HelperRun> RunHelper(const std::vector<std::string>& args, std::chrono::milliseconds timeout,
                                   std::uint64_t maxOutput, std::string& error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return std::nullopt;
  }
  // A large table is megabytes: a wider pipe means fewer switches between
  // the helper writing and this process reading. (Best effort: the system
  // may cap it.)
  fcntl(fds[0], F_SETPIPE_SZ, 1 << 20);
  // dup2 onto itself would keep close-on-exec set: keep the write end off 3.
  if (fds[1] == kWireFd) {
    const int moved = fcntl(fds[1], F_DUPFD_CLOEXEC, kWireFd + 1);
    close(fds[1]);
    fds[1] = moved;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], kWireFd);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&defaults, sig);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    error = "cannot start the database reader " + args[0] + ": " + std::strerror(spawned);
    return std::nullopt;
  }

  HelperRun run;
  const Clock::time_point deadline = Clock::now() + timeout;
  int status = 0;
  std::size_t received = 0;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      run.end = HelperRun::End::TimedOut;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
    if (ready < 0 && errno != EINTR) {
      run.end = HelperRun::End::TimedOut;  // cannot wait properly: give up on the helper
      break;
    }
    if (ready <= 0) continue;
    // Read straight into the reply, growing it geometrically.
    if (run.output.size() - received < (1 << 16)) run.output.resize(std::max<std::size_t>(2 * received, 1 << 20));
    const ssize_t n = read(fds[0], run.output.data() + received, run.output.size() - received);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      break;
    }
    if (n == 0) break;  // the helper closed its end: done or dead
    received += static_cast<std::size_t>(n);
    if (received > maxOutput) {
      run.end = HelperRun::End::TooMuchOutput;
      break;
    }
  }
  close(fds[0]);
  run.output.resize(std::min(received, run.output.size()));
  if (run.end == HelperRun::End::TimedOut || run.end == HelperRun::End::TooMuchOutput) {
    KillAndReap(pid, status);
    return run;
  }
  run.end = AwaitExit(pid, deadline, status);
  if (run.end == HelperRun::End::Exited) run.code = WEXITSTATUS(status);
  if (run.end == HelperRun::End::Signalled) run.code = WTERMSIG(status);
  return run;
}

}  // namespace

std::filesystem::path DefaultHelperPath() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::current_path() : self.parent_path()) / "pellora-jetread";
}

ReadResult ReadJetTables(const std::filesystem::path& database, const std::vector<TableRequest>& requests,
                         const ReadOptions& options) {
  // The same checks run again in the helper; here they spare a process
  // start for the common failures (no file, not a database).
  const JetFileShape shape = ExamineJetFile(database);
  if (!shape.ok()) return Failed(shape.error);

  const std::filesystem::path helper = options.helper.empty() ? DefaultHelperPath() : options.helper;
  if (access(helper.c_str(), X_OK) != 0) return Failed("database reader not found: " + helper.string());

  std::string error;
  const auto run = RunHelper(HelperArguments(helper, database, requests), options.timeout,
                             MaxWireBytes(shape.fileSize), error);
  if (!run) return Failed(error);
  switch (run->end) {
    case HelperRun::End::TimedOut:
      return Failed("the database reader did not finish within " + std::to_string(options.timeout.count()) + " ms");
    case HelperRun::End::TooMuchOutput:
      return Failed("the database reader sent more than the file can hold");
    case HelperRun::End::Signalled:
      return Failed("the database reader crashed (signal " + std::to_string(run->code) + ")");
    case HelperRun::End::Exited:
      if (run->code != 0) return Failed("the database reader failed (exit status " + std::to_string(run->code) + ")");
      break;
    case HelperRun::End::Unknown:
      break;  // the reply's own end mark decides
  }
  return DecodeWire(run->output, requests);
}

bool OpensAsDatabase(const std::filesystem::path& database, const ReadOptions& options) {
  return ReadJetTables(database, {}, options).ok;
}

}  // namespace pellora::jet

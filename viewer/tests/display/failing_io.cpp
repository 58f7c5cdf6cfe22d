#include "tests/display/failing_io.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pellora::testing {
namespace {

struct State {
  bool armed = false;
  dev_t device = 0;
  ino_t inode = 0;
  FailurePlan plan;
  std::size_t delivered = 0;
  int closedFd = -1;
  int closesAfterClose = 0;
};

State& Current() {
  static State state;
  return state;
}

bool IsArmedFile(int fd) {
  const State& s = Current();
  struct stat st;
  return s.armed && ::fstat(fd, &st) == 0 && st.st_dev == s.device && st.st_ino == s.inode;
}

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

void Arm(const FailurePlan& plan) {
  State& s = Current();
  struct stat st;
  if (::stat(plan.path.c_str(), &st) != 0) return;
  s = State{};
  s.plan = plan;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.armed = true;
}

void Disarm() { Current() = State{}; }

int ClosesOfAClosedDescriptor() { return Current().closesAfterClose; }

}  // namespace pellora::testing

using pellora::testing::Current;
using pellora::testing::IsArmedFile;
using pellora::testing::Real;

extern "C" ssize_t read(int fd, void* buffer, size_t size) {
  static const auto real = Real<ssize_t (*)(int, void*, size_t)>("read");
  if (!IsArmedFile(fd) || Current().plan.readErrno == 0) return real(fd, buffer, size);
  auto& s = Current();
  if (s.delivered >= s.plan.failReadsAfter) {
    errno = s.plan.readErrno;
    return -1;
  }
  const ssize_t n = real(fd, buffer, std::min(size, s.plan.failReadsAfter - s.delivered));
  if (n > 0) s.delivered += static_cast<std::size_t>(n);
  return n;
}

extern "C" int close(int fd) {
  static const auto real = Real<int (*)(int)>("close");
  auto& s = Current();
  // A descriptor of the armed file that is open is a new one, even if it has
  // the number of one closed before.
  const bool armedFile = IsArmedFile(fd);
  if (!armedFile && s.armed && fd == s.closedFd) ++s.closesAfterClose;
  if (!armedFile || s.plan.closeErrno == 0) return real(fd);
  real(fd);  // the descriptor is gone, as after any close(2) on this platform
  s.closedFd = fd;
  errno = s.plan.closeErrno;
  return -1;
}

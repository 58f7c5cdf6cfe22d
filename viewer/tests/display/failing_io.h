#pragma once
// Read and close failures in the middle of a real file, for the one thing no
// real file on this machine can be made to do on demand: deliver some lines
// and then fail. This test program defines read(2) and close(2) itself; they
// pass every call through to the C library except those on the one file a
// test arms, which fail as planned.

#include <cstddef>
#include <string>

namespace pellora::testing {

struct FailurePlan {
  std::string path;                  // the file whose reads or closes fail
  std::size_t failReadsAfter = 0;    // bytes delivered before reads fail
  int readErrno = 0;                 // 0: reads do not fail
  int closeErrno = 0;                // 0: close does not fail
};

void Arm(const FailurePlan& plan);
void Disarm();
// Calls of close(2) on the armed file's descriptor after it was closed.
int ClosesOfAClosedDescriptor();

}  // namespace pellora::testing

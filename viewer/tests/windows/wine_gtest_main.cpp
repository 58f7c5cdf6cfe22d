// The main of the test programs under Wine: GoogleTest's run, then the
// closing line "N passed, N failed" that scripts/run-wine-tests reads (a
// program that died half-way has none). Skipped tests are neither.
#include <gtest/gtest.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  const testing::UnitTest& run = *testing::UnitTest::GetInstance();
  std::printf("%d passed, %d failed\n", run.successful_test_count(), run.failed_test_count());
  return status;
}

// The self-checking client of dovrel60.dll under Wine (or Windows): it
// registers the library with regsvr32, uses every class as hosts do through
// the platform's COM, compares what the type library and the persisted
// streams hold with what the Linux build wrote, shows the about box, and
// unregisters. It prints each failure, a summary per section and, last,
// "N passed, N failed"; it exits non-zero when anything failed.
//
//   driver.exe <dovrel60.dll> <reference folder> <work folder> <msinfo_probe.exe> [screenshot.bmp]
#include "tests/wine/driver_support.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::printf("usage: driver.exe <dovrel60.dll> <reference folder> <work folder> <msinfo_probe.exe> [screenshot.bmp]\n");
    return 2;
  }
  driver::Setup setup;
  // Full paths: the registry records the library's path as given.
  auto full = [](const wchar_t* path) {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetFullPathNameW(path, MAX_PATH, buffer, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer) : std::wstring(path);
  };
  setup.dll = full(argv[1]);
  setup.reference = full(argv[2]);
  setup.work = full(argv[3]);
  setup.probe = full(argv[4]);
  if (argc > 5) setup.screenshot = full(argv[5]);

  // A single-threaded apartment, as the classes are registered for.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("CoInitializeEx failed\n0 passed, 1 failed\n");
    return 1;
  }
  driver::CheckRegistration(setup);
  driver::CheckTypeLibrary(setup);
  driver::CheckObjects(setup);
  driver::CheckPersistence(setup);
  driver::CheckMainObject(setup);
  driver::CheckUnregistration(setup);
  CoUninitialize();

  const driver::Tally& counts = driver::Counts();
  std::printf("%d passed, %d failed\n", counts.passed, counts.failed);
  std::fflush(stdout);
  return counts.failed == 0 && counts.passed > 0 ? 0 : 1;
}

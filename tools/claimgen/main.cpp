// claimgen: writes a realistic Shift_JIS claim file.
//
//   claimgen [--seed N] [--lines N] [--kind claim|benefit] [--month YYYYMM]
//            [--generation 2000|current] OUTPUT

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "claimgen/claimgen.h"

namespace {

int Usage() {
  std::fputs(
      "usage: claimgen [--seed N] [--lines N] [--kind claim|benefit] [--month YYYYMM] [--generation 2000|current] "
      "OUTPUT\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  claimgen::Options options;
  std::string output;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      const bool hasValue = i + 1 < argc;
      if (arg == "--seed" && hasValue) {
        options.seed = std::stoull(argv[++i]);
      } else if (arg == "--lines" && hasValue) {
        options.lines = std::stoull(argv[++i]);
      } else if (arg == "--kind" && hasValue) {
        const std::string kind = argv[++i];
        if (kind == "claim") {
          options.kind = claimgen::FileKind::CareFeeClaim;
        } else if (kind == "benefit") {
          options.kind = claimgen::FileKind::BenefitManagement;
        } else {
          return Usage();
        }
      } else if (arg == "--generation" && hasValue) {
        const std::string generation = argv[++i];
        if (generation == "2000") {
          options.generation = claimgen::Generation::First;
        } else if (generation == "current") {
          options.generation = claimgen::Generation::Current;
        } else {
          return Usage();
        }
      } else if (arg == "--month" && hasValue) {
        options.yearMonth = argv[++i];
        if (options.yearMonth.size() != 6 || options.yearMonth.find_first_not_of("0123456789") != std::string::npos)
          return Usage();
      } else if (!arg.empty() && arg[0] != '-' && output.empty()) {
        output = arg;
      } else {
        return Usage();
      }
    }
    if (output.empty()) return Usage();
    claimgen::WriteFile(output, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "claimgen: %s\n", e.what());
    return 1;
  }
  return 0;
}

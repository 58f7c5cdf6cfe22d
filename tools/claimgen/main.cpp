// claimgen: writes a complete Shift_JIS claim file, or one with a fault.
//
//   claimgen [--seed N] [--lines N] [--kind claim|benefit] [--month YYYYMM]
//            [--generation 2000|current] [--fault RULE] OUTPUT
//   claimgen --list-faults
//
// With --fault it says on standard output where it put the fault.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "claimgen/claimgen.h"

namespace {

int Usage() {
  std::fputs(
      "usage: claimgen [--seed N] [--lines N] [--kind claim|benefit] [--month YYYYMM] [--generation 2000|current]\n"
      "                [--fault RULE] OUTPUT\n"
      "       claimgen --list-faults\n",
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
      } else if (arg == "--fault" && hasValue) {
        options.fault = argv[++i];
        const auto faults = claimgen::Faults();
        if (std::find(faults.begin(), faults.end(), options.fault) == faults.end()) return Usage();
      } else if (arg == "--list-faults" && argc == 2) {
        for (const std::string_view fault : claimgen::Faults()) std::printf("%.*s\n", static_cast<int>(fault.size()), fault.data());
        return 0;
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
    claimgen::FaultPlace place;
    claimgen::WriteFile(output, options, &place);
    if (!options.fault.empty()) {
      std::printf("%s: line %zu", options.fault.c_str(), place.line);
      if (place.field > 0) std::printf(", field %d", place.field);
      std::printf("\n");
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "claimgen: %s\n", e.what());
    return 1;
  }
  return 0;
}

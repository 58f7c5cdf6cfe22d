#pragma once
// The large claim file the Pellora benchmarks read: written once by
// claimgen to a temporary file (the same seed every run, so runs compare),
// and removed when the program ends.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "claimgen/claimgen.h"

namespace bench {

struct ClaimFile {
  std::string path;
  std::size_t size = 0;

  explicit ClaimFile(std::size_t lines) {
    char pattern[] = "/tmp/pellora-bench-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) std::abort();
    ::close(fd);
    path = pattern;
    claimgen::Options options;
    options.seed = 20240401;
    options.lines = lines;
    claimgen::WriteFile(path, options);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    std::fseek(f, 0, SEEK_END);
    size = static_cast<std::size_t>(std::ftell(f));
    std::fclose(f);
  }
  ~ClaimFile() { std::remove(path.c_str()); }
  ClaimFile(const ClaimFile&) = delete;
  ClaimFile& operator=(const ClaimFile&) = delete;
};

}  // namespace bench

#pragma once
// The large claim file the Pellora benchmarks read: written once by
// claimgen to a temporary file (the same seed every run, so runs compare),
// and removed when the program ends. A benchmark may reshape the bytes
// before they are written, to read the same records laid out another way.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "claimgen/claimgen.h"

namespace bench {

struct ClaimFile {
  std::string path;
  std::size_t size = 0;

  explicit ClaimFile(std::size_t lines, void (*reshape)(std::string& bytes) = nullptr) {
    char pattern[] = "/tmp/pellora-bench-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) std::abort();
    ::close(fd);
    path = pattern;
    claimgen::Options options;
    options.seed = 20240401;
    options.lines = lines;
    std::string bytes = claimgen::Generate(options);
    if (reshape) reshape(bytes);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) std::abort();
    size = bytes.size();
  }
  ~ClaimFile() { std::remove(path.c_str()); }
  ClaimFile(const ClaimFile&) = delete;
  ClaimFile& operator=(const ClaimFile&) = delete;
};

}  // namespace bench

#pragma once
// The large claim file the Pellora benchmarks read: written once by
// claimgen to a temporary file (the same seed every run, so runs compare),
// and removed when the program ends. A benchmark may reshape the bytes
// before they are written, to read the same records laid out another way.
//
// Two versions of a benchmark compare on the same bytes where
// PELLORA_BENCH_CLAIM names a file (bench/display/compare-with): the file
// of records as claimgen writes them is read from there, or written there
// by the first run when it is missing. A version's claimgen may write other
// records than another's.

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
    const char* shared = reshape ? nullptr : std::getenv("PELLORA_BENCH_CLAIM");
    std::string bytes;
    if (shared && *shared) bytes = Read(shared);
    if (bytes.empty()) {
      claimgen::Options options;
      options.seed = 20240401;
      options.lines = lines;
      bytes = claimgen::Generate(options);
      if (shared && *shared) Write(shared, bytes);
    }
    if (reshape) reshape(bytes);
    Write(path, bytes);
    size = bytes.size();
  }
  ~ClaimFile() { std::remove(path.c_str()); }
  ClaimFile(const ClaimFile&) = delete;
  ClaimFile& operator=(const ClaimFile&) = delete;

 private:
  static std::string Read(const std::string& name) {
    std::string bytes;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return bytes;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
  }
  static void Write(const std::string& name, const std::string& bytes) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) std::abort();
  }
};

}  // namespace bench

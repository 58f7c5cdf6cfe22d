// How fast a claim file reaches the raw record grid, and what the grid holds
// afterwards.
//
// LoadCsvGrid reads a generated claim file of 200,000 Shift_JIS lines (about
// 20 MB) into a fresh raw record grid, whose cells are then read (a grid
// writes its records when it is first looked at). The baseline, measured in the same
// run over the same file read from disk the same way (256 KiB blocks), only
// finds the line ends with memchr: the least any loader has to do. The
// summary gives both rates, their ratio and the grid's memory per file byte.
// Targets: 100 MB/s or more for the load, at most 8 bytes per file byte.
//
// Rates are given by wall-clock time and by the process's CPU time: on a
// machine shared with other work the wall clock also counts the time the
// process waited for a processor.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/support/claim_file.h"
#include "bench/support/run_times.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "display/load_csv_grid.h"

namespace {

constexpr std::size_t kLines = 200000;
constexpr std::size_t kBlockSize = 256 * 1024;

const bench::ClaimFile& File() {
  static const bench::ClaimFile file(kLines);
  return file;
}

// Baseline: read the file in blocks and count the CRs.
std::size_t CountLineEnds(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::unique_ptr<char[]> buffer(new char[kBlockSize]);
  std::size_t ends = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.get(), kBlockSize);
    if (n <= 0) break;
    const char* p = buffer.get();
    const char* const end = p + n;
    while ((p = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))) != nullptr) {
      ++ends;
      ++p;
    }
  }
  ::close(fd);
  return ends;
}

void BM_FindLineEnds(benchmark::State& state) {
  const bench::ClaimFile& file = File();
  for (auto _ : state) benchmark::DoNotOptimize(CountLineEnds(file.path));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size));
}

void BM_LoadCsvGrid(benchmark::State& state) {
  const bench::ClaimFile& file = File();
  const std::u16string path = common::Utf8ToUtf16(file.path);
  std::size_t memory = 0;
  for (auto _ : state) {
    auto grid = std::make_unique<pellora::FlexGrid>(pellora::GridDesign{1, 1, 1, 1});
    pellora::RecordingMessageBoxes ui;
    pellora::LoadCsvGrid(path, *grid, ui);
    // The grid holds the records once it is looked at: the load is done
    // when a cell can be read.
    benchmark::DoNotOptimize(grid->TextMatrix(0, 1));
    state.PauseTiming();
    if (grid->Rows() != static_cast<int>(kLines) || !ui.shown.empty()) state.SkipWithError("load incomplete");
    memory = grid->MemoryUsage();
    grid.reset();  // freeing the grid is not part of the load
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size));
  state.counters["grid_bytes_per_file_byte"] = static_cast<double>(memory) / static_cast<double>(file.size);
}

BENCHMARK(BM_FindLineEnds)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadCsvGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Heap bytes a loaded grid holds, as the allocator counts them: a check on
// the grid's own account.
std::size_t HeapHeldByOneLoad() {
  // Small blocks come from the heap (uordblks), large ones are mapped (hblkhd).
  auto heapInUse = [] {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
  };
  const std::size_t before = heapInUse();
  auto grid = std::make_unique<pellora::FlexGrid>(pellora::GridDesign{1, 1, 1, 1});
  pellora::RecordingMessageBoxes ui;
  pellora::LoadCsvGrid(common::Utf8ToUtf16(File().path), *grid, ui);
  return heapInUse() - before;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const bench::ClaimFile& file = File();
  bench::RunTimes reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const double mb = static_cast<double>(file.size) / 1e6;

  std::printf("\nclaim file: %zu lines, %.1f MB\n", kLines, mb);
  const auto* base = reporter.Find("BM_FindLineEnds");
  const auto* load = reporter.Find("BM_LoadCsvGrid");
  if (base && load) {
    std::printf("                            wall clock     CPU time\n");
    std::printf("baseline (find line ends): %8.1f MB/s  %8.1f MB/s\n", mb / base->wall, mb / base->cpu);
    std::printf("LoadCsvGrid:               %8.1f MB/s  %8.1f MB/s  (target >= 100)\n", mb / load->wall,
                mb / load->cpu);
    std::printf("load / baseline:           %8.4f       %8.4f\n", base->wall / load->wall, base->cpu / load->cpu);
  }
  auto grid = std::make_unique<pellora::FlexGrid>(pellora::GridDesign{1, 1, 1, 1});
  pellora::RecordingMessageBoxes ui;
  pellora::LoadCsvGrid(common::Utf8ToUtf16(file.path), *grid, ui);
  const double own = static_cast<double>(grid->MemoryUsage()) / static_cast<double>(file.size);
  grid.reset();
  const double heap = static_cast<double>(HeapHeldByOneLoad()) / static_cast<double>(file.size);
  std::printf("grid memory per file byte: %8.2f by MemoryUsage(), %.2f by mallinfo2  (target <= 8)\n", own, heap);
  benchmark::Shutdown();
  return 0;
}

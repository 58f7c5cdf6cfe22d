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
// The same records are also loaded as one line of the whole file's size
// and of a quarter of it, quoted stretches spanning its LFs: a reader that
// went back over the line for each field or quote would read the long line
// many times slower per byte than the ordinary file, and the whole line
// four times slower per byte than its quarter. The summary gives both
// ratios; near 1 means the time grows with the bytes alone.
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

// The control record's line end stays the file's only CR; every later CR
// LF becomes an LF inside one long line, its CR a quote at every third
// line end and a space at the others, so that quoted stretches run over
// LFs and commas. The file keeps its size.
void JoinIntoOneQuotedLine(std::string& bytes) {
  std::size_t ends = 0;
  for (std::size_t at = bytes.find('\r'); (at = bytes.find('\r', at + 1)) != std::string::npos;)
    bytes[at] = ends++ % 3 == 0 ? '"' : ' ';
}

const bench::ClaimFile& OneLineFile(std::size_t lines) {
  static const bench::ClaimFile quarter(kLines / 4, JoinIntoOneQuotedLine);
  static const bench::ClaimFile whole(kLines, JoinIntoOneQuotedLine);
  return lines == kLines ? whole : quarter;
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

// Loads `file` into a fresh raw record grid each iteration, which must
// then hold `rows` rows and have shown no message.
void LoadIntoGrid(benchmark::State& state, const bench::ClaimFile& file, int rows) {
  const std::u16string path = common::Utf8ToUtf16(file.path);
  std::size_t memory = 0;
  for (auto _ : state) {
    auto grid = std::make_unique<pellora::FlexGrid>(pellora::GridDesign{1, 1, 1, 1});
    pellora::RecordingMessageBoxes ui;
    pellora::LoadCsvGrid(path, *grid, ui);
    // The grid holds the records once it is looked at: asking it anything
    // writes them.
    benchmark::DoNotOptimize(grid->MemoryUsage());
    state.PauseTiming();
    if (grid->Rows() != rows || !ui.shown.empty()) state.SkipWithError("load incomplete");
    memory = grid->MemoryUsage();
    grid.reset();  // freeing the grid is not part of the load
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size));
  state.counters["grid_bytes_per_file_byte"] = static_cast<double>(memory) / static_cast<double>(file.size);
}

void BM_LoadCsvGrid(benchmark::State& state) { LoadIntoGrid(state, File(), static_cast<int>(kLines)); }

// The control record and one line holding all the others.
void BM_LoadOneQuotedLine(benchmark::State& state) {
  LoadIntoGrid(state, OneLineFile(static_cast<std::size_t>(state.range(0))), 2);
}

BENCHMARK(BM_FindLineEnds)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LoadCsvGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_LoadOneQuotedLine)
    ->Arg(kLines / 4)
    ->Arg(kLines)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

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
  const auto* quarter = reporter.Find("BM_LoadOneQuotedLine/" + std::to_string(kLines / 4));
  const auto* whole = reporter.Find("BM_LoadOneQuotedLine/" + std::to_string(kLines));
  if (load && quarter && whole) {
    const double quarterMb = static_cast<double>(OneLineFile(kLines / 4).size) / 1e6;
    const double wholeMb = static_cast<double>(OneLineFile(kLines).size) / 1e6;
    std::printf("one quoted line, %4.1f MB:  %8.1f MB/s  %8.1f MB/s\n", quarterMb, quarterMb / quarter->wall,
                quarterMb / quarter->cpu);
    std::printf("one quoted line, %4.1f MB:  %8.1f MB/s  %8.1f MB/s\n", wholeMb, wholeMb / whole->wall,
                wholeMb / whole->cpu);
    // Seconds per byte against seconds per byte: 1 where the time follows
    // the bytes alone.
    const auto perByte = [](double seconds, double megabytes, double baseSeconds, double baseMegabytes) {
      return (seconds / megabytes) / (baseSeconds / baseMegabytes);
    };
    std::printf("one line / ordinary lines: %8.4f       %8.4f  (per byte)\n",
                perByte(whole->wall, wholeMb, load->wall, mb), perByte(whole->cpu, wholeMb, load->cpu, mb));
    std::printf("whole line / quarter line: %8.4f       %8.4f  (per byte; 4 if quadratic)\n",
                perByte(whole->wall, wholeMb, quarter->wall, quarterMb),
                perByte(whole->cpu, wholeMb, quarter->cpu, quarterMb));
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

// The cost of reading a provider's m_insd (insd_no, insr_no, pat_nm) into
// memory, as the name look-ups do once per run, against libmdb reading the
// same file in this process.
//
//   BM_Read          this reader: the file read, its table into a Table.
//   BM_ReadLibmdb    libmdb: the table's rows fetched and their text bound,
//                    the least libmdb does for a read (it cannot tell NULL
//                    from "" without more).
//   BM_SideBySide    both in every iteration, one after the other, so that
//                    machine noise falls on both. Counter libmdb_over_ours:
//                    libmdb's time over this reader's, the speed-up; the
//                    same of processor time in libmdb_over_ours_cpu.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include "jet/jet_reader.h"
#include "jetwriter/jet_writer.h"
#include "jetwriter/oracle/libmdb_table.h"

namespace {

using pellora::jet::ReadResult;
using pellora::jet::TableRequest;
using Clock = std::chrono::steady_clock;

const std::vector<TableRequest> kRequest = {{"m_insd", {"insd_no", "insr_no", "pat_nm"}}};

// One database per (version, rows), written once per run and removed at exit.
class Fixtures {
 public:
  ~Fixtures() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  std::filesystem::path Get(bool jet4, std::size_t rows) {
    if (dir_.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "bench-jet-XXXXXX").string();
      dir_ = mkdtemp(pattern.data());
    }
    const auto file = dir_ / ((jet4 ? "jet4-" : "jet3-") + std::to_string(rows) + ".qdr");
    if (!std::filesystem::exists(file)) {
      jetwriter::Database db;
      db.version = jet4 ? jetwriter::JetVersion::Jet4 : jetwriter::JetVersion::Jet3;
      jetwriter::Table t{"m_insd",
                         {{"insd_no", jetwriter::ColumnType::Text, 10},
                          {"insr_no", jetwriter::ColumnType::Text, 6},
                          {"pat_nm", jetwriter::ColumnType::Text, 40}},
                         {}};
      for (std::size_t i = 0; i < rows; ++i) {
        t.rows.push_back({std::to_string(1000000000 + i), std::string(i % 2 ? "131011" : "001234"),
                          "髙橋 花子" + std::to_string(i % 1000)});
      }
      db.tables.push_back(std::move(t));
      jetwriter::WriteJetFile(db, file);
    }
    return file;
  }

 private:
  std::filesystem::path dir_;
};

Fixtures& fixtures() {
  static Fixtures f;
  return f;
}

std::u16string PathOf(const std::filesystem::path& file) { return file.u16string(); }

void ReadOurs(benchmark::State& state, const std::filesystem::path& file, std::size_t rows) {
  ReadResult r = pellora::jet::ReadJetTables(PathOf(file), kRequest);
  if (!r.ok || r.tables.size() != 1 || r.tables[0].rowCount() != rows) state.SkipWithError("read failed");
  benchmark::DoNotOptimize(r);
}

void ReadLibmdb(benchmark::State& state, const std::filesystem::path& file, std::size_t rows) {
  auto r = jetwriter::oracle::ReadWithLibmdb(file, "m_insd", false);
  if (!r || r->rows.size() != rows) state.SkipWithError("libmdb read failed");
  benchmark::DoNotOptimize(r);
}

void BM_Read(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(1));
  const auto file = fixtures().Get(state.range(0) == 4, rows);
  for (auto _ : state) ReadOurs(state, file, rows);
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadLibmdb(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(1));
  const auto file = fixtures().Get(state.range(0) == 4, rows);
  for (auto _ : state) ReadLibmdb(state, file, rows);
  state.counters["rows_per_s"] =
      benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_SideBySide(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(1));
  const auto file = fixtures().Get(state.range(0) == 4, rows);
  double ours = 0, libmdb = 0, oursCpu = 0, libmdbCpu = 0;
  for (auto _ : state) {
    const std::clock_t c0 = std::clock();
    const auto t0 = Clock::now();
    ReadOurs(state, file, rows);
    const std::clock_t c1 = std::clock();
    const auto t1 = Clock::now();
    ReadLibmdb(state, file, rows);
    const std::clock_t c2 = std::clock();
    const auto t2 = Clock::now();
    oursCpu += static_cast<double>(c1 - c0);
    libmdbCpu += static_cast<double>(c2 - c1);
    const double mine = std::chrono::duration<double>(t1 - t0).count();
    ours += mine;
    libmdb += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(mine);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1000 * ours / n;
  state.counters["libmdb_ms"] = 1000 * libmdb / n;
  state.counters["libmdb_over_ours"] = libmdb / ours;
  state.counters["ours_cpu_ms"] = 1000 * oursCpu / CLOCKS_PER_SEC / n;
  state.counters["libmdb_over_ours_cpu"] = libmdbCpu / oursCpu;
}

}  // namespace

// Arguments: Jet version, rows.
BENCHMARK(BM_Read)->Args({4, 100000})->Args({3, 100000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLibmdb)->Args({4, 100000})->Args({3, 100000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SideBySide)->Args({4, 100000})->Args({3, 100000})->UseManualTime()->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

BENCHMARK_MAIN();

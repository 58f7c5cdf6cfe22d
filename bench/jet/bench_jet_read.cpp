// The cost of reading a provider's m_insd (insd_no, insr_no, pat_nm) into
// memory, as the name look-ups do once per run.
//
//   BM_ReadInProcess        libmdb in this process: the baseline, and the
//                           least any read can cost.
//   BM_ReadThroughHelper    the viewer's way: pellora-jetread, its reply
//                           through a pipe. Counter vs_in_process: its time
//                           over the baseline's, both measured in the same
//                           iterations, interleaved, so machine noise
//                           cancels out.
//   BM_ReadAndMatch         the helper read plus what the look-up does
//                           with it: a map of the first row per (insd_no,
//                           insr_no) and 20,000 display rows matched. The
//                           look-up's whole budget is 200 ms.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <unordered_map>

#include "jet_inprocess.h"
#include "jet_reader.h"
#include "jet_writer.h"

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

void Check(benchmark::State& state, const ReadResult& r, std::size_t rows) {
  if (!r.ok || r.tables.size() != 1 || r.tables[0].rowCount() != rows) state.SkipWithError("read failed");
}

void BM_ReadInProcess(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(1));
  const auto file = fixtures().Get(state.range(0) == 4, rows);
  for (auto _ : state) {
    ReadResult r = pellora::jet::ReadJetTablesInProcess(file, kRequest);
    Check(state, r, rows);
    benchmark::DoNotOptimize(r);
  }
  state.counters["rows_per_s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReadThroughHelper(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(1));
  const auto file = fixtures().Get(state.range(0) == 4, rows);
  double helperSeconds = 0, baselineSeconds = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    ReadResult viaHelper = pellora::jet::ReadJetTables(file, kRequest);
    auto t1 = Clock::now();
    ReadResult inProcess = pellora::jet::ReadJetTablesInProcess(file, kRequest);
    auto t2 = Clock::now();
    Check(state, viaHelper, rows);
    Check(state, inProcess, rows);
    const double helper = std::chrono::duration<double>(t1 - t0).count();
    helperSeconds += helper;
    baselineSeconds += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(helper);
  }
  state.counters["vs_in_process"] = helperSeconds / baselineSeconds;
}

void BM_ReadAndMatch(benchmark::State& state) {
  const std::size_t rows = 100000, displayRows = 20000;
  const auto file = fixtures().Get(state.range(0) == 4, rows);
  std::vector<std::pair<std::u16string, std::u16string>> wanted;
  for (std::size_t i = 0; i < displayRows; ++i) {
    const std::size_t n = i * 7 % (rows + 5000);  // some numbers have no row
    const std::string number = std::to_string(1000000000 + n), insurer = n % 2 ? "131011" : "001234";
    wanted.emplace_back(std::u16string(number.begin(), number.end()), std::u16string(insurer.begin(), insurer.end()));
  }
  for (auto _ : state) {
    ReadResult r = pellora::jet::ReadJetTables(file, kRequest);
    Check(state, r, rows);
    const pellora::jet::Table& insd = r.tables[0];
    std::unordered_map<std::u16string, std::size_t> first;
    first.reserve(insd.rowCount());
    for (std::size_t row = 0; row < insd.rowCount(); ++row) {
      const auto number = insd.text(row, 0), insurer = insd.text(row, 1);
      if (!number || !insurer) continue;
      std::u16string key(*number);
      key += u'\t';
      key += *insurer;
      first.try_emplace(std::move(key), row);
    }
    std::size_t found = 0;
    std::u16string key;
    for (const auto& [number, insurer] : wanted) {
      key = number;
      key += u'\t';
      key += insurer;
      found += first.count(key);
    }
    benchmark::DoNotOptimize(found);
  }
}

}  // namespace

// Arguments: Jet version, rows.
BENCHMARK(BM_ReadInProcess)->Args({4, 100000})->Args({3, 100000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadThroughHelper)->Args({4, 100000})->Args({3, 100000})->Args({4, 1000})
    ->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndMatch)->Arg(4)->Arg(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

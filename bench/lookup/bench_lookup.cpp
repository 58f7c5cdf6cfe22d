// LookupInsuredNames for a large provider: 20,000 display rows named from
// an m_insd of 100,000 rows. Its budget is 30 ms for the whole run.
//
//   BM_LookupInsuredNames   the whole routine, as the display pipeline
//                           calls it: the table read, the index of first
//                           rows, every row answered, and the display
//                           grid drawn with its names and colours.
//                           Counter vs_scan: its time over the table scan's
//                           alone (the same read, nothing done with it),
//                           both measured in every iteration, one after the
//                           other, so that machine noise falls on both.
//                           lookup_cpu_ms: the processor time it took, which
//                           a machine busy with other work inflates less
//                           than the time on the clock.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include "common/utf.h"
#include "claim/display_columns.h"
#include "display/viewer_grid.h"
#include "jet/jet_reader.h"
#include "jetwriter/jet_writer.h"
#include "lookup/database_location.h"
#include "lookup/master_data_lookups.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kTableRows = 100000;
constexpr int kDisplayRows = 20000;

std::string InsuredNumber(std::size_t i) { return std::to_string(1000000000 + i); }
std::string InsurerNumber(std::size_t i) { return i % 3 == 0 ? "001234" : "131011"; }

// The provider database, written once per run and removed at exit.
class Database {
 public:
  ~Database() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  std::filesystem::path Get(bool jet4) {
    if (dir_.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "bench-lookup-XXXXXX").string();
      dir_ = mkdtemp(pattern.data());
    }
    const auto file = dir_ / (jet4 ? "jet4.qdr" : "jet3.qdr");
    if (!std::filesystem::exists(file)) {
      jetwriter::Database db;
      db.version = jet4 ? jetwriter::JetVersion::Jet4 : jetwriter::JetVersion::Jet3;
      jetwriter::Table insd{"m_insd",
                            {{"insd_no", jetwriter::ColumnType::Text, 10},
                             {"insr_no", jetwriter::ColumnType::Text, 6},
                             {"pat_nm", jetwriter::ColumnType::Text, 40}},
                            {}};
      for (std::size_t i = 0; i < kTableRows; ++i) {
        insd.rows.push_back({InsuredNumber(i), InsurerNumber(i), "髙橋 花子" + std::to_string(i % 1000)});
      }
      db.tables.push_back(std::move(insd));
      jetwriter::WriteJetFile(db, file);
    }
    return file;
  }

 private:
  std::filesystem::path dir_;
};

Database& database() {
  static Database d;
  return d;
}

// A display of 20,000 persons; about one in twenty has no row, and the
// insurer numbers stand as the claim file wrote them (1234 for 001234), so
// that every row is formatted before it is matched.
void ShowPersons(pellora::ClaimView& claim, pellora::FlexGrid& viewer) {
  pellora::InitViewerGrid(viewer);
  for (int r = 1; r <= kDisplayRows; ++r) {
    const std::size_t n = static_cast<std::size_t>(r) * 7 % (kTableRows + kTableRows / 20);
    const std::string insurer = InsurerNumber(n) == "001234" ? "1234" : InsurerNumber(n);
    pellora::DisplayRow row;
    row.yearMonth = u"2024年04月";
    row.insured = common::Utf8ToUtf16(InsuredNumber(n));
    row.insurer = common::Utf8ToUtf16(insurer);
    claim.rows.push_back(std::move(row));
  }
  pellora::ShowViewerRows(claim, viewer);
}

void BM_LookupInsuredNames(benchmark::State& state) {
  const std::filesystem::path file = database().Get(state.range(0) == 4);
  pellora::ClaimView claim;
  pellora::FlexGrid viewer({50, 10, 1, 1});
  ShowPersons(claim, viewer);
  const pellora::NameDatabase names{pellora::CheckDatabase(common::Utf8ToUtf16(file.string())),
                                    common::Utf8ToUtf16(file.string())};
  if (!names.found) state.SkipWithError("the database does not open");
  const std::vector<pellora::jet::TableRequest> scan = {{"m_insd", {"insd_no", "insr_no", "pat_nm"}}};

  double lookupSeconds = 0, scanSeconds = 0, lookupCpuSeconds = 0;
  for (auto _ : state) {
    const std::clock_t cpu0 = std::clock();
    const auto t0 = Clock::now();
    pellora::LookupInsuredNames(claim, names);
    pellora::ShowViewerRows(claim, viewer);
    const auto t1 = Clock::now();
    lookupCpuSeconds += static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
    const pellora::jet::ReadResult read = pellora::jet::ReadJetTables(file.u16string(), scan);
    const auto t2 = Clock::now();
    if (!read.ok || read.tables[0].rowCount() != kTableRows) state.SkipWithError("the scan failed");
    benchmark::DoNotOptimize(read);
    const double lookup = std::chrono::duration<double>(t1 - t0).count();
    lookupSeconds += lookup;
    scanSeconds += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(lookup);
  }
  // Every name came out as found or not found: the run did the whole job.
  int found = 0;
  for (const pellora::DisplayRow& row : claim.rows) {
    if (row.nameOutcome == pellora::LookupOutcome::Found) ++found;
    else if (row.nameOutcome != pellora::LookupOutcome::NotFound) state.SkipWithError("a name was not looked up");
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["lookup_ms"] = 1000 * lookupSeconds / n;
  state.counters["lookup_cpu_ms"] = 1000 * lookupCpuSeconds / n;
  state.counters["scan_ms"] = 1000 * scanSeconds / n;
  state.counters["vs_scan"] = lookupSeconds / scanSeconds;
  state.counters["found"] = found;
}

}  // namespace

// Argument: the Jet version.
BENCHMARK(BM_LookupInsuredNames)->Arg(4)->Arg(3)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();

// How long the whole display of a large claim file takes: what the window
// does between the file's choice and the user reading it.
//
// A generated care-fee claim file of 200,000 Shift_JIS lines (about 20 MB)
// is shown by a started window through ShowCsvFile: the file read, its kind
// and header, the service records and their sort, the display rows, the
// monthly totals, and the names from a provider database of 100,000
// persons (those of the file among them), every control drawn. The
// baseline, measured in the same run, is reading the file's bytes alone.
//
// The program uses only what every version of the window has (start-up,
// the file's path, ShowCsvFile and the display grid), so that the same
// source built against an earlier version measures that version:
// bench/display/compare-with runs both, one after the other, and gives the
// ratio of their times, each first divided by its own baseline.
//
// Times are given by wall clock and by the process's CPU time: on a machine
// shared with other work the wall clock also counts the time the process
// waited for a processor.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/claim_file.h"
#include "bench/support/program_folder.h"
#include "bench/support/run_times.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "lookup/database_location.h"
#include "reader/claim_reader.h"
#include "shell/frmPellora.h"

namespace {

constexpr std::size_t kLines = 200000;

const bench::ClaimFile& File() {
  static const bench::ClaimFile file(kLines);
  return file;
}

bench::ProgramFolder& Folder() {
  static bench::ProgramFolder folder;
  return folder;
}

// A main window after start-up in the program folder, waiting for a file.
struct Window {
  pellora::RecordingMessageBoxes ui;
  pellora::frmPellora w{ui, {u"", common::Utf8ToUtf16(Folder().path().string()), {}, {}}};
  Window() {
    w.Form_Load();
    if (w.Unloaded()) std::abort();
  }
  void Show() { w.ShowCsvFile(common::Utf8ToUtf16(File().path)); }
};

// The database holds the file's persons, read off the claim without it.
void PrepareDatabase() {
  const pellora::ClaimView claim = pellora::ReadClaim(common::Utf8ToUtf16(File().path), {});
  std::vector<std::pair<std::string, std::string>> persons;
  for (const pellora::DisplayRow& row : claim.rows)
    persons.emplace_back(common::Utf16ToUtf8Lossy(row.insured), common::Utf16ToUtf8Lossy(row.insurer));
  Folder().WriteDatabase(common::Utf16ToUtf8Lossy(claim.providerNumber), persons);
}

// How many of a claim's rows got their names.
int Named(const pellora::ClaimView& claim) {
  int named = 0;
  for (const pellora::DisplayRow& row : claim.rows) named += row.nameOutcome == pellora::LookupOutcome::Found;
  return named;
}

void BM_ReadFileOnly(benchmark::State& state) {
  std::string bytes;
  for (auto _ : state) {
    std::ifstream in(File().path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    benchmark::DoNotOptimize(bytes.data());
  }
  if (bytes.size() != File().size) state.SkipWithError("the file was not read whole");
}

void BM_WholeDisplay(benchmark::State& state) {
  int rows = 0, named = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<Window>();
    state.ResumeTiming();
    window->Show();
    state.PauseTiming();
    const pellora::ClaimView& claim = window->w.Claim();
    rows = static_cast<int>(claim.rows.size());
    named = Named(claim);
    if (!window->ui.shown.empty()) state.SkipWithError("the display said something was wrong");
    window.reset();  // closing the window is not part of the display
    state.ResumeTiming();
  }
  state.counters["display_rows"] = rows;
  state.counters["named"] = named;
}

// The reader alone: the claim with its names, no window drawn.
void BM_ReadClaim(benchmark::State& state) {
  const std::u16string database = common::Utf8ToUtf16((Folder().path() / "data.qdr").string());
  const pellora::NameDatabase names{pellora::CheckDatabase(database), database};
  int rows = 0, named = 0;
  for (auto _ : state) {
    const pellora::ClaimView claim = pellora::ReadClaim(common::Utf8ToUtf16(File().path), names);
    state.PauseTiming();
    rows = static_cast<int>(claim.rows.size());
    named = Named(claim);
    state.ResumeTiming();
  }
  state.counters["display_rows"] = rows;
  state.counters["named"] = named;
}

BENCHMARK(BM_ReadFileOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_WholeDisplay)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_ReadClaim)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  File();
  PrepareDatabase();
  bench::RunTimes reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nclaim file: %zu lines, %zu bytes; database: %zu persons\n", kLines, File().size,
              bench::ProgramFolder::kDatabasePersons);
  const auto* read = reporter.Find("BM_ReadFileOnly");
  const auto* whole = reporter.Find("BM_WholeDisplay");
  const auto* reader = reporter.Find("BM_ReadClaim");
  if (read && whole) {
    std::printf("                            wall clock     CPU time\n");
    std::printf("baseline (read the file):  %8.1f ms   %8.1f ms\n", read->wall * 1e3, read->cpu * 1e3);
    std::printf("whole display:             %8.1f ms   %8.1f ms\n", whole->wall * 1e3, whole->cpu * 1e3);
    std::printf("whole display / read:      %8.2f      %8.2f\n", whole->wall / read->wall, whole->cpu / read->cpu);
    if (reader) {
      std::printf("the reader alone:          %8.1f ms   %8.1f ms\n", reader->wall * 1e3, reader->cpu * 1e3);
      std::printf("the reader / read:         %8.2f      %8.2f\n", reader->wall / read->wall, reader->cpu / read->cpu);
    }
  }
  benchmark::Shutdown();
  return 0;
}

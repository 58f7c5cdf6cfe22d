// How long the whole display of a large claim file takes, against loading
// the file alone.
//
// A generated care-fee claim file of 200,000 Shift_JIS lines (about 20 MB)
// goes through every display step of the main window, in the display
// pipeline's order: the raw record grid, the file kind and header, the sort
// grid and its sort, the display grid and the monthly totals (the name
// look-ups aside). The baseline, measured in the same run, is the first of
// those steps alone: LoadCsvGrid into a fresh window. The summary gives both
// times, their ratio, and one run's time per step.
// Target: the whole display in under one second.
//
// Times are given by wall clock and by the process's CPU time: on a machine
// shared with other work the wall clock also counts the time the process
// waited for a processor.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/claim_file.h"
#include "bench/support/run_times.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "shell/frmPellora.h"

namespace {

constexpr std::size_t kLines = 200000;

const bench::ClaimFile& File() {
  static const bench::ClaimFile file(kLines);
  return file;
}

// A main window after start-up has prepared its display and totals grids.
struct Window {
  pellora::RecordingMessageBoxes ui;
  pellora::frmPellora w{ui};
  Window() {
    if (!w.InitViewerGrid() || !w.InitTotalGrid()) std::abort();
  }
};

// The display steps after the load, in the pipeline's order, each named.
std::vector<std::pair<const char*, std::function<void(pellora::frmPellora&)>>> StepsAfterLoad() {
  using pellora::frmPellora;
  return {
      {"file kind and header",
       [](frmPellora& w) {
         w.ClearHead();
         w.SetFileKind();
         w.SetHeadYearMonth();
         w.lblHead[2].Caption = w.vsfCsv.TextMatrix(0, 8);
       }},
      {"BuildSortGrid", [](frmPellora& w) { w.BuildSortGrid(); }},
      {"sort of the sort grid", [](frmPellora& w) { w.SortSortGrid(); }},
      {"BuildViewerGrid", [](frmPellora& w) { w.BuildViewerGrid(); }},
      {"BuildTotalGrid", [](frmPellora& w) { w.BuildTotalGrid(); }},
      {"totals widths", [](frmPellora& w) { w.SetTotalWidthsByKind(); }},
  };
}

void BM_LoadOnly(benchmark::State& state) {
  const std::u16string path = common::Utf8ToUtf16(File().path);
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<Window>();
    state.ResumeTiming();
    window->w.LoadCsvGrid(path, window->w.vsfCsv);
    state.PauseTiming();
    if (window->w.vsfCsv.Rows() != static_cast<int>(kLines) || !window->ui.shown.empty())
      state.SkipWithError("load incomplete");
    window.reset();  // closing the window is not part of the display
    state.ResumeTiming();
  }
}

void BM_WholeDisplay(benchmark::State& state) {
  const std::u16string path = common::Utf8ToUtf16(File().path);
  const auto steps = StepsAfterLoad();
  int viewerRows = 0, totalRows = 0, sortRows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<Window>();
    state.ResumeTiming();
    pellora::frmPellora& w = window->w;
    w.LoadCsvGrid(path, w.vsfCsv);
    for (const auto& [name, step] : steps) step(w);
    state.PauseTiming();
    if (w.vsfCsv.Rows() != static_cast<int>(kLines) || !window->ui.shown.empty()) state.SkipWithError("load incomplete");
    sortRows = w.vsfSort.Rows();
    viewerRows = w.vsfViewer.Rows() - 1;
    totalRows = w.vsfTotal.Rows() - 1;
    window.reset();
    state.ResumeTiming();
  }
  state.counters["sort_rows"] = sortRows;
  state.counters["display_rows"] = viewerRows;
  state.counters["months"] = totalRows;
}

BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_WholeDisplay)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// One display, step by step, by wall clock.
void PrintStepTimes() {
  using Clock = std::chrono::steady_clock;
  Window window;
  pellora::frmPellora& w = window.w;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  Clock::time_point start = Clock::now();
  w.LoadCsvGrid(common::Utf8ToUtf16(File().path), w.vsfCsv);
  std::printf("  %-24s %8.1f ms\n", "LoadCsvGrid", ms(Clock::now() - start));
  for (const auto& [name, step] : StepsAfterLoad()) {
    start = Clock::now();
    step(w);
    std::printf("  %-24s %8.1f ms\n", name, ms(Clock::now() - start));
  }
  std::printf("  (%d raw rows, %d sort rows, %d display rows, %d months)\n", w.vsfCsv.Rows(), w.vsfSort.Rows(),
              w.vsfViewer.Rows() - 1, w.vsfTotal.Rows() - 1);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  File();
  bench::RunTimes reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);


  std::printf("\nclaim file: %zu lines\n", kLines);
  const auto* load = reporter.Find("BM_LoadOnly");
  const auto* whole = reporter.Find("BM_WholeDisplay");
  if (load && whole) {
    std::printf("                            wall clock     CPU time\n");
    std::printf("baseline (load alone):     %8.1f ms   %8.1f ms\n", load->wall * 1e3, load->cpu * 1e3);
    std::printf("whole display:             %8.1f ms   %8.1f ms  (target < 1000)\n", whole->wall * 1e3,
                whole->cpu * 1e3);
    std::printf("whole display / load:      %8.2f      %8.2f\n", whole->wall / load->wall, whole->cpu / load->cpu);
  }
  std::printf("one display, step by step (wall clock):\n");
  PrintStepTimes();
  benchmark::Shutdown();
  return 0;
}

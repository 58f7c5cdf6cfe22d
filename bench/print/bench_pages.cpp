// How long the display of a large claim file takes to lay out in pages and
// to draw, page by page, as a print or a PDF asks for it: the part of a
// print that is ours, whatever device then paints the pages.
//
// A generated care-fee claim file of 200,000 lines is shown by a started
// window without a database (each name cell then carries its mark). The
// baseline, in the same run, is writing the same display as CSV
// (DisplayCsv), which also visits every row's every cell once.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/support/claim_file.h"
#include "bench/support/program_folder.h"
#include "bench/support/run_times.h"
#include "claim/display_csv.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "shell/frmPellora.h"

namespace {

constexpr std::size_t kLines = 200000;

struct Shown {
  bench::ClaimFile file{kLines};
  bench::ProgramFolder folder;
  pellora::RecordingMessageBoxes ui;
  pellora::frmPellora w{ui, {u"", common::Utf8ToUtf16(folder.path().string()), {}, {}}};
  Shown() {
    w.Form_Load();
    if (w.Unloaded()) std::abort();
    w.ShowCsvFile(common::Utf8ToUtf16(file.path));
  }
};

Shown& Display() {
  static Shown shown;
  return shown;
}

// A font's measure at the cost of a lookup per character, as a cached
// font's advances are.
double Width(std::u16string_view text, const pellora::print::Font& font) {
  double width = 0;
  for (char16_t c : text) width += c < 0x80 ? 0.5 : 1.0;
  return width * font.size;
}

void BM_DisplayCsv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(pellora::DisplayCsv(Display().w.Claim()).size());
}

void BM_LayOut(benchmark::State& state) {
  int pages = 0;
  for (auto _ : state) pages = Display().w.DisplayPages(pellora::print::SheetOf({}), Width, {2026, 12, 9}).Count();
  state.counters["pages"] = pages;
}

void BM_LayOutAndDrawEveryPage(benchmark::State& state) {
  std::size_t texts = 0;
  for (auto _ : state) {
    const pellora::print::Pages pages = Display().w.DisplayPages(pellora::print::SheetOf({}), Width, {2026, 12, 9});
    texts = 0;
    for (int p = 0; p < pages.Count(); ++p) texts += pages.Draw(p).texts.size();
    benchmark::DoNotOptimize(texts);
  }
  state.counters["texts"] = static_cast<double>(texts);
}

BENCHMARK(BM_DisplayCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LayOut)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LayOutAndDrawEveryPage)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const std::size_t rows = Display().w.Claim().rows.size();
  bench::RunTimes reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nclaim file: %zu lines, %zu display rows\n", kLines, rows);
  const auto* csv = reporter.Find("BM_DisplayCsv");
  const auto* layout = reporter.Find("BM_LayOut");
  const auto* drawn = reporter.Find("BM_LayOutAndDrawEveryPage");
  if (csv && layout && drawn) {
    std::printf("                               wall clock     CPU time\n");
    std::printf("baseline (display as CSV):   %8.1f ms   %8.1f ms\n", csv->wall * 1e3, csv->cpu * 1e3);
    std::printf("pages laid out:              %8.1f ms   %8.1f ms\n", layout->wall * 1e3, layout->cpu * 1e3);
    std::printf("laid out, every page drawn:  %8.1f ms   %8.1f ms\n", drawn->wall * 1e3, drawn->cpu * 1e3);
    std::printf("laid out / CSV:              %8.2f      %8.2f\n", layout->wall / csv->wall, layout->cpu / csv->cpu);
    std::printf("drawn / CSV:                 %8.2f      %8.2f\n", drawn->wall / csv->wall, drawn->cpu / csv->cpu);
  }
  benchmark::Shutdown();
  return 0;
}

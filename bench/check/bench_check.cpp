// What the claim check costs beside the display it runs with.
//
// A complete care-fee claim file of today's codes, 200,000 Shift_JIS lines
// (about 22 MB), is read once; then its display is made by the display
// steps (the kind and header, the service records and their sort, the
// display rows, the monthly totals: claim/display_steps.h over a
// ClaimView), the baseline, and the check runs every rule over the same
// records. The check should cost no more than the display again: a ratio
// of 1.0 at most.
//
// And a file of one long line, 10 and 20 MB: the same records joined into
// one line of millions of fields, with quoted stretches, a single quote and
// a byte that is no code page 932 character near its end, so that every
// field is looked at. Twice the line should take twice the time.
//
// Times are given by wall clock and by the process's CPU time: on a machine
// shared with other work the wall clock also counts the time the process
// waited for a processor.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/support/claim_file.h"
#include "bench/support/run_times.h"
#include "check/check.h"
#include "claim/display_steps.h"
#include "claim/file_checks.h"
#include "claimgen/claimgen.h"
#include "common/utf.h"
#include "csv/record_file.h"

namespace {

constexpr std::size_t kLines = 200000;

std::string Generated() {
  claimgen::Options options;
  options.seed = 20240401;
  options.lines = kLines;
  options.generation = claimgen::Generation::Current;
  return claimgen::Generate(options);
}

// The file as bench_display's is written, but of today's codes: complete,
// and the check finds nothing in it.
const bench::ClaimFile& File() {
  static const bench::ClaimFile file(0, [](std::string& bytes) { bytes = Generated(); });
  return file;
}

pellora::claim::ClaimRecords Read(const std::string& path) {
  return pellora::claim::ClaimRecords(pellora::RecordFile::Read(common::Utf8ToUtf16(path)));
}

const pellora::claim::ClaimRecords& Records() {
  static const pellora::claim::ClaimRecords records = Read(File().path);
  return records;
}

// The control record, one line of about `megabytes` MB made of the file's
// data records joined by commas, and the end record.
std::string LongLine(std::size_t megabytes) {
  const std::string bytes = Generated();
  const std::size_t first = bytes.find("\r\n") + 2;
  std::string line = "2,00000002,7131,02";
  for (std::size_t at = first; line.size() < megabytes * 1000000;) {
    const std::size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos || bytes.compare(end + 2, 2, "3,") == 0) {
      at = first;
      continue;
    }
    line += ',';
    line.append(bytes, at, end - at);
    at = end + 2;
  }
  line += ",'\x85\x40";
  return bytes.substr(0, first) + line + "\r\n3,00000003\r\n";
}

const bench::ClaimFile& LongFile(std::size_t megabytes) {
  static const bench::ClaimFile ten(0, [](std::string& bytes) { bytes = LongLine(10); });
  static const bench::ClaimFile twenty(0, [](std::string& bytes) { bytes = LongLine(20); });
  return megabytes == 10 ? ten : twenty;
}

void BM_Read(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Read(File().path).Rows());
}

void BM_DisplaySteps(benchmark::State& state) {
  std::size_t rows = 0;
  for (auto _ : state) {
    pellora::ClaimView claim;
    claim.records = Records();
    pellora::ShowClaimRecords(claim);
    rows = claim.rows.size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["display_rows"] = static_cast<double>(rows);
}

void BM_Check(benchmark::State& state) {
  const std::vector<pellora::FileWarning> warnings = pellora::CheckClaimFile(Records(), 1);
  std::size_t findings = 0;
  for (auto _ : state) {
    const pellora::check::Report report = pellora::check::CheckClaim(Records(), warnings);
    findings = report.findings.size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["findings"] = static_cast<double>(findings);
  if (findings != 0) state.SkipWithError("the complete file has findings");
}

void BM_CheckLongLine(benchmark::State& state) {
  const bench::ClaimFile& file = LongFile(static_cast<std::size_t>(state.range(0)));
  const pellora::claim::ClaimRecords records = Read(file.path);
  const std::vector<pellora::FileWarning> warnings = pellora::CheckClaimFile(records, 1);
  std::size_t findings = 0;
  for (auto _ : state) {
    findings = pellora::check::CheckClaim(records, warnings).findings.size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["findings"] = static_cast<double>(findings);
  state.counters["bytes"] = static_cast<double>(file.size);
}

BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DisplaySteps)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_CheckLongLine)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Records();
  bench::RunTimes reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nclaim file: %zu lines, %zu bytes\n", kLines, File().size);
  const auto* display = reporter.Find("BM_DisplaySteps");
  const auto* check = reporter.Find("BM_Check");
  const auto* ten = reporter.Find("BM_CheckLongLine/10");
  const auto* twenty = reporter.Find("BM_CheckLongLine/20");
  std::printf("                                 wall clock     CPU time\n");
  if (display && check) {
    std::printf("baseline (the display steps):  %8.1f ms   %8.1f ms\n", display->wall * 1e3, display->cpu * 1e3);
    std::printf("the check:                     %8.1f ms   %8.1f ms\n", check->wall * 1e3, check->cpu * 1e3);
    std::printf("check / display (at most 1.0): %8.2f      %8.2f\n", check->wall / display->wall,
                check->cpu / display->cpu);
  }
  if (ten && twenty) {
    std::printf("one line of 10 MB:             %8.1f ms   %8.1f ms\n", ten->wall * 1e3, ten->cpu * 1e3);
    std::printf("one line of 20 MB:             %8.1f ms   %8.1f ms\n", twenty->wall * 1e3, twenty->cpu * 1e3);
    std::printf("20 MB / 10 MB (about 2):       %8.2f      %8.2f\n", twenty->wall / ten->wall, twenty->cpu / ten->cpu);
  }
  benchmark::Shutdown();
  return 0;
}

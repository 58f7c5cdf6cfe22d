// The whole display of a large claim file, step by step: where the time of
// bench_display's whole display goes. The same file and database as there
// (200,000 lines, 100,000 persons); each step is timed by the wall clock
// over several displays, the fastest of them kept, since these machines
// are shared and noisy.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/claim_file.h"
#include "bench/support/program_folder.h"
#include "claim/display_steps.h"
#include "common/utf.h"
#include "controls/recording_message_boxes.h"
#include "display/load_csv_grid.h"
#include "display/viewer_grid.h"
#include "lookup/master_data_lookups.h"
#include "shell/frmPellora.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kLines = 200000;
constexpr int kDisplays = 5;

}  // namespace

int main() {
  const bench::ClaimFile file(kLines);
  bench::ProgramFolder folder;
  const std::u16string path = common::Utf8ToUtf16(file.path);

  // The file's persons, for the database.
  {
    pellora::ClaimView claim;
    claim.records = pellora::claim::ClaimRecords(pellora::RecordFile::Read(path));
    pellora::ShowClaimRecords(claim);
    std::vector<std::pair<std::string, std::string>> persons;
    for (const pellora::DisplayRow& row : claim.rows)
      persons.emplace_back(common::Utf16ToUtf8Lossy(row.insured), common::Utf16ToUtf8Lossy(row.insurer));
    folder.WriteDatabase(common::Utf16ToUtf8Lossy(claim.providerNumber), persons);
  }
  const pellora::NameDatabase database{true, common::Utf8ToUtf16((folder.path() / "data.qdr").string())};

  std::shared_ptr<pellora::ClaimView> claim;
  std::unique_ptr<pellora::frmPellora> window;
  pellora::RecordingMessageBoxes ui;
  const std::vector<std::pair<const char*, std::function<void()>>> steps = {
      {"LoadCsvGrid (the file read)",
       [&] { claim->records = pellora::LoadCsvGrid(path, *window->GridOf(pellora::MainControl::vsfCsv), ui); }},
      {"kind and header",
       [&] {
         pellora::SetFileKind(*claim);
         pellora::SetHeadYearMonth(*claim);
         pellora::SetProviderNumber(*claim);
       }},
      {"BuildSortGrid", [&] { pellora::BuildSortGrid(*claim); }},
      {"SortSortGrid", [&] { pellora::SortSortGrid(*claim); }},
      {"BuildViewerGrid", [&] { pellora::BuildViewerGrid(*claim); }},
      {"BuildTotalGrid", [&] { pellora::BuildTotalGrid(*claim); }},
      {"controls drawn", [&] { window->ShowClaim(claim); }},
      {"LookupProviderName", [&] { pellora::LookupProviderName(*claim, database); }},
      {"LookupInsuredNames", [&] { pellora::LookupInsuredNames(*claim, database); }},
      {"names drawn", [&] { pellora::ShowViewerNames(*claim, *window->GridOf(pellora::MainControl::vsfViewer)); }},
      {"CheckClaimFile", [&] { claim->warnings = pellora::CheckClaimFile(claim->records, claim->rows.size()); }},
      {"(raw grid, when looked at)", [&] { static_cast<void>(window->vsfCsv().MemoryUsage()); }},
  };
  std::vector<double> fastest(steps.size(), 1e9);
  for (int d = 0; d < kDisplays; ++d) {
    window = std::make_unique<pellora::frmPellora>(
        ui, pellora::frmPellora::Environment{u"", common::Utf8ToUtf16(folder.path().string()), {}, {}});
    window->Form_Load();
    claim = std::make_shared<pellora::ClaimView>();
    for (std::size_t s = 0; s < steps.size(); ++s) {
      const Clock::time_point start = Clock::now();
      steps[s].second();
      fastest[s] = std::min(fastest[s], std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
  }
  std::printf("claim file: %zu lines, %zu bytes: %zu service records, %zu display rows, %zu months\n", kLines,
              file.size, claim->serviceRecords.size(), claim->rows.size(), claim->totals.size());
  double shown = 0;
  for (std::size_t s = 0; s < steps.size(); ++s) {
    std::printf("  %-28s %8.1f ms\n", steps[s].first, fastest[s]);
    if (s + 1 < steps.size()) shown += fastest[s];
  }
  std::printf("  %-28s %8.1f ms\n", "the display's steps in all", shown);
  return 0;
}

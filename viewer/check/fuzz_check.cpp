// libFuzzer target for the claim check: any bytes as a claim file, read as
// the window reads it (the records, the display made of them, the file's
// warnings), then checked, and the report written in every form.
//
// Nothing may crash or trip a sanitizer, and the report must hold together:
// findings in line order, each on a line of the file (0 for the file) and a
// field of its line, its rule one of the check's with the severity its
// source allows, the counts adding up, the amounts' months adding up to the
// file's, and each form of the report carrying every finding.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "check/check.h"
#include "check/check_report.h"
#include "check/rules.h"
#include "check/values.h"
#include "claim/display_steps.h"
#include "common/utf.h"
#include "csv/field_splitter.h"
#include "csv/record_file.h"

namespace {

// Stops at a broken rule of the report, naming the line of this file
// that states it.
void Check(bool condition, int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "fuzz_check.cpp:%d: the report breaks this\n", line);
  std::abort();
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

void CheckReport(const pellora::claim::ClaimRecords& records, const pellora::check::Report& report) {
  using namespace pellora::check;
  const std::size_t lines = records.file().Lines();
  std::size_t errors = 0;
  for (std::size_t i = 0; i < report.findings.size(); ++i) {
    const Finding& f = report.findings[i];
    Check(f.line >= 0 && static_cast<std::size_t>(f.line) <= lines);
    if (i > 0) Check(report.findings[i - 1].line <= f.line);
    if (f.field) {
      Check(f.line > 0 && *f.field >= 1);
      const std::string_view bytes = records.file().LineBytes(static_cast<std::size_t>(f.line - 1));
      Check(static_cast<std::size_t>(*f.field) <= pellora::FieldSplitter::CountFields(bytes));
    }
    const Rule* rule = FindRule(f.rule);
    Check(rule != nullptr);
    Check(f.federationCode == rule->federationCode);
    if (rule->source != Source::Confirmed) Check(f.severity == Severity::Notice);
    Check(!f.message.empty());
    errors += f.severity == Severity::Error;
  }
  Check(report.errors == errors && report.notices == report.findings.size() - errors);

  std::int64_t units = 0;
  for (const AmountRow& row : report.amounts.rows)
    if (row.serviceKind.empty()) units = Plus(units, row.added.units);
  Check(units == report.amounts.added.units);

  // Each form carries every finding: a JSON object and a CSV line each.
  const std::string json = ReportJson(report);
  Check(Occurrences(json, "\"rule\": ") == report.findings.size());
  const std::string csv = ReportCsv(report);
  Check(Occurrences(csv, "\r\n") >= report.findings.size() + report.amounts.rows.size() + 5);
  Check(ReportText(report).starts_with(common::Utf16ToUtf8Lossy(SummaryLine(report)) + "\n"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static const int fd = memfd_create("fuzz-check.csv", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  Check(::ftruncate(fd, 0) == 0);
  Check(::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
  static const std::u16string path = common::Utf8ToUtf16("/proc/self/fd/" + std::to_string(fd));

  pellora::ClaimView claim;
  claim.records = pellora::claim::ClaimRecords(pellora::RecordFile::Read(path));
  if (claim.records.Rows() >= 2) pellora::ShowClaimRecords(claim);
  const std::vector<pellora::FileWarning> warnings = pellora::CheckClaimFile(claim.records, claim.rows.size());
  CheckReport(claim.records, pellora::check::CheckClaim(claim.records, warnings));
  return 0;
}

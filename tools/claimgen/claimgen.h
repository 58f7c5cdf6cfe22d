#pragma once
// Realistic claim CSV files for tests, benchmarks and examples: a control
// record (its field 4 the number of data records), data records with the record-type codes a provider's monthly file
// carries, and an end record, in Shift_JIS (code page 932) with CR LF line
// ends. The same options always give the same bytes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace claimgen {

enum class FileKind {
  CareFeeClaim,       // 介護給付費請求書情報: 7111 7121 7131 7132 714x 715x 716x 8121
  BenefitManagement,  // 給付管理票情報: 8211 8221
};

struct Options {
  std::uint64_t seed = 1;
  // Lines in the file, control and end record included.
  std::size_t lines = 1000;
  FileKind kind = FileKind::CareFeeClaim;
  // Processing (or submission) year-month, YYYYMM: field 11 of the control record.
  std::string yearMonth = "202404";
  // Field 8 of the control record.
  std::string providerNumber = "1371234567";
};

// The whole file as code page 932 bytes.
std::string Generate(const Options& options);

// Writes Generate(options) to `path`; throws std::runtime_error on failure.
void WriteFile(const std::string& path, const Options& options);

}  // namespace claimgen

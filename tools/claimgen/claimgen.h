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
  CareFeeClaim,       // 介護給付費請求書情報: 7111 7121 7131 7132 714x 715x 716x, 8121 or 8124 8125
  BenefitManagement,  // 給付管理票情報: 8211 8221, or 8222
};

// The generation of the record codes: the exchange format's first (2000),
// or the current one, whose revisions replaced 8121 by 8124 and 8125 and
// 8221 by 8222, and dropped the benefit-management cover record 8211 from
// transmitted files. The current codes keep their predecessors' items in
// place and add items at the end.
enum class Generation {
  First,    // 2000: 8121, 8211, 8221
  Current,  // 8124 and 8125, 8222 without 8211, sent over the internet
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
  Generation generation = Generation::First;
};

// The whole file as code page 932 bytes.
std::string Generate(const Options& options);

// Writes Generate(options) to `path`; throws std::runtime_error on failure.
void WriteFile(const std::string& path, const Options& options);

}  // namespace claimgen

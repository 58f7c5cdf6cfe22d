#pragma once
// Claim CSV files for tests, benchmarks and examples: a control record (its
// field 4 the number of data records), the data records of a provider's
// monthly file, and an end record, in Shift_JIS (code page 932) with CR LF
// line ends. The same options always give the same bytes.
//
// The files are complete: every record has every item of its layout, and
// the amounts add up as the federation recomputes them. A care-fee claim
// file holds one 請求書 (7111) per service month and claim kind, then the
// statements (明細書) of home-visit services, 7131 (care) or 7132
// (prevention), each a 基本 record, its 明細 records and one 集計 record per
// service kind, and the care-plan fees of the persons (8121, or 8124 and
// 8125), each person's lines ending with line 99. A benefit-management file
// holds one sheet (給付管理票) per person and month, 8221 or 8222, its detail
// lines and its totals line 99.
//
// A fault (Options::fault) puts one mistake of a kind into an otherwise
// complete file, for the claim check's tests and demonstrations: the names
// are those of the check's rules.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace claimgen {

enum class FileKind {
  CareFeeClaim,       // 介護給付費請求書情報: 7111, 7131 7132, 8121 or 8124 8125
  BenefitManagement,  // 給付管理票情報: 8211 8221, or 8222
};

// The generation of the record codes: the exchange format's first (2000),
// or the current one, whose revisions replaced 8121 by 8124 and 8125 and
// 8221 by 8222, and dropped the benefit-management cover record 8211 from
// transmitted files. A code is valid only for the service months of its
// generation: a first-generation file of today's months is one the
// federation refuses, and the claim check says so.
enum class Generation {
  First,    // 2000: 8121, 8211, 8221
  Current,  // 8124 and 8125, 8222 without 8211, sent over the internet
};

struct Options {
  std::uint64_t seed = 1;
  // Lines in the file, control and end record included. A complete file
  // needs six at least; a smaller one is cut short.
  std::size_t lines = 1000;
  FileKind kind = FileKind::CareFeeClaim;
  // Processing (or submission) year-month, YYYYMM: field 11 of the control
  // record. The services are of the month before, and some of the month
  // before that (claims sent a month late).
  std::string yearMonth = "202404";
  // Field 8 of the control record, and the provider of every statement.
  std::string providerNumber = "1371234567";
  Generation generation = Generation::First;
  // One of Faults(), or "" for a complete file. A fault of the
  // benefit-management sheets writes a benefit-management file, any other
  // a care-fee claim file, whatever `kind` says.
  std::string fault = {};
};

// Where a fault was put: the line (from 1) and the CSV field (from 1; 0
// for the line as a whole).
struct FaultPlace {
  std::size_t line = 0;
  int field = 0;
};

// The faults Generate knows, in no particular order.
std::span<const std::string_view> Faults();

// The whole file as code page 932 bytes. Throws std::invalid_argument for
// an unknown fault, and std::runtime_error when the file is too small to
// hold the fault asked for. `place`, when given, receives where the fault
// went.
std::string Generate(const Options& options, FaultPlace* place = nullptr);

// Writes Generate(options) to `path`; throws std::runtime_error on failure.
void WriteFile(const std::string& path, const Options& options, FaultPlace* place = nullptr);

}  // namespace claimgen

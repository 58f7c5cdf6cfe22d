// Random databases read three ways: by this reader, by libmdb (in this
// process), and as the writer was told to write them -- the right answer.
// The reader must give the right answer exactly; libmdb must agree with it
// wherever libmdb is known to be right (see OracleAgrees below).
//
// Fixed seeds in ctest; PELLORA_JET_SEEDS=N and PELLORA_JET_FIRST_SEED=S run
// N databases from seed S by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/civil_date.h"
#include "jet/jet_reader.h"
#include "tests/jet/jet_fixtures.h"
#include "jetwriter/jet_random.h"
#include "jetwriter/oracle/libmdb_table.h"

namespace jetwriter {
void PrintTo(const VersionInfo& v, std::ostream* os) { *os << v.name; }
}  // namespace jetwriter

namespace pellora::jet {
namespace {

using namespace testing;
using Cell = std::optional<std::string>;
using CellRows = std::vector<std::vector<Cell>>;
using jetwriter::ColumnType;

std::size_t EnvNumber(const char* name, std::size_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? static_cast<std::size_t>(std::strtoull(v, nullptr, 10)) : fallback;
}

std::string Exact(double d) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", d);
  return text;
}

// A value as the comparisons write it: numbers exactly, money in
// ten-thousandths, yes/no as 1/0.
Cell Written(const jetwriter::Value& v) {
  if (std::holds_alternative<std::monostate>(v)) return std::nullopt;
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* n = std::get_if<std::int64_t>(&v)) return std::to_string(*n);
  if (const auto* d = std::get_if<double>(&v)) return Exact(*d);
  return std::get<bool>(v) ? "1" : "0";
}

Cell Read(const Value& v) {
  struct {
    Cell operator()(std::monostate) const { return std::nullopt; }
    Cell operator()(bool b) const { return b ? "1" : "0"; }
    Cell operator()(std::int64_t n) const { return std::to_string(n); }
    Cell operator()(double d) const { return Exact(d); }
    Cell operator()(Currency c) const { return std::to_string(c.tenThousandths); }
    Cell operator()(DateTime d) const { return Exact(d.days); }
    Cell operator()(std::u16string_view t) const { return common::Utf16ToUtf8Lossy(t); }
  } visit;
  return std::visit(visit, v);
}

CellRows Truth(const jetwriter::Table& t) {
  CellRows rows;
  for (const auto& row : t.rows) {
    auto& cells = rows.emplace_back();
    for (const auto& v : row) cells.push_back(Written(v));
  }
  return rows;
}

// ---- libmdb's way of printing values, and where it is wrong ----

// libmdb prints money with four decimals, reals with a limited number of
// digits and dates through strftime; the truth is brought to that form.
// Where libmdb is wrong, the cell is not compared (nullopt is returned
// for "do not compare"; an engaged Cell is the expected text).
std::optional<Cell> AsLibmdbPrints(ColumnType type, const jetwriter::Value& v, const Cell& printed) {
  if (std::holds_alternative<std::monostate>(v)) return Cell{};
  switch (type) {
    case ColumnType::Money: {
      const std::int64_t n = std::get<std::int64_t>(v);
      const std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
      char text[48];
      std::snprintf(text, sizeof text, "%s%llu.%04llu", n < 0 ? "-" : "",
                    static_cast<unsigned long long>(magnitude / 10000),
                    static_cast<unsigned long long>(magnitude % 10000));
      return Cell{text};
    }
    case ColumnType::Float:
    case ColumnType::Double: {
      // Printed with fewer digits than round-trip: equal to a relative 1e-6
      // (Float) or 1e-14 (Double).
      const double want = std::get<double>(v);
      if (!printed) return Cell{Exact(want)};
      const double got = std::strtod(printed->c_str(), nullptr);
      const double tolerance = (type == ColumnType::Float ? 1e-6 : 1e-14) * std::max(1.0, std::fabs(want));
      return std::fabs(got - want) <= tolerance ? printed : Cell{Exact(want)};
    }
    case ColumnType::DateTime: {
      // libmdb formats no date before 1899-12-30 or after about 4637 (day
      // 10^6): it leaves them unset and prints 1900-01-00.
      const double days = std::get<double>(v);
      if (days < 0 || days > 1e6) return std::nullopt;
      const auto day = static_cast<std::int64_t>(days);
      const auto seconds = static_cast<std::int64_t>((days - static_cast<double>(day)) * 86400 + 0.5);
      const common::CivilDate date = common::CivilFromDays(day + common::kAutomationEpoch);
      char text[96];
      std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02lld:%02lld:%02lld", static_cast<long long>(date.year),
                    date.month, date.day, static_cast<long long>(seconds / 3600),
                    static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
      return Cell{text};
    }
    case ColumnType::BigInt:
      // libmdb 1.0.0 predates ACE's large numbers: it prints nothing.
      return std::nullopt;
    default:
      return Written(v);
  }
}

// Every table of `db`, stored as `bytes`, read whole by ScanTable and by
// libmdb, and the master tables by ReadJetTables as the look-ups read them.
void ExpectReadRight(const jetwriter::Database& db, const std::vector<std::uint8_t>& bytes) {
  TempDir dir;
  WriteBytes(dir / "random.mdb", bytes);
  for (const jetwriter::Table& table : db.tables) {
    SCOPED_TRACE("table " + table.name);
    const CellRows truth = Truth(table);

    CellRows ours;
    const ScanResult scan = ScanTable(bytes, table.name, [&](auto, std::span<const Value> values) {
      auto& cells = ours.emplace_back();
      for (const Value& v : values) cells.push_back(Read(v));
    });
    ASSERT_TRUE(scan.ok) << scan.error;
    ASSERT_EQ(scan.columns.size(), table.columns.size());
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      EXPECT_EQ(scan.columns[c].name, table.columns[c].name);
      EXPECT_EQ(static_cast<int>(scan.columns[c].type), static_cast<int>(table.columns[c].type));
    }
    ASSERT_EQ(ours.size(), truth.size());
    for (std::size_t r = 0; r < truth.size(); ++r) ASSERT_EQ(ours[r], truth[r]) << "row " << r;


    const auto theirs = jetwriter::oracle::ReadWithLibmdb(dir / "random.mdb", table.name);
    ASSERT_TRUE(theirs.has_value()) << "libmdb cannot read it";
    std::vector<std::string> names;
    for (const auto& c : table.columns) names.push_back(c.name);
    EXPECT_EQ(theirs->columns, names);
    // libmdb skips a moved row's pointer and reads the row where it now
    // lives, on the pages after the others: the same rows, in another order.
    std::vector<std::size_t> order;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      if (std::find(table.movedRows.begin(), table.movedRows.end(), r) == table.movedRows.end()) order.push_back(r);
    }
    order.insert(order.end(), table.movedRows.begin(), table.movedRows.end());
    ASSERT_EQ(theirs->rows.size(), order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
      for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const Cell& printed = theirs->rows[k][c];
        if (const auto want = AsLibmdbPrints(table.columns[c].type, table.rows[order[k]][c], printed)) {
          ASSERT_EQ(printed, *want) << "libmdb row " << k << ", column " << table.columns[c].name;
        }
      }
    }
  }

  // The master tables as the look-ups read them: numbers as NumberText.
  std::vector<TableRequest> requests;
  std::vector<const jetwriter::Table*> masters;
  for (const jetwriter::Table& t : db.tables) {
    if (t.name != "m_pvd" && t.name != "m_insd") continue;
    masters.push_back(&t);
    TableRequest& request = requests.emplace_back(TableRequest{t.name, {}});
    for (const auto& c : t.columns) request.columns.push_back(c.name);
  }
  const ReadResult read = ReadJetTables(bytes, requests);
  ASSERT_TRUE(read.ok) << read.error;
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const jetwriter::Table& t = *masters[i];
    const Table& table = read.tables[i];
    ASSERT_EQ(table.rowCount(), t.rows.size());
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
      for (std::size_t c = 0; c < t.columns.size(); ++c) {
        const jetwriter::Value& v = t.rows[r][c];
        std::optional<std::u16string> want;
        if (const auto* n = std::get_if<std::int64_t>(&v)) want = NumberText(static_cast<double>(*n));
        if (const auto* s = std::get_if<std::string>(&v)) want = U16(*s);
        ASSERT_EQ(table.text(r, c), want) << t.name << " row " << r << " column " << c;
      }
    }
  }
}

class OracleSeed : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(OracleSeed, ReaderGivesTheRightAnswerAndLibmdbAgrees) {
  SCOPED_TRACE("seed " + std::to_string(GetParam()));
  const jetwriter::Database db = jetwriter::RandomDatabase(GetParam());
  ExpectReadRight(db, jetwriter::BuildJetFile(db));
}

INSTANTIATE_TEST_SUITE_P(Seeds, OracleSeed,
                         ::testing::Range<std::uint64_t>(EnvNumber("PELLORA_JET_FIRST_SEED", 1),
                                                         EnvNumber("PELLORA_JET_FIRST_SEED", 1) +
                                                             EnvNumber("PELLORA_JET_SEEDS", kSanitized ? 12 : 40)));

// Every version the writer writes, Access 97 to Microsoft 365, over random
// databases of that version (large numbers from ACE 2016 on).
class OracleVersion : public ::testing::TestWithParam<jetwriter::VersionInfo> {};

TEST_P(OracleVersion, ReaderGivesTheRightAnswerAndLibmdbAgrees) {
  for (std::uint64_t seed = 1; seed <= (kSanitized ? 2 : 4); ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const jetwriter::Database db = jetwriter::RandomDatabase(seed, {.version = GetParam().version});
    ExpectReadRight(db, jetwriter::BuildJetFile(db));
  }
}

// Only the byte at 0x14 is the version: with the three bytes after it not 0,
// both readers still read the file as its version.
TEST_P(OracleVersion, BytesAfterTheVersionByteAreNoPartOfIt) {
  const jetwriter::Database db = jetwriter::RandomDatabase(5, {.version = GetParam().version});
  std::vector<std::uint8_t> bytes = jetwriter::BuildJetFile(db);
  bytes[0x15] = 0x01;
  bytes[0x17] = 0x80;
  ExpectReadRight(db, bytes);
}

INSTANTIATE_TEST_SUITE_P(Versions, OracleVersion, ::testing::ValuesIn(jetwriter::kVersions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pellora::jet

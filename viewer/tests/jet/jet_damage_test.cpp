// Damaged databases: whatever the bytes, a read ends -- quickly -- as a
// clean failure or as a read of genuine rows, and chains that loop end with
// a failure that says so.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

#include "jet/jet_reader.h"
#include "tests/jet/jet_fixtures.h"

namespace pellora::jet {
namespace {

using namespace testing;
using jetwriter::JetVersion;
using Clock = std::chrono::steady_clock;
using Rows = std::vector<std::vector<std::optional<std::u16string>>>;

// A read of these small files takes milliseconds; anything near this is a
// loop that should not be there.
constexpr std::chrono::milliseconds kLongestRead{2000};

std::size_t PageSize(JetVersion v) { return v == JetVersion::Jet4 ? 4096 : 2048; }

struct Timed {
  ReadResult result;
  std::chrono::milliseconds took;
};

Timed TimedRead(const std::vector<std::uint8_t>& bytes) {
  const auto start = Clock::now();
  ReadResult r = ReadJetTables(bytes, ProviderRequests());
  return {std::move(r), std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start)};
}

// A provider database spread over several data pages per table.
class DamagedFile : public ::testing::TestWithParam<JetVersion> {
 protected:
  void SetUp() override {
    jetwriter::Database db = ProviderDatabase(GetParam(), GetParam() == JetVersion::Jet4, 300);
    original_ = jetwriter::BuildJetFile(db);
    expected_ = {Expected(ProviderRows()), Expected(InsuredRows(300))};
    pageSize_ = PageSize(GetParam());
  }

  // A clean failure, or the genuine rows.
  void ExpectCleanOutcome(const std::vector<std::uint8_t>& bytes, const std::string& what) {
    const Timed read = TimedRead(bytes);
    EXPECT_LT(read.took, kLongestRead) << what;
    const ReadResult& r = read.result;
    if (r.ok) {
      ASSERT_EQ(r.tables.size(), 2u) << what;
      for (std::size_t t = 0; t < 2; ++t) EXPECT_EQ(RowsOf(r.tables[t]), expected_[t]) << what;
    } else {
      EXPECT_FALSE(r.error.empty()) << what;
      EXPECT_TRUE(r.tables.empty()) << what;
    }
  }

  std::size_t Pages() const { return original_.size() / pageSize_; }

  std::vector<std::uint8_t> original_;
  std::vector<Rows> expected_;
  std::size_t pageSize_ = 0;
};

INSTANTIATE_TEST_SUITE_P(BothVersions, DamagedFile, ::testing::Values(JetVersion::Jet3, JetVersion::Jet4),
                         [](const auto& info) { return info.param == JetVersion::Jet3 ? "Jet3" : "Jet4"; });

TEST_P(DamagedFile, TruncatedAtPageBoundariesAndInsidePages) {
  TempDir dir;
  for (std::size_t pages = 0; pages < Pages(); ++pages) {
    for (std::size_t extra : {std::size_t{0}, std::size_t{1}, pageSize_ / 2}) {
      const std::size_t size = pages * pageSize_ + extra;
      std::vector<std::uint8_t> cut(original_.begin(), original_.begin() + static_cast<std::ptrdiff_t>(size));
      ExpectCleanOutcome(cut, "cut at " + std::to_string(size));
      // A file cut inside a page never opens. Cut between pages, it opens
      // as long as its catalog (pages 0 to 3) is whole, as Jet opens a
      // file without reading every table; the lost tables then fail to read.
      WriteBytes(dir / "cut.qdr", cut);
      EXPECT_EQ(OpensAsDatabase(PathOf(dir / "cut.qdr")), extra == 0 && pages >= 4) << "cut at " << size;
    }
  }
}

TEST_P(DamagedFile, EachPageZeroed) {
  for (std::size_t page = 0; page < Pages(); ++page) {
    std::vector<std::uint8_t> bytes = original_;
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(page * pageSize_), pageSize_, 0);
    ExpectCleanOutcome(bytes, "page " + std::to_string(page) + " zeroed");
  }
}

TEST_P(DamagedFile, EachPageRandomBytes) {
  std::mt19937 random(4242);
  for (std::size_t page = 0; page < Pages(); ++page) {
    std::vector<std::uint8_t> bytes = original_;
    for (std::size_t i = 0; i < pageSize_; ++i) bytes[page * pageSize_ + i] = static_cast<std::uint8_t>(random());
    ExpectCleanOutcome(bytes, "page " + std::to_string(page) + " random");
  }
}

// Mutated copies: bytes flipped, fields set to extreme values, pages copied
// over others. Deterministic (fixed seed); PELLORA_JET_MUTATIONS and
// PELLORA_JET_SEED run a longer or another loop by hand.
std::size_t EnvNumber(const char* name, std::size_t fallback) {
  const char* v = std::getenv(name);
  return v && *v ? static_cast<std::size_t>(std::strtoull(v, nullptr, 10)) : fallback;
}

std::vector<std::uint8_t> Mutate(const std::vector<std::uint8_t>& original, std::size_t pageSize, std::mt19937& rng) {
  std::vector<std::uint8_t> bytes = original;
  const std::size_t pages = bytes.size() / pageSize;
  // Half of the damage goes to the structures everything else hangs on:
  // header, usage maps, catalog, the first table definition.
  auto pickPage = [&] { return rng() % 2 ? rng() % std::min<std::size_t>(pages, 5) : rng() % pages; };
  auto pickOffset = [&] { return pickPage() * pageSize + rng() % pageSize; };
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits; ++e) {
    switch (rng() % 5) {
      case 0:  // flip a bit
        bytes[pickOffset()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      case 1:  // a random byte
        bytes[pickOffset()] = static_cast<std::uint8_t>(rng());
        break;
      case 2: {  // a 16- or 32-bit field set to an extreme
        static const std::uint32_t extremes[] = {0, 1, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x1000};
        const std::uint32_t value = extremes[rng() % std::size(extremes)];
        const std::size_t width = rng() % 2 ? 2 : 4;
        const std::size_t at = std::min(pickOffset() & ~std::size_t{1}, bytes.size() - width);
        for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        break;
      }
      case 3: {  // one page over another
        const std::size_t from = rng() % pages, to = pickPage();
        std::copy_n(original.begin() + static_cast<std::ptrdiff_t>(from * pageSize), pageSize,
                    bytes.begin() + static_cast<std::ptrdiff_t>(to * pageSize));
        break;
      }
      case 4: {  // a run of bytes zeroed
        const std::size_t at = pickOffset();
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), std::min<std::size_t>(1 + rng() % 64, bytes.size() - at), 0);
        break;
      }
    }
  }
  return bytes;
}

TEST_P(DamagedFile, MutatedCopiesNeverCrashOrHang) {
  const std::size_t count = EnvNumber("PELLORA_JET_MUTATIONS", kSanitized ? 300 : 1000);
  std::mt19937 rng(static_cast<std::uint32_t>(EnvNumber("PELLORA_JET_SEED", 20240401)));
  std::map<std::string, int> outcomes;
  std::chrono::milliseconds slowest{0};
  for (std::size_t i = 0; i < count; ++i) {
    const Timed read = TimedRead(Mutate(original_, pageSize_, rng));
    slowest = std::max(slowest, read.took);
    ASSERT_LT(read.took, kLongestRead) << "mutation " << i;
    const ReadResult& r = read.result;
    if (r.ok) {
      ASSERT_EQ(r.tables.size(), 2u);
      ++outcomes["read"];
    } else {
      ASSERT_FALSE(r.error.empty());
      ASSERT_TRUE(r.tables.empty());
      std::string kind = r.error;
      for (char& c : kind) {
        if (c >= '0' && c <= '9') c = '#';
      }
      ++outcomes[kind];
    }
  }
  std::cout << count << " mutations, slowest read " << slowest.count() << " ms\n";
  for (const auto& [kind, n] : outcomes) std::cout << "  " << n << "  " << kind << "\n";
}

// ---------------------------------------------------------------------------
// Chains that loop, and rows named over and over. The files come from the
// writer; the damage is put in through the row tables of their pages.

constexpr std::size_t kPage = 4096, kRowTable = 14;  // Jet 4 data pages
constexpr std::uint32_t kFirstTablePage = 4;         // the first user table's definition

// A row table entry of a Jet 4 data page: the row's offset and its flags.
std::uint16_t Entry(const std::vector<std::uint8_t>& bytes, std::size_t page, std::size_t row) {
  const std::size_t at = page * kPage + kRowTable + 2 * row;
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
void SetEntry(std::vector<std::uint8_t>& bytes, std::size_t page, std::size_t row, std::uint16_t entry) {
  const std::size_t at = page * kPage + kRowTable + 2 * row;
  bytes[at] = static_cast<std::uint8_t>(entry);
  bytes[at + 1] = static_cast<std::uint8_t>(entry >> 8);
}
std::size_t RowCount(const std::vector<std::uint8_t>& bytes, std::size_t page) {
  return bytes[page * kPage + 12] | bytes[page * kPage + 13] << 8;
}
std::size_t RowStart(const std::vector<std::uint8_t>& bytes, std::size_t page, std::size_t row) {
  return page * kPage + (Entry(bytes, page, row) & 0x1FFF);
}
void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t PointerTo(std::size_t page, std::size_t row) { return static_cast<std::uint32_t>(page << 8 | row); }

ReadResult ReadMixed(const std::vector<std::uint8_t>& bytes) {
  return ReadJetTables(bytes, {{"m_mixed", {"n", "note"}}});
}

void ExpectFailure(const std::vector<std::uint8_t>& bytes, const std::string& expected) {
  const auto start = Clock::now();
  const ReadResult r = ReadMixed(bytes);
  EXPECT_LT(Clock::now() - start, kLongestRead);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(expected), std::string::npos) << r.error;
}

// m_mixed (n, note): row 0 with a memo of 3,000 bytes, the others short.
jetwriter::Database Mixed(std::size_t rows, std::vector<std::size_t> moved, jetwriter::MemoStorage storage) {
  jetwriter::Table t{"m_mixed", {{"n", jetwriter::ColumnType::Long}, {"note", jetwriter::ColumnType::Memo}}, {}};
  t.columns[1].memoStorage = storage;
  t.columns[1].chainLinkBytes = 5;
  for (std::size_t i = 0; i < rows; ++i) {
    t.rows.push_back({static_cast<std::int64_t>(i), std::string(i == 0 ? 1500 : 20, static_cast<char>('a' + i % 26))});
  }
  t.movedRows = std::move(moved);
  jetwriter::Database db;
  db.tables.push_back(std::move(t));
  return db;
}

TEST(LoopingChains, MovedRowsPointingInACircle) {
  std::vector<std::uint8_t> bytes = jetwriter::BuildJetFile(Mixed(3, {1}, jetwriter::MemoStorage::InRow));
  ASSERT_TRUE(ReadMixed(bytes).ok);
  // Row 1 of the first data page is the pointer; the row it names (flagged
  // deleted, on the next page) is made a pointer back to it.
  const std::size_t page = kFirstTablePage + 1;
  ASSERT_EQ(Entry(bytes, page, 1) & 0xC000, 0x4000);
  const std::size_t at = RowStart(bytes, page, 1);
  const std::size_t targetPage = bytes[at + 1] | bytes[at + 2] << 8 | bytes[at + 3] << 16, targetRow = bytes[at];
  SetEntry(bytes, targetPage, targetRow, Entry(bytes, targetPage, targetRow) | 0x4000);
  PutU32(bytes, RowStart(bytes, targetPage, targetRow), PointerTo(page, 1));
  ExpectFailure(bytes, "moved rows point in a circle");
}

TEST(LoopingChains, LongValueChainComingBackToItsStart) {
  std::vector<std::uint8_t> bytes = jetwriter::BuildJetFile(Mixed(2, {}, jetwriter::MemoStorage::LvalChain));
  ASSERT_TRUE(ReadMixed(bytes).ok);
  // The last page ends with row 1's chain: 22 bytes (compressed) in five
  // links of 5. Its third link is made to point back at its first.
  const std::size_t lval = bytes.size() / kPage - 1;
  const std::size_t links = RowCount(bytes, lval);
  ASSERT_GE(links, 5u);
  PutU32(bytes, RowStart(bytes, lval, links - 3), PointerTo(lval, links - 5));
  ExpectFailure(bytes, "chain loops");
}

TEST(LoopingChains, TableDefinitionContinuedOnItself) {
  std::vector<std::uint8_t> bytes = jetwriter::BuildJetFile(Mixed(2, {}, jetwriter::MemoStorage::InRow));
  PutU32(bytes, kFirstTablePage * kPage + 4, kFirstTablePage);
  ExpectFailure(bytes, "table definition (its pages loop)");
}

// Every row of a page made a pointer to the long row 0: the read would
// hold that row dozens of times, more than the whole file, and fails
// instead.
TEST(LoopingChains, PointersNamingOneRowOverAndOver) {
  std::vector<std::uint8_t> bytes = jetwriter::BuildJetFile(Mixed(120, {}, jetwriter::MemoStorage::InRow));
  ASSERT_TRUE(ReadMixed(bytes).ok);
  const std::size_t longRowPage = kFirstTablePage + 1, page = longRowPage + 1;
  ASSERT_GT(RowCount(bytes, page), 40u);
  for (std::size_t r = 0; r < RowCount(bytes, page); ++r) {
    SetEntry(bytes, page, r, Entry(bytes, page, r) | 0x4000);
    PutU32(bytes, RowStart(bytes, page, r), PointerTo(longRowPage, 0));
  }
  ExpectFailure(bytes, "more rows than the file holds");
}

// libmdb 1.0.0 dereferences NULL when it walks a usage map of no bytes; this
// reader reads that map as damage.
TEST(DamagedUsageMap, EmptyMapFailsCleanly) {
  auto bytes = jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Jet4, true));
  // Page 1 holds the usage maps: rows 0 and 1 the catalog's, 2 and 3
  // m_pvd's. Row 2 ends where row 1 starts; giving it row 1's start as its
  // own leaves it no bytes.
  SetEntry(bytes, 1, 2, Entry(bytes, 1, 1));
  const ReadResult r = ReadJetTables(bytes, ProviderRequests());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("table m_pvd: damaged usage map"), std::string::npos) << r.error;
}

// ---------------------------------------------------------------------------
// ACE files (Access 2007 and later) have Jet 4's pages.
std::vector<std::uint8_t> AsAce(std::vector<std::uint8_t> jet4, std::uint8_t version) {
  std::copy_n("Standard ACE DB", 15, jet4.begin() + 4);
  jet4[0x14] = version;
  return jet4;
}

TEST(AceFile, ReadsAsJet4) {
  const auto jet4 = jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Jet4, true));
  for (const std::uint8_t version : {2, 3, 5}) {
    const ReadResult r = ReadJetTables(AsAce(jet4, version), ProviderRequests());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(RowsOf(r.tables[0]), Expected(ProviderRows()));
  }
}

// A version newer than the last one known may hold what this reader does
// not read: refused, saying so, whatever its pages look like.
TEST(AceFile, NewerVersionIsRefusedByName) {
  const auto sound = jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Ace2019, true));
  for (const std::uint8_t version : {7, 0xFF}) {
    auto bytes = sound;
    bytes[0x14] = version;
    const ReadResult r = ReadJetTables(bytes, ProviderRequests());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("an ACE database of version " + std::to_string(version) + ", newer than"),
              std::string::npos)
        << r.error;
  }
}

TEST(AceFile, EncryptedWithAPasswordIsRefused) {
  jetwriter::Database db = ProviderDatabase(JetVersion::Jet4, true);
  db.encodingKey = 0x1234;
  const ReadResult r = ReadJetTables(AsAce(jetwriter::BuildJetFile(db), 3), ProviderRequests());
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("encrypted with a password"), std::string::npos) << r.error;
}

// ---------------------------------------------------------------------------
// Files that are not databases at all.
struct NotADatabase {
  const char* name;
  std::vector<std::uint8_t> (*make)(const std::vector<std::uint8_t>& sound);
};
void PrintTo(const NotADatabase& n, std::ostream* os) { *os << n.name; }

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

const NotADatabase kNotDatabases[] = {
    {"EmptyFile", [](const auto&) { return std::vector<std::uint8_t>{}; }},
    {"TextFile", [](const auto&) {
       const std::string t = "QdrPath\tC:\\data\\data.qdr\r\n[qdr]\r\nQdrPath=data.qdr\r\n";
       return std::vector<std::uint8_t>(t.begin(), t.end());
     }},
    {"RandomBytes", [](const auto&) { return RandomBytes(3 * 4096, 7); }},
    {"HeaderPageOnly", [](const auto& s) { return std::vector<std::uint8_t>(s.begin(), s.begin() + 4096); }},
    {"HeaderThenZeroPages", [](const auto& s) {
       std::vector<std::uint8_t> b(4 * 4096, 0);
       std::copy_n(s.begin(), 4096, b.begin());
       return b;
     }},
    {"HeaderThenRandomPages", [](const auto& s) {
       std::vector<std::uint8_t> b(s.begin(), s.begin() + 4096);
       const auto r = RandomBytes(8 * 4096, 11);
       b.insert(b.end(), r.begin(), r.end());
       return b;
     }},
    {"AceVersionWithJetName", [](const auto& s) {
       auto b = s;
       b[0x14] = 0x02;
       return b;
     }},
    {"AceVersionPastTheLast", [](const auto& s) { return AsAce(s, 7); }},
    {"WrongMagic", [](const auto& s) {
       auto b = s;
       b[4] = 'X';
       return b;
     }},
    {"CatalogDefinitionZeroed", [](const auto& s) {
       auto b = s;
       std::fill_n(b.begin() + 2 * 4096, 4096, 0);
       return b;
     }},
    {"CatalogDataZeroed", [](const auto& s) {
       auto b = s;
       std::fill_n(b.begin() + 3 * 4096, 4096, 0);
       return b;
     }},
    {"UsageMapsZeroed", [](const auto& s) {
       auto b = s;
       std::fill_n(b.begin() + 1 * 4096, 4096, 0);
       return b;
     }},
};

class NotDatabase : public ::testing::TestWithParam<NotADatabase> {};

TEST_P(NotDatabase, DoesNotOpenAsDatabase) {
  TempDir dir;
  const auto sound = jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Jet4, true));
  WriteBytes(dir / "data.qdr", GetParam().make(sound));
  EXPECT_FALSE(OpensAsDatabase(PathOf(dir / "data.qdr")));
  const ReadResult r = ReadJetTables(PathOf(dir / "data.qdr"), ProviderRequests());
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, NotDatabase, ::testing::ValuesIn(kNotDatabases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NotDatabasePath, MissingFileFolderAndPipe) {
  TempDir dir;
  EXPECT_FALSE(OpensAsDatabase(PathOf(dir / "absent.qdr")));
  EXPECT_FALSE(OpensAsDatabase(PathOf(dir.path())));
  EXPECT_FALSE(OpensAsDatabase(u""));
  ASSERT_EQ(::mkfifo((dir / "pipe.qdr").c_str(), 0600), 0);
  EXPECT_FALSE(OpensAsDatabase(PathOf(dir / "pipe.qdr")));  // and no wait for a writer
  const ReadResult r = ReadJetTables(PathOf(dir / "absent.qdr"), ProviderRequests());
  EXPECT_NE(r.error.find("no such file"), std::string::npos) << r.error;
}

}  // namespace
}  // namespace pellora::jet

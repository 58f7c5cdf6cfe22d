// Damaged databases and misbehaving reader processes: whatever happens must
// end as a clean failure or as a read of genuine rows, in bounded time,
// and never reach this (the viewer's) process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

#include "jet_fixtures.h"
#include "jet_inprocess.h"
#include "jet_reader.h"

namespace pellora::jet {
namespace {

using namespace testing;
using jetwriter::JetVersion;
using Clock = std::chrono::steady_clock;
using Rows = std::vector<std::vector<std::optional<std::u16string>>>;

constexpr std::chrono::milliseconds kTimeout{4000};
// A read may take its time limit, plus killing and reaping the helper.
constexpr std::chrono::milliseconds kLongestRead = kTimeout + std::chrono::milliseconds(3000);

std::size_t PageSize(JetVersion v) { return v == JetVersion::Jet4 ? 4096 : 2048; }

// True if every row of part appears in whole, in the same order: what a
// read that lost pages may return, and nothing else.
bool IsSubsequence(const Rows& part, const Rows& whole) {
  std::size_t w = 0;
  for (const auto& row : part) {
    while (w < whole.size() && whole[w] != row) ++w;
    if (w == whole.size()) return false;
    ++w;
  }
  return true;
}

// No helper process is left behind, neither running nor as a zombie.
void ExpectNoChildren() {
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

struct Timed {
  ReadResult result;
  std::chrono::milliseconds took;
};

Timed TimedRead(const std::filesystem::path& file, const std::vector<TableRequest>& requests,
                const ReadOptions& options = ReadOptions{{}, kTimeout}) {
  const auto start = Clock::now();
  ReadResult r = ReadJetTables(file, requests, options);
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

  // A clean failure, or genuine rows: each table read is the original or,
  // on failure, part of it in order.
  void ExpectCleanOutcome(const std::vector<std::uint8_t>& bytes, const std::string& what) {
    WriteBytes(dir_ / "damaged.qdr", bytes);
    const Timed read = TimedRead(dir_ / "damaged.qdr", ProviderRequests());
    EXPECT_LT(read.took, kLongestRead) << what;
    const ReadResult& r = read.result;
    if (r.ok) {
      ASSERT_EQ(r.tables.size(), 2u) << what;
      for (std::size_t t = 0; t < 2; ++t) EXPECT_EQ(RowsOf(r.tables[t]), expected_[t]) << what;
    } else {
      EXPECT_FALSE(r.error.empty()) << what;
      ASSERT_LE(r.tables.size(), 2u) << what;
      for (std::size_t t = 0; t < r.tables.size(); ++t) {
        EXPECT_TRUE(IsSubsequence(RowsOf(r.tables[t]), expected_[t])) << what << ": rows that were never written";
      }
    }
  }

  std::size_t Pages() const { return original_.size() / pageSize_; }

  std::vector<std::uint8_t> original_;
  std::vector<Rows> expected_;
  std::size_t pageSize_ = 0;
  TempDir dir_;
};

INSTANTIATE_TEST_SUITE_P(BothVersions, DamagedFile, ::testing::Values(JetVersion::Jet3, JetVersion::Jet4),
                         [](const auto& info) { return info.param == JetVersion::Jet3 ? "Jet3" : "Jet4"; });

TEST_P(DamagedFile, TruncatedAtPageBoundariesAndInsidePages) {
  for (std::size_t pages = 0; pages < Pages(); ++pages) {
    for (std::size_t extra : {std::size_t{0}, std::size_t{1}, pageSize_ / 2}) {
      const std::size_t size = pages * pageSize_ + extra;
      std::vector<std::uint8_t> cut(original_.begin(), original_.begin() + static_cast<std::ptrdiff_t>(size));
      ExpectCleanOutcome(cut, "cut at " + std::to_string(size));
      // A file cut inside a page never opens. Cut between pages, it opens
      // as long as its catalog (pages 0 to 3) is whole, as Jet opens a
      // file without reading every table; the lost tables then fail to read.
      WriteBytes(dir_ / "cut.qdr", cut);
      EXPECT_EQ(OpensAsDatabase(dir_ / "cut.qdr"), extra == 0 && pages >= 4) << "cut at " << size;
    }
  }
  ExpectNoChildren();
}

TEST_P(DamagedFile, EachPageZeroed) {
  for (std::size_t page = 0; page < Pages(); ++page) {
    std::vector<std::uint8_t> bytes = original_;
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(page * pageSize_), pageSize_, 0);
    ExpectCleanOutcome(bytes, "page " + std::to_string(page) + " zeroed");
  }
  ExpectNoChildren();
}

TEST_P(DamagedFile, EachPageRandomBytes) {
  std::mt19937 random(4242);
  for (std::size_t page = 0; page < Pages(); ++page) {
    std::vector<std::uint8_t> bytes = original_;
    for (std::size_t i = 0; i < pageSize_; ++i) bytes[page * pageSize_ + i] = static_cast<std::uint8_t>(random());
    ExpectCleanOutcome(bytes, "page " + std::to_string(page) + " random");
  }
  ExpectNoChildren();
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
  // Half of the damage goes to the structure libmdb trusts most: header,
  // usage maps, catalog, the first table definition.
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
  const std::size_t count = EnvNumber("PELLORA_JET_MUTATIONS", kSanitized ? 60 : 200);
  std::mt19937 rng(static_cast<std::uint32_t>(EnvNumber("PELLORA_JET_SEED", 20240401)));
  std::map<std::string, int> outcomes;
  std::chrono::milliseconds slowest{0};
  for (std::size_t i = 0; i < count; ++i) {
    WriteBytes(dir_ / "mutant.qdr", Mutate(original_, pageSize_, rng));
    const Timed read = TimedRead(dir_ / "mutant.qdr", ProviderRequests());
    slowest = std::max(slowest, read.took);
    ASSERT_LT(read.took, kLongestRead) << "mutation " << i;
    const ReadResult& r = read.result;
    if (r.ok) {
      ASSERT_EQ(r.tables.size(), 2u);
      ++outcomes["read"];
    } else {
      ASSERT_FALSE(r.error.empty());
      ASSERT_LE(r.tables.size(), 2u);
      // Group messages by their kind: without counts and file names.
      std::string kind = r.error.substr(0, r.error.find(": /"));
      for (char& c : kind) {
        if (c >= '0' && c <= '9') c = '#';
      }
      ++outcomes[kind];
    }
  }
  ExpectNoChildren();
  std::cout << count << " mutations, slowest read " << slowest.count() << " ms\n";
  for (const auto& [kind, n] : outcomes) std::cout << "  " << n << "  " << kind << "\n";
}

// libmdb 1.0.0 dereferences NULL when it walks a usage map of no bytes (a
// libFuzzer run of plain libmdb calls finds it within a minute). The map
// checks stop the read before libmdb walks the map, so even a read in this
// very process survives it.
TEST(KnownLibmdbCrash, EmptyUsageMapFailsCleanlyEvenInProcess) {
  TempDir dir;
  auto bytes = jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Jet4, true));
  // Page 1 holds the usage maps: rows 0 and 1 the catalog's, 2 and 3
  // m_pvd's. Row 2 ends where row 1 starts; giving it row 1's start as its
  // own leaves it no bytes.
  constexpr std::size_t kMapPage = 4096, kRowOffsets = 14;
  bytes[kMapPage + kRowOffsets + 4] = bytes[kMapPage + kRowOffsets + 2];
  bytes[kMapPage + kRowOffsets + 5] = bytes[kMapPage + kRowOffsets + 3];
  WriteBytes(dir / "data.qdr", bytes);
  for (const ReadResult& r : {ReadJetTablesInProcess(dir / "data.qdr", ProviderRequests()),
                              ReadJetTables(dir / "data.qdr", ProviderRequests())}) {
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("table m_pvd: damaged usage map"), std::string::npos) << r.error;
  }
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
       std::vector<std::uint8_t> b(s.begin(), s.begin() + 4096);
       b.resize(4 * 4096, 0);
       return b;
     }},
    {"HeaderThenRandomPages", [](const auto& s) {
       std::vector<std::uint8_t> b(s.begin(), s.begin() + 4096);
       const auto r = RandomBytes(8 * 4096, 11);
       b.insert(b.end(), r.begin(), r.end());
       return b;
     }},
    {"AceVersion", [](const auto& s) {
       auto b = s;
       b[0x14] = 0x02;
       return b;
     }},
    {"VersionHighBytes", [](const auto& s) {
       auto b = s;
       b[0x16] = 0x01;
       return b;
     }},
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
  EXPECT_FALSE(OpensAsDatabase(dir / "data.qdr"));
  const ReadResult r = ReadJetTables(dir / "data.qdr", ProviderRequests());
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  ExpectNoChildren();
}

INSTANTIATE_TEST_SUITE_P(Cases, NotDatabase, ::testing::ValuesIn(kNotDatabases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NotDatabasePath, MissingFileAndFolder) {
  TempDir dir;
  EXPECT_FALSE(OpensAsDatabase(dir / "absent.qdr"));
  EXPECT_FALSE(OpensAsDatabase(dir.path()));
  EXPECT_FALSE(OpensAsDatabase(""));
  const ReadResult r = ReadJetTables(dir / "absent.qdr", ProviderRequests());
  EXPECT_NE(r.error.find("no such file"), std::string::npos) << r.error;
}

// ---------------------------------------------------------------------------
// The reader process misbehaving: a stand-in helper does it on purpose.
struct Misbehaviour {
  const char* name;  // the database file's name tells the stand-in what to do
  const char* expected;
  std::chrono::milliseconds timeout{500};
};
void PrintTo(const Misbehaviour& m, std::ostream* os) { *os << m.name; }

class HelperMisbehaves : public ::testing::TestWithParam<Misbehaviour> {};

TEST_P(HelperMisbehaves, EndsAsAFailedReadInBoundedTime) {
  TempDir dir;
  const auto file = dir / (std::string(GetParam().name) + ".mdb");
  jetwriter::WriteJetFile(ProviderDatabase(JetVersion::Jet4, true), file);
  const ReadOptions options{FAKE_JETREAD, GetParam().timeout};
  const Timed read = TimedRead(file, ProviderRequests(), options);
  EXPECT_FALSE(read.result.ok);
  EXPECT_NE(read.result.error.find(GetParam().expected), std::string::npos) << read.result.error;
  EXPECT_LT(read.took, GetParam().timeout + std::chrono::milliseconds(2500));
  ExpectNoChildren();
}

INSTANTIATE_TEST_SUITE_P(Cases, HelperMisbehaves,
                         // The sanitizers catch the crash in the helper and
                         // end it with status 1 instead.
                         ::testing::Values(Misbehaviour{"crash", kSanitized ? "failed (exit status 1)"
                                                                            : "crashed (signal 11)"},
                                           Misbehaviour{"abort", "crashed (signal 6)"},
                                           Misbehaviour{"hang", "did not finish within 500 ms"},
                                           Misbehaviour{"quiet-hang", "did not finish within 500 ms"},
                                           Misbehaviour{"garbage", "garbled"},
                                           Misbehaviour{"truncated", "garbled"},
                                           // cut off by size, long before its time is up
                                           Misbehaviour{"flood", "more than the file can hold",
                                                        std::chrono::milliseconds(20000)},
                                           Misbehaviour{"exit3", "exit status 3"}),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           std::erase(n, '-');
                           return n;
                         });

TEST(HelperBehaves, SlowButInTimeIsFine) {
  TempDir dir;
  jetwriter::WriteJetFile(ProviderDatabase(JetVersion::Jet4, true), dir / "slow.mdb");
  const ReadResult r = ReadJetTables(dir / "slow.mdb", ProviderRequests(), {FAKE_JETREAD, kTimeout});
  EXPECT_TRUE(r.ok) << r.error;
}

TEST(HelperMissing, IsAFailedRead) {
  TempDir dir;
  jetwriter::WriteJetFile(ProviderDatabase(JetVersion::Jet4, true), dir / "data.qdr");
  const ReadResult r = ReadJetTables(dir / "data.qdr", ProviderRequests(), {dir / "no-such-helper", kTimeout});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("database reader not found"), std::string::npos) << r.error;
  EXPECT_FALSE(OpensAsDatabase(dir / "data.qdr", {dir / "no-such-helper", kTimeout}));
}

TEST(HelperDefault, IsFoundBesideTheProgram) {
  EXPECT_EQ(DefaultHelperPath().filename(), "pellora-jetread");
  EXPECT_TRUE(std::filesystem::exists(DefaultHelperPath())) << DefaultHelperPath();
}

// libmdb prints its complaints; they must not reach the user's terminal.
class CapturedOutput {
 public:
  CapturedOutput() : file_(dir_ / "captured") {
    std::fflush(stdout);
    std::fflush(stderr);
    const int fd = open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    savedOut_ = dup(1);
    savedErr_ = dup(2);
    dup2(fd, 1);
    dup2(fd, 2);
    close(fd);
  }
  std::string Stop() {
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(savedOut_, 1);
    dup2(savedErr_, 2);
    close(savedOut_);
    close(savedErr_);
    const auto bytes = ReadBytes(file_);
    return {bytes.begin(), bytes.end()};
  }

 private:
  TempDir dir_;
  std::filesystem::path file_;
  int savedOut_ = -1, savedErr_ = -1;
};

TEST(HelperOutput, NothingReachesTheTerminal) {
  TempDir dir;
  // A zeroed table definition makes libmdb print an error of its own.
  auto bytes = jetwriter::BuildJetFile(ProviderDatabase(JetVersion::Jet4, true));
  std::fill_n(bytes.begin() + 4 * 4096, 4096, 0);
  WriteBytes(dir / "damaged.qdr", bytes);
  jetwriter::WriteJetFile(ProviderDatabase(JetVersion::Jet4, true), dir / "noisy.mdb");

  CapturedOutput capture;
  const ReadResult damaged = ReadJetTables(dir / "damaged.qdr", ProviderRequests());
  const ReadResult noisy = ReadJetTables(dir / "noisy.mdb", ProviderRequests(), {FAKE_JETREAD, kTimeout});
  const std::string printed = capture.Stop();
  EXPECT_FALSE(damaged.ok);
  EXPECT_TRUE(noisy.ok) << noisy.error;
  EXPECT_EQ(printed, "");
}

}  // namespace
}  // namespace pellora::jet

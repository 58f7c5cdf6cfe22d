// The random databases: the same seed gives the same file, and a few dozen
// seeds cover every feature of real files the writer knows, so that readers
// checked against them are checked against all of it.
#include "jetwriter/jet_random.h"

#include <gtest/gtest.h>

#include <set>

namespace jetwriter {
namespace {

TEST(RandomDatabase, SameSeedSameBytes) {
  EXPECT_EQ(BuildJetFile(RandomDatabase(7)), BuildJetFile(RandomDatabase(7)));
  EXPECT_NE(BuildJetFile(RandomDatabase(7)), BuildJetFile(RandomDatabase(8)));
}

// The longest row of the user tables' data pages of a Jet 3 file that is
// not encoded.
std::size_t LongestJet3Row(const std::vector<std::uint8_t>& file) {
  constexpr std::size_t kPage = 2048, kFirstUserTable = 4;
  std::size_t longest = 0;
  for (std::size_t at = 0; at < file.size(); at += kPage) {
    const std::uint8_t* p = &file[at];
    const std::uint32_t owner = p[4] | p[5] << 8 | p[6] << 16 | static_cast<std::uint32_t>(p[7]) << 24;
    if (p[0] != 0x01 || owner < kFirstUserTable || owner > file.size() / kPage) continue;
    const std::size_t rows = p[8] | p[9] << 8;
    for (std::size_t r = 0; r < rows; ++r) {
      const std::size_t start = (p[10 + 2 * r] | p[11 + 2 * r] << 8) & 0x1FFF;
      const std::size_t end = r == 0 ? kPage : (p[8 + 2 * r] | p[9 + 2 * r] << 8) & 0x1FFF;
      if (start < end) longest = std::max(longest, end - start);
    }
  }
  return longest;
}

TEST(RandomDatabase, FortySeedsCoverWhatRealFilesHold) {
  std::set<std::string> seen;
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    const Database db = RandomDatabase(seed);
    seen.insert(db.version == JetVersion::Jet3 ? "jet3" : db.compressText ? "jet4 compressed" : "jet4 plain");
    if (IsAce(db.version)) seen.insert("ace");
    if (db.encodingKey != 0) seen.insert("encoded");
    if (!db.password.empty()) seen.insert("password");
    for (const Table& t : db.tables) {
      if (!t.deletedRows.empty()) seen.insert("deleted rows");
      if (!t.movedRows.empty()) seen.insert("moved rows");
      if (t.pagedUsageMap && !t.rows.empty()) seen.insert("paged usage map");
      if (t.maxRowsPerPage < 255 && t.rows.size() > 3 * t.maxRowsPerPage) seen.insert("many pages");
      for (std::size_t c = 0; c < t.columns.size(); ++c) {
        seen.insert("type " + std::to_string(static_cast<int>(t.columns[c].type)));
        if (t.columns[c].type != ColumnType::Memo) continue;
        for (const auto& row : t.rows) {
          const auto* text = std::get_if<std::string>(&row[c]);
          if (!text || text->size() < 40) continue;
          seen.insert("memo storage " + std::to_string(static_cast<int>(t.columns[c].memoStorage)));
          if (text->size() > 3000) seen.insert("long memo");
        }
      }
    }
    if (db.version == JetVersion::Jet3 && db.encodingKey == 0 && LongestJet3Row(BuildJetFile(db)) > 256) {
      seen.insert("jet3 jump table");
    }
  }
  for (const char* feature :
       {"jet3", "jet4 compressed", "jet4 plain", "encoded", "password", "deleted rows", "moved rows",
        "paged usage map", "many pages", "memo storage 0", "memo storage 1", "memo storage 2", "memo storage 3",
        "long memo", "jet3 jump table", "type 1", "type 2", "type 3", "type 4", "type 5", "type 6", "type 7",
        "type 8", "type 10", "type 12", "ace", "type 19"}) {
    EXPECT_TRUE(seen.count(feature)) << feature;
  }
}

}  // namespace
}  // namespace jetwriter

#include "jetwriter/jet_random.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>

#include "common/civil_date.h"

namespace jetwriter {
namespace {

// Pieces that text is made of, with their length in UTF-16 units and in
// code page 932 bytes (0 bytes: the piece is not in code page 932, so
// Jet 3 text never holds it).
struct Piece {
  const char* utf8;
  std::size_t units;
  std::size_t bytes;
};

const Piece kPieces[] = {
    {"Plain", 5, 5},         {"1310000001", 10, 10}, {" ", 1, 1},           {"髙橋", 2, 4},
    {"鈴木～花子", 5, 10},   {"全角　空白", 5, 10},  {"ﾊﾝｶｸｶﾅ", 6, 6},      {"back\\slash", 10, 10},
    {"①", 1, 2},             {"﨑", 1, 2},            {"一", 1, 2},          {"ケアステーション", 8, 16},
    {"\"引用\",", 5, 7},      {"Mix髙ABC", 7, 8},     {"𠮷", 2, 0},          {"Ünïcödé", 7, 0},
    {"\t", 1, 1},            {"0", 1, 1},            {"訪問看護", 4, 8},    {"ｱｲｳ", 3, 3},
};

class Random {
 public:
  explicit Random(std::uint64_t seed) : rng_(seed) {}

  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(rng_() % n); }
  std::size_t Between(std::size_t lo, std::size_t hi) { return lo + Below(hi - lo + 1); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
  std::int64_t Integer(std::int64_t lo, std::int64_t hi) {
    return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng_);
  }
  double Real(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }

 private:
  std::mt19937_64 rng_;
};

// A text of at most `units` UTF-16 units (Jet 4) or `bytes` code page 932
// bytes (Jet 3), sometimes empty.
std::string RandomText(Random& r, bool jet4, std::size_t units, std::size_t bytes) {
  std::string text;
  // Mostly short, as names are; now and then as long as the column takes,
  // so that Jet 3 rows grow past the 256 bytes their offsets can reach.
  const std::size_t pieces = r.Below(8) == 0 ? 0 : r.Chance(0.25) ? r.Between(12, 60) : r.Between(1, 12);
  for (std::size_t k = 0; k < pieces; ++k) {
    const Piece& p = kPieces[r.Below(std::size(kPieces))];
    if (!jet4 && p.bytes == 0) continue;
    if (jet4 ? p.units > units : p.bytes > bytes) break;
    units -= p.units;
    bytes -= p.bytes;
    text += p.utf8;
  }
  return text;
}

// A long text: pieces up to about `units` units.
std::string RandomLongText(Random& r, bool jet4, std::size_t units) {
  std::string text;
  for (std::size_t used = 0; used < units;) {
    const Piece& p = kPieces[r.Below(std::size(kPieces))];
    if (!jet4 && p.bytes == 0) continue;
    used += p.units;
    text += p.utf8;
  }
  return text;
}

const ColumnType kTypes[] = {ColumnType::Text,  ColumnType::Text,   ColumnType::Memo,     ColumnType::Long,
                             ColumnType::Int,   ColumnType::Byte,   ColumnType::Money,    ColumnType::Float,
                             ColumnType::Double, ColumnType::DateTime, ColumnType::Bool};

const JetVersion kAceVersions[] = {JetVersion::Ace2007, JetVersion::Ace2010, JetVersion::Ace2013, JetVersion::Ace2016,
                                   JetVersion::Ace2019};

const char* const kNames[] = {"id", "氏名", "ﾌﾘｶﾞﾅ", "amount", "金額", "note", "備考", "flag", "day", "code",
                              "Price", "ratio", "count", "住所", "memo2", "X"};

struct ValueMaker {
  Random& r;
  bool jet4;
  std::size_t maxMemoChars;
  std::size_t& budget;  // the bytes a row may still take

  Value Make(const Column& c) {
    if (r.Chance(0.1)) return c.type == ColumnType::Bool ? Value(false) : Value(Null);
    switch (c.type) {
      case ColumnType::Bool: return r.Chance(0.5);
      case ColumnType::Byte: return r.Integer(0, 255);
      case ColumnType::Int: return r.Integer(-32768, 32767);
      case ColumnType::Long: return r.Integer(INT32_MIN, INT32_MAX);
      case ColumnType::Money: return r.Integer(-1000000000000000LL, 1000000000000000LL);
      case ColumnType::BigInt: return r.Integer(INT64_MIN, INT64_MAX);
      case ColumnType::Float: return static_cast<double>(static_cast<float>(r.Real(-1e6, 1e6)));
      case ColumnType::Double:
        return r.Chance(0.3) ? std::ldexp(r.Real(-1, 1), static_cast<int>(r.Between(0, 200)) - 100)
                             : std::round(r.Real(-1e9, 1e9));
      case ColumnType::DateTime:
        // Access's dates, 100-01-01 to 9999-12-31, to the second.
        return static_cast<double>(r.Integer(common::kFirstAutomationDate, common::kLastAutomationDate)) +
               static_cast<double>(r.Below(86400)) / 86400;
      case ColumnType::Text: {
        const std::size_t length = static_cast<std::size_t>(c.length);
        std::string text = RandomText(r, jet4, std::min(length, budget / 2), std::min(length, budget));
        budget -= std::min(budget, 2 * text.size());
        return text;
      }
      case ColumnType::Memo: return Memo(c);
      default: return Null;
    }
  }

  Value Memo(const Column& c) {
    // Values the storage can hold: a value kept in the row fits its row,
    // one on a single LVAL row fits one page.
    std::size_t most = maxMemoChars;
    if (c.memoStorage == MemoStorage::InRow) most = std::min<std::size_t>(budget / 4, 40);
    if (c.memoStorage == MemoStorage::OneLvalRow) most = std::min<std::size_t>(most, 800);
    const std::size_t kind = r.Below(3);
    const std::size_t units = kind == 0 ? r.Below(30) : kind == 1 ? r.Between(30, 800) : r.Between(800, 1 + most);
    std::string text = units < 30 ? RandomText(r, jet4, std::min(units, most), std::min(units, most))
                                  : RandomLongText(r, jet4, std::min(units, most));
    budget -= std::min(budget, text.size() <= 64 ? 3 * text.size() + 12 : std::size_t{12});
    return text;
  }
};

Column RandomColumn(Random& r, std::set<std::string>& names, JetVersion version) {
  const bool jet4 = version != JetVersion::Jet3;
  Column c;
  do {
    c.name = std::string(kNames[r.Below(std::size(kNames))]) + (r.Chance(0.5) ? std::to_string(r.Below(100)) : "");
  } while (!names.insert(c.name).second);
  // One more type where the version holds large numbers.
  const std::size_t type = r.Below(std::size(kTypes) + (HoldsBigInt(version) ? 1 : 0));
  c.type = type < std::size(kTypes) ? kTypes[type] : ColumnType::BigInt;
  c.length = static_cast<int>(r.Chance(0.3) ? r.Between(1, 10) : r.Between(20, 255));
  if (c.type == ColumnType::Memo) {
    c.memoStorage = static_cast<MemoStorage>(r.Below(4));
    c.chainLinkBytes = r.Chance(0.5) ? 0 : r.Between(jet4 ? 2 : 1, 600);
  }
  return c;
}

// The rows of a table, within what a row may hold.
void FillRows(Random& r, Table& t, bool jet4, const RandomLimits& limits) {
  const std::size_t rows = r.Below(limits.maxRows + 1);
  const std::size_t rowBytes = jet4 ? 3600 : 1700;
  auto row = [&] {
    std::size_t budget = rowBytes;
    ValueMaker make{r, jet4, limits.maxMemoChars, budget};
    std::vector<Value> values;
    for (const Column& c : t.columns) values.push_back(make.Make(c));
    return values;
  };
  for (std::size_t i = 0; i < rows; ++i) t.rows.push_back(row());
  if (r.Chance(0.3)) {
    for (std::size_t k = r.Between(1, 6); k > 0; --k) t.deletedRows.emplace_back(r.Below(rows + 1), row());
  }
  if (rows > 0 && r.Chance(0.3)) {
    std::set<std::size_t> moved;
    for (std::size_t k = r.Between(1, 1 + rows / 8); k > 0; --k) moved.insert(r.Below(rows));
    t.movedRows.assign(moved.begin(), moved.end());
    if (r.Chance(0.5)) std::reverse(t.movedRows.begin(), t.movedRows.end());
  }
  if (r.Chance(0.3)) t.maxRowsPerPage = r.Between(1, 12);
  t.pagedUsageMap = r.Chance(0.25);
}

Column KeyColumn(Random& r, const char* name, int length) {
  return r.Chance(0.2) ? Column{name, ColumnType::Long} : Column{name, ColumnType::Text, length};
}

Column NameColumn(Random& r, const char* name, int length, bool jet4) {
  if (!r.Chance(0.3)) return Column{name, ColumnType::Text, length};
  Column c{name, ColumnType::Memo};
  c.memoStorage = static_cast<MemoStorage>(r.Below(4));
  c.chainLinkBytes = r.Chance(0.5) ? 0 : r.Between(jet4 ? 2 : 1, 200);
  return c;
}

}  // namespace

Database RandomDatabase(std::uint64_t seed, const RandomLimits& limits) {
  Random r(seed);
  Database db;
  // Half Jet 3, a quarter Jet 4, a quarter one of the ACE versions.
  db.version = r.Chance(0.5) ? (r.Chance(0.5) ? JetVersion::Jet4 : kAceVersions[r.Below(std::size(kAceVersions))])
                             : JetVersion::Jet3;
  if (limits.version) db.version = *limits.version;
  const bool jet4 = db.version != JetVersion::Jet3;
  db.compressText = r.Chance(0.6);
  // Encoding and the password of the header are Jet's; ACE has neither.
  if (r.Chance(0.3) && !IsAce(db.version)) db.encodingKey = static_cast<std::uint32_t>(r.Integer(1, UINT32_MAX));
  if (r.Chance(0.25) && !IsAce(db.version)) db.password = jet4 ? "パスワード" : "secret";

  Table pvd{"m_pvd", {KeyColumn(r, "pvd_no", 10), NameColumn(r, "pvd_nm", 60, jet4)}, {}};
  Table insd{"m_insd",
             {KeyColumn(r, "insd_no", 10), KeyColumn(r, "insr_no", 6), NameColumn(r, "pat_nm", 40, jet4)},
             {}};
  for (Table* t : {&pvd, &insd}) {
    FillRows(r, *t, jet4, limits);
    db.tables.push_back(std::move(*t));
  }
  for (std::size_t k = 0, n = r.Below(4); k < n; ++k) {
    Table t;
    t.name = "t";
    t.name += std::to_string(k);
    std::set<std::string> names;
    for (std::size_t c = r.Between(1, 14); c > 0; --c) t.columns.push_back(RandomColumn(r, names, db.version));
    FillRows(r, t, jet4, limits);
    db.tables.push_back(std::move(t));
  }
  return db;
}

}  // namespace jetwriter

// Fixture databases for the reader's tests, written at test time with the
// project's own writer into a temporary folder.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/utf.h"
#include "jet/jet_reader.h"
#include "jetwriter/jet_writer.h"

namespace pellora::jet::testing {

// Under the sanitizers everything runs several times slower; the long loops
// run shorter there.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

// A large provider's m_insd: thousands of data pages, a type-1 usage map in
// both versions (60,000 rows are still past the type-0 limit of either).
inline constexpr std::size_t kLargeTableRows = kSanitized ? 60000 : 100000;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pellora-jet-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::u16string U16(const std::string& utf8) { return common::Utf8ToUtf16(utf8); }

// A file's path as the reader takes it.
inline std::u16string PathOf(const std::filesystem::path& file) { return U16(file.string()); }

// A cell as the tests write and expect it: nullopt is NULL.
using Cell = std::optional<std::string>;
using Row = std::vector<Cell>;

inline jetwriter::Table TextTable(const std::string& name, const std::vector<std::string>& columns,
                                  const std::vector<Row>& rows, int length = 60) {
  jetwriter::Table t{name, {}, {}};
  for (const std::string& c : columns) t.columns.push_back({c, jetwriter::ColumnType::Text, length});
  for (const Row& row : rows) {
    std::vector<jetwriter::Value> values;
    for (const Cell& cell : row) values.push_back(cell ? jetwriter::Value(*cell) : jetwriter::Value(jetwriter::Null));
    t.rows.push_back(std::move(values));
  }
  return t;
}

// The names that break naive handling of code page 932 or UTF-16: NEC and
// IBM extensions (①, 髙), the full-width tilde, the full-width space (its
// UTF-16 low byte is 00), half-width kana, a backslash (0x5C, a yen sign
// in Shift_JIS proper).
inline const std::vector<std::string>& HardNames() {
  static const std::vector<std::string> names = {
      "髙橋 ①", "鈴木～花子", "全角　空白", "ﾊﾝｶｸｶﾅ", "back\\slash", "Plain ASCII", "混在Mix髙ABC①", "﨑",
  };
  return names;
}

inline std::vector<Row> ProviderRows() {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < HardNames().size(); ++i) {
    rows.push_back({std::to_string(1310000001 + i), HardNames()[i]});
  }
  rows.push_back({"1310009997", std::nullopt});   // NULL name
  rows.push_back({"1310009998", std::string()});  // empty name
  rows.push_back({std::nullopt, "番号なし"});
  rows.push_back({"1310000001", "二番目の同じ番号"});  // a repeated key stays in table order
  return rows;
}

// insd_no, insr_no, pat_nm: count rows with a few NULLs and empty names.
inline std::vector<Row> InsuredRows(std::size_t count) {
  std::vector<Row> rows;
  rows.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    Cell name = "利用者" + std::to_string(i) + HardNames()[i % HardNames().size()];
    if (i % 97 == 5) name = std::nullopt;
    if (i % 89 == 3) name = std::string();
    rows.push_back({std::to_string(1000000000 + i), i % 3 == 0 ? "001234" : "131011", name});
  }
  return rows;
}

inline jetwriter::Database ProviderDatabase(jetwriter::JetVersion version, bool compress,
                                            std::size_t insuredRows = 40) {
  jetwriter::Database db;
  db.version = version;
  db.compressText = compress;
  db.tables.push_back(TextTable("m_pvd", {"pvd_no", "pvd_nm"}, ProviderRows()));
  db.tables.push_back(TextTable("m_insd", {"insd_no", "insr_no", "pat_nm"}, InsuredRows(insuredRows)));
  return db;
}

inline std::vector<TableRequest> ProviderRequests() {
  return {{"m_pvd", {"pvd_no", "pvd_nm"}}, {"m_insd", {"insd_no", "insr_no", "pat_nm"}}};
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The table's rows in the tests' own form.
inline std::vector<std::vector<std::optional<std::u16string>>> RowsOf(const Table& table) {
  std::vector<std::vector<std::optional<std::u16string>>> rows;
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    std::vector<std::optional<std::u16string>> row;
    for (std::size_t c = 0; c < table.columnCount(); ++c) {
      const auto cell = table.text(r, c);
      row.push_back(cell ? std::optional<std::u16string>(*cell) : std::nullopt);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

inline std::vector<std::vector<std::optional<std::u16string>>> Expected(const std::vector<Row>& rows) {
  std::vector<std::vector<std::optional<std::u16string>>> out;
  for (const Row& row : rows) {
    std::vector<std::optional<std::u16string>> r;
    for (const Cell& c : row) r.push_back(c ? std::optional<std::u16string>(U16(*c)) : std::nullopt);
    out.push_back(std::move(r));
  }
  return out;
}

}  // namespace pellora::jet::testing

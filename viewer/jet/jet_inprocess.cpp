#include "jet_inprocess.h"

// glib first: mdbtools.h includes it inside extern "C", where its C++
// parts would not compile.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "jet_file_check.h"
#include "jet_text.h"
#include "jet_wire.h"

namespace pellora::jet {
namespace {

// Anything that ends a read: the message is the read's error.
class ReadFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr std::uint32_t kCatalogPage = 2;
constexpr int kObjectTypeTable = 1;  // MSysObjects.Type of a table
constexpr std::uint32_t kPageNumberMask = 0x00FFFFFF;
constexpr int kRowOffsetMask = 0x1FFF;
// libmdb reads row numbers up to 1000 on a page, so no page gives more.
constexpr std::uint64_t kMaxRowsPerPage = 1001;
// Jet allows 255 columns; a definition claiming more is damaged, and the
// index counts only move libmdb's cursor: beyond these it is walking
// through a damaged definition.
constexpr unsigned kMaxColumns = 255;
constexpr unsigned kMaxIndexes = 1000;

struct MdbHandleCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableDefFreer {
  void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};

std::string CaseFolded(const std::string& utf8) {
  if (!g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
    throw ReadFailure("name is not valid UTF-8: " + utf8);
  }
  gchar* folded = g_utf8_casefold(utf8.data(), static_cast<gssize>(utf8.size()));
  std::string out(folded);
  g_free(folded);
  return out;
}

// Jet compares table and column names without regard to letter case.
bool SameName(const std::string& a, const std::string& b) { return CaseFolded(a) == CaseFolded(b); }

std::optional<std::string> ToUtf8(const std::u16string& text) {
  gchar* utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.data()),
                                static_cast<glong>(text.size()), nullptr, nullptr, nullptr);
  if (!utf8) return std::nullopt;
  std::string out(utf8);
  g_free(utf8);
  return out;
}

// One open database file: the libmdb handle with its decoders set for
// this file, and the file's shape from the checks.
class Database {
 public:
  Database(const std::filesystem::path& file, const JetFileShape& shape) : shape_(shape) {
    mdb_.reset(mdb_open(std::filesystem::absolute(file).c_str(), MDB_NOFLAGS));
    if (!mdb_) throw ReadFailure("libmdb cannot open the file");
    if (IS_JET4(mdb_.get()) != shape.jet4 || !(IS_JET4(mdb_.get()) || IS_JET3(mdb_.get()))) {
      throw ReadFailure("libmdb sees another Jet version than the header");
    }
    // libmdb decodes names (columns) through mdb->iconv_in, picked from the
    // process environment and wrong for code page 932; set it per handle.
    const std::string stored = shape.jet4 ? "UTF-16LE" : Jet3CodePage();
    iconv_t names = iconv_open("UTF-8", stored.c_str());
    if (names == reinterpret_cast<iconv_t>(-1)) throw ReadFailure("no converter for " + stored);
    if (mdb_->iconv_in != reinterpret_cast<iconv_t>(-1)) iconv_close(mdb_->iconv_in);
    mdb_->iconv_in = names;
    if (!shape.jet4) {
      codePage_ = std::make_unique<CodePageDecoder>(stored);
      if (!codePage_->usable()) throw ReadFailure("no converter for " + stored);
    }
  }

  MdbHandle* mdb() const { return mdb_.get(); }
  const JetFileShape& shape() const { return shape_; }

  void AppendText(std::span<const std::uint8_t> stored, std::u16string& out) const {
    if (shape_.jet4) {
      AppendJet4Text(stored, out);
    } else {
      codePage_->Append(stored, out);
    }
  }

 private:
  // The header names the code page of Jet 3 text; a Japanese provider's
  // file says 932. Files that say nothing usable are taken as 932 too.
  std::string Jet3CodePage() const {
    const unsigned cp = mdb_->f->code_page;
    if (cp != 0) {
      const std::string name = "CP" + std::to_string(cp);
      iconv_t probe = iconv_open("UTF-16LE", name.c_str());
      if (probe != reinterpret_cast<iconv_t>(-1)) {
        iconv_close(probe);
        return name;
      }
    }
    return "CP932";
  }

  JetFileShape shape_;
  std::unique_ptr<MdbHandle, MdbHandleCloser> mdb_;
  std::unique_ptr<CodePageDecoder> codePage_;
};

// Checks a usage map before libmdb walks it: a map of unknown type sends
// libmdb through every page of the file, and bits for pages past the end
// (or a base page near 2^32) make its page numbers wrap, so that it visits
// the same page for ever. A sound map names existing pages only.
void CheckUsageMap(const Database& db, const MdbTableDef& t, const std::string& table) {
  const JetFileShape& shape = db.shape();
  const unsigned char* map = t.usage_map;
  const std::size_t size = t.map_sz;
  auto damaged = [&](const std::string& what) {
    return ReadFailure("table " + table + ": damaged usage map (" + what + ")");
  };
  if (!map || size < 5) throw damaged("too short");
  auto u32At = [&](std::size_t at) {
    return static_cast<std::uint32_t>(map[at] | map[at + 1] << 8 | map[at + 2] << 16) |
           static_cast<std::uint32_t>(map[at + 3]) << 24;
  };
  if (map[0] == 0) {
    const std::uint64_t base = u32At(1);
    for (std::size_t i = 0; i < (size - 5) * 8; ++i) {
      if ((map[5 + i / 8] >> (i % 8) & 1) && base + i >= shape.pageCount) throw damaged("page past the end");
    }
    return;
  }
  if (map[0] != 1) throw damaged("unknown type");
  const std::uint64_t pagesPerBitmap = (shape.pageSize - 4) * 8;
  MdbHandle* mdb = db.mdb();
  for (std::size_t k = 0; k < (size - 1) / 4; ++k) {
    const std::uint32_t bitmapPage = u32At(1 + 4 * k);
    if (bitmapPage == 0) continue;
    if (bitmapPage >= shape.pageCount ||
        mdb_read_alt_pg(mdb, bitmapPage) != static_cast<ssize_t>(shape.pageSize) ||
        mdb->alt_pg_buf[0] != 0x05) {
      throw damaged("bad bitmap page");
    }
    for (std::uint64_t i = 0; i < pagesPerBitmap; ++i) {
      if ((mdb->alt_pg_buf[4 + i / 8] >> (i % 8) & 1) && k * pagesPerBitmap + i >= shape.pageCount) {
        throw damaged("page past the end");
      }
    }
  }
}

// A table opened through its definition page, with its rows walked by
// libmdb and each row cracked into fields.
class OpenTable {
 public:
  OpenTable(const Database& db, std::uint32_t definitionPage, const std::string& name)
      : db_(db), name_(name) {
    const JetFileShape& shape = db.shape();
    if (definitionPage == 0 || definitionPage >= shape.pageCount) {
      throw ReadFailure("table " + name + ": definition page outside the file");
    }
    // A catalog entry of our own: libmdb's catalog reader would also parse
    // every object's property blob, on which it can loop for ever.
    entry_ = std::make_unique<MdbCatalogEntry>();
    entry_->mdb = db.mdb();
    g_strlcpy(entry_->object_name, name.c_str(), sizeof entry_->object_name);
    entry_->object_type = MDB_TABLE;
    entry_->table_pg = definitionPage;
    table_.reset(mdb_read_table(entry_.get()));
    if (!table_) throw ReadFailure("table " + name + ": cannot read its definition");
    MdbTableDef* t = table_.get();
    if (t->num_cols == 0 || t->num_cols > kMaxColumns || t->num_real_idxs > kMaxIndexes ||
        t->num_idxs > kMaxIndexes) {
      throw ReadFailure("table " + name + ": damaged definition");
    }
    CheckUsageMap(db, *t, name);
    if (!mdb_read_columns(t) || t->columns->len != t->num_cols) {
      throw ReadFailure("table " + name + ": cannot read its columns");
    }
  }

  unsigned ColumnIndex(const std::string& column) const {
    const MdbTableDef* t = table_.get();
    for (unsigned i = 0; i < t->num_cols; ++i) {
      const auto* c = static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, i));
      if (SameName(c->name, column)) return i;
    }
    throw ReadFailure("table " + name_ + " has no column " + column);
  }

  std::uint64_t recordedRows() const { return table_->num_rows; }

  int ColumnType(unsigned index) const {
    return static_cast<const MdbColumn*>(g_ptr_array_index(table_->columns, index))->col_type;
  }

  // The bytes of a field, or nullopt for NULL. libmdb does not check that a
  // field lies inside its row; a damaged row fails the read here.
  std::optional<std::span<const std::uint8_t>> Field(const MdbField& f) const {
    if (f.is_null) return std::nullopt;
    if (f.siz < 0 || f.start < rowStart_ || static_cast<std::size_t>(f.start) + f.siz > rowEnd_) {
      throw ReadFailure("table " + name_ + ": damaged row");
    }
    return std::span<const std::uint8_t>(db_.mdb()->pg_buf + f.start, static_cast<std::size_t>(f.siz));
  }

  // Calls onRow(fields) for every row in table order, then checks the count
  // against the definition: pages lost to damage end libmdb's walk early,
  // looking like the end of the table. (More rows than recorded is fine: a
  // file not closed properly can record too few.)
  template <typename OnRow>
  void ForEachRow(OnRow onRow) {
    MdbTableDef* t = table_.get();
    MdbHandle* mdb = db_.mdb();
    const std::size_t pageSize = db_.shape().pageSize;
    const std::uint64_t maxRows = db_.shape().pageCount * kMaxRowsPerPage;
    std::vector<MdbField> fields(t->num_cols);
    std::uint64_t rows = 0;
    mdb_rewind_table(t);
    while (mdb_fetch_row(t)) {
      if (++rows > maxRows) throw ReadFailure("table " + name_ + ": more rows than the file can hold");
      int start = 0;
      std::size_t length = 0;
      if (t->cur_row == 0 || mdb_find_row(mdb, static_cast<int>(t->cur_row) - 1, &start, &length) != 0) {
        throw ReadFailure("table " + name_ + ": damaged row");
      }
      start &= kRowOffsetMask;
      if (length == 0 || start + length > pageSize) throw ReadFailure("table " + name_ + ": damaged row");
      rowStart_ = start;
      rowEnd_ = start + length;
      if (mdb_crack_row(t, start, length, fields.data()) < 0) throw ReadFailure("table " + name_ + ": damaged row");
      onRow(std::span<const MdbField>(fields));
    }
    if (rows < t->num_rows) {
      throw ReadFailure("table " + name_ + ": read " + std::to_string(rows) + " of its " +
                        std::to_string(t->num_rows) + " rows");
    }
  }

 private:
  const Database& db_;
  std::string name_;
  std::unique_ptr<MdbCatalogEntry> entry_;  // must outlive table_
  std::unique_ptr<MdbTableDef, TableDefFreer> table_;
  int rowStart_ = 0;
  std::size_t rowEnd_ = 0;
};

std::int64_t FixedInteger(std::span<const std::uint8_t> bytes) {
  std::int64_t v = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) v |= static_cast<std::int64_t>(bytes[i]) << (8 * i);
  if (bytes.size() == 2) return static_cast<std::int16_t>(v);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

struct CatalogTable {
  std::string name;  // UTF-8
  std::uint32_t definitionPage = 0;
};

// The tables listed in MSysObjects, read through its definition on page 2,
// with only the columns Id, Name and Type looked at.
std::vector<CatalogTable> ReadCatalog(const Database& db) {
  OpenTable catalog(db, kCatalogPage, "MSysObjects");
  const unsigned id = catalog.ColumnIndex("Id");
  const unsigned name = catalog.ColumnIndex("Name");
  const unsigned type = catalog.ColumnIndex("Type");
  if (catalog.ColumnType(id) != MDB_LONGINT || catalog.ColumnType(name) != MDB_TEXT ||
      catalog.ColumnType(type) != MDB_INT) {
    throw ReadFailure("damaged catalog (column types)");
  }
  std::vector<CatalogTable> tables;
  std::u16string text;
  catalog.ForEachRow([&](std::span<const MdbField> fields) {
    const auto idBytes = catalog.Field(fields[id]);
    const auto nameBytes = catalog.Field(fields[name]);
    const auto typeBytes = catalog.Field(fields[type]);
    if (!idBytes || !nameBytes || !typeBytes || idBytes->size() != 4 || typeBytes->size() != 2) return;
    if (FixedInteger(*typeBytes) != kObjectTypeTable) return;
    text.clear();
    db.AppendText(*nameBytes, text);
    if (auto utf8 = ToUtf8(text)) {
      tables.push_back({std::move(*utf8), static_cast<std::uint32_t>(FixedInteger(*idBytes)) & kPageNumberMask});
    }
  });
  return tables;
}

void ReadTable(const Database& db, const std::vector<CatalogTable>& catalog, const TableRequest& request,
               Table& out) {
  const CatalogTable* found = nullptr;
  for (const CatalogTable& entry : catalog) {
    if (SameName(entry.name, request.table)) {
      found = &entry;
      break;
    }
  }
  if (!found) throw ReadFailure("no table " + request.table);
  OpenTable table(db, found->definitionPage, request.table);
  std::vector<unsigned> columns;
  for (const std::string& column : request.columns) {
    columns.push_back(table.ColumnIndex(column));
    if (table.ColumnType(columns.back()) != MDB_TEXT) {
      throw ReadFailure("column " + column + " of " + request.table + " is not a text column");
    }
  }
  const std::uint64_t maxChars = MaxWireBytes(db.shape().fileSize) / sizeof(char16_t);
  // Storage for the rows the definition records, as far as the file could
  // hold them (a row takes a few bytes at least; a character at least one).
  const std::uint64_t fileSize = db.shape().fileSize;
  const std::uint64_t rows = std::min<std::uint64_t>(table.recordedRows(), fileSize / 8);
  out.Reserve(static_cast<std::size_t>(rows), static_cast<std::size_t>(std::min(rows * 16, fileSize)));
  std::vector<std::u16string> texts(columns.size());
  std::vector<std::optional<std::u16string_view>> cells(columns.size());
  table.ForEachRow([&](std::span<const MdbField> fields) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const auto bytes = table.Field(fields[columns[c]]);
      if (!bytes) {
        cells[c].reset();
        continue;
      }
      texts[c].clear();
      db.AppendText(*bytes, texts[c]);
      cells[c] = texts[c];
    }
    out.AddRow(cells);
    if (out.characters().size() > maxChars) throw ReadFailure("table " + request.table + ": too much text");
  });
}

}  // namespace

ReadResult ReadJetTablesInProcess(const std::filesystem::path& database,
                                  const std::vector<TableRequest>& requests) {
  ReadResult result;
  const JetFileShape shape = ExamineJetFile(database);
  if (!shape.ok()) {
    result.error = shape.error;
    return result;
  }
  try {
    const Database db(database, shape);
    const std::vector<CatalogTable> catalog = ReadCatalog(db);
    for (const TableRequest& request : requests) {
      result.tables.emplace_back(request.table, request.columns);
      ReadTable(db, catalog, request, result.tables.back());
    }
    result.ok = true;
  } catch (const ReadFailure& failure) {
    result.error = failure.what();
  } catch (const std::bad_alloc&) {
    result.error = "out of memory";
  }
  return result;
}

}  // namespace pellora::jet

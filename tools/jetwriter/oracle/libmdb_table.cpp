#include "jetwriter/oracle/libmdb_table.h"

// glib first: mdbtools.h includes it inside extern "C", where its C++
// parts would not compile.
#include <glib.h>
#include <iconv.h>
#include <mdbtools.h>

#include <memory>

namespace jetwriter::oracle {
namespace {

struct Closer {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

constexpr std::size_t kBindSize = 1 << 20;  // room for the longest memo value
constexpr int kRowOffsetMask = 0x1FFF;

}  // namespace

std::optional<LibmdbTable> ReadWithLibmdb(const std::filesystem::path& file, const std::string& table,
                                          bool tellNullFromEmpty) {
  std::unique_ptr<MdbHandle, Closer> mdb(mdb_open(file.c_str(), MDB_NOFLAGS));
  if (!mdb) return std::nullopt;
  // libmdb closes whatever converter iconv_in holds when the handle closes.
  iconv_t decoder = iconv_open("UTF-8", IS_JET3(mdb.get()) ? "CP932" : "UTF-16LE");
  if (decoder == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  if (mdb->iconv_in != reinterpret_cast<iconv_t>(-1)) iconv_close(mdb->iconv_in);
  mdb->iconv_in = decoder;
  mdb_set_date_fmt(mdb.get(), "%Y-%m-%dT%H:%M:%S");
  mdb_set_boolean_fmt_numbers(mdb.get());
  mdb_set_bind_size(mdb.get(), kBindSize);

  if (!mdb_read_catalog(mdb.get(), MDB_TABLE)) return std::nullopt;
  MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb.get(), table.c_str());
  if (!entry) return std::nullopt;
  std::unique_ptr<MdbTableDef, Closer> t(mdb_read_table(entry));
  if (!t || !mdb_read_columns(t.get())) return std::nullopt;

  LibmdbTable out;
  const unsigned columns = t->num_cols;
  std::vector<std::vector<char>> bound(columns, std::vector<char>(kBindSize));
  std::vector<int> lengths(columns);
  for (unsigned c = 0; c < columns; ++c) {
    const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
    out.columns.push_back(column->name);
    // A type newer than libmdb (ACE's large numbers) would print nothing
    // but a warning per value on stderr; left unbound, it reads as "".
    if (column->col_type <= MDB_COMPLEX) {
      mdb_bind_column(t.get(), static_cast<int>(c + 1), bound[c].data(), &lengths[c]);
    }
  }
  std::vector<MdbField> fields(columns);
  mdb_rewind_table(t.get());
  while (mdb_fetch_row(t.get())) {
    if (tellNullFromEmpty) {
      int start = 0;
      std::size_t length = 0;
      mdb_find_row(mdb.get(), static_cast<int>(t->cur_row) - 1, &start, &length);
      mdb_crack_row(t.get(), start & kRowOffsetMask, length, fields.data());
    }
    std::vector<std::optional<std::string>>& row = out.rows.emplace_back();
    for (unsigned c = 0; c < columns; ++c) {
      const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
      if (tellNullFromEmpty && fields[c].is_null && column->col_type != MDB_BOOL) {
        row.emplace_back();
      } else {
        row.emplace_back(std::string(bound[c].data(), static_cast<std::size_t>(lengths[c])));
      }
    }
  }
  return out;
}

}  // namespace jetwriter::oracle

#pragma once
// The provider's database as the look-up, pipeline and export tests write
// it: m_pvd and m_insd with the names that trip up code page 932 and
// UTF-16 handling, NULLs, empty names, repeated keys and quotes in keys,
// in each form a provider's data.qdr comes in.

#include <optional>
#include <string>
#include <vector>

#include "jetwriter/jet_writer.h"
#include "tests/jet/jet_fixtures.h"

namespace pellora::testing {

using jet::testing::Cell;
using jet::testing::Row;
using jet::testing::TempDir;
using jet::testing::TextTable;

// The forms: both Jet versions, both Jet 4 text forms, the names kept as
// memo values (in a chain of long-value pages, or one long-value row each),
// and an encoded file with a password.
enum class DatabaseForm { Jet4Compressed, Jet4Plain, Jet3CodePage932, Jet4MemoNames, Jet3MemoNames, Jet4Encoded };

inline constexpr DatabaseForm kAllDatabaseForms[] = {DatabaseForm::Jet4Compressed, DatabaseForm::Jet4Plain,
                                                      DatabaseForm::Jet3CodePage932, DatabaseForm::Jet4MemoNames,
                                                      DatabaseForm::Jet3MemoNames, DatabaseForm::Jet4Encoded};

inline std::string FormName(DatabaseForm form) {
  switch (form) {
    case DatabaseForm::Jet4Compressed: return "Jet4Compressed";
    case DatabaseForm::Jet4Plain: return "Jet4Plain";
    case DatabaseForm::Jet3CodePage932: return "Jet3CodePage932";
    case DatabaseForm::Jet4MemoNames: return "Jet4MemoNames";
    case DatabaseForm::Jet3MemoNames: return "Jet3MemoNames";
    case DatabaseForm::Jet4Encoded: return "Jet4Encoded";
  }
  return "?";
}

// Test names print the form's name.
inline void PrintTo(DatabaseForm form, std::ostream* os) { *os << FormName(form); }

inline jetwriter::Database InForm(DatabaseForm form, std::vector<jetwriter::Table> tables) {
  const bool jet3 = form == DatabaseForm::Jet3CodePage932 || form == DatabaseForm::Jet3MemoNames;
  jetwriter::Database db;
  db.version = jet3 ? jetwriter::JetVersion::Jet3 : jetwriter::JetVersion::Jet4;
  db.compressText = form == DatabaseForm::Jet4Compressed || form == DatabaseForm::Jet4MemoNames;
  db.codePage = 932;
  if (form == DatabaseForm::Jet4Encoded) {
    db.encodingKey = 0x7E57D47A;
    db.password = "合言葉";
  }
  for (jetwriter::Table& t : tables) {
    for (jetwriter::Column& c : t.columns) {
      if ((form != DatabaseForm::Jet4MemoNames && form != DatabaseForm::Jet3MemoNames) ||
          (c.name != "pvd_nm" && c.name != "pat_nm")) {
        continue;
      }
      c.type = jetwriter::ColumnType::Memo;
      c.memoStorage = jet3 ? jetwriter::MemoStorage::OneLvalRow : jetwriter::MemoStorage::LvalChain;
      c.chainLinkBytes = 3;
    }
  }
  db.tables = std::move(tables);
  return db;
}

inline const std::string kProviderNumber = "1371234567";
inline const std::string kProviderName = "髙橋ケアステーション①";

// pvd_no, pvd_nm.
inline jetwriter::Table ProviderTable() {
  return TextTable("m_pvd", {"pvd_no", "pvd_nm"},
                   {
                       {kProviderNumber, kProviderName},
                       {"1370000001", std::nullopt},          // NULL name
                       {"1370000002", std::string()},         // empty name
                       {kProviderNumber, "二番目の同じ番号"},  // the first row wins
                       {std::nullopt, "番号なし"},             // a NULL number equals nothing
                       {"13'70", "引用符の事業所"},           // a quote in the number
                   });
}

// insd_no, insr_no, pat_nm.
inline std::vector<Row> PersonRows() {
  return {
      {"0000000001", "131011", "髙橋 一郎"},
      {"0000000002", "131011", std::nullopt},  // NULL name
      {"0000000003", "001234", "鈴木～花子"},
      {"0000000003", "001234", "二番目の同じ人"},  // the first row wins
      {"0000000004", "131011", std::string()},     // empty name
      {"0000000005", "131011", "全角　空白"},
      {"0000000006", "131011", "ﾊﾝｶｸｶﾅ ﾀﾛｳ"},
      {"0000000007", "131011", "back\\slash"},
      {"0000000008", "131029", "①髙﨑"},
      {"00'09", "131011", "引用符のある番号"},
      {std::nullopt, "131011", "番号なし"},
      {"0000000010", std::nullopt, "保険者なし"},
      {"0000000011", "131011", "引用\"符,と読点"},
  };
}

inline jetwriter::Table InsuredTable(std::vector<Row> rows = PersonRows()) {
  return TextTable("m_insd", {"insd_no", "insr_no", "pat_nm"}, rows);
}

// The whole provider database in one of its forms, written into `dir`.
inline std::filesystem::path WriteProviderDatabase(const TempDir& dir, DatabaseForm form,
                                                   const std::string& name = "data.qdr") {
  const std::filesystem::path file = dir / name;
  jetwriter::WriteJetFile(InForm(form, {ProviderTable(), InsuredTable()}), file);
  return file;
}

}  // namespace pellora::testing

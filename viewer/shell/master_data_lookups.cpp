// Master-data look-ups: the provider's and the persons' names from the
// provider's database, each name field coloured by what became of it
// (light yellow found, light cyan no row, pink no usable database or a
// failed look-up).
//
// A field's name is the name of the first row, in table order, whose key
// columns equal the field's number text exactly. Each look-up run reads its
// table into memory once and answers every field from there: asked one
// row at a time, the database would scan the whole table for every person.
// Numbers are compared as they are, never pasted into query text, so a
// quote inside a number is just one more character: such a number finds
// the row that carries exactly it, and otherwise no row, like any number.
//
// A database may keep a key column as a number rather than text. Jet
// compares a quoted number with such a column as numbers ('001234' equals
// 1234), and so do the look-ups. A text that is no number at all would make
// Jet fail the whole query (a type mismatch); here it finds no row, as a
// quote in a number does, so that one odd number in a claim file does not
// cost every other person's name.
//
// The read is all or nothing: a table that cannot be read whole fills in no
// name at all, and every field the look-up was responsible for turns pink.

#include <functional>
#include <unordered_map>

#include "display/grid_layout.h"
#include "shell/frmPellora.h"
#include "shell/number_text.h"

namespace pellora {
namespace {

const jet::TableRequest kProviderTable{"m_pvd", {"pvd_no", "pvd_nm"}};
constexpr std::size_t kProviderNumber = 0, kProviderName = 1;

const jet::TableRequest kInsuredTable{"m_insd", {"insd_no", "insr_no", "pat_nm"}};
constexpr std::size_t kInsuredNumber = 0, kInsurerNumber = 1, kPersonName = 2;

// A name as its field shows it: a NULL name is "".
std::u16string_view NameText(std::optional<std::u16string_view> name) { return name.value_or(u""); }

// The master table, or nothing when it cannot serve: not read, or its name
// column not text (a name kept as a number is no name).
std::optional<jet::Table> ReadMasterTable(const std::u16string& database, const jet::TableRequest& request,
                                          std::size_t nameColumn) {
  jet::ReadResult read = jet::ReadJetTables(database, {request});
  if (!read.ok) return std::nullopt;
  const jet::ColumnType name = read.tables.front().columnType(nameColumn);
  if (name != jet::ColumnType::Text && name != jet::ColumnType::Memo) return std::nullopt;
  return std::move(read.tables.front());
}

// A number text in the form column `column` of `table` holds its keys: as
// it is for a text column; for a number column the number it reads as, or
// nothing when it reads as none.
std::optional<std::u16string> KeyIn(const jet::Table& table, std::size_t column, std::u16string_view text) {
  if (!jet::IsNumberType(table.columnType(column))) return std::u16string(text);
  if (!IsNumberText(text)) return std::nullopt;
  return jet::NumberText(ValueOfText(text));
}

// The insurer number as m_insd holds it: a number as at least six digits
// with leading zeros (1234 is 001234), any other text as it is.
std::u16string InsurerKey(std::u16string_view text) {
  return IsNumberText(text) ? ZeroPad6(text) : std::u16string(text);
}

// m_insd in memory: for each (insd_no, insr_no), the first row that has
// it. A NULL key equals nothing, as in a query. The index refers into the
// table, which must outlive it.
class InsuredNameIndex {
 public:
  explicit InsuredNameIndex(const jet::Table& m_insd) : table_(m_insd) {
    first_.reserve(m_insd.rowCount());
    for (std::size_t row = 0; row < m_insd.rowCount(); ++row) {
      const auto insured = m_insd.text(row, kInsuredNumber);
      const auto insurer = m_insd.text(row, kInsurerNumber);
      if (insured && insurer) first_.try_emplace(Key{*insured, *insurer}, row);
    }
  }

  // The name of the person's first row; nothing when there is no row.
  std::optional<std::u16string_view> Find(std::u16string_view insured, std::u16string_view insurer) const {
    const std::optional<std::u16string> insuredKey = KeyIn(table_, kInsuredNumber, insured);
    const std::optional<std::u16string> insurerKey = KeyIn(table_, kInsurerNumber, InsurerKey(insurer));
    if (!insuredKey || !insurerKey) return std::nullopt;
    const auto it = first_.find(Key{*insuredKey, *insurerKey});
    if (it == first_.end()) return std::nullopt;
    return NameText(table_.text(it->second, kPersonName));
  }

 private:
  struct Key {
    std::u16string_view insured;
    std::u16string_view insurer;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      const std::size_t a = std::hash<std::u16string_view>{}(k.insured);
      const std::size_t b = std::hash<std::u16string_view>{}(k.insurer);
      return a ^ (b + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2));
    }
  };

  const jet::Table& table_;
  std::unordered_map<Key, std::size_t, KeyHash> first_;
};

}  // namespace

void frmPellora::LookupProviderName() {
  Label& name = lblHead[3];
  if (!DBFound) {
    name.BackColor = kPink;
    return;
  }
  try {
    const std::optional<jet::Table> m_pvd = ReadMasterTable(DBPath, kProviderTable, kProviderName);
    if (!m_pvd) {
      name.BackColor = kPink;
      return;
    }
    const std::optional<std::u16string> number = KeyIn(*m_pvd, kProviderNumber, lblHead[2].Caption);
    for (std::size_t row = 0; number && row < m_pvd->rowCount(); ++row) {
      if (m_pvd->text(row, kProviderNumber) == std::u16string_view(*number)) {
        name.Caption = NameText(m_pvd->text(row, kProviderName));
        name.BackColor = kLightYellow;
        return;
      }
    }
    name.BackColor = kLightCyan;  // the caption stays as it was
  } catch (...) {
    name.BackColor = kPink;
  }
}

void frmPellora::LookupInsuredNames() {
  const int rows = vsfViewer.Rows();
  auto colourEveryNameCell = [&](OleColor colour) {
    for (int r = 1; r < rows; ++r) {
      vsfViewer.SetRow(r);
      vsfViewer.SetCol(viewer_col::kName);
      vsfViewer.SetCellBackColor(colour);
    }
  };

  if (!DBFound) {
    colourEveryNameCell(kPink);
  } else if (rows > 1) {  // with no person to name, there is nothing to read
    try {
      const std::optional<jet::Table> m_insd = ReadMasterTable(DBPath, kInsuredTable, kPersonName);
      if (!m_insd) {
        colourEveryNameCell(kPink);
      } else {
        const InsuredNameIndex index(*m_insd);
        for (int r = 1; r < rows; ++r) {
          const std::optional<std::u16string_view> name =
              index.Find(vsfViewer.TextMatrix(r, viewer_col::kInsured), vsfViewer.TextMatrix(r, viewer_col::kInsurer));
          vsfViewer.SetRow(r);
          vsfViewer.SetCol(viewer_col::kName);
          if (name) vsfViewer.SetTextMatrix(r, viewer_col::kName, *name);
          vsfViewer.SetCellBackColor(name ? kLightYellow : kLightCyan);
        }
      }
    } catch (...) {
      colourEveryNameCell(kPink);
    }
  }
  vsfViewer.SetRow(0);
  vsfViewer.SetCol(0);
}

}  // namespace pellora

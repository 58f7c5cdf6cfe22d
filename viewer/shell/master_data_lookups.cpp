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

#include <functional>
#include <unordered_map>

#include "display/grid_layout.h"
#include "shell/frmPellora.h"
#include "text/number_text.h"
#include "text/platform_path.h"

namespace pellora {
namespace {

const jet::TableRequest kProviderTable{"m_pvd", {"pvd_no", "pvd_nm"}};
constexpr std::size_t kProviderNumber = 0, kProviderName = 1;

const jet::TableRequest kInsuredTable{"m_insd", {"insd_no", "insr_no", "pat_nm"}};
constexpr std::size_t kInsuredNumber = 0, kInsurerNumber = 1, kPersonName = 2;

// A name as its field shows it: a NULL name is "".
std::u16string_view NameText(std::optional<std::u16string_view> name) { return name.value_or(u""); }

jet::ReadResult ReadMasterTable(const std::u16string& database, const jet::TableRequest& table,
                                const jet::ReadOptions& options) {
  const std::optional<std::filesystem::path> file = PlatformPath(database);
  if (!file) return jet::ReadResult{false, "not a path", {}};
  return jet::ReadJetTables(*file, {table}, options);
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
    const auto it = first_.find(Key{insured, insurer});
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
    const jet::ReadResult read = ReadMasterTable(DBPath, kProviderTable, DatabaseReadOptions);
    if (!read.ok) {
      name.BackColor = kPink;
      return;
    }
    const jet::Table& m_pvd = read.tables.front();
    const std::u16string& number = lblHead[2].Caption;
    for (std::size_t row = 0; row < m_pvd.rowCount(); ++row) {
      if (m_pvd.text(row, kProviderNumber) == std::u16string_view(number)) {
        name.Caption = NameText(m_pvd.text(row, kProviderName));
        name.BackColor = kLightYellow;
        return;
      }
    }
    name.BackColor = kLightCyan;  // the caption stays as it was
  } catch (...) {
    name.BackColor = kPink;
  }
}

// A failed read still hands back the rows it read before failing; their
// names are filled in as if the look-up had got that far, and then every
// name cell turns pink: the user keeps what was found and sees that the
// look-up did not finish.
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
      const jet::ReadResult read = ReadMasterTable(DBPath, kInsuredTable, DatabaseReadOptions);
      if (!read.tables.empty()) {
        const InsuredNameIndex index(read.tables.front());
        for (int r = 1; r < rows; ++r) {
          const std::optional<std::u16string_view> name =
              index.Find(vsfViewer.TextMatrix(r, viewer_col::kInsured),
                         InsurerKey(vsfViewer.TextMatrix(r, viewer_col::kInsurer)));
          vsfViewer.SetRow(r);
          vsfViewer.SetCol(viewer_col::kName);
          if (name) vsfViewer.SetTextMatrix(r, viewer_col::kName, *name);
          vsfViewer.SetCellBackColor(name ? kLightYellow : kLightCyan);
        }
      }
      if (!read.ok) colourEveryNameCell(kPink);
    } catch (...) {
      colourEveryNameCell(kPink);
    }
  }
  vsfViewer.SetRow(0);
  vsfViewer.SetCol(0);
}

}  // namespace pellora

// Master-data look-ups: the provider's and the persons' names from the
// provider's database, each with what became of it.
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
// name at all, and every field the look-up was responsible for is marked
// unavailable.

#include "lookup/master_data_lookups.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "claim/insurer_number.h"
#include "jet/jet_reader.h"
#include "text/number_text.h"

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

// The persons' names for all display rows at once. The keys the rows ask
// for are gathered first; one pass over m_insd then notes, for each key,
// the first row in table order that has it. A NULL key equals nothing, as
// in a query. (Indexing all of m_insd instead would hash and keep every
// person of a large provider for the few thousand a claim file names.)
//
// The keys sit in an open-addressing table of their own: a slot holds the
// number of a wanted key plus one (0 marks it free) and the top half of the
// key's hash; a key's probe runs from its hash to the first free slot. The
// pass over the table mostly meets keys no display row wants: one bit per
// slot, small enough to stay in the processor's nearest cache, says whether
// a probe could find anything at all, and the top half of the hash spares
// it most looks at a wanted key itself.
class InsuredNames {
 public:
  InsuredNames(const jet::Table& m_insd, std::size_t displayRows) : table_(m_insd) {
    std::size_t capacity = 16;
    while (capacity < 4 * displayRows) capacity *= 2;
    slots_.assign(capacity, Slot{});
    taken_.assign(capacity, false);
  }

  // Registers the numbers of a display row; returns what Name takes, or
  // nothing for numbers no row can have (a text where the column holds
  // numbers).
  std::optional<std::size_t> Want(std::u16string_view insured, std::u16string_view insurer) {
    std::optional<std::u16string> insuredKey = KeyIn(table_, kInsuredNumber, insured);
    std::optional<std::u16string> insurerKey = KeyIn(table_, kInsurerNumber, claim::InsurerLookupKey(insurer));
    if (!insuredKey || !insurerKey) return std::nullopt;
    const std::size_t hash = Hash(*insuredKey, *insurerKey);
    Slot& slot = Probe(hash, *insuredKey, *insurerKey);
    if (slot.wanted == 0) {
      wanted_.push_back({std::move(*insuredKey), std::move(*insurerKey), hash, std::nullopt});
      slot = {static_cast<std::uint32_t>(wanted_.size()), Tag(hash)};
      taken_[hash & (slots_.size() - 1)] = true;
    }
    return slot.wanted - 1;
  }

  // The pass over the table, once every row is wanted.
  void Find() {
    std::size_t left = wanted_.size();
    for (std::size_t row = 0; row < table_.rowCount() && left > 0; ++row) {
      const auto insured = table_.text(row, kInsuredNumber);
      const auto insurer = table_.text(row, kInsurerNumber);
      if (!insured || !insurer) continue;
      const std::size_t hash = Hash(*insured, *insurer);
      if (!taken_[hash & (slots_.size() - 1)]) continue;
      const std::uint32_t wanted = Probe(hash, *insured, *insurer).wanted;
      if (wanted != 0 && !wanted_[wanted - 1].row) {
        wanted_[wanted - 1].row = row;
        --left;
      }
    }
  }

  // The name of the first row with the wanted numbers; nothing when no row
  // has them.
  std::optional<std::u16string_view> Name(std::size_t wanted) const {
    const std::optional<std::size_t> row = wanted_[wanted].row;
    if (!row) return std::nullopt;
    return NameText(table_.text(*row, kPersonName));
  }

 private:
  struct Wanted {
    std::u16string insured, insurer;
    std::size_t hash = 0;
    std::optional<std::size_t> row;
  };
  struct Slot {
    std::uint32_t wanted = 0;
    std::uint32_t tag = 0;
  };

  static std::uint32_t Tag(std::size_t hash) { return static_cast<std::uint32_t>(std::uint64_t{hash} >> 32); }

  static std::size_t Hash(std::u16string_view insured, std::u16string_view insurer) {
    const std::size_t a = std::hash<std::u16string_view>{}(insured);
    const std::size_t b = std::hash<std::u16string_view>{}(insurer);
    return a ^ (b + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2));
  }

  // The slot of the key, or the free slot where it would go.
  Slot& Probe(std::size_t hash, std::u16string_view insured, std::u16string_view insurer) {
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t tag = Tag(hash);
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.wanted == 0) return slot;
      if (slot.tag != tag) continue;
      const Wanted& w = wanted_[slot.wanted - 1];
      if (w.hash == hash && w.insured == insured && w.insurer == insurer) return slot;
    }
  }

  const jet::Table& table_;
  std::vector<Wanted> wanted_;
  std::vector<Slot> slots_;  // at most a quarter of them used
  std::vector<bool> taken_;  // per slot: a wanted key's probe starts there
};

}  // namespace

void LookupProviderName(ClaimView& claim, const NameDatabase& database) {
  if (!database.found) {
    claim.providerOutcome = LookupOutcome::Unavailable;
    return;
  }
  try {
    const std::optional<jet::Table> m_pvd = ReadMasterTable(database.path, kProviderTable, kProviderName);
    if (!m_pvd) {
      claim.providerOutcome = LookupOutcome::Unavailable;
      return;
    }
    const std::optional<std::u16string> number = KeyIn(*m_pvd, kProviderNumber, claim.providerNumber);
    for (std::size_t row = 0; number && row < m_pvd->rowCount(); ++row) {
      if (m_pvd->text(row, kProviderNumber) == std::u16string_view(*number)) {
        claim.providerName = NameText(m_pvd->text(row, kProviderName));
        claim.providerOutcome = LookupOutcome::Found;
        return;
      }
    }
    claim.providerOutcome = LookupOutcome::NotFound;  // the name stays as it was
  } catch (...) {
    claim.providerOutcome = LookupOutcome::Unavailable;
  }
}

void LookupInsuredNames(ClaimView& claim, const NameDatabase& database) {
  auto everyRowUnavailable = [&] {
    for (DisplayRow& row : claim.rows) row.nameOutcome = LookupOutcome::Unavailable;
  };
  if (!database.found) return everyRowUnavailable();
  if (claim.rows.empty()) return;  // with no person to name, there is nothing to read
  try {
    const std::optional<jet::Table> m_insd = ReadMasterTable(database.path, kInsuredTable, kPersonName);
    if (!m_insd) return everyRowUnavailable();
    InsuredNames names(*m_insd, claim.rows.size() + 1);
    std::vector<std::optional<std::size_t>> wanted(claim.rows.size());
    for (std::size_t r = 0; r < claim.rows.size(); ++r) wanted[r] = names.Want(claim.rows[r].insured, claim.rows[r].insurer);
    names.Find();
    for (std::size_t r = 0; r < claim.rows.size(); ++r) {
      DisplayRow& row = claim.rows[r];
      const std::optional<std::u16string_view> name = wanted[r] ? names.Name(*wanted[r]) : std::nullopt;
      if (name) row.name = *name;
      row.nameOutcome = name ? LookupOutcome::Found : LookupOutcome::NotFound;
    }
  } catch (...) {
    everyRowUnavailable();
  }
}

}  // namespace pellora

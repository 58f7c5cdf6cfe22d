#include "jet_wire.h"

#include <cstring>
#include <optional>

namespace pellora::jet {
namespace {

constexpr char kHead[4] = {'P', 'J', 'R', '1'};
constexpr char kTail[4] = {'P', 'J', 'R', '.'};

class Writer {
 public:
  template <typename T>
  void Put(T value) {
    const auto at = bytes_.size();
    bytes_.resize(at + sizeof value);
    std::memcpy(bytes_.data() + at, &value, sizeof value);
  }
  void PutBytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  void PutString(const std::string& s) {
    Put(static_cast<std::uint32_t>(s.size()));
    PutBytes(s.data(), s.size());
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  template <typename T>
  std::optional<T> Get() {
    if (left() < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  std::optional<std::string> GetString() {
    const auto size = Get<std::uint32_t>();
    if (!size || *size > left()) return std::nullopt;
    std::string s(reinterpret_cast<const char*>(bytes_.data() + at_), *size);
    at_ += *size;
    return s;
  }
  // count items of itemSize bytes, without overflowing on a forged count.
  bool Has(std::uint64_t count, std::size_t itemSize) const { return count <= left() / itemSize; }
  bool Expect(const char (&tag)[4]) {
    if (left() < 4 || std::memcmp(bytes_.data() + at_, tag, 4) != 0) return false;
    at_ += 4;
    return true;
  }
  void Copy(void* to, std::size_t size) {
    std::memcpy(to, bytes_.data() + at_, size);
    at_ += size;
  }
  std::size_t left() const { return bytes_.size() - at_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

ReadResult Garbled(const std::string& what) {
  ReadResult r;
  r.error = "garbled reply from the database reader (" + what + ")";
  return r;
}

}  // namespace

std::vector<std::uint8_t> EncodeWire(const ReadResult& result) {
  Writer w;
  w.PutBytes(kHead, 4);
  w.Put(static_cast<std::uint32_t>(result.ok ? 1 : 0));
  w.PutString(result.error);
  w.Put(static_cast<std::uint32_t>(result.tables.size()));
  for (const Table& t : result.tables) {
    w.PutString(t.name());
    w.Put(static_cast<std::uint32_t>(t.columnCount()));
    for (const std::string& c : t.columns()) w.PutString(c);
    w.Put(static_cast<std::uint64_t>(t.rowCount()));
    w.Put(static_cast<std::uint64_t>(t.characters().size()));
    w.PutBytes(t.cells().data(), t.cells().size() * sizeof(Table::Cell));
    w.PutBytes(t.characters().data(), t.characters().size() * sizeof(char16_t));
  }
  w.PutBytes(kTail, 4);
  return w.Take();
}

ReadResult DecodeWire(std::span<const std::uint8_t> bytes, const std::vector<TableRequest>& requests) {
  Reader r(bytes);
  if (!r.Expect(kHead)) return Garbled("no header");
  const auto ok = r.Get<std::uint32_t>();
  auto error = r.GetString();
  const auto tableCount = r.Get<std::uint32_t>();
  if (!ok || *ok > 1 || !error || !tableCount) return Garbled("bad status");
  if (*tableCount > requests.size() || (*ok == 1 && *tableCount != requests.size())) {
    return Garbled("wrong number of tables");
  }
  ReadResult result;
  result.ok = *ok == 1;
  result.error = std::move(*error);
  if (result.ok != result.error.empty()) return Garbled("bad status");
  for (std::uint32_t t = 0; t < *tableCount; ++t) {
    const TableRequest& asked = requests[t];
    const auto name = r.GetString();
    const auto columnCount = r.Get<std::uint32_t>();
    if (!name || *name != asked.table || !columnCount || *columnCount != asked.columns.size()) {
      return Garbled("not the table asked for");
    }
    for (const std::string& column : asked.columns) {
      const auto got = r.GetString();
      if (!got || *got != column) return Garbled("not the columns asked for");
    }
    const auto rows = r.Get<std::uint64_t>();
    const auto chars = r.Get<std::uint64_t>();
    if (!rows || !chars) return Garbled("truncated");
    // A table of no columns has no cells, whatever its row count.
    std::vector<Table::Cell> cells;
    if (!asked.columns.empty()) {
      if (!r.Has(*rows, sizeof(Table::Cell) * asked.columns.size())) return Garbled("truncated cells");
      cells.resize(static_cast<std::size_t>(*rows * asked.columns.size()));
      r.Copy(cells.data(), cells.size() * sizeof(Table::Cell));
    }
    if (!r.Has(*chars, sizeof(char16_t))) return Garbled("truncated characters");
    std::u16string text(static_cast<std::size_t>(*chars), u'\0');
    r.Copy(text.data(), text.size() * sizeof(char16_t));
    Table table(asked.table, asked.columns);
    if (!table.Adopt(*rows, std::move(cells), std::move(text))) return Garbled("cells out of range");
    result.tables.push_back(std::move(table));
  }
  if (!r.Expect(kTail) || r.left() != 0) return Garbled("no end mark");
  return result;
}

std::uint64_t MaxWireBytes(std::uint64_t databaseBytes) {
  constexpr std::uint64_t kBase = 64ull << 20;
  constexpr std::uint64_t kPerDatabaseByte = 32;
  return kBase + kPerDatabaseByte * databaseBytes;
}

}  // namespace pellora::jet

#include "jet_wire.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace pellora::jet {
namespace {

constexpr char kHead[4] = {'P', 'J', 'R', '1'};
constexpr char kTail[4] = {'P', 'J', 'R', '.'};

// The encoding, once, for any sink: sink(data, size) receives the bytes in
// order, the large arrays of a table in one piece each.
template <typename Sink>
void EmitWire(const ReadResult& result, Sink&& sink) {
  auto u32 = [&](std::uint32_t v) { sink(&v, sizeof v); };
  auto u64 = [&](std::uint64_t v) { sink(&v, sizeof v); };
  auto text = [&](const std::string& s) {
    u32(static_cast<std::uint32_t>(s.size()));
    sink(s.data(), s.size());
  };
  sink(kHead, 4);
  u32(result.ok ? 1 : 0);
  text(result.error);
  u32(static_cast<std::uint32_t>(result.tables.size()));
  for (const Table& t : result.tables) {
    text(t.name());
    u32(static_cast<std::uint32_t>(t.columnCount()));
    for (const std::string& c : t.columns()) text(c);
    u64(t.rowCount());
    u64(t.characters().size());
    sink(t.cells().data(), t.cells().size() * sizeof(Table::Cell));
    sink(t.characters().data(), t.characters().size() * sizeof(char16_t));
  }
  sink(kTail, 4);
}

// resize and memcpy rather than insert: GCC 12 warns falsely about insert
// of a few bytes here (-Wstringop-overflow) in optimised builds.
void Append(std::vector<std::uint8_t>& bytes, const void* data, std::size_t size) {
  const std::size_t at = bytes.size();
  bytes.resize(at + size);
  if (size > 0) std::memcpy(bytes.data() + at, data, size);
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

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
    if (size == 0) return;  // to may be null then
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
  std::vector<std::uint8_t> bytes;
  EmitWire(result, [&](const void* data, std::size_t size) { Append(bytes, data, size); });
  return bytes;
}

bool WriteWire(int fd, const ReadResult& result) {
  // Small pieces are gathered, large arrays go out directly.
  std::vector<std::uint8_t> pending;
  bool ok = true;
  auto flush = [&] {
    ok = ok && WriteAll(fd, pending.data(), pending.size());
    pending.clear();
  };
  EmitWire(result, [&](const void* data, std::size_t size) {
    if (size < 4096) {
      Append(pending, data, size);
      return;
    }
    flush();
    ok = ok && WriteAll(fd, static_cast<const std::uint8_t*>(data), size);
  });
  flush();
  return ok;
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

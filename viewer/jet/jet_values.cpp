#include "jet/jet_values.h"

#include <algorithm>

namespace pellora::jet {
namespace {

// The first four bytes of a memo's header: its length, and in the two top
// bits where it is kept.
constexpr std::uint32_t kLengthMask = 0x3FFFFFFF;
constexpr std::uint32_t kInRow = 2, kInOneRow = 1, kInChain = 0;
constexpr std::size_t kLongValueHeader = 12;
constexpr std::size_t kChainLink = 4;  // a chained LVAL row starts with the pointer to the next

void Consume(std::uint64_t& budget, std::size_t bytes) {
  if (bytes > budget) throw ReadFailure("damaged long values (more than the file holds)");
  budget -= bytes;
}

}  // namespace

std::span<const std::uint8_t> ValueDecoder::LongValue(std::span<const std::uint8_t> stored) {
  const Bytes header(stored, "long value");
  const std::uint32_t word = header.u32(0);
  const std::size_t length = word & kLengthMask;
  switch (word >> 30) {
    case kInRow:
      return header.slice(kLongValueHeader, length);
    case kInOneRow: {
      const RowSlot row = db_.RowAt(SplitPageRow(header.u32(4)), "long value");
      if (row.deleted || row.bytes.size() < length) throw ReadFailure("damaged long value");
      Consume(longValueBytesLeft_, length);
      return row.bytes.first(length);
    }
    case kInChain: {
      assembled_.clear();
      links_.clear();
      std::uint32_t next = header.u32(4);
      while (assembled_.size() < length) {
        // Every link adds a byte at least, so the chain ends within
        // `length` links, or the budget ends it; a link met twice is a
        // loop, whatever the length says.
        if (next == 0) throw ReadFailure("damaged long value (its chain ends early)");
        if (!links_.insert(next).second) throw ReadFailure("damaged long value (its chain loops)");
        const RowSlot row = db_.RowAt(SplitPageRow(next), "long value");
        if (row.deleted || row.bytes.size() <= kChainLink) throw ReadFailure("damaged long value");
        const std::size_t take = std::min(row.bytes.size() - kChainLink, length - assembled_.size());
        Consume(longValueBytesLeft_, take);
        assembled_.insert(assembled_.end(), row.bytes.begin() + kChainLink, row.bytes.begin() + kChainLink + take);
        next = Bytes(row.bytes, "long value").u32(0);
      }
      return assembled_;
    }
    default:
      throw ReadFailure("damaged long value");
  }
}

void ValueDecoder::AppendText(const ColumnDefinition& column, std::span<const std::uint8_t> stored,
                              std::u16string& out) {
  db_.AppendText(column.type == ColumnType::Memo ? LongValue(stored) : stored, out);
}

double ValueDecoder::Number(const ColumnDefinition& column, std::span<const std::uint8_t> stored) const {
  const Bytes b(stored, "number");
  switch (column.type) {
    case ColumnType::Byte: return b.u8(0);
    case ColumnType::Int: return static_cast<std::int16_t>(b.u16(0));
    case ColumnType::Long: return static_cast<std::int32_t>(b.u32(0));
    case ColumnType::BigInt: return static_cast<double>(static_cast<std::int64_t>(b.u64(0)));
    case ColumnType::Money: return static_cast<double>(static_cast<std::int64_t>(b.u64(0))) / 10000;
    case ColumnType::Float: return b.f32(0);
    case ColumnType::Double: return b.f64(0);
    default: b.Fail();
  }
}

Value ValueDecoder::Decode(const ColumnDefinition& column, const Field& field, std::u16string& text) {
  if (column.type == ColumnType::Bool) return field.present;
  if (!field.present || !column.decoded()) return std::monostate{};
  const Bytes b(field.bytes, "value");
  switch (column.type) {
    case ColumnType::Byte:
    case ColumnType::Int:
    case ColumnType::Long:
      return static_cast<std::int64_t>(Number(column, field.bytes));
    case ColumnType::BigInt:
      return static_cast<std::int64_t>(b.u64(0));
    case ColumnType::Money:
      return Currency{static_cast<std::int64_t>(b.u64(0))};
    case ColumnType::Float:
    case ColumnType::Double:
      return Number(column, field.bytes);
    case ColumnType::DateTime:
      return DateTime{b.f64(0)};
    case ColumnType::Text:
    case ColumnType::Memo:
      text.clear();
      AppendText(column, field.bytes, text);
      return std::u16string_view(text);
    default:
      return std::monostate{};
  }
}

}  // namespace pellora::jet

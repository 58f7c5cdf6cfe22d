#include "definitions/persist.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "definitions/days.h"
#include "definitions/holiday_styles.h"

namespace dovrel {

namespace {

// A string is read in pieces of this many bytes, so that what a damaged byte
// count claims is never allocated ahead of the data that actually arrives:
// memory follows the stream, not the count.
constexpr ULONG kStringPiece = 64 * 1024;

// The stream and the direction of one save or load, with the first failure.
// After a failure the primitives do nothing, so a routine can transfer its
// fields one after the other and look at the outcome once.
//
// Every value is little-endian, whatever the machine: the bytes are put
// together and taken apart here.
class PropertyExchange {
 public:
  enum class Direction { Load, Save };
  PropertyExchange(IStream* stream, Direction direction) : stream_(stream), direction_(direction) {}

  bool IsLoading() const { return direction_ == Direction::Load; }
  bool Ok() const { return SUCCEEDED(result_); }
  HRESULT Result() const { return result_; }
  void Fail(HRESULT failure) {
    if (Ok()) result_ = failure;
  }

  // The four transfer primitives.
  template <class Int>
  void Integer32(Int& value) {
    static_assert(std::is_integral_v<Int> && sizeof(Int) == 4);
    TransferInteger(value);
  }
  template <class Int>
  void Integer16(Int& value) {
    static_assert(std::is_integral_v<Int> && sizeof(Int) == 2);
    TransferInteger(value);
  }
  // A 32-bit boolean goes as the stored value, 0 or 1 as the objects keep
  // it; a loaded value is kept as it came, so that it saves back unchanged.
  template <class Int>
  void Boolean32(Int& value) {
    Integer32(value);
  }
  void String(BstrField& field) {
    if (IsLoading())
      ReadString(field);
    else
      WriteString(field);
  }

 private:
  template <class Int>
  void TransferInteger(Int& value) {
    using Bits = std::make_unsigned_t<Int>;
    BYTE bytes[sizeof(Int)];
    if (!IsLoading()) {
      const auto bits = static_cast<Bits>(value);
      for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<BYTE>(bits >> (8 * i));
    }
    Transfer(bytes, sizeof bytes);
    if (IsLoading() && Ok()) {
      Bits bits = 0;
      for (std::size_t i = 0; i < sizeof bytes; ++i) bits = static_cast<Bits>(bits | (Bits{bytes[i]} << (8 * i)));
      value = static_cast<Int>(bits);
    }
  }

  // Exactly size bytes, or a failure: the stream's own, or for a stream that
  // moved fewer bytes than asked without one (a memory stream at its end
  // answers S_OK, a file stream S_FALSE) the fault of its direction.
  void Transfer(BYTE* bytes, ULONG size) {
    if (!Ok() || size == 0) return;
    ULONG moved = 0;
    const HRESULT hr = IsLoading() ? stream_->Read(bytes, size, &moved) : stream_->Write(bytes, size, &moved);
    if (FAILED(hr))
      Fail(hr);
    else if (moved != size)
      Fail(IsLoading() ? STG_E_READFAULT : STG_E_WRITEFAULT);
  }

  // n = 0 for a null string; otherwise n = 2 x code units + 2, the code
  // units and a 16-bit zero.
  void WriteString(const BstrField& field) {
    const BSTR text = field.Get();
    const std::size_t units = text ? SysStringLen(text) : 0;
    if (units > (0x7FFFFFFFu - 2) / 2) {
      Fail(E_UNEXPECTED);  // longer than the format's byte count can say
      return;
    }
    LONG byteCount = text ? static_cast<LONG>(units * 2 + 2) : 0;
    Integer32(byteCount);
    if (!text || !Ok()) return;
    std::vector<BYTE> bytes;
    try {
      bytes.resize(units * 2 + 2);
    } catch (const std::bad_alloc&) {
      Fail(E_OUTOFMEMORY);
      return;
    }
    for (std::size_t i = 0; i < units; ++i) {
      bytes[2 * i] = static_cast<BYTE>(text[i] & 0xFF);
      bytes[2 * i + 1] = static_cast<BYTE>(text[i] >> 8);
    }
    Transfer(bytes.data(), static_cast<ULONG>(bytes.size()));
  }

  void ReadString(BstrField& field) {
    LONG byteCount = 0;
    Integer32(byteCount);
    if (!Ok()) return;
    if (byteCount == 0) {
      field.SetNull();
      return;
    }
    // A saved string holds whole 16-bit units and its closing zero.
    if (byteCount < 2 || byteCount % 2 != 0) {
      Fail(kDamagedStreamData);
      return;
    }
    OleString text;  // OLECHAR: char16_t here, wchar_t on Windows
    ULONG left = static_cast<ULONG>(byteCount) - 2;
    BYTE piece[kStringPiece];
    while (left > 0 && Ok()) {
      const ULONG size = std::min(left, kStringPiece);
      Transfer(piece, size);
      if (!Ok()) return;
      for (ULONG i = 0; i < size; i += 2) text.push_back(static_cast<OLECHAR>(piece[i] | (piece[i + 1] << 8)));
      left -= size;
    }
    std::uint16_t closingZero = 0;
    Integer16(closingZero);
    if (!Ok()) return;
    if (closingZero != 0) {
      Fail(kDamagedStreamData);
      return;
    }
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy) {
      Fail(E_OUTOFMEMORY);
      return;
    }
    field.Adopt(copy);
  }

  IStream* stream_;
  Direction direction_;
  HRESULT result_ = S_OK;
};

// Members read from a stream that have not joined a collection yet: released
// unless the collection takes them.
template <class Member>
class LoadedMembers {
 public:
  LoadedMembers() = default;
  LoadedMembers(const LoadedMembers&) = delete;
  LoadedMembers& operator=(const LoadedMembers&) = delete;
  ~LoadedMembers() {
    for (Member* member : members_) member->Release();
  }
  // A new member with the defaults of its class, or nullptr when memory ran
  // out.
  Member* New() {
    Member* member = nullptr;
    if (FAILED(CreateOwnedObject(&member))) return nullptr;
    try {
      members_.push_back(member);
    } catch (const std::bad_alloc&) {
      member->Release();
      return nullptr;
    }
    return member;
  }
  const std::vector<Member*>& All() const { return members_; }

 private:
  std::vector<Member*> members_;
};

template <class Collection>
struct MemberOf;
template <>
struct MemberOf<Days> {
  using Type = Day;
};
template <>
struct MemberOf<HolidayStyles> {
  using Type = HolidayStyle;
};

template <class Collection>
void ExchangeItems(PropertyExchange& exchange, Collection& collection);

// One record, field by field in the stream's order.
void ExchangeRecord(PropertyExchange& exchange, Day& day) {
  exchange.Integer32(day.Fields().Date);
  exchange.Integer32(day.Fields().Date2);
  exchange.Integer16(day.Fields().Type);
  exchange.String(day.Key());
  exchange.String(day.Name());
}

// A style's Parent and notification target are not part of the record.
void ExchangeRecord(PropertyExchange& exchange, HolidayStyle& style) {
  StyleAttributes& attributes = style.Attributes();
  exchange.Integer32(attributes.backColor);
  exchange.Integer32(attributes.foreColor);
  exchange.Boolean32(attributes.bold);
  exchange.Boolean32(attributes.underline);
  exchange.Integer16(attributes.override_);
  exchange.String(style.Key());
  exchange.String(style.Name());
  ExchangeItems(exchange, style.DaysCollection());
}

// A collection: its version field, the number of records and the records.
//
// Saving writes the members as they are. Loading reads the records one by
// one into new members with their classes' defaults, as many as the count
// says and the stream holds (nothing is reserved from the count, which may
// be damaged), and only when every record was read do they join the
// collection, together with the version field read. The values read are not
// checked: a stream from an earlier version may hold values that the
// properties would refuse today, and they come back as they were saved.
template <class Collection>
void ExchangeItems(PropertyExchange& exchange, Collection& collection) {
  LONG version = collection.Version();
  exchange.Integer32(version);
  LONG count = static_cast<LONG>(collection.Members().size());
  exchange.Integer32(count);
  if (!exchange.IsLoading()) {
    for (auto* member : collection.Members()) ExchangeRecord(exchange, *member);
    return;
  }
  if (!exchange.Ok()) return;
  if (count < 0) {
    exchange.Fail(kDamagedStreamData);
    return;
  }
  LoadedMembers<typename MemberOf<Collection>::Type> loaded;
  for (LONG i = 0; i < count && exchange.Ok(); ++i) {
    auto* member = loaded.New();
    if (!member) {
      exchange.Fail(E_OUTOFMEMORY);
      return;
    }
    ExchangeRecord(exchange, *member);
  }
  if (!exchange.Ok()) return;
  if (FAILED(collection.AppendLoaded(loaded.All()))) {
    exchange.Fail(E_OUTOFMEMORY);
    return;
  }
  collection.Version() = version;
}

template <class Collection>
HRESULT Exchange(Collection& collection, IStream* stream, PropertyExchange::Direction direction) {
  if (!stream) return E_POINTER;
  PropertyExchange exchange(stream, direction);
  try {
    ExchangeItems(exchange, collection);
  } catch (const std::bad_alloc&) {
    exchange.Fail(E_OUTOFMEMORY);
  }
  return exchange.Result();
}

}  // namespace

HRESULT LoadCollection(Days& days, IStream* stream) {
  return Exchange(days, stream, PropertyExchange::Direction::Load);
}
HRESULT LoadCollection(HolidayStyles& styles, IStream* stream) {
  return Exchange(styles, stream, PropertyExchange::Direction::Load);
}
HRESULT SaveCollection(Days& days, IStream* stream) {
  return Exchange(days, stream, PropertyExchange::Direction::Save);
}
HRESULT SaveCollection(HolidayStyles& styles, IStream* stream) {
  return Exchange(styles, stream, PropertyExchange::Direction::Save);
}

}  // namespace dovrel

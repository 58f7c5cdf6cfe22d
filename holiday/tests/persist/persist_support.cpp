#include "tests/persist/persist_support.h"

#include <algorithm>
#include <cstring>

namespace persisttest {

StreamBytes& StreamBytes::I32(std::int64_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  return *this;
}

StreamBytes& StreamBytes::I16(std::int32_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  bytes_.push_back(static_cast<std::uint8_t>(bits & 0xFF));
  bytes_.push_back(static_cast<std::uint8_t>(bits >> 8));
  return *this;
}

StreamBytes& StreamBytes::Str(std::u16string_view text) {
  I32(static_cast<std::int64_t>(text.size()) * 2 + 2);
  for (char16_t unit : text) I16(unit);
  return I16(0);
}

StreamBytes& StreamBytes::NullStr() { return I32(0); }

StreamBytes& StreamBytes::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

StreamBytes& StreamBytes::Day(std::int32_t date, std::int32_t date2, std::int16_t type,
                              std::optional<std::u16string_view> key, std::optional<std::u16string_view> name) {
  I32(date).I32(date2).I16(type);
  key ? Str(*key) : NullStr();
  return name ? Str(*name) : NullStr();
}

std::string Hex(const Bytes& bytes) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
    text += byte;
  }
  return text;
}

ComPtr<IStream> MemoryStreamOf(const Bytes& bytes) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()), S_OK);
  if (!bytes.empty()) {
    EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr), S_OK);
  }
  LARGE_INTEGER start{};
  EXPECT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
  return stream;
}

Bytes ContentOf(IStream* stream) {
  HGLOBAL memory = nullptr;
  EXPECT_EQ(GetHGlobalFromStream(stream, &memory), S_OK);
  STATSTG stat{};
  EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
  const auto* data = static_cast<const std::uint8_t*>(GlobalLock(memory));
  Bytes bytes(data, data + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return bytes;
}

ULONGLONG PositionOf(IStream* stream) {
  LARGE_INTEGER none{};
  ULARGE_INTEGER position{};
  EXPECT_EQ(stream->Seek(none, STREAM_SEEK_CUR, &position), S_OK);
  return position.QuadPart;
}

ComPtr<IPersistStream> PersistOf(IUnknown* collection) {
  ComPtr<IPersistStream> persist;
  EXPECT_EQ(collection->QueryInterface(IID_IPersistStream, persist.ReceiveVoid()), S_OK);
  return persist;
}

Bytes Saved(IUnknown* collection) {
  ComPtr<IStream> stream = MemoryStreamOf({});
  EXPECT_EQ(PersistOf(collection)->Save(stream.Get(), TRUE), S_OK);
  return ContentOf(stream.Get());
}

HRESULT LoadBytes(IUnknown* collection, const Bytes& bytes) {
  ComPtr<IStream> stream = MemoryStreamOf(bytes);
  return PersistOf(collection)->Load(stream.Get());
}

STDMETHODIMP StreamStandIn::QueryInterface(REFIID riid, void** ppv) {
  if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_ISequentialStream) ||
      IsEqualGUID(riid, IID_IStream)) {
    *ppv = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ScriptedStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  ULONG n = std::min<ULONG>(cb, static_cast<ULONG>(bytes_.size()) - position_);
  bool failing = false;
  if (failReadAt && position_ + cb > *failReadAt) {
    n = std::min<ULONG>(n, *failReadAt > position_ ? *failReadAt - position_ : 0);
    failing = true;
  }
  if (n) std::memcpy(pv, bytes_.data() + position_, n);
  position_ += n;
  if (pcbRead) *pcbRead = n;
  if (failing) return readFailure;
  return n < cb ? endResult : S_OK;
}

STDMETHODIMP ScriptedStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  ULONG n = cb;
  bool failing = false;
  if (failWriteAt && written_.size() + cb > *failWriteAt) {
    n = *failWriteAt - static_cast<ULONG>(written_.size());
    failing = true;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(pv);
  written_.insert(written_.end(), bytes, bytes + n);
  if (pcbWritten) *pcbWritten = n;
  return failing ? writeFailure : S_OK;
}

ComPtr<IDays> SampleDays() {
  ComPtr<IDays> days = NewDays();
  AddDay(days.Get(), u"NewYear", DateOf(2031, 1, 1), std::nullopt, dvTypeHoliday, u"元日");
  AddDay(days.Get(), u"obon", DateOf(2031, 8, 13), DateOf(2031, 8, 16), dvTypeForcedHoliday, u"");
  AddDay(days.Get(), u"Audit", DateOf(2031, 11, 3), std::nullopt, dvTypeForcedWorkday);
  AddDay(days.Get(), u"年末", DateOf(2031, 12, 29), DateOf(2032, 1, 3), dvTypeHoliday, u"年末年始");
  return days;
}

ComPtr<IHLDYStyles> SampleStyles() {
  ComPtr<IHLDYStyles> styles = NewStyles();
  ComPtr<IHLDYStyle> national = AddStyle(styles.Get(), u"National", u"国民の祝日");
  EXPECT_EQ(national->put_Override(dvOverrideNextDay), S_OK);
  EXPECT_EQ(national->put_ForeColor(0x000000FF), S_OK);
  EXPECT_EQ(national->put_BackColor(0x80000018), S_OK);
  EXPECT_EQ(national->put_Bold(VARIANT_TRUE), S_OK);
  ComPtr<IDays> nationalDays;
  national->get_Days(nationalDays.Receive());
  AddDay(nationalDays.Get(), u"Ganjitsu", DateOf(2031, 1, 1), std::nullopt, dvTypeHoliday, u"元日");
  AddDay(nationalDays.Get(), u"Kenpo", DateOf(2031, 5, 3));
  AddDay(nationalDays.Get(), u"GW", DateOf(2031, 5, 4), DateOf(2031, 5, 5), dvTypeHoliday, u"");

  ComPtr<IHLDYStyle> empty = AddStyle(styles.Get(), u"empty");
  EXPECT_EQ(empty->put_Underline(VARIANT_TRUE), S_OK);

  ComPtr<IHLDYStyle> company = AddStyle(styles.Get(), u"Company", u"");
  EXPECT_EQ(company->put_Parent(Var::I4(1).v), S_OK);  // takes National's fields and Days
  EXPECT_EQ(company->put_Override(dvOverrideNone), S_OK);
  ComPtr<IDays> companyDays;
  company->get_Days(companyDays.Receive());
  AddDay(companyDays.Get(), u"Founding", DateOf(2031, 6, 1), std::nullopt, dvTypeForcedHoliday, u"創立記念日");
  return styles;
}

}  // namespace persisttest

// What the tests of the persisted form share: byte strings written the way
// the format is described (little-endian fields, strings with their byte
// count), collections saved to and loaded from real memory streams, and a
// stream stand-in that fails or ends where a test tells it to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "definitions/persist.h"
#include "tests/definitions/support.h"

namespace persisttest {

using namespace deftest;
using Bytes = std::vector<std::uint8_t>;
using dovrel::kDamagedStreamData;

// Builds a stream's bytes field by field, as the format lists them.
class StreamBytes {
 public:
  StreamBytes& I32(std::int64_t value);  // any 32-bit value, signed or not
  StreamBytes& I16(std::int32_t value);
  StreamBytes& Str(std::u16string_view text);  // byte count, units, closing zero
  StreamBytes& NullStr();                      // byte count 0
  StreamBytes& Raw(const Bytes& bytes);
  StreamBytes& Day(std::int32_t date, std::int32_t date2, std::int16_t type, std::optional<std::u16string_view> key,
                   std::optional<std::u16string_view> name);
  const Bytes& bytes() const { return bytes_; }
  operator const Bytes&() const { return bytes_; }

 private:
  Bytes bytes_;
};

inline constexpr std::int32_t kVersion = 0x00010000;
inline constexpr std::int32_t kNoDate2 = 5374484;

// Hexadecimal text of bytes ("00 00 01 00 ..."), for readable failures.
std::string Hex(const Bytes& bytes);

// A memory stream holding bytes, positioned at its start.
ComPtr<IStream> MemoryStreamOf(const Bytes& bytes);
// Everything a memory stream holds.
Bytes ContentOf(IStream* stream);
// The stream's position.
ULONGLONG PositionOf(IStream* stream);

// IPersistStream of a collection, asked for through QueryInterface.
ComPtr<IPersistStream> PersistOf(IUnknown* collection);
// What a collection saves to a new memory stream (the test fails when Save
// does).
Bytes Saved(IUnknown* collection);
// Loads bytes from a memory stream into a collection; the result of Load.
HRESULT LoadBytes(IUnknown* collection, const Bytes& bytes);

// What the tests' stand-in streams have in common: IStream, ISequentialStream
// and IUnknown by QueryInterface, and nothing but Read and Write, as a
// stream that cannot seek, copy or lock. They live on the test's stack.
class StreamStandIn : public IStream {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP SetSize(ULARGE_INTEGER) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP Commit(DWORD) override { return S_OK; }
  STDMETHODIMP Revert() override { return S_OK; }
  STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }
};

// A stream over bytes that a test scripts: reads stop with readFailure once
// failReadAt bytes were read, writes with writeFailure once failWriteAt
// bytes were written (a failure of S_OK makes a short read or write without
// a failure), and reads past the end answer endResult with the short count.
class ScriptedStream final : public StreamStandIn {
 public:
  explicit ScriptedStream(Bytes bytes = {}) : bytes_(std::move(bytes)) {}

  std::optional<ULONG> failReadAt;
  HRESULT readFailure = STG_E_READFAULT;
  std::optional<ULONG> failWriteAt;
  HRESULT writeFailure = STG_E_MEDIUMFULL;
  HRESULT endResult = S_FALSE;

  const Bytes& Written() const { return written_; }
  ULONG ReadPosition() const { return position_; }

  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  STDMETHODIMP Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;

 private:
  Bytes bytes_;
  ULONG position_ = 0;
  Bytes written_;
  ULONG refs_ = 1;
};

// A holiday calendar's worth of definitions to save: keys with letters of
// both cases, a null and an empty Name, Japanese text, a range, each type.
ComPtr<IDays> SampleDays();
// Three styles: one with Override 1 and colours, one with no Days, one with
// a Parent set (which is not saved).
ComPtr<IHLDYStyles> SampleStyles();

}  // namespace persisttest

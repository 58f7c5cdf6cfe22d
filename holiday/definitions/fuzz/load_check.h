// What a libFuzzer target checks of a collection's Load, whatever the bytes:
//
// - Load answers S_OK or one of the failures it documents, nothing else;
// - a successful load into an empty collection saves back to exactly the
//   bytes it read (the format has one spelling for every value it holds),
//   and its key index maps each key to the last member that bears it;
// - a failed load leaves a collection that held members as it was (it saves
//   to the same bytes), and a successful one appends after them;
// - the objects loaded, damaged values and all, can be asked what they mark
//   without crashing.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "definitions/days.h"
#include "definitions/holiday_styles.h"
#include "definitions/persist.h"
#include "engine/day_cell.h"

namespace persistfuzz {

using namespace dovrel;
using Bytes = std::vector<std::uint8_t>;

inline void Check(bool condition) {
  if (!condition) std::abort();
}

inline Bytes SavedBytes(IPersistStream* persist) {
  IStream* stream = SHCreateMemStream(nullptr, 0);
  Check(stream != nullptr);
  Check(persist->Save(stream, TRUE) == S_OK);
  HGLOBAL memory = nullptr;
  Check(GetHGlobalFromStream(stream, &memory) == S_OK);
  STATSTG stat{};
  Check(stream->Stat(&stat, STATFLAG_NONAME) == S_OK);
  const auto* data = static_cast<const std::uint8_t*>(GlobalLock(memory));
  Bytes bytes(data, data + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  stream->Release();
  return bytes;
}

inline ULONGLONG PositionOf(IStream* stream) {
  LARGE_INTEGER none{};
  ULARGE_INTEGER position{};
  Check(stream->Seek(none, STREAM_SEEK_CUR, &position) == S_OK);
  return position.QuadPart;
}

inline bool IsDocumentedLoadResult(HRESULT hr) {
  return hr == S_OK || hr == STG_E_READFAULT || hr == kDamagedStreamData || hr == E_OUTOFMEMORY;
}

// Each key maps to the last member bearing it (a loaded key takes over), and
// to nothing else.
template <class Collection>
void CheckKeyIndex(const Collection& collection) {
  KeyIndex expected;
  const auto& members = collection.Members();
  for (std::size_t p = 0; p < members.size(); ++p)
    if (!members[p]->Key().IsEmpty()) expected.Map(members[p]->Key().View(), static_cast<LONG>(p));
  std::vector<std::pair<OleString, LONG>> want, have;
  expected.ForEach([&want](OleStringView key, LONG p) { want.emplace_back(OleString(key), p); });
  collection.Index().ForEach([&have](OleStringView key, LONG p) { have.emplace_back(OleString(key), p); });
  Check(want.size() == have.size());
  for (std::size_t i = 0; i < want.size(); ++i) Check(KeysEqual(want[i].first, have[i].first) && want[i].second == have[i].second);
}

inline void Exercise(Days& days) {
  for (const Day* day : days.Members())
    for (engine::DayNumber d : {engine::kFirstValidDay, 2451545, engine::kLastValidDay}) (void)day->Matches(d);
}

inline void Exercise(HolidayStyles& styles) {
  std::vector<engine::DayCell> cells(800);
  for (LONG i = 0; i < styles.StyleCount(); ++i) {
    IHLDYStyleApply* apply = styles.StyleApplyAt(i);
    for (engine::DayNumber first : {engine::kFirstValidDay, 2451300, engine::kLastValidDay - 799}) {
      for (auto& cell : cells) cell = engine::DayCell{0, 0};
      Check(apply->ApplyToRange(cells.data(), first, static_cast<LONG>(cells.size()), i + 1) == S_OK);
    }
    for (BOOL backward : {FALSE, TRUE}) {
      BOOL found = FALSE;
      IDay* day = nullptr;
      Check(apply->FindDay(2451545, &found, &day, backward) == S_OK);
      if (day) day->Release();
    }
  }
}

// A collection holding one member before the load.
void AddOneMember(Days& days);
void AddOneMember(HolidayStyles& styles);

inline void LittleEndian32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

template <class Collection>
void CheckLoad(const std::uint8_t* data, std::size_t size) {
  {
    Collection* fresh = nullptr;
    Check(SUCCEEDED(CreateOwnedObject(&fresh)));
    IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
    Check(stream != nullptr);
    const HRESULT hr = fresh->Load(stream);
    Check(IsDocumentedLoadResult(hr));
    if (hr == S_OK) {
      const ULONGLONG used = PositionOf(stream);
      Check(SavedBytes(fresh) == Bytes(data, data + used));
      CheckKeyIndex(*fresh);
      Exercise(*fresh);
    } else {
      Check(fresh->Members().empty() && fresh->Version() == 0x00010000);
    }
    stream->Release();
    fresh->Release();
  }
  {
    Collection* holding = nullptr;
    Check(SUCCEEDED(CreateOwnedObject(&holding)));
    AddOneMember(*holding);
    const Bytes before = SavedBytes(holding);
    IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
    const HRESULT hr = holding->Load(stream);
    Check(IsDocumentedLoadResult(hr));
    if (hr == S_OK) {
      // The stream's version, one more member than it counted, the member
      // held before, then the records read.
      const ULONGLONG used = PositionOf(stream);
      std::uint32_t count = 0;
      for (int i = 0; i < 4; ++i) count |= std::uint32_t{data[4 + i]} << (8 * i);
      Bytes expected(data, data + 4);
      LittleEndian32(expected, count + 1);
      expected.insert(expected.end(), before.begin() + 8, before.end());
      expected.insert(expected.end(), data + 8, data + used);
      Check(SavedBytes(holding) == expected);
      CheckKeyIndex(*holding);
    } else {
      Check(SavedBytes(holding) == before);
    }
    stream->Release();
    holding->Release();
  }
}

}  // namespace persistfuzz

// IPersistStream of the two collections against the Linux build: the same
// collections saved to the same bytes, and the Linux build's bytes loaded
// and saved back unchanged.
#include "tests/wine/driver_support.h"
#include "tests/wine/persist_scenario.h"

namespace driver {
namespace {

template <typename T>
Ptr<T> Create(const CLSID& clsid, REFIID iid) {
  Ptr<T> object;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.OutVoid());
  return object;
}

// Where two byte strings part, for the failure message.
std::string FirstDifference(const std::string& ours, const std::string& theirs) {
  std::size_t at = 0;
  while (at < ours.size() && at < theirs.size() && ours[at] == theirs[at]) ++at;
  char text[120];
  std::snprintf(text, sizeof text, "\n  %zu bytes against %zu; they part at byte %zu", ours.size(), theirs.size(), at);
  return text;
}

void CheckSameBytes(const std::string& ours, const std::optional<std::string>& theirs, const std::string& what,
                    int line) {
  bool same = theirs && ours == *theirs;
  Record(same, what, same || !theirs ? "" : FirstDifference(ours, *theirs), __FILE__, line);
}

std::wstring NameOfItem(IDays* days, const wchar_t* key) {
  Ptr<IDay> day;
  Bstr name;
  if (SUCCEEDED(days->get_Item(TextArgument(key), day.Out())) && day) day->get_Name(name.Out());
  return name.IsNull() ? L"(null)" : name.Text();
}

void CheckDays(const Setup& setup) {
  Section section("IPersistStream of Days against the Linux build's bytes");
  auto reference = ReadFileBytes(setup.reference + L"\\days.bin");
  CHECK(reference.has_value());
  Ptr<IDays> days = Create<IDays>(CLSID_Days, IID_IDays);
  CHECK(bool(days));
  if (!days || !reference) return;
  CHECK_HR(persist_scenario::BuildDays(days.Get()), S_OK);
  std::string saved;
  CHECK_HR(persist_scenario::SaveToBytes(days.Get(), &saved), S_OK);
  CheckSameBytes(saved, reference, "Days saves the Linux build's bytes", __LINE__);

  Ptr<IPersistStream> persist = days.As<IPersistStream>(IID_IPersistStream);
  CLSID clsid{};
  if (persist) CHECK_HR(persist->GetClassID(&clsid), S_OK);
  CHECK(IsEqualGUID(clsid, CLSID_Days));

  // The Linux build's bytes, loaded here and saved again.
  Ptr<IDays> loaded = Create<IDays>(CLSID_Days, IID_IDays);
  if (!loaded) return;
  CHECK_HR(persist_scenario::LoadFromBytes(loaded.Get(), *reference), S_OK);
  LONG count = 0;
  loaded->get_Count(&count);
  CHECK_EQ(count, 4L);
  CHECK_EQ(NameOfItem(loaded.Get(), L"GW"), std::wstring(L"ゴールデンウィーク"));
  // A name never given stays null, an empty one empty.
  CHECK_EQ(NameOfItem(loaded.Get(), L"棚卸"), std::wstring(L"(null)"));
  CHECK_EQ(NameOfItem(loaded.Get(), L"創立記念日"), std::wstring(L""));
  Ptr<IDay> range;
  Variant end;
  if (SUCCEEDED(loaded->get_Item(TextArgument(L"GW"), range.Out())) && range) range->get_Date2(end.Out());
  CHECK_EQ(end.Text(), std::wstring(L"2024/05/06"));
  std::string again;
  CHECK_HR(persist_scenario::SaveToBytes(loaded.Get(), &again), S_OK);
  CheckSameBytes(again, reference, "the Linux build's Days, loaded and saved, are the same bytes", __LINE__);

  // A stream cut short adds nothing.
  Ptr<IDays> cut = Create<IDays>(CLSID_Days, IID_IDays);
  if (!cut) return;
  CHECK(FAILED(persist_scenario::LoadFromBytes(cut.Get(), reference->substr(0, reference->size() - 1))));
  cut->get_Count(&count);
  CHECK_EQ(count, 0L);
}

void CheckStyles(const Setup& setup) {
  Section section("IPersistStream of HolidayStyles against the Linux build's bytes");
  auto reference = ReadFileBytes(setup.reference + L"\\styles.bin");
  CHECK(reference.has_value());
  Ptr<IHLDYStyles> styles = Create<IHLDYStyles>(CLSID_HolidayStyles, IID_IHLDYStyles);
  CHECK(bool(styles));
  if (!styles || !reference) return;
  CHECK_HR(persist_scenario::BuildStyles(styles.Get()), S_OK);
  std::string saved;
  CHECK_HR(persist_scenario::SaveToBytes(styles.Get(), &saved), S_OK);
  CheckSameBytes(saved, reference, "HolidayStyles saves the Linux build's bytes", __LINE__);

  Ptr<IPersistStream> persist = styles.As<IPersistStream>(IID_IPersistStream);
  CLSID clsid{};
  if (persist) CHECK_HR(persist->GetClassID(&clsid), S_OK);
  CHECK(IsEqualGUID(clsid, CLSID_HolidayStyles));

  Ptr<IHLDYStyles> loaded = Create<IHLDYStyles>(CLSID_HolidayStyles, IID_IHLDYStyles);
  if (!loaded) return;
  CHECK_HR(persist_scenario::LoadFromBytes(loaded.Get(), *reference), S_OK);
  LONG count = 0;
  loaded->get_Count(&count);
  CHECK_EQ(count, 3L);
  Ptr<IHLDYStyle> national;
  CHECK_HR(loaded->get_Item(TextArgument(L"祝日"), national.Out()), S_OK);
  if (national) {
    OLE_COLOR back = 0;
    dvOverrideConst override = dvOverrideNone;
    national->get_BackColor(&back);
    national->get_Override(&override);
    CHECK_EQ(back, 0x00C0C0FFUL);
    CHECK_EQ(override, dvOverrideNextDay);
    Ptr<IDays> days;
    national->get_Days(days.Out());
    if (days) {
      days->get_Count(&count);
      CHECK_EQ(count, 3L);
      CHECK_EQ(NameOfItem(days.Get(), L"建国記念の日"), std::wstring(L"建国記念の日"));
    }
  }
  std::string again;
  CHECK_HR(persist_scenario::SaveToBytes(loaded.Get(), &again), S_OK);
  CheckSameBytes(again, reference, "the Linux build's HolidayStyles, loaded and saved, are the same bytes", __LINE__);

  Ptr<IHLDYStyles> cut = Create<IHLDYStyles>(CLSID_HolidayStyles, IID_IHLDYStyles);
  if (!cut) return;
  CHECK(FAILED(persist_scenario::LoadFromBytes(cut.Get(), reference->substr(0, reference->size() / 2))));
  cut->get_Count(&count);
  CHECK_EQ(count, 0L);
}

}  // namespace

void CheckPersistence(const Setup& setup) {
  CheckDays(setup);
  CheckStyles(setup);
}

}  // namespace driver

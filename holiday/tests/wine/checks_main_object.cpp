// The main object dvDovrel as a host uses it: a company calendar set up
// through the vtable, questions asked through the vtable and by name, its
// two errors with their text, and the about box on the screen.
#include <cstdlib>

#include "tests/wine/driver_support.h"

namespace driver {
namespace {

const wchar_t kIndexOutOfRange[] = L"範囲外のｲﾝﾃﾞｯｸｽです";
const wchar_t kOver1000Years[] = L"1000年より大きな期間を指定しました";

Ptr<IDovrel> CreateMainObject(const wchar_t* progId) {
  Ptr<IDovrel> object;
  CLSID clsid{};
  if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDovrel, object.OutVoid());
  return object;
}

std::wstring DateText(const VARIANT& v) {
  if (v.vt == VT_NULL) return L"Null";
  Variant copy;
  VariantCopy(copy.Out(), const_cast<VARIANT*>(&v));
  return copy.Text();
}

// Sundays rest with holidays moving to the Monday, second and fourth
// Saturdays rest, and one style of national holidays in use.
void SetUpCompanyCalendar(IDovrel* dovrel) {
  CHECK_HR(dovrel->put_WeekRests(dvSunday, dvAllWeeks), S_OK);
  CHECK_HR(dovrel->put_WeekRests(dvSaturday, static_cast<dvWeekRestsConst>(dv2ndWeek | dv4thWeek)), S_OK);
  Ptr<IHLDYStyles> styles;
  CHECK_HR(dovrel->get_HolidayStyles(styles.Out()), S_OK);
  if (!styles) return;
  Ptr<IHLDYStyle> national;
  Bstr key(L"祝日");
  CHECK_HR(styles->Add(Omitted(), key.Get(), TextArgument(L"国民の祝日"), national.Out()), S_OK);
  if (!national) return;
  CHECK_HR(national->put_Override(dvOverrideNextDay), S_OK);
  Ptr<IDays> days;
  national->get_Days(days.Out());
  if (!days) return;
  Ptr<IDay> day;
  Bstr foundation(L"建国記念の日"), children(L"こどもの日");
  CHECK_HR(days->Add(foundation.Get(), Omitted(), Date(2024, 2, 11), Omitted(), dvTypeHoliday, day.Out()), S_OK);
  CHECK_HR(days->Add(children.Get(), Omitted(), Date(2024, 5, 5), Omitted(), dvTypeHoliday, day.Out()), S_OK);
  Bstr use(L"祝日");
  CHECK_HR(dovrel->put_UseStyles(use.Get()), S_OK);
}

void CheckThroughVtable(IDovrel* dovrel) {
  Section section("dvDovrel through the vtable");
  Bstr version;
  CHECK_HR(dovrel->get_Version(version.Out()), S_OK);
  CHECK_EQ(version.Text(), std::wstring(L"6.0.2.3"));
  Ptr<IHLDYStyles> first, second;
  CHECK_HR(dovrel->get_HolidayStyles(first.Out()), S_OK);
  CHECK_HR(dovrel->get_HolidayStyles(second.Out()), S_OK);
  CHECK(first && first.Get() == second.Get());

  SetUpCompanyCalendar(dovrel);
  // 2024-02-11 is a Sunday: the holiday moves to Monday the 12th.
  struct ValueCase {
    int month, day;
    dvValueTypeConst type;
  };
  const ValueCase values[] = {{2, 11, static_cast<dvValueTypeConst>(17)},
                              {2, 12, static_cast<dvValueTypeConst>(9)},
                              {2, 13, static_cast<dvValueTypeConst>(0)},
                              {1, 13, dvValueWeekend},
                              {1, 6, static_cast<dvValueTypeConst>(0)}};
  for (const ValueCase& c : values) {
    CHECK_HR(dovrel->put_Value(Date(2024, c.month, c.day)), S_OK);
    dvValueTypeConst type = dvValueNull;
    CHECK_HR(dovrel->get_ValueType(&type), S_OK);
    RecordEqual(type, c.type, ("ValueType of 2024-" + std::to_string(c.month) + "-" + std::to_string(c.day)).c_str(),
                __FILE__, __LINE__);
  }

  Variant next;
  CHECK_HR(dovrel->NextDay(Date(2024, 2, 11), dvNavHoliday, next.Out()), S_OK);
  CHECK_EQ(DateText(next.Get()), std::wstring(L"2024/02/12"));
  Variant adjusted;
  // The second Saturday, the Sunday holiday and the Monday it moved to.
  CHECK_HR(dovrel->AdjustDate(Date(2024, 2, 10), dvNextWorkday, adjusted.Out()), S_OK);
  CHECK_EQ(DateText(adjusted.Get()), std::wstring(L"2024/02/13"));
  LONG restDays = 0;
  CHECK_HR(dovrel->DaysInRange(Date(2024, 1, 1), Date(2024, 12, 31), dvWeekend, &restDays), S_OK);
  CHECK_EQ(restDays, 52L + 24L);  // every Sunday, the 2nd and 4th Saturdays

  Variant dates;
  SHORT found = 0;
  CHECK_HR(dovrel->DatesInRange(Date(2024, 2, 1), Date(2024, 2, 29), dates.Out(), dvHoliday, &found), S_OK);
  CHECK_EQ(found, SHORT(2));
  CHECK_EQ(dates.Type(), VT_ARRAY | VT_VARIANT);
  if (dates.Type() == (VT_ARRAY | VT_VARIANT)) {
    SAFEARRAY* array = dates.Get().parray;
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    CHECK_EQ(lower, 0L);
    CHECK_EQ(upper, 1L);
    for (LONG i = 0; i <= upper && upper <= 1; ++i) {
      Variant element;
      SafeArrayGetElement(array, &i, element.Out());
      CHECK_EQ(DateText(element.Get()), std::wstring(i == 0 ? L"2024/02/11" : L"2024/02/12"));
    }
  }

  Ptr<IDay> matched;
  VARIANT_BOOL inStyle = VARIANT_FALSE;
  CHECK_HR(dovrel->IsDateInStyle(Date(2024, 5, 5), matched.Out(), dvFirstMatch, &inStyle), S_OK);
  CHECK_EQ(inStyle, VARIANT_TRUE);
  Bstr matchedKey;
  if (matched) matched->get_Key(matchedKey.Out());
  CHECK_EQ(matchedKey.Text(), std::wstring(L"こどもの日"));

  // The two errors with a text, through the vtable.
  SetErrorInfo(0, nullptr);
  dvWeekRestsConst rests = dvNoWeeks;
  CHECK_HR(dovrel->get_WeekRests(8, &rests), 0x800A0202);
  ErrorInfo info = TakeErrorInfo();
  CHECK_EQ(info.source, std::wstring(L"Qor.Dovrel6.6"));
  CHECK_EQ(info.description, std::wstring(kIndexOutOfRange));
  CHECK(IsEqualGUID(info.guid, IID_IDovrel));
  LONG count = 0;
  // 366,000 days apart is allowed: 1,002 of each holiday and the 284 that
  // moved from a Sunday. One day more is too long.
  CHECK_HR(dovrel->DaysInRange(Date(1000, 1, 1), Date(2002, 1, 28), dvHoliday, &count), S_OK);
  CHECK_EQ(count, 2288L);
  CHECK_HR(dovrel->DaysInRange(Date(1000, 1, 1), Date(2002, 1, 29), dvHoliday, &count), 0x800A0206);
  info = TakeErrorInfo();
  CHECK_EQ(info.source, std::wstring(L"Qor.Dovrel6.6"));
  CHECK_EQ(info.description, std::wstring(kOver1000Years));
  CHECK_HR(dovrel->NextDay(Date(2024, 1, 1), static_cast<dvDayNavConst>(9), next.Out()), 0x800A0005);
}

// A script host's view: dates left out mean Value, an out argument is a
// variable passed by reference, failures come back in EXCEPINFO.
void CheckThroughDispatch(IDovrel* dovrel) {
  Section section("dvDovrel by name");
  IDispatch* object = dovrel;
  {
    Call call;
    Invoke(call, object, L"Value", DISPATCH_PROPERTYPUT, {Date(2024, 2, 9)}, nullptr);
    CHECK_HR(call.hr, S_OK);
  }
  {
    Call call;
    Variant next;
    Invoke(call, object, L"NextDay", DISPATCH_METHOD, {}, next.Out());  // NextDay() from Value, holidays
    CHECK_HR(call.hr, S_OK);
    CHECK_EQ(DateText(next.Get()), std::wstring(L"2024/02/11"));
  }
  {
    // n = d.DatesInRange(#2024/5/1#, #2024/5/31#, dates, dvWeekend)
    Call call;
    Variant result, array;
    VARIANT byReference;
    VariantInit(&byReference);
    byReference.vt = VT_BYREF | VT_VARIANT;
    byReference.pvarVal = array.Out();
    Invoke(call, object, L"DatesInRange", DISPATCH_METHOD,
           {Date(2024, 5, 1), Date(2024, 5, 31), byReference, Long(dvWeekend)}, result.Out());
    CHECK_HR(call.hr, S_OK);
    CHECK_EQ(result.Text(), std::wstring(L"6"));  // Sundays 5, 12, 19, 26; Saturdays 11, 25
    CHECK_EQ(array.Type(), VT_ARRAY | VT_VARIANT);
  }
  {
    // StartOfWeek by its dispatch identifier, as a host that cached it.
    VARIANT monday = Long(dvMonday);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&monday, &put, 1, 1};
    EXCEPINFO exception{};
    CHECK_HR(object->Invoke(22, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, &exception,
                            nullptr),
             S_OK);
    dvWeekdayConst start = dvSunday;
    dovrel->get_StartOfWeek(&start);
    CHECK_EQ(start, dvMonday);
  }
  {
    Call call;
    Variant rests;
    Invoke(call, object, L"WeekRests", DISPATCH_PROPERTYGET, {Long(0)}, rests.Out());
    CHECK_HR(call.hr, DISP_E_EXCEPTION);
    CHECK_HR(call.exception.scode, 0x800A0202);
    CHECK_EQ(call.Source(), std::wstring(L"Qor.Dovrel6.6"));
    CHECK_EQ(call.Description(), std::wstring(kIndexOutOfRange));
  }
  {
    Call call;
    Variant count;
    Invoke(call, object, L"DaysInRange", DISPATCH_METHOD, {Date(100, 1, 1), Date(9999, 12, 31)}, count.Out());
    CHECK_HR(call.hr, DISP_E_EXCEPTION);
    CHECK_HR(call.exception.scode, 0x800A0206);
    CHECK_EQ(call.Source(), std::wstring(L"Qor.Dovrel6.6"));
    CHECK_EQ(call.Description(), std::wstring(kOver1000Years));
  }
}

// --- The about box -----------------------------------------------------------------

// What a second thread sees of the dialog while AboutBox blocks the first.
struct AboutWatch {
  DWORD hostThread = 0;
  HWND expectedOwner = nullptr;
  bool pressEscape = false;          // close with Escape instead of OK
  std::wstring screenshot;           // save a picture here, when given
  std::wstring probeMarker;          // the file the stand-in tool writes
  // Findings.
  bool found = false;
  std::wstring caption, buildLine, systemInfoText;
  bool centred = false;
  HWND owner = nullptr;
  bool toolStarted = false;
  bool savedPicture = false;
  // The build line's control against its text measured in its own font.
  int buildWidth = 0, buildTextWidth = 0;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

std::wstring ControlText(HWND dialog, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(dialog, id, text, 256);
  return text;
}

// A 24-bit BMP of what the screen shows inside the window's frame.
bool SavePicture(HWND window, const std::wstring& path) {
  RECT frame;
  if (!GetWindowRect(window, &frame)) return false;
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files are
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, previous);
    if (ok) {
      DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
      DWORD imageSize = stride * static_cast<DWORD>(height);
      BITMAPFILEHEADER file{};
      file.bfType = 0x4D42;  // "BM"
      file.bfOffBits = sizeof file + sizeof info.bmiHeader;
      file.bfSize = file.bfOffBits + imageSize;
      info.bmiHeader.biSizeImage = imageSize;
      std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
      bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
      bytes.append(static_cast<const char*>(bits), imageSize);
      ok = WriteFileBytes(path, bytes);
    }
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

DWORD WINAPI WatchAboutBox(void* parameter) {
  AboutWatch& watch = *static_cast<AboutWatch*>(parameter);
  HWND dialog = nullptr;
  for (DWORD i = 0; i < 300 * WaitScale() && !dialog; ++i) {
    EnumThreadWindows(watch.hostThread, FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) Sleep(50);
  }
  if (!dialog) return 0;
  watch.found = true;
  Sleep(300);  // let it paint
  wchar_t caption[128] = {};
  GetWindowTextW(dialog, caption, 128);
  watch.caption = caption;
  watch.buildLine = ControlText(dialog, 7005);
  HWND build = GetDlgItem(dialog, 7005);
  RECT client{};
  GetClientRect(build, &client);
  watch.buildWidth = client.right;
  HDC dc = GetDC(build);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(build, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, watch.buildLine.c_str(), static_cast<int>(watch.buildLine.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(build, dc);
  watch.buildTextWidth = extent.cx;
  watch.systemInfoText = ControlText(dialog, 7004);
  watch.owner = GetWindow(dialog, GW_OWNER);
  RECT frame;
  GetWindowRect(dialog, &frame);
  int x = (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2;
  watch.centred = std::abs(frame.left - x) <= 1 && std::abs(frame.top - y) <= 1;
  if (!watch.screenshot.empty()) watch.savedPicture = SavePicture(dialog, watch.screenshot);

  // The system information button, with the stand-in tool configured.
  if (!watch.probeMarker.empty()) {
    DeleteFileW(watch.probeMarker.c_str());
    SendMessageW(GetDlgItem(dialog, 7004), BM_CLICK, 0, 0);
    for (DWORD i = 0; i < 200 * WaitScale() && !watch.toolStarted; ++i) {
      watch.toolStarted = GetFileAttributesW(watch.probeMarker.c_str()) != INVALID_FILE_ATTRIBUTES;
      if (!watch.toolStarted) Sleep(50);
    }
  }

  if (watch.pressEscape) {
    GUITHREADINFO input{};
    input.cbSize = sizeof input;
    GetGUIThreadInfo(watch.hostThread, &input);
    HWND target = input.hwndFocus ? input.hwndFocus : dialog;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  } else {
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  }
  // Should the dialog not close, it must not hang the run.
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
  if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  return 0;
}

const wchar_t kMsinfoKey[] = L"Software\\Microsoft\\Shared Tools\\MSINFO";

void CheckAboutBox(IDovrel* dovrel, const Setup& setup) {
  Section section("about box");
  // A host window, active, as the owner the dialog should take.
  HWND host = CreateWindowExW(0, L"STATIC", L"dovrel60 host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetActiveWindow(host);
  std::wstring probeFolder = setup.probe.substr(0, setup.probe.find_last_of(L'\\'));
  std::wstring marker = probeFolder + L"\\msinfo-started.txt";
  CHECK(SetRegistryText(HKEY_LOCAL_MACHINE, kMsinfoKey, L"Path", setup.probe));

  // Through the vtable, closed with OK after the system information button.
  AboutWatch watch;
  watch.hostThread = GetCurrentThreadId();
  watch.expectedOwner = GetActiveWindow();
  watch.screenshot = setup.screenshot;
  watch.probeMarker = marker;
  HANDLE thread = CreateThread(nullptr, 0, WatchAboutBox, &watch, 0, nullptr);
  CHECK_HR(dovrel->AboutBox(), S_OK);
  WaitForSingleObject(thread, 30000 * WaitScale());
  CloseHandle(thread);
  CHECK(watch.found);
  CHECK_EQ(watch.caption, std::wstring(L"dvDovrel のバージョン情報"));
  CHECK_EQ(watch.buildLine, std::wstring(L"dvDovrel ActiveX Control -  (Build:6.0.2.3)"));
  // Whole on one line in the font the dialog got, "(Build:6.0.2.3)" not cut.
  CHECK(watch.buildWidth >= watch.buildTextWidth);
  CHECK_EQ(watch.systemInfoText, std::wstring(L"ｼｽﾃﾑ情報(&S)"));
  CHECK(watch.centred);
  CHECK(watch.expectedOwner == host);
  CHECK(watch.owner == watch.expectedOwner);
  CHECK(watch.toolStarted);
  if (!setup.screenshot.empty()) CHECK(watch.savedPicture);

  // By name (a hidden member is still callable), closed with Escape; with
  // no tool configured the button does nothing.
  DeleteTree(HKEY_LOCAL_MACHINE, kMsinfoKey);
  AboutWatch second;
  second.hostThread = GetCurrentThreadId();
  second.pressEscape = true;
  second.probeMarker = marker;
  thread = CreateThread(nullptr, 0, WatchAboutBox, &second, 0, nullptr);
  Call call;
  Invoke(call, dovrel, L"AboutBox", DISPATCH_METHOD, {}, nullptr);
  CHECK_HR(call.hr, S_OK);
  WaitForSingleObject(thread, 30000);
  CloseHandle(thread);
  CHECK(second.found);
  CHECK_EQ(second.buildLine, std::wstring(L"dvDovrel ActiveX Control -  (Build:6.0.2.3)"));
  CHECK(!second.toolStarted);
  DestroyWindow(host);
}

}  // namespace

void CheckMainObject(const Setup& setup) {
  Ptr<IDovrel> dovrel = CreateMainObject(L"Qor.Dovrel6");
  Record(bool(dovrel), "CoCreateInstance of Qor.Dovrel6 for IDovrel", "", __FILE__, __LINE__);
  if (!dovrel) return;
  CheckThroughVtable(dovrel.Get());
  CheckThroughDispatch(dovrel.Get());
  CheckAboutBox(dovrel.Get(), setup);
}

}  // namespace driver

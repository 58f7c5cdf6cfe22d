// A claim file named on the command line (shown and drawn at once, its
// names on the colours their look-ups gave them, re-sorted by a click on a
// heading) and a benefit-management file of today; the file dialog
// answered and cancelled; the database dialog's outcomes; no velkar.ini
// beside the program; the debug mode; and the message box of a claim file
// that cannot be read, with its icon, its error number and text.

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

void ClaimOnTheCommandLine(Program& p, const std::u16string& claim, const std::wstring& screenshot) {
  Section("a claim file named on the command line");
  CheckEqual(WindowText(p.window.hwnd()), Title(claim), "the title carries its path");
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  Check(p.form.vsfViewer().Rows() > 10, "its persons are on the display grid");
  UpdateWindow(p.window.hwnd());
  Check(viewer.RowPaints() > 0, "and drawn at once");
  CheckEqual(WindowText(p.Control(MainControl::lblHead1)), std::u16string(u"介護給付費請求書情報"), "the file kind");
  CheckEqual(WindowText(p.Control(MainControl::lblHead3)), p.form.lblHead(3).Caption, "the provider's name");
  CheckColor(BackgroundOf(p.Control(MainControl::lblHead3)), kLightYellow, "the provider's name found");
  // The grid's widths: the insurer column hidden, the four service kinds
  // equally wide.
  CheckEqual<long long>(viewer.ColumnWidths()[3], 0, "保険者番号 hidden");
  Check(viewer.ColumnWidths()[5] > 0 && viewer.ColumnWidths()[5] == viewer.ColumnWidths()[8],
        "the service kinds equally wide");
  // Each name cell in sight on the colour its look-up gave it.
  int yellow = 0, cyan = 0;
  for (int row = 1; row < p.form.vsfViewer().Rows() && row <= 15; ++row) {
    const COLORREF expected = ToColorRef(p.form.vsfViewer().CellBackColor(row, 4).value_or(pellora::kWindowBackgroundColor));
    const POINT at = CellCentre(viewer, row, 4);
    // Beside the name's text, where only the background shows.
    const COLORREF shown = PixelAt(viewer.hwnd(), at.x + viewer.ColumnWidths()[4] / 2 - 4, at.y);
    CheckColor(shown, expected, "name cell of row " + std::to_string(row));
    yellow += expected == kLightYellow;
    cyan += expected == kLightCyan;
  }
  Check(yellow > 0 && cyan > 0, "both found and unknown persons in sight");
  if (!screenshot.empty()) {
    SetForegroundWindow(p.window.hwnd());
    Pump(500);
    Check(SavePicture(p.window.hwnd(), screenshot), "the screenshot written");
  }

  Section("a click on a heading re-sorts the rows");
  const int paintsBefore = viewer.RowPaints();
  std::vector<std::u16string> totalsBefore;
  for (int row = 0; row < p.form.vsfTotal().Rows(); ++row) totalsBefore.push_back(p.form.vsfTotal().TextMatrix(row, 1));
  const POINT heading = CellCentre(viewer, 0, 2);
  SendMessageW(viewer.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(heading.x, heading.y));
  SendMessageW(viewer.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(heading.x, heading.y));
  Pump();
  UpdateWindow(viewer.hwnd());
  bool ascending = true;
  for (int row = 2; row < p.form.vsfViewer().Rows(); ++row)
    ascending = ascending && p.form.vsfViewer().TextMatrix(row - 1, 2) <= p.form.vsfViewer().TextMatrix(row, 2);
  Check(ascending, "被保険者番号 ascending");
  CheckEqual(p.form.vsfViewer().TextMatrix(0, 2), std::u16string(u"被保険者番号"), "the heading row stays");
  std::vector<std::u16string> totalsAfter;
  for (int row = 0; row < p.form.vsfTotal().Rows(); ++row) totalsAfter.push_back(p.form.vsfTotal().TextMatrix(row, 1));
  Check(totalsAfter == totalsBefore, "the totals stay as they were");
  Check(viewer.RowPaints() > paintsBefore, "the grid drawn again");
}

namespace {

// The open-file dialog as the user sees it, before it is answered.
struct FileDialogSeen {
  std::vector<std::wstring> filters;
  int selected = -1;
  std::wstring folder;
  std::wstring name;
};

void SeeFileDialog(HWND dialog, FileDialogSeen& seen) {
  HWND types = GetDlgItem(dialog, cmb1);
  const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    seen.filters.push_back(text);
  }
  seen.selected = static_cast<int>(SendMessageW(types, CB_GETCURSEL, 0, 0));
  wchar_t folder[MAX_PATH] = {};
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
  seen.folder = folder;
  HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
  seen.name = TextOf(name);
}

}  // namespace

void FileDialog(Program& p, const std::u16string& second) {
  Section("the file dialog answered");
  const std::u16string startFolder = p.form.LastFolder();
  FileDialogSeen seen;
  const bool shown = WithModal([&] { SendMessageW(p.Control(MainControl::comFileSelect), BM_CLICK, 0, 0); },
                               [&](HWND dialog) {
                                 SeeFileDialog(dialog, seen);
                                 HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
                                 const std::wstring path = Wide(second);
                                 SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                                 PressButton(dialog, IDOK);
                               });
  Check(shown, "ファイル選択(O) opens the file dialog");
  const std::vector<std::wstring> filters = {L"CSV ファイル (*.csv)", L"テキスト ファイル (*.txt)",
                                             L"すべてのファイル (*.*)"};
  Check(seen.filters == filters, "its three filter entries in order",
        seen.filters.empty() ? "none" : Show(seen.filters.front()));
  CheckEqual<long long>(seen.selected, 0, "the first entry selected");
  CheckEqual(FromWide(seen.folder), startFolder, "it starts in the last file's folder");
  // Named on the command line, the claim file was not chosen in the
  // dialog: there is no name to offer yet.
  CheckEqual(FromWide(seen.name), std::u16string(), "offering no name yet");
  CheckEqual(WindowText(p.window.hwnd()), Title(second), "the chosen file's path in the title");
  CheckEqual(p.form.lblHead(1).Caption, std::u16string(u"給付管理票情報"), "the chosen file shown");
  CheckEqual<long long>(p.Grid(MainControl::vsfTotal).ColumnWidths()[2], 0, "サービス hidden for its kind");

  Section("the file dialog cancelled with Alt+O");
  SetFocus(p.Control(MainControl::comFileSelect));
  FileDialogSeen again;
  const bool cancelShown = WithModal([&] { PressAltKey(p.window, L'o'); },
                                     [&](HWND dialog) {
                                       SeeFileDialog(dialog, again);
                                       PressButton(dialog, IDCANCEL);
                                     });
  Check(cancelShown, "Alt+O opens the file dialog");
  CheckEqual(FromWide(again.name), second.substr(second.find_last_of(u'\\') + 1), "offering the chosen file's name");
  CheckEqual(FromWide(again.folder), second.substr(0, second.find_last_of(u'\\')), "in its folder");
  CheckEqual(WindowText(p.window.hwnd()), std::u16string(frmPellora::kTitle), "the title without a path");
  CheckEqual<long long>(p.form.vsfViewer().Rows(), 1, "no claim left on the display");
  Check(p.Grid(MainControl::vsfViewer).ColumnWidths().size() == 9, "the display grid keeps its headings");
}

namespace {

void ShowClaim(Program& p, const std::u16string& claim) {
  WithModal([&] { SendMessageW(p.Control(MainControl::comFileSelect), BM_CLICK, 0, 0); },
            [&](HWND dialog) {
              HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
              const std::wstring path = Wide(claim);
              SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
              PressButton(dialog, IDOK);
            });
}

struct DatabaseDialogSeen {
  std::wstring caption, text, label, registerCaption, cancelCaption;
  RECT client{};
  bool text1Focused = false;
};

}  // namespace

void DatabaseDialog(Program& p, const std::u16string& claim, const std::u16string& database) {
  const int dpi = p.window.dpi();
  ShowClaim(p, claim);
  const int rows = p.form.vsfViewer().Rows();
  Check(rows > 1, "a claim on display before the database dialog");
  const std::u16string databaseShown = WindowText(p.Control(MainControl::lblDBname1));

  Section("the database dialog cancelled with Esc");
  DatabaseDialogSeen seen;
  SetFocus(p.Control(MainControl::comFileSelect));
  Check(WithModal([&] { PressAltKey(p.window, L'd'); },
                  [&](HWND dialog) {
                    seen.caption = TextOf(dialog);
                    seen.text = TextOf(GetDlgItem(dialog, kText1Id));
                    seen.label = TextOf(GetDlgItem(dialog, kLabel1Id));
                    seen.registerCaption = TextOf(GetDlgItem(dialog, kRegisterId));
                    seen.cancelCaption = TextOf(GetDlgItem(dialog, kCancelId));
                    GetClientRect(dialog, &seen.client);
                    GUITHREADINFO input{};
                    input.cbSize = sizeof input;
                    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &input);
                    seen.text1Focused = input.hwndFocus == GetDlgItem(dialog, kText1Id);
                    TypeKey(input.hwndFocus ? input.hwndFocus : dialog, VK_ESCAPE);
                  }),
        "Alt+D opens the database dialog");
  CheckEqual(FromWide(seen.caption), std::u16string(pellora::frmSetDBname::kCaption), "its title");
  CheckEqual(FromWide(seen.text), databaseShown, "the database path in its box");
  CheckEqual(FromWide(seen.label), std::u16string(u"データベース名"), "its label");
  CheckEqual(FromWide(seen.registerCaption), std::u16string(u"登　録"), "the button 登　録");
  CheckEqual(FromWide(seen.cancelCaption), std::u16string(u"キャンセル"), "the button キャンセル");
  CheckEqual<long long>(seen.client.right, ToPixels(pellora::kDialogClientSize.width, dpi), "its client width");
  CheckEqual<long long>(seen.client.bottom, ToPixels(pellora::kDialogClientSize.height, dpi), "its client height");
  Check(seen.text1Focused, "the cursor in its box");
  CheckEqual<long long>(p.form.vsfViewer().Rows(), rows, "Esc leaves the claim on display");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), databaseShown, "and the database");

  Section("the database dialog closed through its frame");
  Check(WithModal([&] { SendMessageW(p.Control(MainControl::Command1), BM_CLICK, 0, 0); },
                  [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }),
        "DB　名 opens the dialog");
  CheckEqual<long long>(p.form.vsfViewer().Rows(), rows, "closing it changes nothing");

  Section("the database dialog: a path that does not open, registered with Enter");
  const std::wstring missing = L"Z:\\pellora-no-such-folder\\data.qdr";
  WithModal([&] { SendMessageW(p.Control(MainControl::Command1), BM_CLICK, 0, 0); },
            [&](HWND dialog) {
              HWND text1 = GetDlgItem(dialog, kText1Id);
              SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(missing.c_str()));
              TypeKey(text1, VK_RETURN);
            });
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), u"データベースが見つかりません: " + FromWide(missing),
             "the database box says so, with the path");
  Check(WindowText(p.Control(MainControl::lblStatus)).starts_with(u"データベースを開けません: " + FromWide(missing)),
        "the status line says what to do", Utf8(WindowText(p.Control(MainControl::lblStatus))));
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kPink, "in pink");
  CheckEqual<long long>(p.form.vsfViewer().Rows(), 1, "the claim on display cleared");
  CheckEqual(WindowText(p.window.hwnd()), std::u16string(frmPellora::kTitle), "the title without a path");

  Section("the database dialog: the database chosen with 参照... and registered again");
  const std::u16string folder = database.substr(0, database.find_last_of(u'\\'));
  FileDialogSeen browsed;
  std::wstring browseCaption, boxAfter;
  bool fileDialogShown = false;
  WithModal([&] { SendMessageW(p.Control(MainControl::Command1), BM_CLICK, 0, 0); },
            [&](HWND dialog) {
              HWND text1 = GetDlgItem(dialog, kText1Id);
              browseCaption = TextOf(GetDlgItem(dialog, kBrowseId));
              const std::wstring start = Wide(folder + u"\\missing.qdr");
              SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(start.c_str()));
              PressButton(dialog, kBrowseId);
              // The file dialog opens over this one, on the same thread.
              std::pair<HWND, HWND> seek{dialog, nullptr};
              for (int i = 0; i < 400 && !seek.second; ++i) {
                EnumThreadWindows(
                    GetWindowThreadProcessId(dialog, nullptr),
                    [](HWND window, LPARAM found) -> BOOL {
                      auto& [self, other] = *reinterpret_cast<std::pair<HWND, HWND>*>(found);
                      if (window != self && ClassOf(window) == L"#32770" && IsWindowVisible(window)) other = window;
                      return other ? FALSE : TRUE;
                    },
                    reinterpret_cast<LPARAM>(&seek));
                if (!seek.second) Sleep(25);
              }
              HWND files = seek.second;
              fileDialogShown = files != nullptr;
              if (files) {
                Sleep(200);
                SeeFileDialog(files, browsed);
                HWND name = GetDlgItem(files, cmb13) ? GetDlgItem(files, cmb13) : GetDlgItem(files, edt1);
                const std::wstring path = Wide(database);
                SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                PressButton(files, IDOK);
                for (int i = 0; i < 200 && IsWindow(files); ++i) Sleep(25);
              }
              boxAfter = TextOf(text1);
              PressButton(dialog, kRegisterId);
            });
  CheckEqual(FromWide(browseCaption), std::u16string(u"参照..."), "the button 参照...");
  Check(fileDialogShown, "参照... opens the file dialog");
  Check(!browsed.filters.empty() && browsed.filters.front() == L"データベース ファイル (*.qdr;*.mdb;*.accdb)",
        "the database files first", browsed.filters.empty() ? "none" : Show(browsed.filters.front()));
  CheckEqual(FromWide(browsed.folder), folder, "in the folder of the path in the box");
  CheckEqual(FromWide(boxAfter), database, "the chosen file in the box");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), database, "the database box shows it");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kLightYellow, "in light yellow");
  CheckEqual(WindowText(p.Control(MainControl::lblStatus)), std::u16string(), "the status line has nothing to say");
}

void MissingSettings(const std::u16string& emptyFolder) {
  Section("no velkar.ini beside the program");
  Program p(emptyFolder, u"");
  p.Start();
  CheckEqual(WindowText(p.Control(MainControl::lblDBname0)), u"設定ファイルがありません: " + emptyFolder + u"\\velkar.ini",
             "the settings box names the file it looked for");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname0)), kPink, "in pink");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), emptyFolder + u"\\data.qdr", "the default database");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kPink, "in pink: there is none");
}

void DebugMode(const std::u16string& folder) {
  Section("the debug mode");
  Program p(folder, u"/DEBUG");
  p.Start();
  const int dpi = p.window.dpi();
  RECT client;
  GetClientRect(p.window.hwnd(), &client);
  // The design's client area, and the status line below it.
  const pellora::TwipsSize design = pellora::kMainDesignClientSize;
  CheckEqual<long long>(client.right, ToPixels(design.width, dpi), "the design's width");
  CheckEqual<long long>(client.bottom, ToPixels(design.height + pellora::kStatusLineGap + pellora::kStatusLineHeight, dpi),
                        "the design's height and the status line");
  for (const MainControl control : {MainControl::vsfCsv, MainControl::vsfSort, MainControl::lblCsvFname})
    Check(IsWindowVisible(p.Control(control)) != 0, Utf8(pellora::Design(control).name) + " shown");
}

void MessageBoxes(const std::u16string& folder, const std::u16string& work) {
  Section("a claim file that cannot be read: the stop icon");
  const std::u16string missing = work + u"\\no-such-claim.csv";
  BoxSeen seen;
  {
    Program p(folder, missing);
    Check(SeeMessageBox([&] { p.Start(); }, seen), "a message box");
    CheckEqual(seen.text, std::wstring(L"53:ファイルが見つかりません。"), "its number and text");
    CheckEqual(seen.title, std::wstring(kProgramName), "the program's name as its title");
    Check(seen.icon == LoadIconW(nullptr, IDI_HAND), "the stop icon");
    CheckEqual(WindowText(p.window.hwnd()), Title(missing), "the path in the title all the same");
    CheckEqual<long long>(p.form.vsfViewer().Rows(), 1, "an empty display");
  }

  Section("a claim file held by another program");
  const std::u16string held = work + u"\\held.csv";
  const std::wstring heldPath = Wide(held);
  HANDLE file = CreateFileW(heldPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(file, "1,2\r\n", 5, &n, nullptr);
  {
    Program p(folder, held);
    WithModal([&] { p.Start(); },
              [&](HWND box) {
                seen.text = TextOf(GetDlgItem(box, 0xFFFF));
                PressButton(box, IDOK);
              });
    CheckEqual(seen.text, std::wstring(L"70:書き込みできません。"), "error 70");
  }
  CloseHandle(file);
}

// A benefit-management file of today: 8222 records and no cover record,
// its year-month the control record's.
void CurrentBenefitManagement(const std::u16string& folder, const std::u16string& claim,
                              const std::wstring& screenshot) {
  Section("a benefit-management file of today");
  Program p(folder, claim);
  p.Start();
  CheckEqual(WindowText(p.Control(MainControl::lblHead1)), std::u16string(u"給付管理票情報"), "the file kind");
  CheckEqual(WindowText(p.Control(MainControl::lblHeadCaption0)), std::u16string(u"提出年月"), "the caption");
  CheckEqual(WindowText(p.Control(MainControl::lblHead0)), std::u16string(u"2026年04月"), "the year-month");
  CheckEqual<long long>(p.form.vsfViewer().Rows(), 47, "a row for each of its 46 persons and months");
  CheckEqual<long long>(p.form.vsfTotal().Rows(), 3, "a totals line for each of its two months");
  CheckEqual(p.form.vsfTotal().TextMatrix(2, 1), std::u16string(u"45"), "45 persons in March");
  UpdateWindow(p.window.hwnd());
  Check(p.Grid(MainControl::vsfViewer).RowPaints() > 0, "drawn at once");
  if (!screenshot.empty()) {
    SetForegroundWindow(p.window.hwnd());
    Pump(500);
    Check(SavePicture(p.window.hwnd(), screenshot), "the screenshot written");
  }
}

}  // namespace ui_driver

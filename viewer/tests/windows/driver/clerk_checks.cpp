// The clerk's features: Ctrl+A and Ctrl+C (and Ctrl+Insert) on the display
// grid with both clipboard flavours read back, the spreadsheet's HTML with
// offsets that find its fragment; the display saved from the context menu,
// its file compared with pellora-export.exe's; the find box's keys; a
// dropped claim file; and the one box that says what is wrong with a claim
// file, over the window already shown and painted.

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "grid/selection_text.h"
#include "tests/windows/driver/driver.h"

namespace ui_driver {

namespace {

// After a modal window, the system's activation may reach the window a
// moment later and take the focus with it: the window is made active and
// left to settle before keys are typed.
void Settle(Program& p) {
  SetForegroundWindow(p.window.hwnd());
  Pump(400);
}

// What a program writes to its standard output, through a file.
std::string OutputOf(const std::wstring& program, const std::wstring& arguments, const std::wstring& outputPath) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = output;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(output);
  return ReadBytes(outputPath);
}

std::string ClipboardBytes(UINT format) {
  std::string bytes;
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE data = GetClipboardData(format)) {
    bytes.assign(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

// The number after "<name>:" in the header of "HTML Format" (0 without).
std::size_t HtmlOffset(const std::string& html, const std::string& name) {
  const std::size_t at = html.find("\r\n" + name + ":");
  return at == std::string::npos ? 0 : std::stoul(html.substr(at + name.size() + 3, 10));
}

// A row of the display grid as it shows: the texts of the columns in sight.
std::u16string ShownRow(Program& p, int row) {
  std::u16string line;
  const std::vector<int>& widths = p.Grid(MainControl::vsfViewer).ColumnWidths();
  for (int col = p.form.vsfViewer().FixedCols(); col < p.form.vsfViewer().Cols(); ++col)
    if (widths[static_cast<std::size_t>(col)] > 0) line.append(p.form.vsfViewer().TextMatrix(row, col)).append(u"\t");
  line.back() = u'\r';
  return line.append(u"\n");
}

}  // namespace

void CopyAll(Program& p) {
  Section("Ctrl+A and Ctrl+C on the display grid");
  SetFocus(p.Control(MainControl::vsfViewer));
  PressKeyWith(p.window, VK_CONTROL, 'A');
  PressKeyWith(p.window, VK_CONTROL, 'C');
  const std::string bytes = ClipboardBytes(CF_UNICODETEXT);
  const std::u16string text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  std::u16string expected;
  for (int row = 0; row < p.form.vsfViewer().Rows(); ++row) expected += ShownRow(p, row);
  CheckEqual(text.substr(0, text.find(u'\0')), expected, "the heading row, then every row as shown");
  // Ctrl+Insert, the system's other copy key, copies the same.
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  PressKeyWith(p.window, VK_CONTROL, VK_INSERT);
  Check(ClipboardBytes(CF_UNICODETEXT) == bytes, "Ctrl+Insert copies the same");
  // The spreadsheet's flavour: the header's offsets must find the page and
  // the part to paste, or nothing (or rubbish) is pasted.
  std::string html = ClipboardBytes(RegisterClipboardFormatW(L"HTML Format"));
  html = html.c_str();
  const std::size_t startFragment = HtmlOffset(html, "StartFragment"), endFragment = HtmlOffset(html, "EndFragment");
  Check(html.compare(HtmlOffset(html, "StartHTML"), 5, "<html") == 0 && HtmlOffset(html, "EndHTML") == html.size(),
        "HTML Format: StartHTML and EndHTML");
  Check(startFragment >= 20 && endFragment < html.size() &&
            html.compare(startFragment - 20, 20, "<!--StartFragment-->") == 0 &&
            html.compare(endFragment, 18, "<!--EndFragment-->") == 0,
        "HTML Format: the fragment's offsets at its marks");
  // One page, the marks inside its body: the part to paste is the table
  // alone, not a page of its own inside the page.
  const std::string fragment = startFragment <= endFragment && endFragment <= html.size()
                                   ? html.substr(startFragment, endFragment - startFragment)
                                   : std::string();
  Check(html.find("<html", HtmlOffset(html, "StartHTML") + 1) == std::string::npos &&
            fragment.starts_with("<table>") && fragment.ends_with("</table>"),
        "HTML Format: one page, its fragment the table", fragment.substr(0, 40));
  Check(html.find("x:str") != std::string::npos && html.find(Utf8(p.form.vsfViewer().TextMatrix(1, 2))) != std::string::npos,
        "HTML Format: the cells, marked as text");
}

void SaveDisplay(Program& p, const std::u16string& folder, const std::u16string& claim, const std::u16string& work) {
  Section("the display saved as CSV over an older file, from the context menu");
  const std::wstring target = Wide(work) + L"\\saved-display.csv";
  CloseHandle(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  bool asked = false, noFocused = false, menuShown = false;
  std::wstring offered;
  const bool shown = WithModal(
      // Up from the menu's end: 点検..., 印刷プレビュー..., 印刷..., then the save.
      [&] { menuShown = ChooseFromMenuEnd(p, 4); },
      [&](HWND dialog) {
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        offered = TextOf(name);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
        HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
        TypeKey(edit ? edit : name, VK_RETURN);
        // Then the question whether to replace the file, No focused.
        HWND box = nullptr;
        for (int i = 0; i < 400 && (!box || box == dialog); ++i, Sleep(25))
          EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), FindDialog, reinterpret_cast<LPARAM>(&box));
        if (box == dialog || !box) return;
        Sleep(200);
        GUITHREADINFO input{};
        input.cbSize = sizeof input;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &input);
        asked = true;
        noFocused = input.hwndFocus == GetDlgItem(box, IDNO);
        PressButton(box, IDYES);
      });
  Check(menuShown, "the menu key opens the grid's context menu");
  Check(shown && asked, "its save item: the save dialog, then the question before replacing the file");
  Check(noFocused, "No the default button");
  // The name offered is the one rule's, an underscore and no blank before
  // 表示, in the box itself (not only as drawn).
  const std::u16string stem = claim.substr(claim.find_last_of(u'\\') + 1, claim.size() - claim.find_last_of(u'\\') - 5);
  CheckEqual(FromWide(offered), stem + u"_表示.csv", "the name offered in the save dialog's box");
  const std::string expected = OutputOf(Wide(folder) + L"\\pellora-export.exe", L"--format csv \"" + Wide(claim) + L"\"",
                                        Wide(work) + L"\\exported-display.csv");
  Check(expected.size() > 100 && ReadBytes(target) == expected, "the saved file has pellora-export.exe's bytes",
        std::to_string(ReadBytes(target).size()) + " bytes against " + std::to_string(expected.size()));
}

void FindNames(Program& p) {
  Section("Ctrl+F, a name, Enter, F3 and Shift+F3");
  Settle(p);
  const pellora::FlexGrid& grid = p.form.vsfViewer();
  std::vector<int> matching;
  for (int row = 1; row < grid.Rows(); ++row)
    if (grid.TextMatrix(row, 4) == u"林　久美子") matching.push_back(row);
  if (matching.size() < 3) return Check(false, "the example shows the name three times");
  SetFocus(p.Control(MainControl::vsfViewer));
  PressKey(p.window, VK_HOME);
  PressKeyWith(p.window, VK_CONTROL, 'F');
  const FindBox& box = p.window.findBox();
  Check(IsWindowVisible(box.hwnd()) && GetFocus() == box.edit(), "Ctrl+F opens the find box, the cursor in it");
  // Typed without the space the grid shows between the names.
  SendMessageW(box.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"林久美子"));
  const int first = matching[0] > 1 ? matching[0] : matching[1];
  const int second = *std::upper_bound(matching.begin(), matching.end(), first);
  PressKey(p.window, VK_RETURN);
  CheckEqual<long long>(grid.Row(), first, "Enter finds the next row with the name");
  Check(grid.RowSel() == grid.Row() && pellora::SelectsWholeRows(grid), "the whole row selected");
  PressKey(p.window, VK_F3);
  CheckEqual<long long>(grid.Row(), second, "F3 finds the next");
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  RECT client;
  GetClientRect(viewer.hwnd(), &client);
  Check(viewer.CellRect(second, 4).top >= viewer.RowHeight() && viewer.CellRect(second, 4).bottom <= client.bottom,
        "scrolled into sight");
  PressKeyWith(p.window, VK_SHIFT, VK_F3);
  CheckEqual<long long>(grid.Row(), first, "Shift+F3 goes back");
  SendMessageW(box.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"見つからない名前"));
  PressKey(p.window, VK_RETURN);
  CheckEqual(box.Status(), std::u16string(frmPellora::kFindNoMatch), "a name nobody has: said in the box");
  PressKey(p.window, VK_ESCAPE);
  Check(!IsWindowVisible(box.hwnd()) && GetFocus() == viewer.hwnd(), "Esc closes the box, the grid focused");
  // A text left in the closed box is searched for at once by F3, and the
  // box opens again to say what became of it.
  SendMessageW(box.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"林久美子"));
  PressKey(p.window, VK_F3);
  CheckEqual<long long>(grid.Row(), second, "F3 after Esc finds the next row with the box's text");
  Check(IsWindowVisible(box.hwnd()) && box.Status().empty(), "and opens the box again, no word of a miss");
}

// A real HDROP, as the shell hands one to a window.
void DropClaim(Program& p, const std::u16string& path) {
  Section("a claim file dropped on the window");
  const std::wstring wide = Wide(path);
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t));
  DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(wide.begin(), wide.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(memory);
  PostMessageW(p.window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  Pump(300);
  CheckEqual(WindowText(p.window.hwnd()), Title(path), "its path in the title");
  CheckEqual(WindowText(p.Control(MainControl::lblCsvFname)), path, "and in lblCsvFname");
  CheckEqual(p.form.lblHead(1).Caption, std::u16string(u"給付管理票情報"), "the file shown");
}

// The picture for the documentation: a name found, and the rows below it
// added to the selection with Shift and a click in the fixed column.
void FindPicture(Program& p, const std::wstring& screenshot) {
  Settle(p);
  SetFocus(p.Control(MainControl::vsfViewer));
  PressKey(p.window, VK_HOME);
  PressKeyWith(p.window, VK_CONTROL, 'F');
  SendMessageW(p.window.findBox().edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"林久美子"));
  PressKey(p.window, VK_RETURN);
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  const RECT found = viewer.CellRect(p.form.vsfViewer().Row(), 0);
  const LPARAM below = MAKELPARAM(found.left + 2, found.top + 3 * viewer.RowHeight() + 2);
  SendMessageW(viewer.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, below);
  SendMessageW(viewer.hwnd(), WM_LBUTTONUP, 0, below);
  CheckEqual<long long>(p.form.vsfViewer().RowSel(), p.form.vsfViewer().Row() + 3, "Shift and a click on the fixed column extend the rows");
  Pump(300);
  Check(SavePicture(p.window.hwnd(), screenshot), "the find picture written");
}

// What is wrong with a claim file is said after the window shows it, in one
// box: named on the command line, before which the window is not shown
// yet, and chosen in the file dialog.
void FileWarnings(const std::u16string& folder, const std::u16string& claim, const std::u16string& work) {
  const std::string crLf = ReadBytes(Wide(claim));
  std::string lf = crLf;
  std::erase(lf, '\r');
  std::size_t cutAt = 0;
  // The control record, the 請求書 and the first statement whole.
  for (int line = 0; line < 13; ++line) cutAt = crLf.find("\r\n", cutAt) + 2;
  const struct {
    const char* what;
    std::string bytes;
    std::wstring said;
    bool rows;  // whether the display shows rows of it
  } cases[] = {
      {"a claim file of LF line ends", lf, L"改行が LF だけのファイルです", true},
      {"a claim file cut after twelve of its records", crLf.substr(0, cutAt), L"途中で切れている可能性があります",
       true},
      {"a file of records the display does not show",
       "1,00000001,0,2,711,0,0,1371234567,13,7,202604,0\r\n2,00000002,7111,01,202603\r\n"
       "2,00000003,7121,01,202603\r\n3,00000004\r\n",
       L"表示できる明細はありません。交換情報識別番号: 7111 (1 件)、7121 (1 件)。", false},
  };
  for (const auto& c : cases) {
    const std::u16string path = work + u"\\warned.csv";
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(file, c.bytes.data(), static_cast<DWORD>(c.bytes.size()), &n, nullptr);
    CloseHandle(file);
    for (const bool onTheCommandLine : {true, false}) {
      Section((std::string(c.what) + (onTheCommandLine ? ", on the command line" : ", chosen")).c_str());
      Program p(folder, onTheCommandLine ? path : u"");
      if (!onTheCommandLine) p.Start();
      // The window as the box finds it: shown, and nothing of it or of the
      // display grid waiting to be painted.
      bool shownBehind = false, paintedBehind = false;
      const auto sight = [&](HWND) {
        shownBehind = IsWindowVisible(p.window.hwnd()) != 0;
        paintedBehind = !GetUpdateRect(p.window.hwnd(), nullptr, FALSE) &&
                        !GetUpdateRect(p.Grid(MainControl::vsfViewer).hwnd(), nullptr, FALSE);
      };
      BoxSeen seen;
      const auto seeBox = [&](HWND box) {
        seen.title = TextOf(box);
        seen.text = TextOf(GetDlgItem(box, 0xFFFF));
        seen.icon = reinterpret_cast<HICON>(SendMessageW(GetDlgItem(box, 0x440), STM_GETICON, 0, 0));
        PressButton(box, IDOK);
      };
      const auto choose = [&](HWND dialog) {
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        const std::wstring chosen = Wide(path);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
        PressButton(dialog, IDOK);
      };
      const bool boxShown =
          onTheCommandLine
              ? WithModals([&] { p.Start(); }, {seeBox}, sight)
              : WithModals([&] { SendMessageW(p.Control(MainControl::comFileSelect), BM_CLICK, 0, 0); },
                           {choose, seeBox}, sight);
      Check(boxShown, "a message box");
      Check(seen.text.find(c.said) != std::wstring::npos, "saying what is wrong", Show(seen.text));
      Check(seen.icon == LoadIconW(nullptr, IDI_EXCLAMATION), "the exclamation icon");
      CheckEqual(FromWide(seen.title), std::u16string(frmPellora::kTitle), "the window's title");
      Check(shownBehind, "over the window shown");
      Check(paintedBehind, "over the window painted");
      Check(!c.rows || p.form.vsfViewer().Rows() > 1, "after the claim was shown");
    }
  }
}

}  // namespace ui_driver

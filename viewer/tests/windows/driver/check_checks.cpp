// The claim check in the Win32 window: a claim file with a fault opened on
// the command line tells its errors in the warning box; Ctrl+K opens the
// check's window over the main window, which it disables, with the
// check's findings; Enter on a finding selects its person's row in the
// display behind; Esc closes it and the window is usable again.

#include <windows.h>

#include <string>

#include "shell/frmCheck.h"
#include "tests/windows/driver/driver.h"
#include "win32/check_window.h"

namespace ui_driver {

// The example with one 集計 record's 保険請求額 a yen above what its units
// give.
std::string FaultyClaim(const std::u16string& claim) {
  std::string bytes = ReadBytes(Wide(claim));
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t end = bytes.find("\r\n", at);
    const std::string line = bytes.substr(at, end - at);
    if (line.find(",7131,10,") != std::string::npos) {
      std::size_t field = at;
      for (int i = 0; i < 17; ++i) field = bytes.find(',', field) + 1;
      const std::size_t fieldEnd = bytes.find(',', field);
      bytes.replace(field, fieldEnd - field, std::to_string(std::stol(bytes.substr(field, fieldEnd - field)) + 1));
      return bytes;
    }
    at = end + 2;
  }
  return bytes;
}

void CheckWindowOverTheDisplay(const std::u16string& folder, const std::u16string& claim, const std::u16string& work,
                               const std::wstring& screenshot) {
  Section("the check's window over the display");
  const std::u16string path = work + u"\\faulty.csv";
  const std::string bytes = FaultyClaim(claim);
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(file);

  Program p(folder, path);
  BoxSeen box;
  Check(SeeMessageBox([&] { p.Start(); }, box), "its warning box shows");
  Check(box.text.find(L"点検: エラー") != std::wstring::npos && box.text.find(L"Ctrl+K") != std::wstring::npos,
        "the box tells the check's errors and where to see them", Show(box.text));
  const pellora::check::Report* report = p.form.Claim().check.get();
  Check(report && report->errors > 0 && !report->findings.empty(), "the check found the fault");
  if (!report || report->findings.empty()) return;

  HWND owner = p.window.hwnd();
  bool ownerDisabled = false, pictured = screenshot.empty();
  std::wstring title;
  int rows = 0;
  const bool shown = WithWindow([&] { PressKeyWith(p.window, VK_CONTROL, 'K'); }, CheckWindow::kClassName,
                                [&](HWND check) {
                                  Sleep(300);
                                  ownerDisabled = !IsWindowEnabled(owner);
                                  title = TextOf(check);
                                  HWND findings = GetDlgItem(check, 300);
                                  rows = IsWindow(findings) ? 1 : 0;
                                  SetFocus(findings);
                                  TypeKey(findings, VK_RETURN);
                                  Sleep(300);
                                  if (!screenshot.empty()) pictured = SavePicture(check, screenshot);
                                  TypeKey(findings, VK_ESCAPE);
                                });
  Check(shown, "Ctrl+K opens it");
  Check(ownerDisabled, "the main window disabled while it shows");
  CheckEqual(FromWide(title), std::u16string(u"点検 - faulty.csv"), "its title names the file");
  Check(rows == 1, "its findings grid is there");
  const pellora::check::Finding& first = report->findings.front();
  const pellora::FlexGrid& viewer = p.form.vsfViewer();
  CheckEqual(viewer.TextMatrix(viewer.Row(), pellora::viewer_col::kInsured), first.insuredNumber,
             "Enter on the first finding selects its person's row in the display");
  Check(pictured, "the check window's picture written");
  Check(IsWindowEnabled(owner) && !FindWindowW(CheckWindow::kClassName, nullptr),
        "Esc closes it, the window usable again");
}

}  // namespace ui_driver

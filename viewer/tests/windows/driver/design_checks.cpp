// The window and its controls as designed: its title and sizing border,
// each control's class, place, visibility, caption and font, the tab order
// and the access keys, and the colours of the settings and database boxes
// at start-up, which tell the user what became of velkar.ini and data.qdr.

#include <string>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

void ControlsAsDesigned(Program& p) {
  Section("the window and its controls as designed");
  const int dpi = p.window.dpi();
  CheckEqual(WindowText(p.window.hwnd()), std::u16string(frmPellora::kTitle), "title");
  const LONG style = GetWindowLongW(p.window.hwnd(), GWL_STYLE);
  Check((style & WS_MINIMIZEBOX) && (style & WS_MAXIMIZEBOX) && (style & WS_THICKFRAME) && (style & WS_CAPTION),
        "a sizing border with a minimise and a maximise box");
  ControlsInsideTheWindow(p);
  for (std::size_t i = 0; i < pellora::kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    const pellora::ControlDesign& design = pellora::Design(control);
    const std::string name = Utf8(design.name);
    HWND window = p.Control(control);
    const wchar_t* kind = design.kind == pellora::ControlKind::Button    ? L"Button"
                          : design.kind == pellora::ControlKind::TextBox ? L"Edit"
                          : design.kind == pellora::ControlKind::Grid    ? GridWindow::kClassName
                                                                         : L"Static";
    Check(lstrcmpiW(ClassOf(window).c_str(), kind) == 0, name + " is a " + Utf8(FromWide(kind)), Show(ClassOf(window)));
    CheckRect(PlaceOf(window), ToPixels(design.rect, dpi), name + " in its place");
    Check((IsWindowVisible(window) != 0) == !design.debugOnly, name + (design.debugOnly ? " hidden" : " shown"));
    if (design.kind == pellora::ControlKind::Button || !design.caption.empty())
      CheckEqual(WindowText(window), std::u16string(design.caption), name + " caption");
    if (design.kind != pellora::ControlKind::Grid) {
      LOGFONTW font{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
      Check(std::wstring(font.lfFaceName) == L"MS UI Gothic" && font.lfHeight == -MulDiv(9, dpi, 72),
            name + " in the Japanese UI font at 9 points", Show(std::wstring(font.lfFaceName)));
    }
  }
}

void KeyboardAsDesigned(Program& p) {
  Section("tab order and access keys");
  SetFocus(p.Control(MainControl::comFileSelect));
  const MainControl order[] = {MainControl::cmdJob0,  MainControl::lblDBname0, MainControl::Command1,
                               MainControl::lblDBname1, MainControl::vsfTotal,   MainControl::vsfViewer,
                               MainControl::comFileSelect};
  for (const MainControl next : order) {
    PressKey(p.window, VK_TAB);
    Check(GetFocus() == p.Control(next), "Tab moves on to " + Utf8(pellora::Design(next).name));
  }
  // Alt+I: the label hands the focus to the settings box, its text selected.
  PressAltKey(p.window, L'i');
  HWND box = p.Control(MainControl::lblDBname0);
  Check(GetFocus() == box, "Alt+I puts the cursor in the settings box");
  DWORD start = 1, end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  Check(start == 0 && end == static_cast<DWORD>(GetWindowTextLengthW(box)) && end > 0, "with all its text selected");
}

void ColoursOfTheStartUp(Program& p, const std::u16string& folder) {
  Section("start-up with velkar.ini and data.qdr beside the program");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname0)), folder + u"\\velkar.ini", "the settings box");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), folder + u"\\data.qdr", "the database box");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname0)), GetSysColor(COLOR_WINDOW),
             "the settings box on the window colour: [qdr] found");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kLightYellow, "the database box light yellow: it opens");
}

}  // namespace ui_driver

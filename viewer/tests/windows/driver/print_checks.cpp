// Printing: the display's pages painted with GDI into metafiles and read
// back, every text in its box, aligned in it, in fonts that have a glyph
// for each of its characters; Ctrl+P and 印刷... without a printer; and
// prints on a PostScript printer of Wine's that prints into a file, read
// back for their pages, copies and order, paper and job name.

#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/windows/driver/driver.h"
#include "win32/page_painter.h"
#include "win32/print_session.h"

namespace ui_driver {

using pellora::print::Align;
using pellora::print::Face;
using pellora::print::Font;

namespace {

// One text as an enhanced metafile keeps it: the reference point, the box
// it is clipped to and its characters' advances.
struct DrawnText {
  std::u16string text;
  POINT at{};
  RECT clip{};
  long width = 0;
  bool clipped = false;
};

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM parameter) {
  if (record->iType != EMR_EXTTEXTOUTW) return 1;
  const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
  const char* bytes = reinterpret_cast<const char*>(record);
  DrawnText drawn;
  const auto* chars = reinterpret_cast<const char16_t*>(bytes + text->emrtext.offString);
  drawn.text.assign(chars, text->emrtext.nChars);
  drawn.at = {text->emrtext.ptlReference.x, text->emrtext.ptlReference.y};
  const RECTL& clip = text->emrtext.rcl;
  drawn.clip = {clip.left, clip.top, clip.right, clip.bottom};
  const auto* advances = reinterpret_cast<const INT*>(bytes + text->emrtext.offDx);
  for (DWORD i = 0; text->emrtext.offDx && i < text->emrtext.nChars; ++i) drawn.width += advances[i];
  drawn.clipped = (text->emrtext.fOptions & ETO_CLIPPED) != 0;
  reinterpret_cast<std::vector<DrawnText>*>(parameter)->push_back(drawn);
  return 1;
}

// A page painted into a metafile on the screen's units, as its texts came out.
std::vector<DrawnText> PaintedTexts(const pellora::print::PageDrawing& page, const pellora::print::Sheet& sheet,
                                    PagePlace& place) {
  const RECT frame{0, 0, static_cast<LONG>(sheet.width / 72 * 2540), static_cast<LONG>(sheet.height / 72 * 2540)};
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  place = {GetDeviceCaps(dc, LOGPIXELSX) / 72.0, GetDeviceCaps(dc, LOGPIXELSY) / 72.0, 0, 0};
  PaintPage(dc, page, place);
  HENHMETAFILE file = CloseEnhMetaFile(dc);
  std::vector<DrawnText> texts;
  EnumEnhMetaFile(nullptr, file, CollectText, &texts, nullptr);
  DeleteEnhMetaFile(file);
  return texts;
}

bool Contains(const std::vector<DrawnText>& texts, const std::u16string& text) {
  return std::any_of(texts.begin(), texts.end(), [&](const DrawnText& drawn) { return drawn.text == text; });
}

}  // namespace

void PaintedPages(Program& p) {
  Section("the display's pages painted: every text in its box, in Japanese glyphs");
  const pellora::print::TextWidth measure = GdiTextWidth();
  const Font grid{Face::Grid, 9, false};
  Check(std::abs(measure(u"介護給付", grid) - 36) < 0.5 && std::abs(measure(u"12345678", grid) - 36) < 0.5,
        "ＭＳ ゴシック measured in points: a kanji an em, a digit half of one",
        std::to_string(measure(u"介護給付", grid)) + " and " + std::to_string(measure(u"12345678", grid)));
  const Font label{Face::Window, 9, false}, twice{Face::Window, 18, false};
  Check(std::abs(measure(u"介護給付費請求書情報", twice) - 2 * measure(u"介護給付費請求書情報", label)) < 0.05,
        "twice the size, twice as wide");

  const pellora::print::Sheet sheet = pellora::print::SheetOf(p.form.PrintSetup());
  const pellora::print::Pages pages = p.form.DisplayPages(sheet, measure, {2024, 5, 10});
  const int count = pages.Count();
  Check(count >= 2, "the example fills more than one page", Show(count));
  const std::u16string total = u" / " + FromWide(std::to_wstring(count)) + u" ページ";
  for (int page = 0; page < count; ++page) {
    const std::string name = "page " + std::to_string(page + 1);
    const pellora::print::PageDrawing drawing = pages.Draw(page);
    PagePlace place;
    const std::vector<DrawnText> drawn = PaintedTexts(drawing, sheet, place);
    std::vector<std::u16string> wanted, got;
    for (const pellora::print::Text& text : drawing.texts) wanted.push_back(text.text);
    for (const DrawnText& text : drawn) got.push_back(text.text);
    Check(got == wanted, name + ": every text drawn, in order",
          std::to_string(got.size()) + " of " + std::to_string(wanted.size()));
    int misplaced = 0;
    std::string example;
    for (std::size_t i = 0; i < std::min(drawn.size(), wanted.size()); ++i) {
      const pellora::print::Text& text = drawing.texts[i];
      const DrawnText& d = drawn[i];
      const RECT box{std::lround(text.box.left * place.unitsPerPointX),
                     std::lround(text.box.top * place.unitsPerPointY),
                     std::lround(text.box.right() * place.unitsPerPointX),
                     std::lround(text.box.bottom() * place.unitsPerPointY)};
      bool right = d.clipped && std::abs(d.clip.left - box.left) <= 1 && std::abs(d.clip.right - box.right) <= 1 &&
                   std::abs(d.clip.top - box.top) <= 1 && std::abs(d.clip.bottom - box.bottom) <= 1;
      const long room = d.clip.right - d.clip.left;
      if (d.width > room || text.align == Align::Left) right = right && d.at.x == d.clip.left;
      else if (text.align == Align::Right) right = right && std::abs(d.at.x + d.width - d.clip.right) <= 1;
      else right = right && std::abs(2 * d.at.x + d.width - d.clip.left - d.clip.right) <= 2;
      if (!right && misplaced++ == 0) example = Utf8(text.text);
    }
    CheckEqual<long long>(misplaced, 0, name + ": each text clipped to its box and aligned in it (" + example + ")");
    Check(Contains(drawn, FromWide(std::to_wstring(page + 1)) + total), name + ": its footer");
    if (page > 0) continue;
    Check(Contains(drawn, u"介護給付費請求書情報"), "the file kind in the header");
    Check(Contains(drawn, p.form.lblHead(2).Caption), "the provider number in the header",
          Show(p.form.lblHead(2).Caption));

    // The fonts the page asks for have every character it draws.
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Face face : {Face::Window, Face::Grid}) {
      for (const bool bold : {false, true}) {
        std::wstring all;
        for (const pellora::print::Text& text : drawing.texts)
          if (text.font.face == face && text.font.bold == bold) all += Wide(text.text);
        HFONT font = CreatePageFont({face, 9, bold}, 96 / 72.0);
        HGDIOBJ old = SelectObject(dc, font);
        std::vector<WORD> glyphs(all.size() + 1);
        GetGlyphIndicesW(dc, all.c_str(), static_cast<int>(all.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        glyphs.resize(all.size());
        const long long missing = std::count(glyphs.begin(), glyphs.end(), WORD{0xFFFF});
        // The font the system took for the name: its own full name, not the
        // name asked for, which a substitute answers to as well.
        std::vector<char> metrics(GetOutlineTextMetricsW(dc, 0, nullptr) + 1);
        auto* outline = reinterpret_cast<OUTLINETEXTMETRICW*>(metrics.data());
        std::wstring drawnWith = L"?";
        if (metrics.size() > sizeof *outline && GetOutlineTextMetricsW(dc, static_cast<UINT>(metrics.size()), outline))
          drawnWith = reinterpret_cast<const wchar_t*>(metrics.data() +
                                                       reinterpret_cast<std::uintptr_t>(outline->otmpFamilyName));
        const std::string what = Utf8(FromWide(FaceNameOf(face))) + (bold ? " bold" : "") + " (drawn with " +
                                 Utf8(FromWide(drawnWith)) + ")";
        std::printf("   %s\n", what.c_str());
        CheckEqual(missing, 0LL, what + ": a glyph for each of its " + std::to_string(all.size()) + " characters");
        CheckEqual<long long>(GetTextCharset(dc), SHIFTJIS_CHARSET, what + ": a Japanese font");
        SelectObject(dc, old);
        DeleteObject(font);
      }
    }
    DeleteDC(dc);
  }
}

// The message box that Ctrl+P, or the context menu's 印刷..., opens when
// there is no printer to print on.
void PrintWithoutPrinter(Program& p) {
  Section("Ctrl+P and the context menu's 印刷... without a printer");
  BoxSeen seen;
  SetFocus(p.Control(MainControl::vsfViewer));
  Check(SeeMessageBox([&] { PressKeyWith(p.window, VK_CONTROL, 'P'); }, seen), "Ctrl+P: a message box");
  CheckEqual(FromWide(seen.text), std::u16string(kNoPrinterText), "saying that there is no printer");
  Check(seen.icon == LoadIconW(nullptr, IDI_EXCLAMATION), "with the exclamation icon");
  seen = {};
  Check(SeeMessageBox([&] { ChooseFromMenuEnd(p, 3); }, seen), "印刷...: the same box");
  CheckEqual(FromWide(seen.text), std::u16string(kNoPrinterText), "its text");
  CheckEqual<long long>(IsWindowEnabled(p.window.hwnd()), TRUE, "the window usable after it");
}

namespace {

// A printer of Wine's PostScript driver whose port is a file, so that a
// print can be read back: its paper sizes come from a small PPD of our own
// (the driver has none without one). Installed only under Wine.
constexpr const wchar_t* kTestPrinter = L"Pellora Test Printer";
constexpr const char* kTestPpd =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n*PCFileName: \"PELLORA.PPD\"\n*Manufacturer: \"Pellora\"\n"
    "*Product: \"(Pellora test printer)\"\n*ModelName: \"Pellora test printer\"\n*NickName: \"Pellora test printer\"\n"
    "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: True\n*TTRasterizer: Type42\n"
    "*LandscapeOrientation: Plus90\n*DefaultResolution: 300dpi\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageSize B5/B5 (JIS): \"<</PageSize[516 729]>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"12 18 583 824\"\n"
    "*ImageableArea B5/B5 (JIS): \"12 18 504 711\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n*PaperDimension B5/B5 (JIS): \"516 729\"\n";

bool InstallTestPrinter(const std::wstring& output) {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return false;
  wchar_t folder[MAX_PATH] = {};
  DWORD size = 0;
  GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &size);
  std::wstring ppd = std::wstring(folder) + L"\\pellora-test.ppd";
  HANDLE file = CreateFileW(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, kTestPpd, static_cast<DWORD>(std::strlen(kTestPpd)), &written, nullptr);
  CloseHandle(file);
  std::wstring driverName = L"Pellora Test Driver", wineps = L"wineps.drv", port = output, printer = kTestPrinter;
  std::wstring processor = L"WinPrint", datatype = L"RAW";
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = driverName.data();
  driver.pDriverPath = wineps.data();
  driver.pDataFile = ppd.data();
  driver.pConfigFile = wineps.data();
  if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) return false;
  PRINTER_INFO_2W info{};
  info.pPrinterName = printer.data();
  info.pPortName = port.data();
  info.pDriverName = driverName.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = datatype.data();
  HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!added) return false;
  ClosePrinter(added);
  return SetDefaultPrinterW(kTestPrinter) != FALSE;
}

// The pages of a PostScript file as the driver wrote them, each without
// its number and the file's trailer: two prints of one page are alike.
std::vector<std::string> PostScriptPages(const std::string& file) {
  std::vector<std::string> pages;
  const std::string mark = "%%Page: ";
  for (std::size_t at = file.find(mark); at != std::string::npos;) {
    const std::size_t body = file.find('\n', at);
    const std::size_t next = file.find(mark, at + 1);
    std::string page = file.substr(body == std::string::npos ? at : body, next == std::string::npos ? next : next - body);
    page = page.substr(0, page.find("%%Trailer"));
    pages.push_back(page);
    at = next;
  }
  return pages;
}

}  // namespace

void PrintOnPrinter(const std::u16string& folder, const std::u16string& claim, const std::u16string& work) {
  Section("Ctrl+P on a printer of Wine's, printing into a file");
  const std::wstring output = Wide(work) + L"\\printed.ps";
  if (!InstallTestPrinter(output)) return Check(false, "a PostScript printer printing to a file installed");
  Program p(folder, claim);
  p.Start();
  // As if the last print of the session had been on B5 upright.
  const pellora::print::PageSetup b5{pellora::print::Paper::B5, pellora::print::Orientation::Portrait};
  p.form.KeepPrintSetup(b5);
  const std::string name = Utf8(claim.substr(claim.find_last_of(u'\\') + 1));
  const struct {
    const char* what;
    const wchar_t *from, *to, *copies;
    bool collate;
    std::vector<int> sheets;  // the pages printed, in their order, from 0
  } prints[] = {
      {"pages 1 to 2, two copies, collated", L"1", L"2", L"2", true, {0, 1, 0, 1}},
      {"pages 1 to 2, two copies, not collated", L"1", L"2", L"2", false, {0, 0, 1, 1}},
  };
  for (const auto& print : prints) {
    DeleteFileW(output.c_str());
    std::wstring printer, refusal;
    SetFocus(p.Control(MainControl::vsfViewer));
    const bool shown = WithModal([&] { PressKeyWith(p.window, VK_CONTROL, 'P'); }, [&](HWND dialog) {
      printer = TextOf(GetDlgItem(dialog, cmb4));
      SendMessageW(GetDlgItem(dialog, rad3), BM_CLICK, 0, 0);
      SetDlgItemTextW(dialog, edt1, print.from);
      SetDlgItemTextW(dialog, edt2, print.to);
      SetDlgItemTextW(dialog, edt3, print.copies);
      SendMessageW(GetDlgItem(dialog, chx2), BM_SETCHECK, print.collate ? BST_CHECKED : BST_UNCHECKED, 0);
      PressButton(dialog, IDOK);
      // A choice the dialog refuses is told in a box of its own: answered,
      // and the dialog cancelled, so that the run goes on.
      Sleep(1000);
      if (HWND box = IsWindow(dialog) ? GetWindow(dialog, GW_ENABLEDPOPUP) : nullptr) {
        refusal = TextOf(GetDlgItem(box, 0xFFFF));
        PressButton(box, IDOK);
        Sleep(300);
        PressButton(dialog, IDCANCEL);
      }
    });
    const std::string what = print.what;
    Check(shown && refusal.empty(), what + ": the system's print dialog takes it", Show(refusal));
    CheckEqual(printer, std::wstring(kTestPrinter), what + ": on the session's printer");
    const std::string printed = ReadBytes(output);
    const std::vector<std::string> sheets = PostScriptPages(printed);
    bool inOrder = sheets.size() == print.sheets.size();
    for (std::size_t i = 0; inOrder && i < sheets.size(); ++i)
      for (std::size_t j = 0; j < sheets.size(); ++j)
        inOrder = inOrder && (sheets[i] == sheets[j]) == (print.sheets[i] == print.sheets[j]);
    Check(inOrder, what + ": those pages in that order", std::to_string(sheets.size()) + " sheets");
    Check(printed.find("%%Title: " + name) != std::string::npos, what + ": the job named after the claim file");
    Check(printed.find("PageSize[516 729]") != std::string::npos &&
              printed.find("%%Orientation: Portrait") != std::string::npos,
          what + ": on B5 upright, as the session's setup said");
    Check(p.form.PrintSetup() == b5, what + ": the setup kept from the dialog's choice");
  }

  Section("the print dialog cancelled: nothing printed, nothing said");
  DeleteFileW(output.c_str());
  const bool answered = WithModals([&] { PressKeyWith(p.window, VK_CONTROL, 'P'); },
                                   {[](HWND dialog) { PressButton(dialog, IDCANCEL); },
                                    [](HWND box) { PressButton(box, IDOK); }});
  Check(!answered, "no box after the cancel");
  Check(GetFileAttributesW(output.c_str()) == INVALID_FILE_ATTRIBUTES, "no print");
}

}  // namespace ui_driver

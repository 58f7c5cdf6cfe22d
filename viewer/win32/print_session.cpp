#include "win32/print_session.h"

#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/platform_file.h"
#include "platform/platform_path.h"
#include "text/number_text.h"
#include "win32/look.h"
#include "win32/page_painter.h"

namespace pellora::win32 {
namespace {

struct PaperCode {
  print::Paper paper;
  short code;
};
constexpr std::array<PaperCode, 7> kPaperCodes{{
    {print::Paper::A3, DMPAPER_A3},
    {print::Paper::A4, DMPAPER_A4},
    {print::Paper::A5, DMPAPER_A5},
    {print::Paper::B4, DMPAPER_B4},  // the JIS sizes, as the layout's B4 and B5 are
    {print::Paper::B5, DMPAPER_B5},
    {print::Paper::Letter, DMPAPER_LETTER},
    {print::Paper::Legal, DMPAPER_LEGAL},
}};

common::CivilDate Today() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

// A global block locked for as long as it is in sight.
template <typename T>
class Locked {
 public:
  explicit Locked(HGLOBAL block) : block_(block), data_(static_cast<T*>(::GlobalLock(block))) {}
  ~Locked() {
    if (data_) ::GlobalUnlock(block_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  T* operator->() const { return data_; }
  T* get() const { return data_; }

 private:
  HGLOBAL block_;
  T* data_;
};

struct PrinterNames {
  std::wstring driver, device;
};

PrinterNames NamesOf(HGLOBAL devNames) {
  const Locked<DEVNAMES> names(devNames);
  if (!names.get()) return {};
  const wchar_t* text = reinterpret_cast<const wchar_t*>(names.get());
  return {text + names->wDriverOffset, text + names->wDeviceOffset};
}

// The printer's settings set to `setup`, and handed to its driver to be
// made whole: a paper the printer has not is the driver's to settle. A
// driver that will not say leaves the settings as set.
HGLOBAL WithSetup(HGLOBAL devMode, const std::wstring& device, const print::PageSetup& setup) {
  {
    const Locked<DEVMODEW> mode(devMode);
    if (!mode.get()) return devMode;
    mode->dmPaperSize = PaperCodeOf(setup.paper);
    mode->dmOrientation = setup.orientation == print::Orientation::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    // A form's name or a size of its own would stand before the paper.
    mode->dmFields = (mode->dmFields | DM_PAPERSIZE | DM_ORIENTATION) & ~(DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
  }
  HANDLE printer = nullptr;
  std::wstring name = device;
  if (!::OpenPrinterW(name.data(), &printer, nullptr)) return devMode;
  HGLOBAL merged = nullptr;
  const LONG size = ::DocumentPropertiesW(nullptr, printer, name.data(), nullptr, nullptr, 0);
  if (size > 0) merged = ::GlobalAlloc(GHND, static_cast<SIZE_T>(size));
  bool done = false;
  if (merged) {
    const Locked<DEVMODEW> in(devMode);
    const Locked<DEVMODEW> out(merged);
    done = in.get() && out.get() &&
           ::DocumentPropertiesW(nullptr, printer, name.data(), out.get(), in.get(), DM_IN_BUFFER | DM_OUT_BUFFER) ==
               IDOK;
  }
  ::ClosePrinter(printer);
  if (!done) {
    if (merged) ::GlobalFree(merged);
    return devMode;
  }
  ::GlobalFree(devMode);
  return merged;
}

// The paper and orientation the printer's settings name, where the
// setups have them.
void WriteBack(HGLOBAL devMode, print::PageSetup& setup) {
  const Locked<DEVMODEW> mode(devMode);
  if (!mode.get()) return;
  if (mode->dmFields & DM_PAPERSIZE)
    if (const std::optional<print::Paper> paper = PaperOfCode(mode->dmPaperSize)) setup.paper = *paper;
  if (mode->dmFields & DM_ORIENTATION)
    setup.orientation =
        mode->dmOrientation == DMORIENT_LANDSCAPE ? print::Orientation::Landscape : print::Orientation::Portrait;
}

// The print job's name in the printer's queue: the claim file's name.
std::wstring DocumentName(const frmPellora& form) {
  const std::u16string_view name = FileNameOf(form.Claim().file);
  return Wide(name.empty() ? frmPellora::kTitle : name);
}

bool IsCancel(DWORD error) { return error == ERROR_CANCELLED || error == ERROR_PRINT_CANCELLED; }

// The printer's sheet; a driver that tells no size of its paper is taken
// at the setup's paper, printable to its edges.
print::Sheet SheetOf(HDC printer, const print::PageSetup& setup) {
  const print::Sheet sheet = PrinterSheet(printer);
  return sheet.width > 0 && sheet.height > 0 ? sheet : print::SheetOf(setup);
}

}  // namespace

short PaperCodeOf(print::Paper paper) {
  for (const PaperCode& entry : kPaperCodes)
    if (entry.paper == paper) return entry.code;
  return DMPAPER_A4;
}

std::optional<print::Paper> PaperOfCode(short code) {
  for (const PaperCode& entry : kPaperCodes)
    if (entry.code == code) return entry.paper;
  return std::nullopt;
}

PrintSession::PrintSession(MessageBoxes& boxes) : boxes_(boxes), textWidth_(GdiTextWidth()) {}

PrintSession::~PrintSession() {
  if (devMode_) ::GlobalFree(devMode_);
  if (devNames_) ::GlobalFree(devNames_);
}

void PrintSession::Tell(std::u16string text) { boxes_.Show(std::move(text), MsgIcon::Exclamation, std::nullopt); }

bool PrintSession::EnsurePrinter(const frmPellora& form) {
  if (devMode_ && devNames_) return true;
  PRINTDLGW defaults{};
  defaults.lStructSize = sizeof defaults;
  defaults.Flags = PD_RETURNDEFAULT;
  if (!::PrintDlgW(&defaults) || !defaults.hDevMode || !defaults.hDevNames) {
    if (defaults.hDevMode) ::GlobalFree(defaults.hDevMode);
    if (defaults.hDevNames) ::GlobalFree(defaults.hDevNames);
    return false;
  }
  devNames_ = defaults.hDevNames;
  devMode_ = WithSetup(defaults.hDevMode, NamesOf(devNames_).device, form.PrintSetup());
  return true;
}

HDC PrintSession::CreatePrinterDC(bool informationOnly) const {
  if (!devMode_ || !devNames_) return nullptr;
  const PrinterNames names = NamesOf(devNames_);
  std::vector<unsigned char> settings;
  {
    const Locked<DEVMODEW> mode(devMode_);
    if (!mode.get()) return nullptr;
    settings.resize(mode->dmSize + mode->dmDriverExtra);
    std::memcpy(settings.data(), mode.get(), settings.size());
  }
  DEVMODEW* single = reinterpret_cast<DEVMODEW*>(settings.data());
  if (single->dmFields & DM_COPIES) single->dmCopies = 1;
  if (single->dmFields & DM_COLLATE) single->dmCollate = DMCOLLATE_FALSE;
  return informationOnly ? ::CreateICW(names.driver.c_str(), names.device.c_str(), nullptr, single)
                         : ::CreateDCW(names.driver.c_str(), names.device.c_str(), nullptr, single);
}

print::Pages PrintSession::LayOutForPreview(const frmPellora& form) {
  print::Sheet sheet = print::SheetOf(form.PrintSetup());
  if (EnsurePrinter(form)) {
    if (HDC printer = CreatePrinterDC(true)) {
      sheet = SheetOf(printer, form.PrintSetup());
      ::DeleteDC(printer);
    }
  }
  return form.DisplayPages(sheet, textWidth_, Today());
}

// The pages' count for the dialog comes from the printer as it is set
// now; the pages are laid out again on the printer chosen, which may hold
// more or fewer of them on its paper.
void PrintSession::Print(frmPellora& form, HWND owner) {
  if (!EnsurePrinter(form)) return Tell(std::u16string(kNoPrinterText));
  int count = 1;
  if (HDC printer = CreatePrinterDC(true)) {
    count = form.DisplayPages(SheetOf(printer, form.PrintSetup()), textWidth_, Today()).Count();
    ::DeleteDC(printer);
  }

  // The copies are the program's (no PD_USEDEVMODECOPIESANDCOLLATE): every
  // driver gets them right that way, collated or not.
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hDevMode = devMode_;
  dialog.hDevNames = devNames_;
  dialog.Flags = PD_ALLPAGES | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_COLLATE;
  const WORD last = static_cast<WORD>(std::clamp(count, 1, 0xFFFF));
  dialog.nFromPage = 1;
  dialog.nToPage = last;
  dialog.nMinPage = 1;
  dialog.nMaxPage = last;
  dialog.nCopies = 1;
  const BOOL chosen = ::PrintDlgW(&dialog);
  // Chosen or not, the handles are the dialog's now: it may have replaced
  // them.
  devMode_ = dialog.hDevMode;
  devNames_ = dialog.hDevNames;
  if (!chosen) {
    const DWORD error = ::CommDlgExtendedError();
    if (error != 0) {
      // Settings the dialog refuses (a printer removed since) are let go:
      // the next print starts from the default printer again.
      ::GlobalFree(devMode_);
      ::GlobalFree(devNames_);
      devMode_ = devNames_ = nullptr;
    }
    if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES) return Tell(std::u16string(kNoPrinterText));
    if (error != 0)
      Tell(std::u16string(kPrintFailedText) + u"\n(印刷ダイアログのエラー " + DecimalText(static_cast<double>(error)) +
           u")");
    return;
  }
  print::PageSetup setup = form.PrintSetup();
  WriteBack(devMode_, setup);
  form.KeepPrintSetup(setup);

  HDC printer = CreatePrinterDC(false);
  if (!printer) return Tell(std::u16string(kPrintFailedText) + u"\n" + SystemErrorText(::GetLastError()));
  const print::Pages pages = form.DisplayPages(SheetOf(printer, form.PrintSetup()), textWidth_, Today());
  const bool somePages = (dialog.Flags & PD_PAGENUMS) != 0;
  const std::vector<int> order = print::PagesToPrint(pages.Count(), somePages ? dialog.nFromPage : 0,
                                                     somePages ? dialog.nToPage : 0, dialog.nCopies,
                                                     (dialog.Flags & PD_COLLATE) != 0);
  if (order.empty()) {
    ::DeleteDC(printer);
    return Tell(u"指定されたページはありません。この用紙では全部で " + DecimalText(pages.Count()) + u" ページです。");
  }

  const std::wstring name = DocumentName(form);
  DOCINFOW document{};
  document.cbSize = sizeof document;
  document.lpszDocName = name.c_str();
  if (::StartDocW(printer, &document) <= 0) {
    const DWORD error = ::GetLastError();
    ::DeleteDC(printer);
    if (!IsCancel(error)) Tell(std::u16string(kPrintFailedText) + u"\n" + SystemErrorText(error));
    return;
  }
  const PagePlace place = PrinterPlace(printer);
  for (const int page : order) {
    bool printed = ::StartPage(printer) > 0;
    if (printed) {
      PaintPage(printer, pages.Draw(page), place);
      printed = ::EndPage(printer) > 0;
    }
    if (!printed) {
      const DWORD error = ::GetLastError();
      ::AbortDoc(printer);
      ::DeleteDC(printer);
      if (!IsCancel(error)) Tell(std::u16string(kPrintFailedText) + u"\n" + SystemErrorText(error));
      return;
    }
  }
  const bool ended = ::EndDoc(printer) > 0;
  const DWORD error = ::GetLastError();
  ::DeleteDC(printer);
  if (!ended && !IsCancel(error)) Tell(std::u16string(kPrintFailedText) + u"\n" + SystemErrorText(error));
}

}  // namespace pellora::win32

#pragma once
// Printing the display on Windows: the system's print dialog (printer,
// copies, pages, and through the printer's properties its paper), the
// printer's settings kept for the rest of the session so that the next
// print and the preview start from the last choice, and the print itself,
// painted page by page with the page painter. PDF files come from the
// printer Windows has for them ("Microsoft Print to PDF"), which asks for
// the file's name itself.

#include <windows.h>

#include <optional>
#include <string>

#include "controls/message_boxes.h"
#include "print/pages.h"
#include "shell/frmPellora.h"

namespace pellora::win32 {

// What the user is told when there is nothing to print on.
inline constexpr std::u16string_view kNoPrinterText =
    u"プリンターがインストールされていないため、印刷できません。\nWindows の設定でプリンターを追加してください。";
inline constexpr std::u16string_view kPrintFailedText = u"印刷できませんでした。";

// A paper of the print's setups as a printer's settings name it
// (DMPAPER_A4 ...), and back; nothing for a paper the setups do not have.
short PaperCodeOf(print::Paper paper);
std::optional<print::Paper> PaperOfCode(short code);

class PrintSession {
 public:
  // Tells what went wrong in `boxes`, the form's message boxes.
  explicit PrintSession(MessageBoxes& boxes);
  ~PrintSession();
  PrintSession(const PrintSession&) = delete;
  PrintSession& operator=(const PrintSession&) = delete;

  // The print dialog over `owner`, then the print of the pages chosen, as
  // many copies as asked, on the printer chosen; the choice is kept, and
  // its paper and orientation left in the form's PrintSetup. The first
  // time, the dialog starts from the system's default printer set to the
  // form's PrintSetup. A cancel, in the dialog or in the printer's own
  // question (a PDF file's name), ends it without a word.
  void Print(frmPellora& form, HWND owner);

  // The display laid out as the next print would lay it out: on the
  // session's printer, or without one on the whole paper of the form's
  // PrintSetup.
  print::Pages LayOutForPreview(const frmPellora& form);

  // Whether the session has a printer's settings (the last choice, or the
  // default printer's).
  bool HasPrinter() const { return devMode_ != nullptr; }

 private:
  // The default printer's settings the first time, with the form's setup
  // applied; false when the system has no printer.
  bool EnsurePrinter(const frmPellora& form);
  // A DC (or an information context) of the session's printer as its
  // settings say, making one copy of each page: the copies are the
  // program's.
  HDC CreatePrinterDC(bool informationOnly) const;
  void Tell(std::u16string text);

  MessageBoxes& boxes_;
  print::TextWidth textWidth_;
  HGLOBAL devMode_ = nullptr;
  HGLOBAL devNames_ = nullptr;
};

}  // namespace pellora::win32

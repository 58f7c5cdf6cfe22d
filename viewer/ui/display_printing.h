#pragma once
// The clerk's print and print preview on Qt's print dialog and print
// preview: the display's pages (frmPellora::DisplayPages) painted on one
// printer that the window keeps for the whole session, so that the printer,
// paper and orientation chosen last are offered again.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "controls/message_boxes.h"
#include "print/pages.h"
#include "shell/frmPellora.h"

class QPrinter;

namespace pellora::ui {

class DisplayPrinting {
 public:
  // `parent` is the window the dialogs open over, `boxes` the boxes that
  // tell a print that failed.
  DisplayPrinting(QWidget* parent, MessageBoxes& boxes);
  ~DisplayPrinting();

  // 印刷...: Qt's print dialog (with its "print to PDF file"), then the
  // pages it asks for on the printer chosen, the clerk's paper and
  // orientation left in the form's PrintSetup. A cancel ends it quietly.
  void Print(frmPellora& form);
  // 印刷プレビュー...: Qt's print preview over the same printer, with page
  // forward and back, zoom, page setup and printing from there.
  void Preview(frmPellora& form);

  // The session's printer, made the first time from the form's PrintSetup.
  QPrinter& printer(const frmPellora& form);

 private:
  // The display laid out on the printer's paper as it stands.
  print::Pages LayOut(const frmPellora& form, QPrinter& printer) const;
  enum class Outcome { Done, Cancelled, Failed };
  // Paints `order` on `printer`, with a cancellable progress box over
  // `over` once it takes long.
  Outcome PaintWithProgress(QPrinter& printer, const print::Pages& pages, const std::vector<int>& order,
                            QWidget* over);
  // The printer's paper and orientation as the form keeps them.
  void KeepSetup(frmPellora& form, const QPrinter& printer) const;

  QPointer<QWidget> parent_;
  MessageBoxes& boxes_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace pellora::ui

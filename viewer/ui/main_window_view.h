#pragma once
// frmPellora on screen: a Qt window whose widgets draw the headless main
// window's controls where its layout puts them (the design's size the
// smallest; the grids take what the window gains) and pass the user's
// gestures to its routines. After each routine (and before each dialog a routine opens) the
// widgets are brought up to date from the controls; the grids follow their
// models by themselves.

#include <QWidget>
#include <array>

#include "shell/clerk_keys.h"
#include "shell/frmPellora.h"
#include "ui/display_printing.h"
#include "ui/find_box.h"
#include "ui/grid_view.h"
#include "ui/message_boxes_view.h"
#include "ui/open_file_dialog_view.h"
#include "ui/set_db_dialog_view.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace pellora::ui {

class PelloraWindow : public QWidget, private ClerkView {
  Q_OBJECT
 public:
  // The window for `form`, whose message boxes are `boxes`: it supplies the
  // form's dialogs and learns when the form closes.
  PelloraWindow(frmPellora& form, QtMessageBoxes& boxes);
  ~PelloraWindow() override;

  // Start-up: the form's own, then the window shows unless it closed. What
  // is wrong with a claim file shown on the way opens its box once the
  // window has been painted, as after every routine that shows one.
  void Start();
  // Draws the controls as the form's routines have left them.
  void Sync();

  frmPellora& form() { return form_; }
  // The widget that draws a control.
  QWidget* widget(MainControl control) const { return widgets_[static_cast<std::size_t>(control)]; }
  FlexGridView* grid(MainControl control) const;
  FindBox* findBox() const { return findBox_; }
  // The print and preview of the clerk's commands, with the session's
  // printer.
  DisplayPrinting& printing() { return printing_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The clerk's keys on the window and on each control that takes the
  // focus, before the control's own handling of them.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Claim files dropped from a file manager.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Runs one of the form's routines started by the user, then draws.
  template <typename Routine>
  void run(Routine routine);
  void syncSize();
  // Every control where the form's layout puts it in today's size.
  void layOut();
  void elideStatus();
  // The form's pending warnings, told after the window's next paint.
  void warnOnceDrawn();
  // The clerk's gestures on the display and totals grids, and the find.
  void connectClerkCommands();
  // The command of a key (shell/clerk_keys.h) with the focus on `watched`,
  // run; true when there was one.
  bool takeKey(const QObject* watched, const QKeyEvent& event);
  void showGridMenu(MainControl grid, const QPoint& globalPos);

  // What the clerk's commands use of this window.
  void PutOnClipboard(const std::u16string& text, const std::u16string& html) override;
  bool FindBoxOpen() const override;
  std::u16string FindText() const override;
  void OpenFindBox() override;
  void CloseFindBox() override;
  void ShowNoMatch(bool noMatch) override;
  void PrintDisplay(frmPellora& form) override;
  void PreviewDisplay(frmPellora& form) override;

  frmPellora& form_;
  QtMessageBoxes& boxes_;
  QtFileDialogs openFileDialog_;
  QtModalDialogs modalDialogs_;
  std::array<QWidget*, kMainControlCount> widgets_{};
  FindBox* findBox_ = nullptr;
  DisplayPrinting printing_;
  bool warnAfterPaint_ = false;
  bool laidOutDebug_ = false;
};

}  // namespace pellora::ui

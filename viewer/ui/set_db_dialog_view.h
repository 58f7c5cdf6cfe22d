#pragma once
// frmSetDBname on screen: a modal Qt dialog bound to the headless dialog.
// Its buttons call the dialog's Command1_Click, and "参照..." its
// Command2_Click with a file dialog over this one; Esc and the frame's
// close box are the cancel.

#include <QDialog>
#include <QPointer>
#include <functional>

#include "shell/frmSetDBname.h"
#include "ui/open_file_dialog_view.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace pellora::ui {

class SetDBnameView : public QDialog {
  Q_OBJECT
 public:
  SetDBnameView(frmSetDBname& dialog, QWidget* parent = nullptr);

  QLineEdit* Text1() const { return text1_; }
  QPushButton* Command1(int index) const { return command1_[index]; }
  QPushButton* Command2() const { return command2_; }
  QLabel* Label1() const { return label1_; }

  void reject() override;

 private:
  void click(int index);

  frmSetDBname& dialog_;
  QLabel* label1_;
  QLineEdit* text1_;
  QPushButton* command1_[2];
  QPushButton* command2_;
  QtFileDialogs files_;
};

class QtModalDialogs : public ModalDialogs {
 public:
  std::function<void()> beforeShow;
  QPointer<QWidget> parent;

  void ShowModal(frmSetDBname& dialog) override;
  void ShowModal(frmCheck& check) override;
  // The main window brought up to date while the check's window shows.
  std::function<void()> afterChange;
};

}  // namespace pellora::ui

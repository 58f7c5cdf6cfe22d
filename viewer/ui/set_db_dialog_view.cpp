#include "ui/set_db_dialog_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "shell/window_design.h"
#include "ui/check_window_view.h"
#include "ui/look.h"

namespace pellora::ui {

SetDBnameView::SetDBnameView(frmSetDBname& dialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      dialog_(dialog) {
  setObjectName(QStringLiteral("frmSetDBname"));
  setWindowTitle(ToQString(frmSetDBname::kCaption));
  setFont(WindowFont());
  setFixedSize(ToPixels(kDialogClientSize));
  setModal(true);

  const auto place = [&](QWidget* widget, DialogControl control) {
    const ControlDesign& design = Design(control);
    widget->setObjectName(ToQString(design.name));
    widget->setGeometry(ToPixels(design.rect));
  };
  label1_ = new QLabel(ToQString(Design(DialogControl::Label1).caption), this);
  place(label1_, DialogControl::Label1);
  text1_ = new QLineEdit(ToQString(dialog_.Text1.Text), this);
  place(text1_, DialogControl::Text1);
  for (int index : {frmSetDBname::kRegister, frmSetDBname::kCancel}) {
    const DialogControl control = index == frmSetDBname::kRegister ? DialogControl::Command1_0 : DialogControl::Command1_1;
    QPushButton* button = new QPushButton(ToQString(Design(control).caption), this);
    place(button, control);
    button->setDefault(Design(control).defaultButton);
    button->setAutoDefault(Design(control).defaultButton);
    connect(button, &QPushButton::clicked, this, [this, index] { click(index); });
    command1_[index] = button;
  }
  command2_ = new QPushButton(ToQString(Design(DialogControl::Command2).caption), this);
  place(command2_, DialogControl::Command2);
  command2_->setToolTip(ToQString(Design(DialogControl::Command2).toolTip));
  command2_->setAutoDefault(false);
  connect(command2_, &QPushButton::clicked, this, [this] {
    dialog_.Text1.Text = ToU16(text1_->text());
    dialog_.Command2_Click();
    text1_->setText(ToQString(dialog_.Text1.Text));
    text1_->setFocus();
  });
  // The file dialog opens over this one.
  files_.parent = this;
  dialog_.Attach(&files_);
  setTabOrder(text1_, command2_);
  setTabOrder(command2_, command1_[0]);
  setTabOrder(command1_[0], command1_[1]);
  text1_->setFocus();
}

void SetDBnameView::click(int index) {
  dialog_.Text1.Text = ToU16(text1_->text());
  dialog_.Command1_Click(index);
  if (index == frmSetDBname::kRegister) {
    accept();
  } else {
    QDialog::reject();
  }
}

// Esc and the close box: the cancel button's answer.
void SetDBnameView::reject() {
  if (dialog_.Closed()) {
    QDialog::reject();
  } else {
    click(frmSetDBname::kCancel);
  }
}

void QtModalDialogs::ShowModal(frmSetDBname& dialog) {
  if (beforeShow) beforeShow();
  SetDBnameView view(dialog, parent.data());
  view.exec();
}

void QtModalDialogs::ShowModal(frmCheck& check) {
  if (beforeShow) beforeShow();
  CheckWindowView view(check, afterChange, parent.data());
  view.exec();
}

}  // namespace pellora::ui

#include "ui/message_boxes_view.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ui/look.h"

namespace pellora::ui {
namespace {

QMessageBox::Icon ToQIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::Show(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) {
  Open(text, icon, title, false);
}

bool QtMessageBoxes::AskYesNo(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) {
  return Open(text, icon, title, true);
}

// The buttons carry their Japanese words whatever translations Qt has
// loaded, as the window's own captions do.
bool QtMessageBoxes::Open(const std::u16string& text, MsgIcon icon, const std::optional<std::u16string>& title,
                          bool yesNo) {
  if (beforeShow) beforeShow();
  QMessageBox box(ToQIcon(icon), title ? ToQString(*title) : QApplication::applicationDisplayName(),
                  ToQString(text), yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent.data());
  box.setObjectName(QStringLiteral("MessageBox"));
  if (yesNo) {
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  }
  return box.exec() == QMessageBox::Yes;
}

}  // namespace pellora::ui

#include "ui/message_boxes_view.h"

#include <QApplication>
#include <QMessageBox>

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
  if (beforeShow) beforeShow();
  QMessageBox box(ToQIcon(icon), title ? ToQString(*title) : QApplication::applicationDisplayName(),
                  ToQString(text), QMessageBox::Ok, parent.data());
  box.setObjectName(QStringLiteral("MessageBox"));
  box.exec();
}

}  // namespace pellora::ui

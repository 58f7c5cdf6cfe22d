#include "ui/application.h"

#include <QApplication>
#include <QStyleFactory>

#include "ui/look.h"

namespace pellora::ui {

void SetUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Pellora"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setFont(WindowFont());
}

}  // namespace pellora::ui

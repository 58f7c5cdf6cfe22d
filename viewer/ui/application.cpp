#include "ui/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

#include "ui/look.h"

namespace pellora::ui {

QTranslator* InstallQtTranslations() {
  // Owned by the application, so that it lives as long as the texts it
  // translates.
  auto* translator = new QTranslator(QApplication::instance());
  if (!translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

void SetUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Pellora"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setFont(WindowFont());
  InstallQtTranslations();
}

}  // namespace pellora::ui

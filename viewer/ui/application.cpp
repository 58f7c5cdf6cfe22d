#include "ui/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>

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

std::optional<std::string> MissingDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::optional<std::string>(value) : std::nullopt;
  };
  if (set("QT_QPA_PLATFORM") || set("WAYLAND_DISPLAY")) return std::nullopt;
  const std::optional<std::string> display = set("DISPLAY");
  if (!display) return "DISPLAY is not set";
  // ":N", ":N.S" and "unix:N" are this machine's server N, listening on its
  // socket; a display on another host is left to Qt to reach.
  std::string_view name(*display);
  if (name.starts_with("unix:")) name.remove_prefix(4);
  if (!name.starts_with(':')) return std::nullopt;
  const std::string number(name.substr(1, name.find('.') == std::string_view::npos ? name.npos : name.find('.') - 1));
  if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  if (std::filesystem::exists("/tmp/.X11-unix/X" + number)) return std::nullopt;
  return "no X server for DISPLAY=" + *display;
}

void SetUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Pellora"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setFont(WindowFont());
  InstallQtTranslations();
}

}  // namespace pellora::ui

// pellora-export: see export/export_command.h. On Linux it also writes the
// display's pages as a PDF file, with Qt on its offscreen platform, so that
// it needs no display.
#include <QDate>
#include <QGuiApplication>
#include <QString>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "export/export_command.h"
#include "qtprint/page_painter.h"
#include "qtprint/pdf_file.h"
#include "platform/platform_path.h"

namespace {

// Qt's own remarks (a runtime folder it would like, a font it had to
// replace) are no concern of a script reading standard error, whose lines
// are the export's warnings; what Qt calls critical still goes there.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << "pellora-export: " << message.toStdString() << '\n';
}

std::optional<std::string> WritePdf(std::shared_ptr<const pellora::ClaimView> claim,
                                    const pellora::print::PageSetup& setup, const std::string& path) {
  // Qt, made only for a PDF: the other formats need none of it.
  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) {
    qInstallMessageHandler(QuietQtMessages);
    static int argc = 3;
    static char name[] = "pellora-export", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  const QDate today = QDate::currentDate();
  const pellora::print::TextWidth textWidth = pellora::qtprint::TextWidth();
  const std::u16string_view name = pellora::FileNameOf(claim->file);
  const pellora::print::Pages pages =
      pellora::print::Pages::LayOut(std::move(claim), pellora::print::WindowColumnWidths(textWidth),
                                    pellora::print::SheetOf(setup), textWidth, {today.year(), today.month(), today.day()});
  // The file's name, as the pages' header names it.
  const QString title = QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
  if (const std::optional<QString> failure = pellora::qtprint::WritePdfFile(pages, QString::fromStdString(path), title))
    return failure->toStdString();
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return pellora::exporting::RunExport(arguments, std::cout, std::cerr, WritePdf);
}

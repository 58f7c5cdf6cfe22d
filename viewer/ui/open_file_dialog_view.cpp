#include "ui/open_file_dialog_view.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

#include "ui/look.h"

namespace pellora::ui {
namespace {

QStringList ToQStrings(const std::vector<std::u16string>& texts) {
  QStringList list;
  for (const std::u16string& text : texts) list << ToQString(text);
  return list;
}

}  // namespace

namespace {

void SetUpFileDialog(QFileDialog& dialog, const CommonDialog& properties);

// The dialog's answer: its one chosen path, or nothing for a cancel.
std::optional<std::u16string> ChosenPath(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return ToU16(chosen.front());
}

}  // namespace

void SetUpOpenDialog(QFileDialog& dialog, const CommonDialog& properties) {
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  SetUpFileDialog(dialog, properties);
}

void SetUpSaveDialog(QFileDialog& dialog, const CommonDialog& properties) {
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  SetUpFileDialog(dialog, properties);
}

namespace {

void SetUpFileDialog(QFileDialog& dialog, const CommonDialog& properties) {
  dialog.setFileMode(QFileDialog::AnyFile);
  // Qt's own dialog on every desktop: the same entries, folder and name
  // behave the same everywhere, and a test can answer it.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (!properties.DialogTitle.empty()) dialog.setWindowTitle(ToQString(properties.DialogTitle));

  const std::vector<FilterEntry> entries = FilterEntries(properties.Filter);
  QStringList shown;
  for (const FilterEntry& entry : entries) shown << ToQString(entry.description);
  dialog.setNameFilters(shown);
  const int selected = std::clamp(properties.FilterIndex, 1, std::max<int>(1, static_cast<int>(entries.size()))) - 1;
  if (!entries.empty()) dialog.selectNameFilter(shown[selected]);
  // Qt reads an entry's patterns from the parentheses of what it shows, and
  // its "*.*" would pass over names without a dot. The entries' own
  // patterns are what the dialog lists by.
  QFileSystemModel* files = dialog.findChild<QFileSystemModel*>();
  const auto listBy = [files, entries](int index) {
    if (files && index >= 0 && index < static_cast<int>(entries.size()))
      files->setNameFilters(ToQStrings(FilterPatterns(entries[static_cast<std::size_t>(index)])));
  };
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [listBy, shown](const QString& filter) { listBy(static_cast<int>(shown.indexOf(filter))); });
  listBy(selected);

  if (!properties.InitDir.empty()) dialog.setDirectory(ToQString(properties.InitDir));
  // The previous choice is offered again by its name, in the starting folder.
  if (!properties.FileName.empty()) dialog.selectFile(QFileInfo(ToQString(properties.FileName)).fileName());
}

}  // namespace

template <typename SetUp>
std::optional<std::u16string> QtFileDialogs::show(const CommonDialog& properties, const char* name, SetUp setUp) {
  if (beforeShow) beforeShow();
  QFileDialog dialog(parent.data());
  dialog.setObjectName(QString::fromLatin1(name));
  setUp(dialog, properties);
  return ChosenPath(dialog);
}

std::optional<std::u16string> QtFileDialogs::ShowOpen(const CommonDialog& properties) {
  return show(properties, "CommonDialog1", SetUpOpenDialog);
}

std::optional<std::u16string> QtFileDialogs::ShowSave(const CommonDialog& properties) {
  return show(properties, "SaveDialog1", SetUpSaveDialog);
}

}  // namespace pellora::ui

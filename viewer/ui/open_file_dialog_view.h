#pragma once
// The file dialog control's platform dialogs: Qt file dialogs set up from
// the control's properties.

#include <QPointer>
#include <QWidget>
#include <functional>

#include "shell/common_dialog.h"

class QFileDialog;

namespace pellora::ui {

// A file dialog as the control's properties ask for it: its filter entries
// in order with the FilterIndex'th selected, the starting folder, the
// previous file's name offered again, any name accepted (the file need not
// exist: opening it says so).
void SetUpOpenDialog(QFileDialog& dialog, const CommonDialog& properties);

// The save dialog the same way, asking nothing about a file that exists:
// the routine that saves asks itself.
void SetUpSaveDialog(QFileDialog& dialog, const CommonDialog& properties);

class QtFileDialogs : public FileDialogs {
 public:
  std::function<void()> beforeShow;
  QPointer<QWidget> parent;

  std::optional<std::u16string> ShowOpen(const CommonDialog& properties) override;
  std::optional<std::u16string> ShowSave(const CommonDialog& properties) override;

 private:
  template <typename SetUp>
  std::optional<std::u16string> show(const CommonDialog& properties, const char* name, SetUp setUp);
};

}  // namespace pellora::ui

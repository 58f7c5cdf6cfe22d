#pragma once
// The open-file dialog control's platform dialog: a Qt file dialog set up
// from the control's properties.

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

class QtOpenFileDialog : public OpenFileDialog {
 public:
  std::function<void()> beforeShow;
  QPointer<QWidget> parent;

  std::optional<std::u16string> ShowOpen(const CommonDialog& properties) override;
};

}  // namespace pellora::ui
